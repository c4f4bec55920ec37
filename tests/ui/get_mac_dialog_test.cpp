// SPDX-License-Identifier: MIT
// The Get MAC Address dialog with the cycle and the adapter list injected;
// runs on the tests' platform, also when the test runner lists it.
#include "ui/get_mac_dialog.h"
#include "ui/ip_address_edit.h"
#include "window_fixture.h"

namespace lq3860 {

using MacTexts = std::array<std::string, 6>;
using Calls = std::vector<std::pair<std::string, std::optional<int>>>;  // address text, adapter
const MacTexts HAND_OFF{"01", "02", "03", "04", "05", "06"}, FOUND{"00", "0C", "29", "3A", "4B", "5C"};

class GetMacDialogTest : public WindowTest {
protected:
    // A new dialog, shown, on the hand-off HAND_OFF; the cycle answers `outcome`.
    void Open() {
        session.MacHandOff = {HAND_OFF, 0};
        calls.clear();
        const auto cycle = [this](const std::string& ipText, std::optional<int> index, const ReaderMessage& said) {
            calls.emplace_back(ipText, index);
            if (outcome == GetMacOutcome::TableUnread) said("Load library fail");  // the reader's own message
            if (outcome == GetMacOutcome::Found) session.MacHandOff = {FOUND, 1};
            return outcome;
        };
        dialog.reset(new CGetMacDlg(session.MacHandOff, services, {[this] { return adapters; }, cycle}));
        dialog->show();
    }
    QWidget* Control(int id) const { return dialog->findChild<QWidget*>(QString::number(id)); }
    QLineEdit* MacEdit(std::size_t i) const { return qobject_cast<QLineEdit*>(Control(id::GETMAC_MAC_BYTES[i])); }
    MacTexts EditTexts() const {
        MacTexts texts;
        for (std::size_t i = 0; i < 6; ++i) texts[i] = MacEdit(i)->text().toStdString();
        return texts;
    }
    IpAddressEdit* Address() const { return qobject_cast<IpAddressEdit*>(Control(id::GETMAC_IP_ADDRESS)); }
    QLineEdit* Field(int i) const { return Address()->Field(i); }

    std::vector<AdapterRecord> adapters{{"", "wlan0", 3}, {"", "eth0", 2}, {"Zeta card", "enp3s0", 9}, {"", "lo", 1}};
    Calls calls;
    GetMacOutcome outcome = GetMacOutcome::Found;
    std::unique_ptr<CGetMacDlg> dialog;
};

TEST_F(GetMacDialogTest, OpensWithHandOffTextsStartAddressAndSortedAdaptersAndTakesNumbersUpTo255) {
    Open();
    EXPECT_EQ(EditTexts(), HAND_OFF);
    EXPECT_EQ(Address()->GetAddress(), (std::array<std::uint8_t, 4>{192, 168, 255, 1}));
    auto* combo = qobject_cast<QComboBox*>(Control(id::GETMAC_ADAPTERS));
    QStringList items;  // sorted ignoring case; an empty description shows the name
    for (int i = 0; i < combo->count(); ++i) items << combo->itemText(i) + "=" + combo->itemData(i).toString();
    EXPECT_EQ(items.join(" ").toStdString(), "eth0=2 lo=1 wlan0=3 Zeta card=9");
    EXPECT_EQ(std::pair(combo->currentIndex(), combo->isEditable()), std::pair(0, false));
    for (QWidget* widget : dialog->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        EXPECT_TRUE(qobject_cast<QLabel*>(widget) || !widget->accessibleName().isEmpty())
            << widget->objectName().toStdString();

    dialog->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
    // Typed over the entry as it opens (click the first number, select it,
    // type): a '.' right after a full number moved on by itself ends that
    // number, it does not skip the next one.
    for (const auto& [typed, numbers] :
         {std::pair("192.168.255.1", std::array<std::uint8_t, 4>{192, 168, 255, 1}), {"10.0.255.7", {10, 0, 255, 7}}}) {
        Address()->SetAddress(0xC0A8FF01);
        QTest::mouseClick(Field(0), Qt::LeftButton);
        QWidget* const whereFocused = nullptr;  // QTest sends the keys to the focus widget
        QTest::keyClick(whereFocused, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(whereFocused, typed);
        EXPECT_EQ(Address()->GetAddress(), numbers) << typed;
    }

    for (int i = 0; i < 4; ++i) Field(i)->clear();
    Field(0)->setFocus();
    QTest::keyClicks(Field(0), "300x.");
    EXPECT_EQ(std::pair(Field(0)->text(), Field(1)->hasFocus()), std::pair(QString("30"), true)) << "'.' moves on";
    QTest::keyClicks(Field(1), "05");
    EXPECT_EQ(Field(1)->text(), "0") << "no leading zeroes";
    QTest::keyClicks(Field(1), "\b255");
    EXPECT_TRUE(Field(2)->hasFocus()) << "a full number moves on";
    EXPECT_EQ(Address()->GetAddress(), (std::array<std::uint8_t, 4>{30, 255, 0, 0}));
}

// Blank numbers count as 0; an all-blank address is refused before any lookup.
// The last rows run without adapters: the lookup then has none to search.
TEST_F(GetMacDialogTest, GetMacLooksUpOnTheChosenAdapterThenShowsTheMacReloadsTheEditsOrReportsTheError) {
    const MacTexts typed{"EE", "02", "03", "04", "05", "06"};
    // The address typed, the cycle's outcome, the address and adapter it is given, the edits and messages after.
    const std::tuple<const char*, GetMacOutcome, const char*, std::optional<int>, MacTexts, Texts> cases[] = {
        {"10...", GetMacOutcome::Found, "10.0.0.0", 2, FOUND, {}},
        {"172...9", GetMacOutcome::TableUnread, "172.0.0.9", 2, HAND_OFF, {"box: Load library fail"}},
        {"172...9", GetMacOutcome::NotFound, "172.0.0.9", 2, HAND_OFF, {}},
        {"192.168.255.1", GetMacOutcome::NoPermission, "192.168.255.1", 2, typed, {"error box: Get MAC Address Error"}},
        {"192.168.255.1", GetMacOutcome::ProbeFailed, "192.168.255.1", {}, typed, {"error box: Get MAC Address Error"}},
        {"192.168.255.1", GetMacOutcome::NoAdapter, "192.168.255.1", {}, HAND_OFF, {}},
        {"...", GetMacOutcome::Found, nullptr, {}, typed, {"box: Please, Enter IP Address"}}};
    for (const auto& [address, result, ip, index, edits, messages] : cases) {
        SCOPED_TRACE(address);
        services.messages.clear();
        outcome = result;
        if (!index) adapters.clear();
        Open();
        for (int i = 0; i < 4; ++i) Field(i)->setText(QString(address).section('.', i, i));
        MacEdit(0)->setText("EE");
        QTest::mouseClick(Control(id::GETMAC_GET), Qt::LeftButton);
        EXPECT_EQ(calls, (ip ? Calls{{ip, index}} : Calls{}));
        EXPECT_EQ(EditTexts(), edits);
        EXPECT_EQ(services.messages, messages);
        // The status line shows the cycle's own explanation, and screen readers read it.
        auto* status = dialog->findChild<QLabel*>("status");
        EXPECT_EQ(status->text().toStdString(), ip ? GetMacStatusText(result) : "");
        EXPECT_EQ(QAccessible::queryAccessibleInterface(status)->text(QAccessible::Name), status->text());
    }
}

TEST_F(GetMacDialogTest, EnterAndExitStoreUpperCaseEditsEscapeDiscardsEnterOnGetMacLooksUp) {
    const std::tuple<const char*, int, int, bool> cases[] = {
        // how, the control with the focus (-1: the address), key (0: a click), whether the edits are stored
        {"Exit clicked", id::GETMAC_EXIT, 0, true},
        {"Enter in the list", id::GETMAC_ADAPTERS, Qt::Key_Return, true},
        {"keypad Enter in the address", -1, Qt::Key_Enter, true},
        {"Escape", id::GETMAC_MAC_BYTES[5], Qt::Key_Escape, false},
        {"Enter on Get MAC", id::GETMAC_GET, Qt::Key_Return, false}};
    outcome = GetMacOutcome::NotFound;
    for (const auto& [how, focusId, key, stored] : cases) {
        SCOPED_TRACE(how);
        Open();
        QTest::keyClicks(MacEdit(1), "\b\b9ab");
        EXPECT_EQ(MacEdit(1)->text(), "9A");
        QWidget* focus = focusId < 0 ? Field(2) : Control(focusId);
        focus->setFocus();
        key ? QTest::keyClick(focus, Qt::Key(key), key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier)
            : QTest::mouseClick(focus, Qt::LeftButton);
        const bool lookedUp = focusId == id::GETMAC_GET;  // the dialog stays open
        EXPECT_EQ(std::tuple(dialog->isVisible(), calls.size(), dialog->result()),
                  std::tuple(lookedUp, std::size_t{lookedUp}, stored ? QDialog::Accepted : QDialog::Rejected));
        EXPECT_EQ(session.MacHandOff.macText[1], stored ? "9A" : "02");
        EXPECT_EQ(session.MacHandOff.ready, 0);
    }
}

}  // namespace lq3860
