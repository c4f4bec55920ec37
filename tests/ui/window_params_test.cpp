// SPDX-License-Identifier: MIT
// Read para, Write para and the configuration file commands: the messages they
// end in, the fields they show, what reaches the simulated module and the files.
#include <QDir>
#include <QTemporaryDir>

#include <cstring>
#include <fstream>
#include <iterator>

#include "params/config_file.h"
#include "window_fixture.h"

namespace lq3860 {

namespace id = control_id;

namespace {
std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
}  // namespace

TEST_F(ConnectedWindowTest, ReadParaShowsTheModuleParametersStepByStep) {
    Module().SetParams({.mode = MODE_AP, .encryption = 1, .ssid = "workshop", .key = "0123456789", .mac = {0, 0x0A}});
    Click(id::READ_PARA);
    EXPECT_EQ(services.messages, Texts({"Download Parameter OK"}));
    EXPECT_EQ(Shown({id::MODE, id::CHANNEL, id::ENCRYPTION, id::SSID, id::KEY, id::MAC_BYTES[0], id::MAC_BYTES[1]}),
              QStringList({"AP", "0", "WEP64", "workshop", "0123456789", "00", "0A"}));
    EXPECT_TRUE(Control(id::PROGRESS)->isHidden());
    EXPECT_EQ(steps, Texts({"at 0", "wait 200", "at 250", "wait 200", "at 500", "wait 200", "at 750", "wait 200",
                            "at 1000", "wait 200"}));

    module->failRead = true;
    // Ticks go on while the NG message is open: the dropped link is rebuilt then.
    QStringList listDuringMessage;
    services.duringMessage = [&] {
        Tick();
        listDuringMessage = Items(id::SELECT_DEVICE);
    };
    Edit(id::SSID)->setText("kept");
    Click(id::READ_PARA);
    EXPECT_EQ(services.messages.back(), "Download Parameter NG");
    EXPECT_EQ(listDuringMessage, QStringList({"<None>", "LQ-3860 (simulated)"}));
    EXPECT_EQ(Edit(id::SSID)->text(), "kept");
}

TEST_F(ConnectedWindowTest, WriteParaChecksTheKeyFirstSendsTheWindowFieldsAndALostModuleSaysNg) {
    Combo(id::ENCRYPTION)->setCurrentIndex(1);
    Edit(id::KEY)->setText("short");
    Click(id::WRITE_PARA);  // a refused key: nothing at all is sent
    EXPECT_EQ(services.messages, Texts({"The KEY must be 10 characters!"}));
    EXPECT_TRUE(module->written.empty() && steps.empty());

    Choose(id::MODE, MODE_AP);
    Choose(id::CHANNEL, 5);
    Combo(id::ENCRYPTION)->setCurrentIndex(4);
    Edit(id::KEY)->setText("a-wpa-passphrase");
    Edit(id::SSID)->setText("site-7");
    MacEdit(1)->clear();
    Click(id::WRITE_PARA);
    EXPECT_EQ(services.messages, Texts({"The KEY must be 10 characters!", "Upload Parameter OK"}));
    const ModuleParamSet& stored = Module().Params();
    EXPECT_EQ(std::vector<int>(
                  {stored.mode, stored.channel, stored.encryption, stored.mac[1], session.ModuleParams.encryption}),
              std::vector<int>({MODE_AP, 5, 4, 0xFF, 4}));
    EXPECT_EQ(std::string(stored.ssid) + "/" + stored.key, "site-7/a-wpa-passphrase");
    EXPECT_EQ(MacEdit(1)->text(), "FF");  // the emptied edit shows what was sent
    EXPECT_EQ(steps, Texts({"at 0", "at 200", "at 250", "wait 200", "at 500", "wait 50", "at 750", "wait 200", "at 900",
                            "wait 200", "at 1000", "wait 200"}));

    module->module->faults.unplugAfterReports =
        module->module->OutputReports() + 2;  // announcement and first report get through
    Click(id::WRITE_PARA);
    EXPECT_EQ(services.messages.back(), "Upload Parameter NG");
    EXPECT_EQ(window->Link().deviceOpen, 0);
}

// A loaded SSID over 20 characters is shown whole and cannot grow; Enter
// refuses it, Write para sends its start or what the user shortened it to,
// and a shorter loaded text brings the typing limit back.
TEST_F(ConnectedWindowTest, LongLoadedSsidIsShownWholeAndSendsItsStartUnchangedOrShortenedByTheUser) {
    std::memset(session.ModuleParams.ssid, 'L', 30);
    window->ShowParams();
    Edit(id::KEY)->setText("left in the edit");
    Click(id::WRITE_PARA);
    // Under NONE the key check and the upload each transfer from the controls; no key is sent.
    EXPECT_EQ(services.messages, Texts({SSID_TOO_LONG_MESSAGE, SSID_TOO_LONG_MESSAGE, "Upload Parameter OK"}));
    EXPECT_EQ(std::string(Module().Params().ssid) + "/" + Module().Params().key, std::string(20, 'L') + "/");
    // The window's parameter set holds what went out, nothing after it.
    EXPECT_EQ(std::string(session.ModuleParams.ssid, PARAM_TEXT_AREA),
              std::string(20, 'L') + std::string(PARAM_TEXT_AREA - 20, '\0'));
    EXPECT_EQ(Edit(id::KEY)->text(), "");  // the key check empties it under NONE

    std::strcpy(session.ModuleParams.ssid, "ABCDEFGHIJ0123456789abcdefghij");
    window->ShowParams();
    Edit(id::SSID)->home(false);
    for (int i = 0; i < 5; ++i) QTest::keyClick(Edit(id::SSID), Qt::Key_Delete);  // still over 20
    Click(id::WRITE_PARA);
    EXPECT_EQ(services.messages.back(), "Upload Parameter OK");
    EXPECT_STREQ(Module().Params().ssid, "FGHIJ0123456789abcde");
    EXPECT_EQ(Edit(id::SSID)->text(), "FGHIJ0123456789abcdefghij");  // not the loaded text again

    std::memset(session.ModuleParams.ssid, 'x', 30);  // cannot grow; Enter refuses it, Escape closes
    window->ShowParams();
    services.messages.clear();
    QTest::keyClick(Edit(id::SSID), Qt::Key_Backspace);
    Type(id::SSID, "ab");
    EXPECT_EQ(Edit(id::SSID)->text(), QString(29, 'x'));
    QTest::keyClick(Edit(id::SSID), Qt::Key_Escape);  // without any transfer
    EXPECT_FALSE(window->isVisible());
    ShowWindow();
    QTest::keyClick(Edit(id::SSID), Qt::Key_Return);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(services.messages, Texts({SSID_TOO_LONG_MESSAGE}));
    std::strcpy(session.ModuleParams.ssid, "qqqqqqqqqqqqqqq");
    window->ShowParams();  // a shorter program text brings the limit back
    Type(id::SSID, "0123456789");
    EXPECT_EQ(Edit(id::SSID)->text(), QString(15, 'q') + "01234");
    QTest::keyClick(Edit(id::SSID), Qt::Key_Return);
    EXPECT_EQ(window->result(), QDialog::Accepted);
}

TEST_F(WindowTest, SaveTakesTheWindowAsTheParameterSetAndItsFileLoadsBackButNotABrokenOne) {
    QTemporaryDir folder;
    const auto pathOf = [&](const char* name) { return QDir(folder.path()).filePath(name).toStdString(); };
    // Three saves (cancelled, failed, saved), then three loads.
    services.fileAnswers = {"",
                            pathOf("missing-folder/x.txt"),
                            pathOf("start.txt"),
                            pathOf("start.txt"),
                            pathOf("absent.txt"),
                            pathOf("broken.txt")};
    Trigger(id::MENU_SAVE_CONFIGURATION);
    MacEdit(2)->clear();
    Trigger(id::MENU_SAVE_CONFIGURATION);  // failed: the edits and the parameter set stay
    EXPECT_EQ(services.messages, Texts({"Save database file failure"}));
    EXPECT_EQ(session.ModuleParams.channel, 0);
    EXPECT_EQ(MacEdit(2)->text(), "");
    MacEdit(2)->setText("FF");
    Trigger(id::MENU_SAVE_CONFIGURATION);
    EXPECT_EQ(services.fileDialogs, Texts(3, "save Txt file(*.txt) txt"));
    EXPECT_EQ(session.ModuleParams.channel, 2);
    EXPECT_STREQ(session.ModuleParams.ssid, "LQ-3860");

    Choose(id::MODE, MODE_AP);  // changed after saving: loading the file brings the saved state back
    for (int edit : {id::SSID, id::MAC_BYTES[5]}) Edit(edit)->setText("7e");
    session.ModuleParams = ModuleParamSet{};
    std::ofstream(pathOf("broken.txt"), std::ios::binary) << "[G1]\r\n00,05,01,\r\n[G2]\r\nx,\r\n";
    Trigger(id::MENU_LOAD_CONFIGURATION);
    EXPECT_EQ(services.fileDialogs.back(), "open Text File (*.txt)");
    EXPECT_EQ(Shown({id::MODE, id::CHANNEL, id::ENCRYPTION, id::SSID, id::MAC_BYTES[5]}),
              QStringList({"Ad-Hoc", "2", "NONE", "LQ-3860", "FF"}));
    Trigger(id::MENU_LOAD_CONFIGURATION);
    Trigger(id::MENU_LOAD_CONFIGURATION);  // a broken or missing file changes nothing
    EXPECT_EQ(services.messages,
              Texts({"Save database file failure", "Open database file failure", "[G3] format error"}));
    EXPECT_EQ(Shown({id::MODE, id::CHANNEL, id::SSID}), QStringList({"Ad-Hoc", "2", "LQ-3860"}));
    EXPECT_EQ(session.ModuleParams.channel, 2);
}

// A CR or LF in the SSID or key is refused with a message naming the field,
// before a file is asked for; the old file and the parameter set stay. Once
// the text is clean, the save goes through and loads back.
TEST_F(ConnectedWindowTest, LineBreaksInTheSsidOrKeyAreRefusedOnSave) {
    QTemporaryDir folder;
    const std::string path = QDir(folder.path()).filePath("set.txt").toStdString();
    std::ofstream(path, std::ios::binary) << "old file";
    ModuleParamSet sent{.mode = MODE_AP, .channel = 6, .encryption = 4};
    StoreParamText(sent.ssid, "a\r\n[G3]\r\nX");
    StoreParamText(sent.key, "realpassphrase");
    Module().SetParams(sent);
    Click(id::READ_PARA);
    ASSERT_EQ(Edit(id::SSID)->text(), "a\r\n[G3]\r\nX");  // shown as read

    services.fileAnswers = {path, path};
    Trigger(id::MENU_SAVE_CONFIGURATION);
    Edit(id::SSID)->setText("clean");
    Edit(id::KEY)->setText("pass\nphrase");
    Trigger(id::MENU_SAVE_CONFIGURATION);
    EXPECT_EQ(services.messages, Texts({"Download Parameter OK", SSID_LINE_BREAK_MESSAGE, KEY_LINE_BREAK_MESSAGE}));
    EXPECT_TRUE(services.fileDialogs.empty());
    EXPECT_EQ(ReadBytes(path), "old file");
    EXPECT_EQ(ParamText(session.ModuleParams.ssid), "a\r\n[G3]\r\nX");

    Edit(id::KEY)->setText("passphrase");
    Trigger(id::MENU_SAVE_CONFIGURATION);
    EXPECT_EQ(services.messages.size(), 3u);
    ModuleParamSet loaded;
    ASSERT_TRUE(LoadConfigurationFile(path, loaded).ok);
    EXPECT_EQ(std::string(ParamText(loaded.ssid)) + "/" + std::string(ParamText(loaded.key)), "clean/passphrase");
}

}  // namespace lq3860
