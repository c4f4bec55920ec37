// SPDX-License-Identifier: MIT
// Saving and loading through the wide file API in a scratch folder: what a
// save reports, whether the file that took the bytes is a new one or the same
// one, which bytes arrived; what loading refuses; names outside the ANSI code
// page. (Links, folders closed to new files and access lists cannot be made
// under Wine; its root user may write anything.)
#include <gtest/gtest.h>
#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "params/file_storage.h"
#include "params/long_path_windows.h"
#include "types/wide_text_windows.h"
#include "windows_test_folder.h"

namespace lq3860 {

namespace {

const std::string OLD = "old bytes that were there first, longer than the new ones\r\n";
// CR LF and lone LF line ends and a Ctrl-Z: text mode anywhere on the way
// would turn "\n" into "\r\n" or stop reading at the Ctrl-Z.
const std::string NEW =
    "[G1]\r\n01,02,00,\r\n[G2]\nA\x1a"
    "B,\r\n";
const std::wstring WIDE_NAME = L"Konfig\u00fcr\u00e1tion-\u043a\u043e\u043d\u0444\u0438\u0433.txt";
const std::string PIPE = "\\\\.\\pipe\\lq3860-storage-test-" + std::to_string(GetCurrentProcessId());

// A pipe server that would see any client that connects.
HANDLE ListeningPipe() {
    const std::wstring name(PIPE.begin(), PIPE.end());
    return CreateNamedPipeW(name.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE | PIPE_NOWAIT, 1, 512, 512, 0, nullptr);
}
bool NeverConnected(HANDLE pipe) {
    const bool listening = !ConnectNamedPipe(pipe, nullptr) && GetLastError() == ERROR_PIPE_LISTENING;
    CloseHandle(pipe);
    return listening;
}

// The file's identity on its volume; 0 when it cannot be opened.
unsigned long long FileIndexOf(const std::filesystem::path& path) {
    HANDLE file =
        CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, 0, nullptr);
    BY_HANDLE_FILE_INFORMATION info{};
    const bool read = file != INVALID_HANDLE_VALUE && GetFileInformationByHandle(file, &info) != 0;
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    return read ? (static_cast<unsigned long long>(info.nFileIndexHigh) << 32) | info.nFileIndexLow : 0;
}

// The file that takes the bytes: a new one, a new one under the old name
// (replaced), the same one written in place, or left alone.
enum class Identity { New, Replaced, SameFile, Untouched };

}  // namespace

// A new or regular file is written beside and put in place; a file with a
// second hard link is written in place; what cannot take the bytes fails with
// the reason the POSIX storage gives for the same condition and stays as it
// was (a file another program holds open and lets nobody rename is busy).
// Loading reads a regular file's bytes as they are and refuses the rest in
// the same words. Devices and pipes are never opened; nothing is left behind.
TEST(WindowsStorage, TargetsGetTheBytesOrSayWhyNot) {
    using enum Identity;
    TestFolder folder;
    const auto at = [&](const std::wstring& name) { return folder.Path() / name; };
    const std::pair<std::wstring, DWORD> files[] = {
        {L"hidden", FILE_ATTRIBUTE_HIDDEN}, {L"file", 0}, {L"readonly", FILE_ATTRIBUTE_READONLY}, {L"busy", 0}};
    for (const auto& [name, attributes] : files) {
        ASSERT_TRUE(WriteBytes(at(name), OLD));
        ASSERT_TRUE(SetFileAttributesW(at(name).c_str(), attributes | FILE_ATTRIBUTE_ARCHIVE));
    }
    ASSERT_TRUE(CreateHardLinkW(at(L"linked").c_str(), at(L"file").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(at(L"sub").c_str(), nullptr));
    const HANDLE holder = CreateFileW(at(L"busy").c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
    const HANDLE pipe = ListeningPipe();
    const std::string notRegular = "Not a regular file", none = "No such file or directory";
    // Saved to the name in the folder; an empty reason: the save succeeds.
    const std::tuple<std::wstring, std::string, Identity> rows[] = {{WIDE_NAME, "", New},
                                                                    {L"hidden", "", Replaced},
                                                                    {L"linked", "", SameFile},
                                                                    {L"readonly", "Permission denied", Untouched},
                                                                    {L"busy", "Device or resource busy", Untouched}};
    for (const auto& [name, reason, identity] : rows) {
        const unsigned long long before = FileIndexOf(at(name));
        const std::size_t entries = folder.Names().size();
        const FileStatus status = SaveWholeFile(folder.Utf8(name), NEW);
        EXPECT_EQ(std::tuple(status.ok, status.reason), std::tuple(reason.empty(), reason));
        EXPECT_EQ(folder.Names().size(), entries + (identity == New));  // no temporary file or backup
        EXPECT_EQ(ReadBytes(at(name == L"linked" ? L"file" : name)), identity == Untouched ? OLD : NEW);
        EXPECT_EQ(FileIndexOf(at(name)) != before, identity == New || identity == Replaced);
    }
    CloseHandle(holder);
    const std::string target = folder.Utf8(L"target");
    const std::pair<std::string, std::string> refused[] = {{folder.Utf8(L"sub"), "Is a directory"},
                                                           {target + "\\", "Is a directory"},
                                                           {folder.Utf8(L"nowhere\\target"), none},
                                                           {target + "-\xff", "Invalid argument"},
                                                           {"NUL", notRegular},
                                                           {PIPE, notRegular}};
    for (const auto& [path, reason] : refused) {
        const FileStatus status = SaveWholeFile(path, NEW);
        EXPECT_EQ(std::tuple(status.ok, status.reason), std::tuple(false, reason)) << path;
    }
    const std::pair<std::string, std::string> loads[] = {{folder.Utf8(WIDE_NAME), ""},
                                                         {folder.Utf8(L"readonly"), "File too large"},
                                                         {folder.Utf8(L"missing"), none},
                                                         {folder.Utf8(L"sub"), "Is a directory"},
                                                         {"NUL", notRegular},
                                                         {PIPE, notRegular}};
    for (const auto& [path, reason] : loads) {
        std::string bytes = "before";
        const FileStatus status = LoadWholeFile(path, NEW.size(), bytes);
        EXPECT_EQ(std::tuple(status.ok, status.reason, bytes),
                  std::tuple(reason.empty(), reason, reason.empty() ? NEW : "before"))
            << path;
    }
    EXPECT_EQ(folder.Names().size(), 7u);
    EXPECT_TRUE(NeverConnected(pipe));
}

// A new file admits its user and the system only, whatever its folder
// passes on (a file made without the save gets more), and none of the
// temporary file's attributes stays on it.
TEST(WindowsStorage, NewFilesAreTheUsersAndTheSystemsOnly) {
    TestFolder folder;
    const std::filesystem::path saved = folder.Path() / L"new.txt", plain = folder.Path() / L"plain.txt";
    ASSERT_TRUE(SaveWholeFile(folder.Utf8(L"new.txt"), NEW).ok && WriteBytes(plain, NEW));
    const auto sidText = [](PSID sid) {
        wchar_t* text = nullptr;
        std::wstring result = ConvertSidToStringSidW(sid, &text) ? text : L"?";
        LocalFree(text);
        return result;
    };
    // Who the file's access list lets in, and with which rights, sorted.
    const auto allowed = [&](const std::filesystem::path& file) {
        PACL dacl = nullptr;
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        std::vector<std::wstring> entries;
        if (GetNamedSecurityInfoW(file.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl,
                                  nullptr, &descriptor) != ERROR_SUCCESS)
            return entries;
        for (DWORD i = 0; dacl != nullptr && i < dacl->AceCount; ++i) {
            ACCESS_ALLOWED_ACE* ace = nullptr;
            if (GetAce(dacl, i, reinterpret_cast<void**>(&ace)) && ace->Header.AceType == ACCESS_ALLOWED_ACE_TYPE)
                entries.push_back(sidText(&ace->SidStart) + (ace->Mask == FILE_ALL_ACCESS ? L" all" : L" some"));
        }
        LocalFree(descriptor);
        std::sort(entries.begin(), entries.end());
        return entries;
    };
    HANDLE token = nullptr;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token));
    std::vector<std::uint8_t> user(256);
    DWORD size = 0;
    ASSERT_TRUE(GetTokenInformation(token, TokenUser, user.data(), static_cast<DWORD>(user.size()), &size));
    CloseHandle(token);
    std::vector<std::wstring> expected{sidText(reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid) + L" all",
                                       L"S-1-5-18 all"};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(std::tuple(allowed(saved),
                         GetFileAttributesW(saved.c_str()) & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_TEMPORARY)),
              std::tuple(expected, 0ul));
    EXPECT_NE(allowed(plain), expected);
}

// Every path reaches the system in the \\?\ form and messages show it as
// the user wrote it. Paths past the 260 characters of the plain form, and a
// target just under them whose temporary name beside it is over, save (new
// and over an old file) and load like any other; Wine has no 260-character
// limit, so there only the form shows the difference.
TEST(WindowsStorage, PathsOfAnyLengthTakeTheExtendedForm) {
    const std::tuple<std::wstring, std::wstring, std::string> forms[] = {
        {LR"(C:\Users\me\lq.txt)", LR"(\\?\C:\Users\me\lq.txt)", R"(C:\Users\me\lq.txt)"},
        {LR"(\\server\share\lq.txt)", LR"(\\?\UNC\server\share\lq.txt)", R"(\\server\share\lq.txt)"},
        {LR"(\\?\C:\lq.txt)", LR"(\\?\C:\lq.txt)", R"(C:\lq.txt)"},
        {LR"(\\?\UNC\server\share\lq.txt)", LR"(\\?\UNC\server\share\lq.txt)", R"(\\server\share\lq.txt)"},
    };
    for (const auto& [full, extended, shown] : forms) {
        EXPECT_EQ(ExtendedPath(full), extended);
        EXPECT_EQ(DisplayPath(extended), shown);
    }
    TestFolder folder;
    for (const std::size_t length : {std::size_t{MAX_PATH - 5}, std::size_t{1000}}) {
        SCOPED_TRACE(length);
        // Folders of 50-character names, as deep as the length allows; the
        // file's name fills the rest.
        std::vector<std::wstring> folders{folder.Path().wstring() + L"\\long"};
        while (folders.back().size() + 60 < length) folders.push_back(folders.back() + L"\\" + std::wstring(50, L'd'));
        for (const std::wstring& name : folders) ASSERT_TRUE(CreateDirectoryW(ExtendedPath(name).c_str(), nullptr));
        const std::wstring target = folders.back() + L"\\" + std::wstring(length - folders.back().size() - 1, L'f');
        for (const std::string& bytes : {OLD, NEW}) {
            const FileStatus saved = SaveWholeFile(WideToUtf8(target), bytes);
            EXPECT_EQ(std::tuple(saved.ok, saved.reason), std::tuple(true, ""));
        }
        std::string loaded;
        EXPECT_TRUE(LoadWholeFile(WideToUtf8(target), 1000, loaded).ok);
        EXPECT_EQ(loaded, NEW);
        EXPECT_TRUE(DeleteFileW(ExtendedPath(target).c_str()));  // nothing else was left beside it
        for (auto name = folders.rbegin(); name != folders.rend(); ++name)
            EXPECT_TRUE(RemoveDirectoryW(ExtendedPath(*name).c_str()));
    }
}

}  // namespace lq3860
