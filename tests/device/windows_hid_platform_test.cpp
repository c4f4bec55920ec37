// The Windows HID platform without a module (Wine shows no HID devices):
// refused opens, the share rules of the claim on a plain file, and the timed
// overlapped transfers on a named pipe in place of an interface.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <cstring>
#include <string>

#include "device/hid_open_windows.h"
#include "device/timed_io_windows.h"
#include "device/windows_hid_platform.h"
#include "windows_test_folder.h"

namespace lq3860 {
namespace {

TEST(WindowsHidPlatformTest, RefusedOpensTellWhetherPermissionWasTheReason) {
    TestFolder folder;
    WindowsHidPlatform platform;
    bool accessDenied = true;

    for (const std::string& path :
         {std::string(), std::string("bad-\xff"), folder.Utf8(L"missing"),
          std::string(R"(\\?\hid#vid_7e3a&pid_0001#0&0&0&0#{4d1e55b2-f16f-11cf-88cb-001111000030})")}) {
        EXPECT_EQ(platform.Open(path, accessDenied), nullptr) << path;
        EXPECT_FALSE(accessDenied) << path;
    }

    // A file opens but has no HID capabilities; its handle is closed again,
    // so the file can be deleted.
    const auto plain = folder.Path() / L"plain";
    ASSERT_TRUE(WriteBytes(plain, "not a device"));
    EXPECT_EQ(platform.Open(folder.Utf8(L"plain"), accessDenied), nullptr);
    EXPECT_FALSE(accessDenied);
    EXPECT_TRUE(DeleteFileW(plain.c_str()));

    // The system answers ERROR_ACCESS_DENIED for a folder opened as a file
    // (a file with an access list that refuses this user would do on
    // Windows; Wine has no access lists).
    ASSERT_TRUE(CreateDirectoryW((folder.Path() / L"locked").c_str(), nullptr));
    EXPECT_EQ(platform.Open(folder.Utf8(L"locked"), accessDenied), nullptr);
    EXPECT_TRUE(accessDenied);
}

// The share rules that keep a module to one program while others can still
// list and name it, on a plain file in place of an interface: query opens
// pass whatever holds the file; an exclusive open is refused as in use
// while another handle reads or writes, but not because of query handles;
// and while it is held, nobody else can read or write, but anybody can query.
TEST(WindowsHidPlatformTest, QueryOpensPassAndOnlyOneExclusiveOpenHoldsTheInterface) {
    TestFolder folder;
    const auto file = folder.Path() / L"interface";
    ASSERT_TRUE(WriteBytes(file, "reports"));
    const std::wstring path = file.wstring();
    const auto close = [](HANDLE handle) {
        if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    };

    // Another program reads and writes (shared, as a program without claim
    // would): queries pass, the claim is refused as in use.
    HANDLE other = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    HANDLE query = OpenForQuery(path);
    EXPECT_NE(query, INVALID_HANDLE_VALUE);
    HANDLE claimed = INVALID_HANDLE_VALUE;
    EXPECT_EQ(OpenExclusive(path, claimed), ClaimResult::InUse);
    EXPECT_EQ(claimed, INVALID_HANDLE_VALUE);
    close(other);

    // Only query handles are left (ours): the claim succeeds.
    ASSERT_EQ(OpenExclusive(path, claimed), ClaimResult::Claimed);
    // Held: a second claim is in use, a shared reader is refused, another
    // program's scan still queries it.
    HANDLE second = INVALID_HANDLE_VALUE;
    EXPECT_EQ(OpenExclusive(path, second), ClaimResult::InUse);
    HANDLE reader =
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(reader, INVALID_HANDLE_VALUE);
    close(reader);
    HANDLE scan = OpenForQuery(path);
    EXPECT_NE(scan, INVALID_HANDLE_VALUE);
    close(scan);

    // Released: the next claim succeeds. Something that is not there fails.
    close(claimed);
    ASSERT_EQ(OpenExclusive(path, second), ClaimResult::Claimed);
    close(second);
    close(query);
    EXPECT_EQ(OpenExclusive((folder.Path() / L"missing").wstring(), second), ClaimResult::Failed);
    EXPECT_EQ(OpenForQuery((folder.Path() / L"missing").wstring()), INVALID_HANDLE_VALUE);
}

// Both ends of a named pipe with overlapped I/O.
class TimedTransferTest : public testing::Test {
protected:
    void SetUp() override {
        const std::wstring name = L"\\\\.\\pipe\\lq3860-timed-io-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                                  std::to_wstring(++instance_);
        server_ = CreateNamedPipeW(name.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED, PIPE_TYPE_BYTE, 1, 4096,
                                   4096, 0, nullptr);
        ASSERT_NE(server_, INVALID_HANDLE_VALUE);
        client_ = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_FLAG_OVERLAPPED, nullptr);
        ASSERT_NE(client_, INVALID_HANDLE_VALUE);
        event_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        ASSERT_NE(event_, nullptr);
    }
    void TearDown() override {
        for (HANDLE handle : {client_, server_}) {
            if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
        }
        if (event_ != nullptr) CloseHandle(event_);
    }
    // Sends from the server end, synchronously waited for.
    void ServerSends(const char* text) {
        HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        char copy[64] = {};
        std::strncpy(copy, text, sizeof copy - 1);
        EXPECT_GT(
            TimedTransfer(server_, done, TransferDirection::Write, copy, static_cast<DWORD>(std::strlen(copy)), 1000),
            0);
        CloseHandle(done);
    }

    static inline unsigned instance_ = 0;
    HANDLE server_ = INVALID_HANDLE_VALUE;
    HANDLE client_ = INVALID_HANDLE_VALUE;
    HANDLE event_ = nullptr;
};

TEST_F(TimedTransferTest, DataThatIsThereIsReadAtOnce) {
    ServerSends("report");
    char buffer[16] = {};
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(TimedTransfer(client_, event_, TransferDirection::Read, buffer, sizeof buffer, 2000), 6);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1000));
    EXPECT_STREQ(buffer, "report");
}

TEST_F(TimedTransferTest, ExpiredReadReturnsZeroAndLeavesTheBufferAlone) {
    char buffer[16];
    std::memset(buffer, 0x55, sizeof buffer);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(TimedTransfer(client_, event_, TransferDirection::Read, buffer, sizeof buffer, 300), 0);
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(250));
    EXPECT_LT(waited, std::chrono::milliseconds(2000));

    // Data that comes after the time-out is not written into the old
    // buffer: the cancelled read is over. The next read gets it.
    ServerSends("late");
    Sleep(200);
    for (char byte : buffer) EXPECT_EQ(byte, 0x55);
    char next[16] = {};
    EXPECT_EQ(TimedTransfer(client_, event_, TransferDirection::Read, next, sizeof next, 2000), 4);
    EXPECT_STREQ(next, "late");
}

TEST_F(TimedTransferTest, ReadFromAVanishedPeerFails) {
    CloseHandle(server_);
    server_ = INVALID_HANDLE_VALUE;
    char buffer[16] = {};
    EXPECT_EQ(TimedTransfer(client_, event_, TransferDirection::Read, buffer, sizeof buffer, 2000), -1);
    EXPECT_EQ(TimedTransfer(client_, event_, TransferDirection::Write, buffer, sizeof buffer, 2000), -1);
    EXPECT_EQ(TimedTransfer(client_, nullptr, TransferDirection::Read, buffer, sizeof buffer, 2000), -1);
}

}  // namespace
}  // namespace lq3860
