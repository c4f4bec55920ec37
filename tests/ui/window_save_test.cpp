// Save Configuration with texts a configuration file cannot carry: a module
// may send any byte, and the window shows what it read.
#include <QDir>
#include <QTemporaryDir>

#include <fstream>
#include <iterator>

#include "params/config_file.h"
#include "window_fixture.h"

namespace lq3860 {

namespace {

namespace id = control_id;

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

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
    module->module->Behaviour().SetParams(sent);
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
    EXPECT_EQ(ParamText(ModuleParams.ssid), "a\r\n[G3]\r\nX");

    Edit(id::KEY)->setText("passphrase");
    Trigger(id::MENU_SAVE_CONFIGURATION);
    EXPECT_EQ(services.messages.size(), 3u);
    ModuleParamSet loaded;
    ASSERT_TRUE(LoadConfigurationFile(path, loaded).ok);
    EXPECT_EQ(std::string(ParamText(loaded.ssid)) + "/" + std::string(ParamText(loaded.key)), "clean/passphrase");
}

}  // namespace lq3860
