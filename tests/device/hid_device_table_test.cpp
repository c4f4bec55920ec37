// SPDX-License-Identifier: MIT
// The device table: which interfaces a scan keeps, naming, open/close and the
// report transfers on the shared handle.
#include <optional>
#include <string>
#include <tuple>

#include "device/command_protocol.h"
#include "link_fixture.h"
#include "simulated_module/module_behaviour.h"

namespace lq3860 {

class DeviceTable : public LinkFixture {
protected:
    std::vector<std::string> ListedPaths() const {
        std::vector<std::string> paths;
        for (int i = 0; i < table.Count(); ++i) paths.emplace_back(table.Path(i));
        return paths;
    }
    // True when a report reaches the open module.
    bool LinkIsOpen() {
        const std::uint8_t report[HID_REPORT_SIZE] = {};
        return table.HID_Write(report, HID_REPORT_SIZE, nullptr) != 0;
    }
};

TEST_F(DeviceTable, ElevenModulesGiveTenAndTheEleventhIsNeverOpened) {
    std::vector<std::string> firstTen;
    for (int i = 0; i < 11; ++i) platform.AddModule();
    for (int i = 0; i < HID_MAX_DEVICES; ++i) firstTen.push_back("sim:" + std::to_string(i));
    EXPECT_EQ(Rescan(), HID_MAX_DEVICES);
    EXPECT_EQ(ListedPaths(), firstTen);
    EXPECT_EQ(platform.Interface(10).openCount, 0);
    table.HID_ClearList();
    EXPECT_TRUE(ListedPaths().empty());
    EXPECT_EQ(table.Path(0), nullptr);
}

TEST_F(DeviceTable, ScanKeepsOpenableVendorCollectionsAndCountsDeniedAccessAfresh) {
    const auto other = [this](std::uint16_t vendorId, std::uint16_t usagePage, std::uint16_t usage) -> auto& {
        SimulatedInterface& added = platform.AddModule();
        std::tie(added.vendorId, added.usagePage, added.usage) = std::tie(vendorId, usagePage, usage);
        return added;
    };
    other(0x046d, LQ3860_USAGE_PAGE, LQ3860_USAGE);                   // sim:0 other vendor
    other(LQ3860_VENDOR_ID, 0x0001, 0x0006);                          // sim:1 keyboard collection
    other(LQ3860_VENDOR_ID, LQ3860_USAGE_PAGE, 2).denyAccess = true;  // sim:2 other usage: denial not counted
    platform.AddModule();                                             // sim:3
    other(0x7e3b, LQ3860_USAGE_PAGE, LQ3860_USAGE);                   // sim:4 neighbouring vendor
    platform.AddModule().unplugged = true;                            // sim:5
    platform.AddModule().failOpen = true;                             // sim:6
    platform.AddModule().denyAccess = true;                           // sim:7
    platform.AddModule().denyAccess = true;                           // sim:8
    platform.AddModule();                                             // sim:9
    ASSERT_EQ(Rescan(), 2);
    EXPECT_EQ(ListedPaths(), (std::vector<std::string>{"sim:3", "sim:9"}));
    EXPECT_EQ(platform.Interface(0).openCount + platform.Interface(4).openCount, 0);  // other vendors never opened
    EXPECT_EQ(table.AccessDeniedCount(), 2);
    platform.Interface(7).denyAccess = platform.Interface(8).denyAccess = false;
    EXPECT_EQ(Rescan(), 4);
    EXPECT_EQ(table.AccessDeniedCount(), 0);
}

TEST_F(DeviceTable, TransfersFailAtOnceWhileNoModuleIsOpen) {
    AddScannedModule();
    const auto expectClosed = [&](const char* when) {
        int written = -1, read = -1;
        EXPECT_EQ(table.HID_Write(reply.data(), HID_REPORT_SIZE, &written) +
                      table.HID_Read(reply.data(), HID_REPORT_SIZE, &read),
                  0)
            << when;
        EXPECT_EQ(written + read, 0) << when;
    };
    expectClosed("after a scan");
    module->failOpen = true;
    EXPECT_EQ(table.HID_Open(0), 0);
    expectClosed("after a failed open");
    module->failOpen = false;
    ASSERT_EQ(table.HID_Open(0), 1);
    table.HID_Close();
    table.HID_Close();
    expectClosed("after closing twice");
    EXPECT_TRUE(module->written.empty());
    EXPECT_TRUE(pauses.empty());  // no wait for a reply
    HidDeviceTable withoutPlatform(nullptr);
    EXPECT_EQ(withoutPlatform.HID_Enumerate() + withoutPlatform.HID_Open(0), 0);
}

// Failed transfers of the link and a read's time limit: tests/device/link_test.cpp.
TEST_F(DeviceTable, OpenLinkCarriesWholeReportsAndRefusesBadIndexesAndBuffers) {
    AddScannedModule();
    ASSERT_EQ(table.HID_Open(0), 1);
    EXPECT_EQ(Rescan(), 1);  // the open link survives a rescan
    for (int index : {1, 9, -1, 10}) {
        char name[8] = "keep";
        EXPECT_EQ(table.HID_Open(index) + table.HID_GetName(index, name, sizeof name), 0) << index;
        EXPECT_STREQ(name, "keep");
    }
    HidReport command;
    BuildCommandReport(CMD_SIGNAL, command);
    EXPECT_EQ(table.HID_Write(nullptr, HID_REPORT_SIZE, nullptr) + table.HID_Write(command.data(), 0, nullptr), 0);
    reply.fill(0xEE);
    int written = 0, read = 0;
    ASSERT_EQ(table.HID_Write(command.data(), HID_REPORT_SIZE, &written), 1);
    EXPECT_EQ(table.HID_Read(nullptr, HID_REPORT_SIZE, nullptr) + table.HID_Read(reply.data(), 0, nullptr), 0);
    ASSERT_EQ(table.HID_Read(reply.data(), HID_REPORT_SIZE, &read), 1);  // the reply waited
    EXPECT_EQ(module->written, std::vector<HidReport>{command});
    EXPECT_EQ(written + read, 2 * 65);
    EXPECT_EQ(reply, *ModuleBehaviour().HandleOutputReport(command));
    EXPECT_TRUE(pauses.empty());
}

TEST_F(DeviceTable, ProductNamesComeThroughATemporaryHandleAsBoundedUtf8) {
    const std::u16string unpaired{u'a', char16_t{0xD800}, u'b', char16_t{0xDC00}};
    struct Row {
        std::optional<std::u16string> name;
        int length;
        std::optional<std::string> expected;
    };
    const std::vector<Row> rows = {
        {std::u16string(200, u'y'), HID_PRODUCT_NAME_SIZE, std::string(127, 'y')},  // the product string buffer
        {std::u16string(126, u'z') + u"\U0001F4F6", HID_PRODUCT_NAME_SIZE, std::string(126, 'z')},
        {u"Modul \u00e9 \u6a21\u5757 \U0001F4F6", HID_PRODUCT_NAME_SIZE,
         "Modul \xc3\xa9 \xe6\xa8\xa1\xe5\x9d\x97 \xf0\x9f\x93\xb6"},
        {unpaired, HID_PRODUCT_NAME_SIZE,
         "a\xef\xbf\xbd"
         "b\xef\xbf\xbd"},
        {u"ab\u6a21\u5757", 6, "ab\xe6\xa8\xa1"},  // five bytes: the second three-byte character does not fit
        {u"LQ-3860", 1, ""},
        {u"a\U0001F4F6", 5, "a"},  // a four-byte character needs room for all its bytes
        {u"\U0001F4F6", 5, "\xf0\x9f\x93\xb6"},
        {std::nullopt, 32, std::nullopt},  // unreadable product string
        {u"", 32, std::nullopt},
    };
    AddScannedModule();
    const int opensAfterScan = module->openCount;
    constexpr std::size_t GUARD = 8;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(i);
        module->productName = rows[i].name;
        const auto length = static_cast<std::size_t>(rows[i].length);
        std::vector<char> buffer(length + 2 * GUARD, '#');
        const int found = table.HID_GetName(0, buffer.data() + GUARD, rows[i].length);
        EXPECT_EQ(found ? std::optional<std::string>(buffer.data() + GUARD) : std::nullopt, rows[i].expected);
        EXPECT_EQ(std::string(buffer.data(), GUARD) + std::string(buffer.data() + GUARD + length, GUARD),
                  std::string(2 * GUARD, '#'));
    }
    // Each name came through a temporary handle; the link stays closed.
    EXPECT_EQ(module->openCount, opensAfterScan + static_cast<int>(rows.size()));
    EXPECT_FALSE(LinkIsOpen());
    module->failOpen = true;
    char name[32];
    EXPECT_EQ(table.HID_GetName(0, name, sizeof name), 0);
}

}  // namespace lq3860
