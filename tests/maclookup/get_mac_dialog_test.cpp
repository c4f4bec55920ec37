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

class RecordingServices final : public UserServices {
public:
    std::vector<std::pair<std::string, bool>> messages;
    void WindowMessage(const std::string& text) override { messages.emplace_back("window: " + text, false); }
    void ApplicationMessage(const std::string& text, bool errorIcon) override {
        messages.emplace_back(text, errorIcon);
    }
    std::string AskOpenFileName(const std::string&) override { return {}; }
    std::string AskSaveFileName(const std::string&, const std::string&) override { return {}; }
};

struct LookupCall {
    std::string ipText;
    std::optional<int> interfaceIndex;
};

class GetMacDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        previous = SetServices(&services);
        MacHandOff.macText = {"01", "02", "03", "04", "05", "06"};
        MacHandOff.ready = 0;
    }
    void TearDown() override { SetServices(previous); }

    GetMacDialogHooks Hooks() {
        GetMacDialogHooks hooks;
        hooks.listAdapters = [this] { return adapters; };
        hooks.getMac = [this](const std::string& ipText, std::optional<int> index, const ReaderMessage& onMessage) {
            calls.push_back({ipText, index});
            if (!readerMessage.empty()) onMessage(readerMessage);
            if (outcome == GetMacOutcome::Found) {
                MacHandOff.macText = {"00", "0C", "29", "3A", "4B", "5C"};
                MacHandOff.ready = 1;
            }
            return outcome;
        };
        return hooks;
    }
    template <typename Widget>
    static Widget* Control(const QDialog& dialog, int id) {
        return dialog.findChild<Widget*>(QString::number(id));
    }
    static MacTexts EditTexts(const QDialog& dialog) {
        MacTexts texts;
        for (int i = 0; i < 6; ++i) texts[static_cast<std::size_t>(i)] = Control<QLineEdit>(dialog, 1008 + i)->text().toStdString();
        return texts;
    }
    static IpAddressEdit* Address(const QDialog& dialog) { return Control<IpAddressEdit>(dialog, 1007); }
    static QString StatusText(const QDialog& dialog) {
        for (QLabel* label : dialog.findChildren<QLabel*>())
            if (label->accessibleName() == "Status") return label->text();
        return "<no status line>";
    }

    RecordingServices services;
    UserServices* previous = nullptr;
    std::vector<AdapterRecord> adapters = {{"", "wlan0", 3}, {"", "eth0", 2}, {"Loopback", "lo", 1}};
    std::vector<LookupCall> calls;
    GetMacOutcome outcome = GetMacOutcome::Found;
    std::string readerMessage;
};

TEST_F(GetMacDialogTest, OpensWithHandOffTextsStartAddressAndFirstSortedAdapter) {
    adapters = {{"", "wlan0", 3}, {"", "eth0", 2}, {"Zeta card", "enp3s0", 9}, {"", "lo", 1}};
    CGetMacDlg dialog(nullptr, Hooks());
    EXPECT_EQ(dialog.windowTitle(), "Get MAC Address Dialog");
    EXPECT_EQ(EditTexts(dialog), (MacTexts{"01", "02", "03", "04", "05", "06"}));
    const auto address = Address(dialog)->GetAddress();
    EXPECT_EQ(address, (std::array<std::uint8_t, 4>{192, 168, 255, 1}));

    auto* combo = Control<QComboBox>(dialog, 1014);
    ASSERT_EQ(combo->count(), 4);
    EXPECT_EQ(combo->itemText(0), "eth0");
    EXPECT_EQ(combo->itemText(1), "lo") << "empty description shows the name";
    EXPECT_EQ(combo->itemText(2), "wlan0");
    EXPECT_EQ(combo->itemText(3), "Zeta card") << "the description, sorted ignoring case";
    EXPECT_EQ(combo->itemData(1).toInt(), 1);
    EXPECT_EQ(combo->itemData(3).toInt(), 9);
    EXPECT_EQ(combo->currentIndex(), 0);
    EXPECT_FALSE(combo->isEditable());
    for (QWidget* widget : dialog.findChildren<QWidget*>()) {
        if (qobject_cast<QLabel*>(widget) != nullptr || widget->parent() != &dialog) continue;
        EXPECT_FALSE(widget->accessibleName().isEmpty()) << widget->objectName().toStdString();
    }
}

TEST_F(GetMacDialogTest, BlankAddressAsksForOneAndLooksNothingUp) {
    CGetMacDlg dialog(nullptr, Hooks());
    for (int i = 0; i < 4; ++i) Address(dialog)->Field(i)->clear();
    QTest::mouseClick(Control<QPushButton>(dialog, 5), Qt::LeftButton);
    EXPECT_TRUE(calls.empty());
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0], (std::pair<std::string, bool>{"Please, Enter IP Address", false}));
}

TEST_F(GetMacDialogTest, PartlyFilledAddressCountsWithZeroes) {
    CGetMacDlg dialog(nullptr, Hooks());
    for (int i = 0; i < 4; ++i) Address(dialog)->Field(i)->clear();
    QTest::keyClicks(Address(dialog)->Field(0), "10");
    QTest::mouseClick(Control<QPushButton>(dialog, 5), Qt::LeftButton);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].ipText, "10.0.0.0");
    EXPECT_EQ(calls[0].interfaceIndex, 2) << "eth0 sorts first";
    EXPECT_EQ(dialog.IpText(), "10.0.0.0");

    // A blank field in the middle too.
    Address(dialog)->Field(0)->setText("172");
    Address(dialog)->Field(3)->setText("9");
    QTest::mouseClick(Control<QPushButton>(dialog, 5), Qt::LeftButton);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[1].ipText, "172.0.0.9");
}

TEST_F(GetMacDialogTest, AddressFieldsTakeOnlyNumbersUpTo255) {
    CGetMacDlg dialog(nullptr, Hooks());
    IpAddressEdit* address = Address(dialog);
    for (int i = 0; i < 4; ++i) address->Field(i)->clear();
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    address->Field(0)->setFocus();
    QTest::keyClicks(address->Field(0), "300");
    EXPECT_EQ(address->Field(0)->text(), "30");
    QTest::keyClicks(address->Field(0), "x.");
    EXPECT_EQ(address->Field(0)->text(), "30");
    EXPECT_TRUE(address->Field(1)->hasFocus()) << "'.' moves on to the next number";
    QTest::keyClicks(address->Field(1), "05");
    EXPECT_EQ(address->Field(1)->text(), "0") << "no leading zeroes";
    QTest::keyClicks(address->Field(1), "\b255");
    EXPECT_EQ(address->Field(1)->text(), "255");
    EXPECT_TRUE(address->Field(2)->hasFocus()) << "a full number moves on";
    EXPECT_EQ(address->GetAddress(), (std::array<std::uint8_t, 4>{30, 255, 0, 0}));
    EXPECT_FALSE(address->IsBlank());
}

TEST_F(GetMacDialogTest, FoundMacIsShownAndNoStatus) {
    CGetMacDlg dialog(nullptr, Hooks());
    QTest::mouseClick(Control<QPushButton>(dialog, 5), Qt::LeftButton);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].ipText, "192.168.255.1");
    EXPECT_EQ(EditTexts(dialog), (MacTexts{"00", "0C", "29", "3A", "4B", "5C"}));
    EXPECT_TRUE(StatusText(dialog).isEmpty());
    EXPECT_TRUE(services.messages.empty());
}

TEST_F(GetMacDialogTest, NotFoundReloadsTheEditsAndSaysSo) {
    outcome = GetMacOutcome::NotFound;
    readerMessage = "Load library fail";
    CGetMacDlg dialog(nullptr, Hooks());
    Control<QLineEdit>(dialog, 1008)->setText("EE");
    QTest::mouseClick(Control<QPushButton>(dialog, 5), Qt::LeftButton);
    EXPECT_EQ(EditTexts(dialog), (MacTexts{"01", "02", "03", "04", "05", "06"}));
    EXPECT_FALSE(StatusText(dialog).isEmpty());
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0], (std::pair<std::string, bool>{"Load library fail", false}));
}

TEST_F(GetMacDialogTest, FailedProbeShowsTheErrorAndLeavesTheEdits) {
    for (GetMacOutcome failure : {GetMacOutcome::ProbeFailed, GetMacOutcome::NoPermission}) {
        outcome = failure;
        services.messages.clear();
        CGetMacDlg dialog(nullptr, Hooks());
        Control<QLineEdit>(dialog, 1008)->setText("EE");
        QTest::mouseClick(Control<QPushButton>(dialog, 5), Qt::LeftButton);
        ASSERT_EQ(services.messages.size(), 1u);
        EXPECT_EQ(services.messages[0], (std::pair<std::string, bool>{"Get MAC Address Error", true}));
        EXPECT_EQ(EditTexts(dialog)[0], "EE");
        EXPECT_EQ(StatusText(dialog).contains("permission"), failure == GetMacOutcome::NoPermission)
            << StatusText(dialog).toStdString();
    }
}

TEST_F(GetMacDialogTest, NoAdapterMeansNoInterface) {
    adapters.clear();
    CGetMacDlg dialog(nullptr, Hooks());
    EXPECT_EQ(Control<QComboBox>(dialog, 1014)->currentIndex(), -1);
    QTest::mouseClick(Control<QPushButton>(dialog, 5), Qt::LeftButton);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].interfaceIndex, std::nullopt);
}

TEST_F(GetMacDialogTest, ExitStoresTheEditsInUpperCaseWithoutReady) {
    CGetMacDlg dialog(nullptr, Hooks());
    dialog.show();
    QLineEdit* first = Control<QLineEdit>(dialog, 1008);
    first->clear();
    QTest::keyClicks(first, "abc");
    EXPECT_EQ(first->text(), "AB");
    QTest::mouseClick(Control<QPushButton>(dialog, 1), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(MacHandOff.macText, (MacTexts{"AB", "02", "03", "04", "05", "06"}));
    EXPECT_EQ(MacHandOff.ready, 0);
}

TEST_F(GetMacDialogTest, EscapeDiscardsTheEdits) {
    CGetMacDlg dialog(nullptr, Hooks());
    dialog.show();
    QLineEdit* last = Control<QLineEdit>(dialog, 1013);
    last->setFocus();
    last->setText("7F");
    QTest::keyClick(last, Qt::Key_Escape);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(MacHandOff.macText[5], "06");
}

TEST_F(GetMacDialogTest, EnterMeansExitUnlessGetMacHasTheFocus) {
    {
        CGetMacDlg dialog(nullptr, Hooks());
        dialog.show();
        QPushButton* getMac = Control<QPushButton>(dialog, 5);
        getMac->setFocus();
        QTest::keyClick(getMac, Qt::Key_Return);
        EXPECT_EQ(calls.size(), 1u);
        EXPECT_TRUE(dialog.isVisible());
    }
    for (int id : {1008, 1014}) {
        CGetMacDlg dialog(nullptr, Hooks());
        dialog.show();
        QWidget* focus = Control<QWidget>(dialog, id);
        Control<QLineEdit>(dialog, 1009)->setText("9A");
        focus->setFocus();
        QTest::keyClick(focus, Qt::Key_Return);
        EXPECT_EQ(dialog.result(), QDialog::Accepted) << id;
        EXPECT_EQ(MacHandOff.macText[1], "9A") << id;
    }
    CGetMacDlg dialog(nullptr, Hooks());
    dialog.show();
    Address(dialog)->Field(2)->setFocus();
    QTest::keyClick(Address(dialog)->Field(2), Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(calls.size(), 1u);
}

}  // namespace
