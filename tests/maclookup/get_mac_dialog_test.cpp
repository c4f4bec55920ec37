// The Get MAC Address dialog with the cycle and the adapter list injected;
// runs on Qt's offscreen platform, also when the test runner lists it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <string>
#include <utility>
#include <vector>

#include "maclookup/get_mac_dialog.h"
#include "maclookup/ip_address_edit.h"
#include "maclookup/mac_handoff.h"
#include "ui/user_services.h"

namespace {

using MacTexts = std::array<std::string, 6>;
using Message = std::pair<std::string, bool>;  // text, error icon
enum : int { EXIT = 1, GET_MAC = 5, ADDRESS = 1007, FIRST_MAC = 1008, ADAPTERS = 1014 };

class RecordingServices final : public UserServices {
public:
    std::vector<Message> messages;
    void WindowMessage(const std::string& text) override { messages.emplace_back("window: " + text, false); }
    void ApplicationMessage(const std::string& text, bool errorIcon) override { messages.emplace_back(text, errorIcon); }
    std::string AskOpenFileName(const std::string&) override { return {}; }
    std::string AskSaveFileName(const std::string&, const std::string&) override { return {}; }
};

class GetMacDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        previous = SetServices(&services);
        MacHandOff = {{"01", "02", "03", "04", "05", "06"}, 0};
    }
    void TearDown() override { SetServices(previous); }

    GetMacDialogHooks Hooks() {
        GetMacDialogHooks hooks;
        hooks.listAdapters = [this] { return adapters; };
        hooks.getMac = [this](const std::string& ipText, std::optional<int> index, const ReaderMessage& onMessage) {
            calls.emplace_back(ipText, index);
            if (!readerMessage.empty()) onMessage(readerMessage);
            if (outcome == GetMacOutcome::Found) MacHandOff = {{"00", "0C", "29", "3A", "4B", "5C"}, 1};
            return outcome;
        };
        return hooks;
    }
    template <typename Widget = QWidget>
    static Widget* Control(const QDialog& dialog, int id) { return dialog.findChild<Widget*>(QString::number(id)); }
    static MacTexts EditTexts(const QDialog& dialog) {
        MacTexts texts;
        for (int i = 0; i < 6; ++i) texts[std::size_t(i)] = Control<QLineEdit>(dialog, FIRST_MAC + i)->text().toStdString();
        return texts;
    }
    static QLineEdit* Field(const QDialog& dialog, int i) { return Control<IpAddressEdit>(dialog, ADDRESS)->Field(i); }
    static QString StatusText(const QDialog& dialog) {
        for (QLabel* label : dialog.findChildren<QLabel*>())
            if (label->accessibleName() == "Status") return label->text();
        return "<no status line>";
    }

    RecordingServices services;
    UserServices* previous = nullptr;
    std::vector<AdapterRecord> adapters = {{"", "wlan0", 3}, {"", "eth0", 2}, {"Zeta card", "enp3s0", 9}, {"", "lo", 1}};
    std::vector<std::pair<std::string, std::optional<int>>> calls;  // address text, adapter
    GetMacOutcome outcome = GetMacOutcome::Found;
    std::string readerMessage;
};

TEST_F(GetMacDialogTest, OpensWithHandOffTextsStartAddressAndSortedAdapters) {
    CGetMacDlg dialog(nullptr, Hooks());
    EXPECT_EQ(dialog.windowTitle(), "Get MAC Address Dialog");
    EXPECT_EQ(EditTexts(dialog), (MacTexts{"01", "02", "03", "04", "05", "06"}));
    EXPECT_EQ(Control<IpAddressEdit>(dialog, ADDRESS)->GetAddress(), (std::array<std::uint8_t, 4>{192, 168, 255, 1}));
    auto* combo = Control<QComboBox>(dialog, ADAPTERS);
    QStringList items;
    for (int i = 0; i < combo->count(); ++i) items << combo->itemText(i) + "=" + combo->itemData(i).toString();
    // Sorted ignoring case; an empty description shows the name.
    EXPECT_EQ(items.join(" ").toStdString(), "eth0=2 lo=1 wlan0=3 Zeta card=9");
    EXPECT_EQ(combo->currentIndex(), 0);
    EXPECT_FALSE(combo->isEditable());
    for (QWidget* widget : dialog.findChildren<QWidget*>())
        EXPECT_TRUE(qobject_cast<QLabel*>(widget) || widget->parent() != &dialog || !widget->accessibleName().isEmpty())
            << widget->objectName().toStdString();
}

// Blank numbers count as 0; an all-blank address is refused before any lookup.
TEST_F(GetMacDialogTest, GetMacLooksUpOnTheChosenAdapterThenShowsTheMacReloadsTheEditsOrReportsTheError) {
    const MacTexts found{"00", "0C", "29", "3A", "4B", "5C"}, handOff{"01", "02", "03", "04", "05", "06"},
        typed{"EE", "02", "03", "04", "05", "06"};
    const Message error{"Get MAC Address Error", true};
    const struct {
        const char* fields[4];
        bool noAdapters;
        GetMacOutcome outcome;
        const char *readerMessage, *ip;
        std::optional<int> index;
        MacTexts edits;
        std::vector<Message> messages;
        const char* status;
    } cases[] = {
        {{"", "", "", ""}, false, GetMacOutcome::Found, "", nullptr, {}, typed, {{"Please, Enter IP Address", false}}, ""},
        {{"10", "", "", ""}, false, GetMacOutcome::Found, "", "10.0.0.0", 2, found, {}, ""},
        {{"172", "", "", "9"}, false, GetMacOutcome::NotFound, "Load library fail", "172.0.0.9", 2, handOff,
         {{"Load library fail", false}}, "No entry"},
        {{"192", "168", "255", "1"}, false, GetMacOutcome::NoPermission, "", "192.168.255.1", 2, typed, {error},
         "permission"},
        {{"192", "168", "255", "1"}, true, GetMacOutcome::ProbeFailed, "", "192.168.255.1", {}, typed, {error}, ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ip ? c.ip : "blank");
        calls.clear();
        services.messages.clear();
        MacHandOff.macText = handOff;
        outcome = c.outcome;
        readerMessage = c.readerMessage;
        if (c.noAdapters) adapters.clear();  // the last case
        CGetMacDlg dialog(nullptr, Hooks());
        for (int i = 0; i < 4; ++i) Field(dialog, i)->setText(c.fields[i]);
        Control<QLineEdit>(dialog, FIRST_MAC)->setText("EE");
        QTest::mouseClick(Control<QPushButton>(dialog, GET_MAC), Qt::LeftButton);
        using Calls = std::vector<std::pair<std::string, std::optional<int>>>;
        EXPECT_EQ(calls, (c.ip ? Calls{{c.ip, c.index}} : Calls{}));
        EXPECT_EQ(EditTexts(dialog), c.edits);
        EXPECT_EQ(services.messages, c.messages);
        EXPECT_EQ(StatusText(dialog).isEmpty(), *c.status == '\0') << StatusText(dialog).toStdString();
        EXPECT_TRUE(StatusText(dialog).contains(c.status)) << StatusText(dialog).toStdString();
    }
}

TEST_F(GetMacDialogTest, AddressFieldsTakeOnlyNumbersUpTo255) {
    CGetMacDlg dialog(nullptr, Hooks());
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
    EXPECT_EQ(Control<IpAddressEdit>(dialog, ADDRESS)->GetAddress(), (std::array<std::uint8_t, 4>{30, 255, 0, 0}));
}

TEST_F(GetMacDialogTest, EnterAndExitStoreUpperCaseEditsEscapeDiscardsEnterOnGetMacLooksUp) {
    const struct { const char* how; int focus, key; bool stored, open; } cases[] = {
        {"Exit clicked", EXIT, 0, true, false},        {"Enter in a MAC edit", FIRST_MAC, Qt::Key_Return, true, false},
        {"Enter in the list", ADAPTERS, Qt::Key_Return, true, false}, {"keypad Enter in the address", -1, Qt::Key_Enter, true, false},
        {"Escape", FIRST_MAC + 5, Qt::Key_Escape, false, false},   {"Enter on Get MAC", GET_MAC, Qt::Key_Return, false, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.how);
        MacHandOff = {{"01", "02", "03", "04", "05", "06"}, 0};
        outcome = GetMacOutcome::NotFound;
        calls.clear();
        CGetMacDlg dialog(nullptr, Hooks());
        dialog.show();
        QLineEdit* second = Control<QLineEdit>(dialog, FIRST_MAC + 1);
        second->clear();
        QTest::keyClicks(second, "9ab");
        EXPECT_EQ(second->text(), "9A");
        QWidget* focus = c.focus < 0 ? Field(dialog, 2) : Control(dialog, c.focus);
        focus->setFocus();
        if (c.key == 0) QTest::mouseClick(focus, Qt::LeftButton);
        else QTest::keyClick(focus, Qt::Key(c.key), c.key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
        EXPECT_EQ(dialog.isVisible(), c.open);
        EXPECT_EQ(calls.size(), c.open ? 1u : 0u);
        EXPECT_EQ(dialog.result(), c.stored ? QDialog::Accepted : QDialog::Rejected);
        EXPECT_EQ(MacHandOff.macText[1], c.stored ? "9A" : "02");
        EXPECT_EQ(MacHandOff.ready, 0);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
