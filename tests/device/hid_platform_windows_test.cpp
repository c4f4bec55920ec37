// SPDX-License-Identifier: MIT
// The Windows HID platform where no module is attached: refused opens, and
// the share rules of the claim on a plain file in place of an interface. The
// timed transfers run on Wine's HID stack against modules: the Wine leg of
// the VM test.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "device/hid_open_windows.h"
#include "device/hid_platform_windows.h"
#include "types/handle_windows.h"
#include "windows_test_folder.h"

namespace lq3860 {
namespace {

TEST(WindowsHidPlatformTest, RefusedOpensTellWhetherPermissionWasTheReason) {
    TestFolder folder;
    WindowsHidPlatform platform;
    // A plain file opens but has no HID capabilities; its handle is closed
    // again, so the file can be deleted. The system answers
    // ERROR_ACCESS_DENIED for a folder opened as a file (as for a file whose
    // access list refuses this user on Windows; Wine has no access lists).
    const auto plain = folder.Path() / L"plain";
    ASSERT_TRUE(WriteBytes(plain, "not a device"));
    ASSERT_TRUE(CreateDirectoryW((folder.Path() / L"locked").c_str(), nullptr));
    for (const std::string& path :
         {std::string(), std::string("bad-\xff"), folder.Utf8(L"missing"), folder.Utf8(L"plain"),
          folder.Utf8(L"locked"),
          std::string(R"(\\?\hid#vid_7e3a&pid_0001#0&0&0&0#{4d1e55b2-f16f-11cf-88cb-001111000030})")}) {
        bool accessDenied = false;
        EXPECT_EQ(platform.Open(path, accessDenied), nullptr) << path;
        EXPECT_EQ(accessDenied, path.ends_with("locked")) << path;
    }
    EXPECT_TRUE(DeleteFileW(plain.c_str()));
}

// The share rules that keep a module to one program while others can still
// list and name it, on a plain file in place of an interface: query opens
// pass whatever holds the file; an exclusive open is refused as in use
// while another handle reads or writes, but not because of query handles;
// and while it is held, nobody else can read or write, but anybody can query.
TEST(WindowsHidPlatformTest, QueryOpensPassAndOnlyOneExclusiveOpenHoldsTheInterface) {
    TestFolder folder;
    const std::wstring path = (folder.Path() / L"interface").wstring();
    ASSERT_TRUE(WriteBytes(path, "reports"));
    const auto shared = [&path](DWORD access) {
        return CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    };
    const auto claim = [](const std::wstring& name, OwnedHandle& held) {
        HANDLE handle = INVALID_HANDLE_VALUE;
        const ClaimResult result = OpenExclusive(name, handle);
        held.Reset(handle);
        return result;
    };

    // Another program reads and writes (shared, as a program without claim
    // would): queries pass, the claim is refused as in use. Only query
    // handles left (ours): the claim succeeds. Held: a second claim is in
    // use, a shared reader is refused, another program's scan still queries.
    OwnedHandle other(shared(GENERIC_READ | GENERIC_WRITE)), query(OpenForQuery(path)), claimed, second;
    ASSERT_TRUE(other.Valid());
    ASSERT_TRUE(query.Valid());
    EXPECT_EQ(claim(path, claimed), ClaimResult::InUse);
    EXPECT_FALSE(claimed.Valid());
    other.Close();
    ASSERT_EQ(claim(path, claimed), ClaimResult::Claimed);
    EXPECT_EQ(claim(path, second), ClaimResult::InUse);
    EXPECT_FALSE(OwnedHandle(shared(GENERIC_READ)).Valid());
    EXPECT_TRUE(OwnedHandle(OpenForQuery(path)).Valid());

    // Released: the next claim succeeds. Something that is not there fails.
    claimed.Close();
    EXPECT_EQ(claim(path, second), ClaimResult::Claimed);
    const std::wstring missing = (folder.Path() / L"missing").wstring();
    EXPECT_EQ(claim(missing, second), ClaimResult::Failed);
    EXPECT_FALSE(OwnedHandle(OpenForQuery(missing)).Valid());
}

}  // namespace
}  // namespace lq3860
