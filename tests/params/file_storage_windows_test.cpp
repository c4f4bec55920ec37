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
#include <vector>

#include "param_set_helpers.h"
#include "params/config_file.h"
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

enum class Kind { Missing, Regular, Folder };

Kind KindOf(const std::filesystem::path& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return Kind::Missing;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? Kind::Folder : Kind::Regular;
}

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
    Kind kindAfter;                     // what stands at the folder's "target" afterwards
    std::wstring receiver;              // the file in the folder that gets the bytes; empty: none to look at
    Identity identity = Identity::Untouched;
};

class SaveTargets : public testing::Test {
protected:
    std::filesystem::path Path(const std::wstring& name) const { return folder_.Path() / name; }
    std::string MakeFile(const std::wstring& name, DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
        EXPECT_TRUE(WriteBytes(Path(name), OLD));
        EXPECT_TRUE(SetFileAttributesW(Path(name).c_str(), attributes));
        return folder_.Utf8(name);
    }
    std::string MakeFolder(const std::wstring& name) {
        EXPECT_TRUE(CreateDirectoryW(Path(name).c_str(), nullptr));
        return folder_.Utf8(name);
    }
    // Neither a temporary file nor the backup of a replaced one is left.
    int Leftovers() const {
        int count = 0;
        std::error_code error;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(folder_.Path(), error)) {
            count += entry.path().filename().wstring().rfind(L".lq3860-", 0) == 0;
        }
        return count;
    }

    void Check(const TargetCase& row) {
        SCOPED_TRACE(row.what);
        const std::string path = row.make();
        const std::filesystem::path receiver = row.receiver.empty() ? std::filesystem::path() : Path(row.receiver);
        const unsigned long long before = receiver.empty() ? 0 : FileIndexOf(receiver);

        const FileStatus status = SaveWholeFile(path, NEW);
        EXPECT_EQ(std::tuple(status.ok, status.reason), std::tuple(row.reason.empty(), row.reason));
        EXPECT_EQ(KindOf(Path(L"target")), row.kindAfter);
        EXPECT_EQ(Leftovers(), 0);
        if (receiver.empty()) return;
        const unsigned long long after = FileIndexOf(receiver);
        switch (row.identity) {
            case Identity::New:
                EXPECT_TRUE(before == 0 && after != 0);
                EXPECT_EQ(ReadBytes(receiver), NEW);
                break;
            case Identity::Replaced:
            case Identity::SameFile:
                ASSERT_TRUE(before != 0 && after != 0);
                EXPECT_EQ(ReadBytes(receiver), NEW);
                EXPECT_EQ(after != before, row.identity == Identity::Replaced);
                break;
            case Identity::Untouched:
                EXPECT_EQ(after, before);
                if (before != 0) {
                    EXPECT_EQ(ReadBytes(receiver), OLD);
                }
                break;
        }
    }

    TestFolder folder_;
};

// A pipe server that would see any client that connects.
class PipeServer {
public:
    PipeServer()
        : name_(L"\\\\.\\pipe\\lq3860-save-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                std::to_wstring(++instance_)),
          pipe_(CreateNamedPipeW(name_.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE | PIPE_NOWAIT, 1, 512, 512, 0,
                                 nullptr)) {}
    ~PipeServer() {
        if (pipe_ != INVALID_HANDLE_VALUE) CloseHandle(pipe_);
    }
    PipeServer(const PipeServer&) = delete;
    PipeServer& operator=(const PipeServer&) = delete;
    std::string Utf8Name() const {
        const std::u8string text = std::filesystem::path(name_).u8string();
        return std::string(text.begin(), text.end());
    }
    // No client has connected (a non-blocking pipe still listens).
    bool NeverConnected() const {
        return pipe_ != INVALID_HANDLE_VALUE && !ConnectNamedPipe(pipe_, nullptr) &&
               GetLastError() == ERROR_PIPE_LISTENING;
    }

private:
    static inline unsigned instance_ = 0;
    std::wstring name_;
    HANDLE pipe_;
};

}  // namespace

// A new or regular file is written beside and put in place; a file with a
// second hard link is written in place, so both names see the bytes; what
// cannot take them fails with the reason the POSIX storage gives for the
// same condition, and stays as it was. Devices and pipes are never opened
// for writing.
TEST_F(SaveTargets, EveryKindOfTargetKeepsItsKindAndGetsTheBytesOrSaysWhyNot) {
    using enum Kind;
    using enum Identity;
    PipeServer pipe;
    const std::vector<TargetCase> rows = {
        {"nothing there yet", [&] { return folder_.Utf8(L"target"); }, "", Regular, L"target", New},
        {"regular file", [&] { return MakeFile(L"target"); }, "", Regular, L"target", Replaced},
        {"hidden file", [&] { return MakeFile(L"target", FILE_ATTRIBUTE_HIDDEN); }, "", Regular, L"target", Replaced},
        {"file with a second hard link",
         [&] {
             MakeFile(L"file");
             EXPECT_TRUE(CreateHardLinkW(Path(L"target").c_str(), Path(L"file").c_str(), nullptr));
             return folder_.Utf8(L"target");
         },
         "", Regular, L"file", SameFile},
        {"read-only file", [&] { return MakeFile(L"target", FILE_ATTRIBUTE_READONLY); }, "Permission denied", Regular,
         L"target", Untouched},
        {"folder", [&] { return MakeFolder(L"target"); }, "Is a directory", Folder, L""},
        {"path ending in a separator", [&] { return folder_.Utf8(L"target") + "\\"; }, "Is a directory", Missing, L""},
        {"file in a missing folder", [&] { return folder_.Utf8(L"nowhere\\target"); }, "No such file or directory",
         Missing, L""},
        {"empty path", [] { return std::string(); }, "No such file or directory", Missing, L""},
        {"name that is no UTF-8", [&] { return folder_.Utf8(L"target") + "-\xff"; }, "Invalid argument", Missing, L""},
        {"the null device", [] { return std::string("NUL"); }, "Not a regular file", Missing, L""},
        {"the console", [] { return std::string("CON"); }, "Not a regular file", Missing, L""},
        {"the null device in the folder", [&] { return folder_.Utf8(L"NUL"); }, "Not a regular file", Missing, L""},
        {"named pipe", [&] { return pipe.Utf8Name(); }, "Not a regular file", Missing, L""},
    };
    for (const TargetCase& row : rows) {
        Check(row);
        for (const wchar_t* name : {L"target", L"file"}) {
            SetFileAttributesW(Path(name).c_str(), FILE_ATTRIBUTE_NORMAL);
            std::error_code error;
            std::filesystem::remove_all(Path(name), error);
        }
    }
    EXPECT_TRUE(pipe.NeverConnected());
}

// Another program holds the file open and lets nobody delete or rename it
// (it shares reading and writing only): the replacement fails as busy,
// and the file stays as it was.
TEST_F(SaveTargets, FileInUseThatMayNotBeRenamedStaysAsItWas) {
    MakeFile(L"target");
    HANDLE holder = CreateFileW(Path(L"target").c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    const unsigned long long before = FileIndexOf(Path(L"target"));
    const FileStatus status = SaveWholeFile(folder_.Utf8(L"target"), NEW);
    CloseHandle(holder);
    EXPECT_FALSE(status.ok);
    EXPECT_EQ(status.reason, "Device or resource busy");
    EXPECT_EQ(ReadBytes(Path(L"target")), OLD);
    EXPECT_EQ(FileIndexOf(Path(L"target")), before);
    EXPECT_EQ(Leftovers(), 0);
}

// ReplaceFileW carries the replaced file's attributes over to the new one.
TEST_F(SaveTargets, ReplacedFileKeepsItsAttributes) {
    MakeFile(L"target", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE);
    ASSERT_TRUE(SaveWholeFile(folder_.Utf8(L"target"), NEW).ok);
    if (RunningUnderWine()) GTEST_SKIP() << "Wine's ReplaceFileW does not carry the replaced file's attributes over";
    EXPECT_NE(GetFileAttributesW(Path(L"target").c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
}

// Loading refuses without opening devices and pipes what is not a regular
// file, and names why in the same words as on Linux.
TEST_F(SaveTargets, LoadRefusalsSayWhy) {
    PipeServer pipe;
    MakeFolder(L"sub");
    ASSERT_TRUE(WriteBytes(Path(L"big.txt"), std::string(11, 'b')));
    ASSERT_TRUE(WriteBytes(Path(L"fits.txt"), std::string(10, 'f')));
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
        {folder_.Utf8(L"fits.txt") + "-\xff", "Invalid argument"},
        {folder_.Utf8(L"fits.txt"), ""},
    };
    for (const auto& row : rows) {
        std::string bytes = "before";
        const FileStatus status = LoadWholeFile(row.path, 10, bytes);
        EXPECT_EQ(std::tuple(status.ok, status.reason), std::tuple(row.reason.empty(), row.reason)) << row.path;
        EXPECT_EQ(bytes, row.reason.empty() ? std::string(10, 'f') : "before") << row.path;
    }
    EXPECT_TRUE(pipe.NeverConnected());
}

// A configuration file whose name lies outside every ANSI code page is
// saved under exactly that name and loads back.
TEST_F(SaveTargets, ConfigurationNamedOutsideTheAnsiCodePageSurvivesSaveAndLoad) {
    const ModuleParamSet saved =
        MakeParams(1, 11, 4, "LQ-3860 \xe4 lab", "key,with,commas", {0x00, 0x0A, 0x1B, 0xFE, 0xFF, 0x7E});
    const std::wstring wideName = L"Konfig\u00fcr\u00e1tion-\u043a\u043e\u043d\u0444\u0438\u0433.txt";
    const std::string path = folder_.Utf8(wideName);

    ASSERT_EQ(SaveConfigurationFile(path, saved).outcome, SaveOutcome::Saved);
    EXPECT_EQ(folder_.Names(), std::vector<std::wstring>{wideName});
    ModuleParamSet loaded = Sentinel();
    const ConfigLoadResult result = LoadConfigurationFile(path, loaded);
    ASSERT_TRUE(result.ok) << result.reason;
    EXPECT_EQ(Dump(loaded), Dump(saved));
}

}  // namespace lq3860
