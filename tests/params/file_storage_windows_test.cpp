// SPDX-License-Identifier: MIT
// Saving onto every kind of target Windows has, through the wide file API in
// a scratch folder: what the save reports, what stands at the path
// afterwards, whether the file that took the bytes is a new one or the same
// one, and which bytes arrived; loading refusals; names outside the ANSI
// code page. (Links, folders closed to new files and access lists cannot be
// made under Wine; its root user may write anything.)
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <functional>
#include <string>
#include <tuple>
#include <utility>

#include "params/file_storage.h"
#include "types/wide_text_windows.h"
#include "windows_test_folder.h"

namespace lq3860 {

namespace {

using Type = std::filesystem::file_type;

const std::string OLD = "old bytes that were there first, longer than the new ones\r\n";
// CR LF and lone LF line ends and a Ctrl-Z: text mode anywhere on the way
// would turn "\n" into "\r\n" or stop reading at the Ctrl-Z.
const std::string NEW =
    "[G1]\r\n01,02,00,\r\n[G2]\nA\x1a"
    "B,\r\n";
// A name outside every ANSI code page.
const std::wstring WIDE_NAME = L"Konfig\u00fcr\u00e1tion-\u043a\u043e\u043d\u0444\u0438\u0433.txt";

// The file's identity on its volume; 0 when it cannot be opened.
unsigned long long FileIndexOf(const std::filesystem::path& path) {
    HANDLE file =
        CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool read = GetFileInformationByHandle(file, &info) != 0;
    CloseHandle(file);
    return read ? (static_cast<unsigned long long>(info.nFileIndexHigh) << 32) | info.nFileIndexLow : 0;
}

// The file that takes the bytes afterwards: a new one, a new one under the
// old name (replaced), the same one written in place, or left alone.
enum class Identity { New, Replaced, SameFile, Untouched };

struct TargetCase {
    std::string what;
    std::function<std::string()> make;  // builds the target; gives the UTF-8 path to save to
    std::string reason;                 // empty: the save succeeds; else the reason it fails with
    Type typeAfter;                     // what stands at the folder's "target" afterwards
    std::wstring receiver;              // the file in the folder that gets the bytes; empty: none to look at
    Identity identity = Identity::Untouched;
};

// A pipe server that would see any client that connects.
class PipeServer {
public:
    PipeServer()
        : name_(L"\\\\.\\pipe\\lq3860-save-test-" + std::to_wstring(GetCurrentProcessId())),
          pipe_(CreateNamedPipeW(name_.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE | PIPE_NOWAIT, 1, 512, 512, 0,
                                 nullptr)) {}
    ~PipeServer() {
        if (pipe_ != INVALID_HANDLE_VALUE) CloseHandle(pipe_);
    }
    PipeServer(const PipeServer&) = delete;
    PipeServer& operator=(const PipeServer&) = delete;
    std::string Utf8Name() const { return WideToUtf8(name_); }
    // No client has connected (a non-blocking pipe still listens).
    bool NeverConnected() const {
        return pipe_ != INVALID_HANDLE_VALUE && !ConnectNamedPipe(pipe_, nullptr) &&
               GetLastError() == ERROR_PIPE_LISTENING;
    }

private:
    std::wstring name_;
    HANDLE pipe_;
};

class SaveTargets : public testing::Test {
protected:
    std::filesystem::path Path(const std::wstring& name) const { return folder_.Path() / name; }
    std::string MakeFile(const std::wstring& name, DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
        EXPECT_TRUE(WriteBytes(Path(name), OLD) && SetFileAttributesW(Path(name).c_str(), attributes));
        return folder_.Utf8(name);
    }
    std::string MakeFolder(const std::wstring& name) {
        EXPECT_TRUE(CreateDirectoryW(Path(name).c_str(), nullptr));
        return folder_.Utf8(name);
    }

    void Check(const TargetCase& row) {
        SCOPED_TRACE(row.what);
        const std::string path = row.make();
        const std::filesystem::path receiver = row.receiver.empty() ? std::filesystem::path() : Path(row.receiver);
        const unsigned long long before = receiver.empty() ? 0 : FileIndexOf(receiver);
        const std::size_t entries = folder_.Names().size();

        const FileStatus status = SaveWholeFile(path, NEW);
        EXPECT_EQ(std::tuple(status.ok, status.reason), std::tuple(row.reason.empty(), row.reason));
        std::error_code error;
        EXPECT_EQ(std::filesystem::symlink_status(Path(L"target"), error).type(), row.typeAfter);
        // Neither a temporary file nor the backup of a replaced one is left.
        EXPECT_EQ(folder_.Names().size(), entries + (row.identity == Identity::New));
        if (receiver.empty()) return;
        const unsigned long long after = FileIndexOf(receiver);
        if (row.identity == Identity::Untouched) {
            EXPECT_EQ(after, before);
            EXPECT_EQ(ReadBytes(receiver), before != 0 ? OLD : "<unreadable>");
            return;
        }
        ASSERT_TRUE(after != 0 && (before != 0) == (row.identity != Identity::New));
        EXPECT_EQ(ReadBytes(receiver), NEW);
        EXPECT_EQ(after != before, row.identity != Identity::SameFile);
    }

    TestFolder folder_;
};

}  // namespace

// A new or regular file is written beside and put in place; a file with a
// second hard link is written in place, so both names see the bytes; what
// cannot take them fails with the reason the POSIX storage gives for the
// same condition, and stays as it was. A file another program holds open
// and lets nobody rename is busy. Devices and pipes are never opened for
// writing.
TEST_F(SaveTargets, EveryKindOfTargetKeepsItsKindAndGetsTheBytesOrSaysWhyNot) {
    using enum Identity;
    const std::string notRegular = "Not a regular file", noEntry = "No such file or directory";
    PipeServer pipe;
    HANDLE holder = INVALID_HANDLE_VALUE;
    const TargetCase rows[] = {
        {"nothing there yet", [&] { return folder_.Utf8(L"target"); }, "", Type::regular, L"target", New},
        {"name outside the ANSI code page", [&] { return folder_.Utf8(WIDE_NAME); }, "", Type::not_found, WIDE_NAME,
         New},
        {"regular file", [&] { return MakeFile(L"target"); }, "", Type::regular, L"target", Replaced},
        {"hidden file", [&] { return MakeFile(L"target", FILE_ATTRIBUTE_HIDDEN); }, "", Type::regular, L"target",
         Replaced},
        {"file with a second hard link",
         [&] {
             MakeFile(L"file");
             EXPECT_TRUE(CreateHardLinkW(Path(L"target").c_str(), Path(L"file").c_str(), nullptr));
             return folder_.Utf8(L"target");
         },
         "", Type::regular, L"file", SameFile},
        {"read-only file", [&] { return MakeFile(L"target", FILE_ATTRIBUTE_READONLY); }, "Permission denied",
         Type::regular, L"target"},
        {"file in use that may not be renamed (shared for reading and writing only)",
         [&] {
             MakeFile(L"target");
             holder = CreateFileW(Path(L"target").c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
             EXPECT_NE(holder, INVALID_HANDLE_VALUE);
             return folder_.Utf8(L"target");
         },
         "Device or resource busy", Type::regular, L"target"},
        {"folder", [&] { return MakeFolder(L"target"); }, "Is a directory", Type::directory, L""},
        {"path ending in a separator", [&] { return folder_.Utf8(L"target") + "\\"; }, "Is a directory",
         Type::not_found, L""},
        {"file in a missing folder", [&] { return folder_.Utf8(L"nowhere\\target"); }, noEntry, Type::not_found, L""},
        {"empty path", [] { return std::string(); }, noEntry, Type::not_found, L""},
        {"name that is no UTF-8", [&] { return folder_.Utf8(L"target") + "-\xff"; }, "Invalid argument",
         Type::not_found, L""},
        {"the null device", [] { return std::string("NUL"); }, notRegular, Type::not_found, L""},
        {"the console", [] { return std::string("CON"); }, notRegular, Type::not_found, L""},
        {"the null device in the folder", [&] { return folder_.Utf8(L"NUL"); }, notRegular, Type::not_found, L""},
        {"named pipe", [&] { return pipe.Utf8Name(); }, notRegular, Type::not_found, L""},
    };
    for (const TargetCase& row : rows) {
        Check(row);
        if (holder != INVALID_HANDLE_VALUE) CloseHandle(std::exchange(holder, INVALID_HANDLE_VALUE));
        for (const std::wstring& name : folder_.Names()) {
            SetFileAttributesW(Path(name).c_str(), FILE_ATTRIBUTE_NORMAL);
            std::error_code error;
            std::filesystem::remove_all(Path(name), error);
        }
    }
    EXPECT_TRUE(pipe.NeverConnected());
}

// ReplaceFileW carries the replaced file's attributes over to the new one.
TEST_F(SaveTargets, ReplacedFileKeepsItsAttributes) {
    MakeFile(L"target", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE);
    ASSERT_TRUE(SaveWholeFile(folder_.Utf8(L"target"), NEW).ok);
    if (RunningUnderWine()) GTEST_SKIP() << "Wine's ReplaceFileW does not carry the replaced file's attributes over";
    EXPECT_NE(GetFileAttributesW(Path(L"target").c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
}

// Loading refuses without opening devices and pipes what is not a regular
// file, and names why in the same words as on Linux; it reads the bytes as
// they are, under a name outside the ANSI code page too.
TEST_F(SaveTargets, LoadRefusalsSayWhy) {
    PipeServer pipe;
    const std::string fits =
        "\r\n\n\x1a"
        "ffffff";
    MakeFolder(L"sub");
    ASSERT_TRUE(WriteBytes(Path(L"big.txt"), std::string(11, 'b')) && WriteBytes(Path(WIDE_NAME), fits));
    const struct {
        std::string path;
        std::string reason;
    } rows[] = {
        {folder_.Utf8(L"missing.txt"), "No such file or directory"},
        {folder_.Utf8(L"sub"), "Is a directory"},
        {folder_.Utf8(L"big.txt"), "File too large"},
        {"", "No such file or directory"},
        {"NUL", "Not a regular file"},
        {"CON", "Not a regular file"},
        {pipe.Utf8Name(), "Not a regular file"},
        {folder_.Utf8(WIDE_NAME) + "-\xff", "Invalid argument"},
        {folder_.Utf8(WIDE_NAME), ""},
    };
    for (const auto& row : rows) {
        std::string bytes = "before";
        const FileStatus status = LoadWholeFile(row.path, 10, bytes);
        EXPECT_EQ(std::tuple(status.ok, status.reason, bytes),
                  std::tuple(row.reason.empty(), row.reason, row.reason.empty() ? fits : "before"))
            << row.path;
    }
    EXPECT_TRUE(pipe.NeverConnected());
}

}  // namespace lq3860
