// SPDX-License-Identifier: MIT
// Saving and loading through the wide file API in a scratch folder: what a
// save reports, whether the file that took the bytes is a new one or the same
// one, which bytes arrived; what loading refuses; names outside the ANSI code
// page. (Links, folders closed to new files and access lists cannot be made
// under Wine; its root user may write anything.)
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <functional>
#include <string>
#include <tuple>
#include <utility>

#include "params/file_storage.h"
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
// Devices and pipes are never opened for writing; nothing is left behind.
TEST(WindowsStorage, SavedTargetsGetTheBytesOrSayWhyNot) {
    using enum Identity;
    TestFolder folder;
    const auto at = [&](const std::wstring& name) { return folder.Path() / name; };
    const auto file = [&](const std::wstring& name, DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
        EXPECT_TRUE(WriteBytes(at(name), OLD) && SetFileAttributesW(at(name).c_str(), attributes));
    };
    const std::string target = folder.Utf8(L"target"), notRegular = "Not a regular file";
    const HANDLE pipe = ListeningPipe();
    HANDLE holder = INVALID_HANDLE_VALUE;
    const struct {
        std::function<void()> make;
        std::string path, reason;  // reason empty: the save succeeds
        std::wstring receiver;     // the file that gets the bytes; empty: none to look at
        Identity identity;
    } rows[] = {
        {[] {}, folder.Utf8(WIDE_NAME), "", WIDE_NAME, New},
        {[&] { file(L"target", FILE_ATTRIBUTE_HIDDEN); }, target, "", L"target", Replaced},
        {[&] {
             file(L"file");
             EXPECT_TRUE(CreateHardLinkW(at(L"target").c_str(), at(L"file").c_str(), nullptr));
         },
         target, "", L"file", SameFile},
        {[&] { file(L"target", FILE_ATTRIBUTE_READONLY); }, target, "Permission denied", L"target", Untouched},
        {[&] {
             file(L"target");
             holder = CreateFileW(at(L"target").c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
         },
         target, "Device or resource busy", L"target", Untouched},
        {[&] { CreateDirectoryW(at(L"target").c_str(), nullptr); }, target, "Is a directory", L"", Untouched},
        {[] {}, target + "\\", "Is a directory", L"", Untouched},
        {[] {}, folder.Utf8(L"nowhere\\target"), "No such file or directory", L"", Untouched},
        {[] {}, target + "-\xff", "Invalid argument", L"", Untouched},
        {[] {}, "NUL", notRegular, L"", Untouched},
        {[] {}, PIPE, notRegular, L"", Untouched},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path);
        row.make();
        const unsigned long long before = row.receiver.empty() ? 0 : FileIndexOf(at(row.receiver));
        const std::size_t entries = folder.Names().size();
        const FileStatus status = SaveWholeFile(row.path, NEW);
        EXPECT_EQ(std::tuple(status.ok, status.reason), std::tuple(row.reason.empty(), row.reason));
        EXPECT_EQ(folder.Names().size(), entries + (row.identity == New));  // no temporary file or backup
        if (!row.receiver.empty()) {
            EXPECT_EQ(ReadBytes(at(row.receiver)), row.identity == Untouched ? OLD : NEW);
            EXPECT_EQ(FileIndexOf(at(row.receiver)) != before, row.identity == New || row.identity == Replaced);
        }
        if (holder != INVALID_HANDLE_VALUE) CloseHandle(std::exchange(holder, INVALID_HANDLE_VALUE));
        for (const std::wstring& name : folder.Names()) {
            SetFileAttributesW(at(name).c_str(), FILE_ATTRIBUTE_NORMAL);
            std::filesystem::remove_all(at(name));
        }
    }
    EXPECT_TRUE(NeverConnected(pipe));
}

// Loading refuses, without opening devices and pipes, what is not a regular
// file, in the same words as on Linux; it reads the bytes as they are.
TEST(WindowsStorage, LoadingReadsRegularFilesOnly) {
    TestFolder folder;
    const std::string fits =
        "\r\n\n\x1a"
        "ffffff";
    const HANDLE pipe = ListeningPipe();
    ASSERT_TRUE(CreateDirectoryW((folder.Path() / L"sub").c_str(), nullptr));
    ASSERT_TRUE(WriteBytes(folder.Path() / L"big.txt", std::string(11, 'b')));
    ASSERT_TRUE(WriteBytes(folder.Path() / WIDE_NAME, fits));
    const std::pair<std::string, std::string> rows[] = {
        {folder.Utf8(L"missing.txt"), "No such file or directory"},
        {folder.Utf8(L"sub"), "Is a directory"},
        {folder.Utf8(L"big.txt"), "File too large"},
        {"NUL", "Not a regular file"},
        {PIPE, "Not a regular file"},
        {folder.Utf8(WIDE_NAME), ""},
    };
    for (const auto& [path, reason] : rows) {
        std::string bytes = "before";
        const FileStatus status = LoadWholeFile(path, 10, bytes);
        EXPECT_EQ(std::tuple(status.ok, status.reason, bytes),
                  std::tuple(reason.empty(), reason, reason.empty() ? fits : "before"))
            << path;
    }
    EXPECT_TRUE(NeverConnected(pipe));
}

}  // namespace lq3860
