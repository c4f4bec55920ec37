// The device table: which interfaces a scan keeps, naming, open/close and the
// report transfers on the shared handle.
#include <cstring>
#include <optional>
#include <string>

#include "device/hid_device_table.h"
#include "link_fixture.h"

namespace {

SimulatedInterface OtherInterface(std::uint16_t vendorId, std::uint16_t usagePage, std::uint16_t usage) {
    SimulatedInterface interface;
    interface.vendorId = vendorId;
    interface.usagePage = usagePage;
    interface.usage = usage;
    interface.productName = u"other";
    return interface;
}

}  // namespace

using Enumeration = LinkFixture;

TEST_F(Enumeration, ElevenModulesGiveTenAndTheEleventhIsNeverOpened) {
    for (int i = 0; i < 11; ++i) platform.AddModule();
    HID_ClearList();
    EXPECT_EQ(HID_Enumerate(), HID_MAX_DEVICES);
    EXPECT_EQ(HID_Count(), HID_MAX_DEVICES);
    for (int i = 0; i < HID_MAX_DEVICES; ++i) {
        EXPECT_STREQ(HID_GetPath(i), ("sim:" + std::to_string(i)).c_str());
    }
    EXPECT_EQ(platform.Interface(10).openCount, 0);
}

TEST_F(Enumeration, KeepsOnlyTheVendorCollectionAndNeverOpensOtherVendors) {
    platform.AddInterface(OtherInterface(0x046d, LQ3860_USAGE_PAGE, LQ3860_USAGE));  // sim:0
    platform.AddInterface(OtherInterface(LQ3860_VENDOR_ID, 0x0001, 0x0006));         // sim:1 keyboard collection
    platform.AddInterface(OtherInterface(LQ3860_VENDOR_ID, LQ3860_USAGE_PAGE, 2));   // sim:2 other usage
    platform.AddModule();                                                            // sim:3
    platform.AddInterface(OtherInterface(0x7e3b, LQ3860_USAGE_PAGE, LQ3860_USAGE));  // sim:4
    platform.AddModule();                                                            // sim:5

    HID_ClearList();
    ASSERT_EQ(HID_Enumerate(), 2);
    EXPECT_STREQ(HID_GetPath(0), "sim:3");
    EXPECT_STREQ(HID_GetPath(1), "sim:5");
    EXPECT_EQ(HID_GetPath(2), nullptr);
    EXPECT_EQ(platform.Interface(0).openCount, 0);
    EXPECT_EQ(platform.Interface(4).openCount, 0);
}

TEST_F(Enumeration, SkipsModulesThatCannotBeOpenedAndCountsDeniedAccess) {
    platform.AddModule().failOpen = true;
    platform.AddModule().denyAccess = true;
    platform.AddModule();
    platform.AddModule().denyAccess = true;
    // Denied access to a collection that would not qualify anyway is not counted.
    SimulatedInterface otherUsage = OtherInterface(LQ3860_VENDOR_ID, 0x0001, 0x0002);
    otherUsage.denyAccess = true;
    platform.AddInterface(otherUsage);

    HID_ClearList();
    ASSERT_EQ(HID_Enumerate(), 1);
    EXPECT_STREQ(HID_GetPath(0), "sim:2");
    EXPECT_EQ(HID_AccessDeniedCount(), 2);

    // The next scan starts counting afresh.
    platform.Interface(1).denyAccess = false;
    platform.Interface(3).denyAccess = false;
    HID_ClearList();
    EXPECT_EQ(HID_Enumerate(), 3);
    EXPECT_EQ(HID_AccessDeniedCount(), 0);
}

TEST_F(Enumeration, UnpluggedModulesAreNotListedAndClearingEmptiesTheTable) {
    platform.AddModule().unplugged = true;
    platform.AddModule();
    HID_ClearList();
    ASSERT_EQ(HID_Enumerate(), 1);
    EXPECT_STREQ(HID_GetPath(0), "sim:1");

    HID_ClearList();
    EXPECT_EQ(HID_Count(), 0);
    EXPECT_EQ(HID_GetPath(0), nullptr);
}

TEST_F(Enumeration, ScanDoesNotTouchTheOpenLink) {
    platform.AddModule();
    ScanAndOpenFirst();
    HID_ClearList();
    EXPECT_EQ(HID_Enumerate(), 1);
    const std::uint8_t report[HID_REPORT_SIZE] = {};
    EXPECT_NE(HID_Write(report, HID_REPORT_SIZE, nullptr), 0);
}

TEST_F(Enumeration, WithoutPlatformFindsNothing) {
    HID_UsePlatform(nullptr);
    HID_ClearList();
    EXPECT_EQ(HID_Enumerate(), 0);
    EXPECT_EQ(HID_Open(0), 0);
}

using OpenAndClose = LinkFixture;

TEST_F(OpenAndClose, EmptySlotsLeaveTheLinkAsItWas) {
    platform.AddModule();
    ScanAndOpenFirst();
    for (int index : {1, 9, -1, 10}) {
        EXPECT_EQ(HID_Open(index), 0) << index;
        char name[8] = "keep";
        EXPECT_EQ(HID_GetName(index, name, sizeof name), 0) << index;
        EXPECT_STREQ(name, "keep");
    }
    // The module opened before is still the open link.
    const std::uint8_t report[HID_REPORT_SIZE] = {};
    EXPECT_NE(HID_Write(report, HID_REPORT_SIZE, nullptr), 0);
    EXPECT_EQ(platform.Interface(0).written.size(), 1u);
}

TEST_F(OpenAndClose, FailedOpenLeavesTheLinkClosed) {
    platform.AddModule();
    HID_ClearList();
    ASSERT_EQ(HID_Enumerate(), 1);
    platform.Interface(0).failOpen = true;
    EXPECT_EQ(HID_Open(0), 0);
    const std::uint8_t report[HID_REPORT_SIZE] = {};
    EXPECT_EQ(HID_Write(report, HID_REPORT_SIZE, nullptr), 0);
}

TEST_F(OpenAndClose, CloseTwiceIsHarmlessAndTransfersThenFailAtOnce) {
    platform.AddModule();
    ScanAndOpenFirst();
    HID_Close();
    HID_Close();
    HidReport report{};
    int bytes = -1;
    EXPECT_EQ(HID_Write(report.data(), HID_REPORT_SIZE, &bytes), 0);
    EXPECT_EQ(bytes, 0);
    EXPECT_EQ(HID_Read(report.data(), HID_REPORT_SIZE, &bytes), 0);
    EXPECT_TRUE(platform.Interface(0).written.empty());
    EXPECT_TRUE(pauses.empty());  // failed at once, no wait for a reply
}

TEST_F(OpenAndClose, AfterAScanWithoutOpenTheLinkIsClosed) {
    platform.AddModule();
    HID_ClearList();
    ASSERT_EQ(HID_Enumerate(), 1);
    const std::uint8_t report[HID_REPORT_SIZE] = {};
    EXPECT_EQ(HID_Write(report, HID_REPORT_SIZE, nullptr), 0);
    EXPECT_TRUE(platform.Interface(0).written.empty());
}

using Transfers = LinkFixture;

TEST_F(Transfers, WholeReportsTravelWithTheirByteCounts) {
    platform.AddModule();
    ScanAndOpenFirst();
    HidReport command{};
    std::memcpy(command.data() + 1, "AT+iSS\r\n", 8);
    int written = 0;
    ASSERT_NE(HID_Write(command.data(), HID_REPORT_SIZE, &written), 0);
    EXPECT_EQ(written, 65);
    ASSERT_EQ(platform.Interface(0).written.size(), 1u);
    EXPECT_EQ(platform.Interface(0).written[0], command);

    HidReport reply;
    reply.fill(0xEE);
    int read = 0;
    ASSERT_NE(HID_Read(reply.data(), HID_REPORT_SIZE, &read), 0);
    EXPECT_EQ(read, 65);
    EXPECT_EQ(reply[0], 0);
    EXPECT_EQ(reply[12], 'O');
    EXPECT_EQ(reply[13], 'K');
}

TEST_F(Transfers, SilentModuleTimesOutAfterTheReadLimit) {
    platform.AddModule().silent = true;
    ScanAndOpenFirst();
    HidReport reply{};
    int read = -1;
    EXPECT_EQ(HID_Read(reply.data(), HID_REPORT_SIZE, &read), 0);
    EXPECT_EQ(read, 0);
    EXPECT_EQ(pauses, std::vector<unsigned>{HID_READ_TIMEOUT_MS});
}

TEST_F(Transfers, InjectedFailuresFail) {
    platform.AddModule();
    ScanAndOpenFirst();
    HidReport report{};
    platform.Interface(0).failWrite = true;
    EXPECT_EQ(HID_Write(report.data(), HID_REPORT_SIZE, nullptr), 0);
    platform.Interface(0).failWrite = false;
    platform.Interface(0).nextReply = HidReport{};
    ASSERT_NE(HID_Write(report.data(), HID_REPORT_SIZE, nullptr), 0);
    platform.Interface(0).failRead = true;
    EXPECT_EQ(HID_Read(report.data(), HID_REPORT_SIZE, nullptr), 0);
}

TEST_F(Transfers, NullOrEmptyBuffersAreRefused) {
    platform.AddModule();
    ScanAndOpenFirst();
    HidReport report{};
    EXPECT_EQ(HID_Write(nullptr, HID_REPORT_SIZE, nullptr), 0);
    EXPECT_EQ(HID_Write(report.data(), 0, nullptr), 0);
    EXPECT_EQ(HID_Read(nullptr, HID_REPORT_SIZE, nullptr), 0);
    EXPECT_TRUE(platform.Interface(0).written.empty());
}

class ProductNames : public LinkFixture {
protected:
    // Adds one module named `name`, scans, and reads its name into a buffer of `length` bytes
    // that is guarded by marker bytes on both sides.
    int ReadName(std::optional<std::u16string> name, int length) {
        platform.AddModule(std::move(name));
        HID_ClearList();
        EXPECT_EQ(HID_Enumerate(), 1);
        buffer.assign(static_cast<std::size_t>(length) + 2 * GUARD, MARK);
        return HID_GetName(0, buffer.data() + GUARD, length);
    }
    std::string Result() const { return std::string(buffer.data() + GUARD); }
    bool GuardsIntact(int length) const {
        for (std::size_t i = 0; i < GUARD; ++i) {
            if (buffer[i] != MARK || buffer[GUARD + static_cast<std::size_t>(length) + i] != MARK) return false;
        }
        return true;
    }

    static constexpr std::size_t GUARD = 8;
    static constexpr char MARK = '#';
    std::vector<char> buffer;
};

TEST_F(ProductNames, ConvertsA127CharacterNameWhole) {
    const std::u16string name(127, u'x');
    ASSERT_NE(ReadName(name, HID_PRODUCT_NAME_SIZE), 0);
    EXPECT_EQ(Result(), std::string(127, 'x'));
    EXPECT_TRUE(GuardsIntact(HID_PRODUCT_NAME_SIZE));
}

TEST_F(ProductNames, LongerNamesAreCutToTheProductStringBuffer) {
    ASSERT_NE(ReadName(std::u16string(200, u'y'), HID_PRODUCT_NAME_SIZE), 0);
    EXPECT_EQ(Result(), std::string(127, 'y'));
}

TEST_F(ProductNames, DecodesNonLatinCharactersToUtf8) {
    ASSERT_NE(ReadName(u"Modul \u00e9 \u6a21\u5757 \U0001F4F6", HID_PRODUCT_NAME_SIZE), 0);
    EXPECT_EQ(Result(), "Modul \xc3\xa9 \xe6\xa8\xa1\xe5\x9d\x97 \xf0\x9f\x93\xb6");
}

TEST_F(ProductNames, UnpairedSurrogatesBecomeReplacementCharacters) {
    std::u16string name = u"a";
    name.push_back(char16_t{0xD800});
    name += u"b";
    name.push_back(char16_t{0xDC00});
    ASSERT_NE(ReadName(name, HID_PRODUCT_NAME_SIZE), 0);
    EXPECT_EQ(Result(), "a\xef\xbf\xbd" "b\xef\xbf\xbd");
}

TEST_F(ProductNames, SmallDestinationIsNeverOverrunAndNoCharacterIsSplit) {
    // Five bytes: "ab" and one three-byte character fit, the next one does not.
    ASSERT_NE(ReadName(u"ab\u6a21\u5757", 6), 0);
    EXPECT_EQ(Result(), "ab\xe6\xa8\xa1");
    EXPECT_TRUE(GuardsIntact(6));
}

TEST_F(ProductNames, ALengthOfOneGivesAnEmptyTerminatedText) {
    ASSERT_NE(ReadName(u"LQ-3860", 1), 0);
    EXPECT_EQ(Result(), "");
    EXPECT_TRUE(GuardsIntact(1));
}

TEST_F(ProductNames, UnreadableNameOrFailedOpenReturnsZero) {
    EXPECT_EQ(ReadName(std::nullopt, 32), 0);  // no readable product string
    platform.Interface(0).productName = u"LQ";
    platform.Interface(0).failOpen = true;
    EXPECT_EQ(HID_GetName(0, buffer.data() + GUARD, 32), 0);
}

TEST_F(ProductNames, NamingUsesATemporaryHandleAndLeavesTheLinkAlone) {
    platform.AddModule(u"first");
    HID_ClearList();
    ASSERT_EQ(HID_Enumerate(), 1);
    const int opensAfterScan = platform.Interface(0).openCount;
    char name[32];
    ASSERT_NE(HID_GetName(0, name, sizeof name), 0);
    EXPECT_STREQ(name, "first");
    EXPECT_EQ(platform.Interface(0).openCount, opensAfterScan + 1);
    const std::uint8_t report[HID_REPORT_SIZE] = {};
    EXPECT_EQ(HID_Write(report, HID_REPORT_SIZE, nullptr), 0);  // still closed
}
