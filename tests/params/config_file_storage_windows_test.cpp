// Saving and loading configuration files through the Windows file API, in a
// scratch folder: atomic replacement, refusals, names outside the ANSI code
// page, and bytes that pass unchanged.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "param_set_helpers.h"
#include "params/config_file.h"
#include "windows_test_folder.h"

namespace lq3860 {
namespace {

// CR LF and lone LF line ends and a Ctrl-Z: text mode anywhere on the way
// would turn "\n" into "\r\n" or stop reading at the Ctrl-Z.
const std::string TRICKY_BYTES =
    "[G1]\r\n01,02,00,\r\n[G2]\nA\x1a"
    "B,\r\n";

const ModuleParamSet SAVED =
    MakeParams(1, 11, 4, "LQ-3860 \xe4 lab", "key,with,commas", {0x00, 0x0A, 0x1B, 0xFE, 0xFF, 0x7E});

class ConfigFileStorageTest : public testing::Test {
protected:
    TestFolder folder_;
};

TEST_F(ConfigFileStorageTest, NewFileHoldsExactlyTheBytesAndNothingIsLeftBeside) {
    ASSERT_TRUE(WriteFileAtomically(folder_.Utf8(L"new.txt"), TRICKY_BYTES));
    EXPECT_EQ(ReadBytes(folder_.Path() / L"new.txt"), TRICKY_BYTES);
    EXPECT_EQ(folder_.Names(), std::vector<std::wstring>{L"new.txt"});
}

TEST_F(ConfigFileStorageTest, ExistingFileIsReplacedAndKeepsItsAttributes) {
    const auto target = folder_.Path() / L"kept.txt";
    ASSERT_TRUE(WriteBytes(target, "old contents that are longer than the new ones\r\n"));
    ASSERT_TRUE(SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));

    ASSERT_TRUE(WriteFileAtomically(folder_.Utf8(L"kept.txt"), TRICKY_BYTES));
    EXPECT_EQ(ReadBytes(target), TRICKY_BYTES);
    // Neither the temporary file nor the backup of the old one stays.
    EXPECT_EQ(folder_.Names(), std::vector<std::wstring>{L"kept.txt"});
    if (RunningUnderWine()) GTEST_SKIP() << "Wine's ReplaceFileW does not carry the replaced file's attributes over";
    EXPECT_NE(GetFileAttributesW(target.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
}

TEST_F(ConfigFileStorageTest, FileThatMayNotBeWrittenOrIsInUseStaysAsItWas) {
    const auto readOnly = folder_.Path() / L"read-only.txt";
    ASSERT_TRUE(WriteBytes(readOnly, "read-only"));
    ASSERT_TRUE(SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(WriteFileAtomically(folder_.Utf8(L"read-only.txt"), TRICKY_BYTES));
    EXPECT_EQ(ReadBytes(readOnly), "read-only");

    // Another program holds the file open and lets nobody delete or rename
    // it (it shares reading and writing only): the replacement fails, the
    // file is untouched.
    const auto busy = folder_.Path() / L"busy.txt";
    ASSERT_TRUE(WriteBytes(busy, "busy"));
    HANDLE holder =
        CreateFileW(busy.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(WriteFileAtomically(folder_.Utf8(L"busy.txt"), TRICKY_BYTES));
    CloseHandle(holder);
    EXPECT_EQ(ReadBytes(busy), "busy");

    EXPECT_EQ(folder_.Names(), (std::vector<std::wstring>{L"busy.txt", L"read-only.txt"}));
}

TEST_F(ConfigFileStorageTest, NameOutsideTheAnsiCodePageSurvivesSaveAndLoad) {
    const std::string name = "Konfig\xc3\xbcr\xc3\xa1tion-\xd0\xba\xd0\xbe\xd0\xbd\xd1\x84\xd0\xb8\xd0\xb3.txt";
    const std::wstring wideName = L"Konfig\u00fcr\u00e1tion-\u043a\u043e\u043d\u0444\u0438\u0433.txt";
    const std::u8string folderText = folder_.Path().u8string();
    const std::string path = std::string(folderText.begin(), folderText.end()) + "\\" + name;

    ASSERT_TRUE(WriteFileAtomically(path, FormatConfiguration(SAVED)));
    EXPECT_EQ(folder_.Names(), std::vector<std::wstring>{wideName});

    ModuleParamSet loaded = Sentinel();
    const ConfigLoadResult result = LoadConfigurationFile(path, loaded);
    ASSERT_TRUE(result.ok) << (result.message != nullptr ? result.message : "");
    EXPECT_EQ(Dump(loaded), Dump(SAVED));
}

TEST_F(ConfigFileStorageTest, DevicesPipesFoldersAndUnusableNamesAreNeverWritten) {
    // A pipe server that would see any client that connects.
    const std::wstring pipeName = L"\\\\.\\pipe\\lq3860-save-test-" + std::to_wstring(GetCurrentProcessId());
    HANDLE pipe =
        CreateNamedPipeW(pipeName.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE | PIPE_NOWAIT, 1, 512, 512, 0, nullptr);
    ASSERT_NE(pipe, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(CreateDirectoryW((folder_.Path() / L"folder.txt").c_str(), nullptr));

    const std::u8string pipeText = std::filesystem::path(pipeName).u8string();
    for (const std::string& path :
         {std::string("NUL"), std::string("CON"), folder_.Utf8(L"NUL"), std::string(pipeText.begin(), pipeText.end()),
          folder_.Utf8(L"folder.txt"), folder_.Utf8(L"missing-folder\\file.txt"), folder_.Utf8(L"") + "\\bad-\xff.txt",
          std::string()}) {
        EXPECT_FALSE(WriteFileAtomically(path, TRICKY_BYTES)) << path;
    }
    // No client ever connected to the pipe.
    EXPECT_FALSE(ConnectNamedPipe(pipe, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PIPE_LISTENING));
    CloseHandle(pipe);
    EXPECT_EQ(folder_.Names(), std::vector<std::wstring>{L"folder.txt"});
}

TEST_F(ConfigFileStorageTest, FileWithSeveralNamesIsWrittenInPlace) {
    const auto first = folder_.Path() / L"first.txt";
    const auto second = folder_.Path() / L"second.txt";
    ASSERT_TRUE(WriteBytes(first, "old contents, longer than the new ones, so the end must be cut"));
    ASSERT_TRUE(CreateHardLinkW(second.c_str(), first.c_str(), nullptr));

    ASSERT_TRUE(WriteFileAtomically(folder_.Utf8(L"first.txt"), TRICKY_BYTES));
    EXPECT_EQ(ReadBytes(first), TRICKY_BYTES);
    EXPECT_EQ(ReadBytes(second), TRICKY_BYTES);
    EXPECT_EQ(folder_.Names(), (std::vector<std::wstring>{L"first.txt", L"second.txt"}));
}

TEST_F(ConfigFileStorageTest, LoadTakesSmallRegularFilesOnly) {
    // A saved file padded with blanks after its end tag to the limit loads;
    // one byte more is refused.
    std::string text = FormatConfiguration(SAVED);
    text.resize(CONFIG_FILE_MAX, ' ');
    ASSERT_TRUE(WriteBytes(folder_.Path() / L"limit.txt", text));
    text.push_back(' ');
    ASSERT_TRUE(WriteBytes(folder_.Path() / L"over.txt", text));

    ModuleParamSet loaded = Sentinel();
    EXPECT_TRUE(LoadConfigurationFile(folder_.Utf8(L"limit.txt"), loaded).ok);
    EXPECT_EQ(Dump(loaded), Dump(SAVED));

    for (const std::string& path : {folder_.Utf8(L"over.txt"), folder_.Utf8(L"missing.txt"), folder_.Utf8(L""),
                                    std::string("NUL"), std::string("CON")}) {
        ModuleParamSet untouched = Sentinel();
        const ConfigLoadResult result = LoadConfigurationFile(path, untouched);
        EXPECT_FALSE(result.ok) << path;
        EXPECT_STREQ(result.message, OPEN_FAILURE_MESSAGE) << path;
        EXPECT_EQ(Dump(untouched), Dump(Sentinel())) << path;
    }
}

}  // namespace
}  // namespace lq3860
