// SPDX-License-Identifier: MIT
// The Get MAC Address dialog with the cycle and the adapter list injected;
// runs on Qt's offscreen platform, also when the test runner lists it.
#include <QAccessible>
#include <QPushButton>

#include "ui/get_mac_dialog.h"
#include "ui/ip_address_edit.h"
#include "window_fixture.h"

namespace lq3860 {

namespace {

using MacTexts = std::array<std::string, 6>;
using Calls = std::vector<std::pair<std::string, std::optional<int>>>;  // address text, adapter
namespace id = control_id;
const MacTexts HAND_OFF{"01", "02", "03", "04", "05", "06"}, FOUND{"00", "0C", "29", "3A", "4B", "5C"};

class GetMacDialogTest : public ::testing::Test {
protected:
    GetMacDialogHooks Hooks() {
        return {[this] { return adapters; },
                [this](const std::string& ipText, std::optional<int> index, const ReaderMessage& onMessage) {
                    calls.emplace_back(ipText, index);
                    if (outcome == GetMacOutcome::NotFound) onMessage("Load library fail");  // the reader's message
                    if (outcome == GetMacOutcome::Found) MacHandOff = {FOUND, 1};
                    return outcome;
                }};
    }
    template <typename Widget = QWidget>
    static Widget* Control(const QDialog& dialog, int id) {
        return dialog.findChild<Widget*>(QString::number(id));
    }
    static MacTexts EditTexts(const QDialog& dialog) {
        MacTexts texts;
        for (std::size_t i = 0; i < 6; ++i)
            texts[i] = Control<QLineEdit>(dialog, id::GETMAC_MAC_BYTES[i])->text().toStdString();
        return texts;
    }
    static QLineEdit* Field(const QDialog& dialog, int i) {
        return Control<IpAddressEdit>(dialog, id::GETMAC_IP_ADDRESS)->Field(i);
    }

    RecordingServices services;
    MacHandOffRecord MacHandOff{HAND_OFF, 0};
    std::vector<AdapterRecord> adapters = {
        {"", "wlan0", 3}, {"", "eth0", 2}, {"Zeta card", "enp3s0", 9}, {"", "lo", 1}};
    Calls calls;
    GetMacOutcome outcome = GetMacOutcome::Found;
};

TEST_F(GetMacDialogTest, OpensWithHandOffTextsStartAddressAndSortedAdaptersAndTakesNumbersUpTo255) {
    CGetMacDlg dialog(MacHandOff, services, Hooks());
    auto* address = Control<IpAddressEdit>(dialog, id::GETMAC_IP_ADDRESS);
    EXPECT_EQ(dialog.windowTitle(), "Get MAC Address Dialog");
    EXPECT_EQ(EditTexts(dialog), HAND_OFF);
    EXPECT_EQ(address->GetAddress(), (std::array<std::uint8_t, 4>{192, 168, 255, 1}));
    auto* combo = Control<QComboBox>(dialog, id::GETMAC_ADAPTERS);
    QStringList items;
    for (int i = 0; i < combo->count(); ++i) items << combo->itemText(i) + "=" + combo->itemData(i).toString();
    // Sorted ignoring case; an empty description shows the name.
    EXPECT_EQ(items.join(" ").toStdString(), "eth0=2 lo=1 wlan0=3 Zeta card=9");
    EXPECT_EQ(combo->currentIndex(), 0);
    EXPECT_FALSE(combo->isEditable());
    for (QWidget* widget : dialog.findChildren<QWidget*>())
        EXPECT_TRUE(qobject_cast<QLabel*>(widget) || widget->parent() != &dialog || !widget->accessibleName().isEmpty())
            << widget->objectName().toStdString();

    for (int i = 0; i < 4; ++i) Field(dialog, i)->clear();
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    Field(dialog, 0)->setFocus();
    QTest::keyClicks(Field(dialog, 0), "300x.");
    EXPECT_EQ(Field(dialog, 0)->text(), "30");
    EXPECT_TRUE(Field(dialog, 1)->hasFocus()) << "'.' moves on to the next number";
    QTest::keyClicks(Field(dialog, 1), "05");
    EXPECT_EQ(Field(dialog, 1)->text(), "0") << "no leading zeroes";
    QTest::keyClicks(Field(dialog, 1), "\b255");
    EXPECT_TRUE(Field(dialog, 2)->hasFocus()) << "a full number moves on";
    EXPECT_EQ(address->GetAddress(), (std::array<std::uint8_t, 4>{30, 255, 0, 0}));
}

// Blank numbers count as 0; an all-blank address is refused before any lookup.
// The last rows run without adapters: the lookup then has none to search.
TEST_F(GetMacDialogTest, GetMacLooksUpOnTheChosenAdapterThenShowsTheMacReloadsTheEditsOrReportsTheError) {
    const MacTexts typed{"EE", "02", "03", "04", "05", "06"};
    const std::string error = "error box: Get MAC Address Error";
    const struct {
        const char* fields[4];
        GetMacOutcome outcome;
        const char* ip;
        std::optional<int> index;
        MacTexts edits;
        Texts messages;
    } cases[] = {{{"10", "", "", ""}, GetMacOutcome::Found, "10.0.0.0", 2, FOUND, {}},
                 {{"172", "", "", "9"}, GetMacOutcome::NotFound, "172.0.0.9", 2, HAND_OFF, {"box: Load library fail"}},
                 {{"192", "168", "255", "1"}, GetMacOutcome::NoPermission, "192.168.255.1", 2, typed, {error}},
                 {{"192", "168", "255", "1"}, GetMacOutcome::ProbeFailed, "192.168.255.1", {}, typed, {error}},
                 {{"", "", "", ""}, GetMacOutcome::Found, nullptr, {}, typed, {"box: Please, Enter IP Address"}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ip ? c.ip : "blank");
        calls.clear();
        services.messages.clear();
        MacHandOff.macText = HAND_OFF;
        outcome = c.outcome;
        if (!c.index) adapters.clear();
        CGetMacDlg dialog(MacHandOff, services, Hooks());
        for (int i = 0; i < 4; ++i) Field(dialog, i)->setText(c.fields[i]);
        Control<QLineEdit>(dialog, id::GETMAC_MAC_BYTES[0])->setText("EE");
        QTest::mouseClick(Control<QPushButton>(dialog, id::GETMAC_GET), Qt::LeftButton);
        EXPECT_EQ(calls, (c.ip ? Calls{{c.ip, c.index}} : Calls{}));
        EXPECT_EQ(EditTexts(dialog), c.edits);
        EXPECT_EQ(services.messages, c.messages);
        // The status line shows the cycle's own explanation, and screen readers read it.
        auto* status = dialog.findChild<QLabel*>("status");
        EXPECT_EQ(status->text().toStdString(), c.ip ? GetMacStatusText(c.outcome) : "");
        EXPECT_EQ(QAccessible::queryAccessibleInterface(status)->text(QAccessible::Name), status->text());
    }
}

TEST_F(GetMacDialogTest, EnterAndExitStoreUpperCaseEditsEscapeDiscardsEnterOnGetMacLooksUp) {
    const struct {
        const char* how;
        int focus, key;
        bool stored, open;
    } cases[] = {{"Exit clicked", id::GETMAC_EXIT, 0, true, false},
                 {"Enter in a MAC edit", id::GETMAC_MAC_BYTES[0], Qt::Key_Return, true, false},
                 {"Enter in the list", id::GETMAC_ADAPTERS, Qt::Key_Return, true, false},
                 {"keypad Enter in the address", -1, Qt::Key_Enter, true, false},
                 {"Escape", id::GETMAC_MAC_BYTES[5], Qt::Key_Escape, false, false},
                 {"Enter on Get MAC", id::GETMAC_GET, Qt::Key_Return, false, true}};
    outcome = GetMacOutcome::NotFound;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.how);
        MacHandOff = {HAND_OFF, 0};
        calls.clear();
        CGetMacDlg dialog(MacHandOff, services, Hooks());
        dialog.show();
        QLineEdit* second = Control<QLineEdit>(dialog, id::GETMAC_MAC_BYTES[1]);
        second->clear();
        QTest::keyClicks(second, "9ab");
        EXPECT_EQ(second->text(), "9A");
        QWidget* focus = c.focus < 0 ? Field(dialog, 2) : Control(dialog, c.focus);
        focus->setFocus();
        if (c.key == 0)
            QTest::mouseClick(focus, Qt::LeftButton);
        else
            QTest::keyClick(focus, Qt::Key(c.key), c.key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
        EXPECT_EQ(dialog.isVisible(), c.open);
        EXPECT_EQ(calls.size(), c.open ? 1u : 0u);
        EXPECT_EQ(dialog.result(), c.stored ? QDialog::Accepted : QDialog::Rejected);
        EXPECT_EQ(MacHandOff.macText[1], c.stored ? "9A" : "02");
        EXPECT_EQ(MacHandOff.ready, 0);
    }
}

}  // namespace

}  // namespace lq3860
