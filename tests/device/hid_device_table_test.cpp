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
};

// The table has ten slots: an eleventh module is neither listed nor opened.
TEST_F(DeviceTable, ElevenModulesGiveTenAndTheEleventhIsNeverOpened) {
    for (int i = 0; i < 11; ++i) platform.AddModule();
    EXPECT_EQ(Rescan(), 10);
    EXPECT_EQ(ListedPaths().back(), "sim:9");
    EXPECT_EQ(platform.Interface(10).openCount, 0);
    table.HID_ClearList();
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

// Transfers fail at once while no module is open; the open link carries
// whole reports, survives a rescan and refuses bad slots and buffers. A
// failed open and a closed link: tests/device/link_test.cpp.
TEST_F(DeviceTable, TransfersNeedAnOpenLinkThatCarriesWholeReports) {
    AddScannedModule();
    HidReport command;
    BuildCommandReport(CMD_SIGNAL, command);
    int written = -1, read = -1;
    // Both transfers' results plus the bytes they say they moved.
    const auto transfers = [&] {
        return table.HID_Write(command.data(), HID_REPORT_SIZE, &written) +
               table.HID_Read(reply.data(), HID_REPORT_SIZE, &read) + written + read;
    };
    EXPECT_EQ(transfers(), 0);
    HidDeviceTable withoutPlatform(nullptr);
    EXPECT_EQ(withoutPlatform.HID_Enumerate() + withoutPlatform.HID_Open(0), 0);

    ASSERT_EQ(table.HID_Open(0), 1);
    EXPECT_EQ(Rescan(), 1);  // the open link survives a rescan
    for (int index : {1, -1, 10}) {
        char name[8] = "keep";
        EXPECT_EQ(table.HID_Open(index) + table.HID_GetName(index, name, sizeof name), 0) << index;
        EXPECT_STREQ(name, "keep");
    }
    EXPECT_EQ(table.HID_Write(nullptr, HID_REPORT_SIZE, nullptr) + table.HID_Write(command.data(), 0, nullptr) +
                  table.HID_Read(nullptr, HID_REPORT_SIZE, nullptr) + table.HID_Read(reply.data(), 0, nullptr),
              0);
    ASSERT_EQ(transfers(), 2 + 2 * 65);
    EXPECT_EQ(module->written, std::vector<HidReport>{command});
    EXPECT_EQ(reply, *ModuleBehaviour().HandleOutputReport(command));
}

// Each name comes through a temporary handle (the link stays closed), as
// UTF-8 cut to whole characters within the buffer, which is never overrun.
TEST_F(DeviceTable, ProductNamesComeThroughATemporaryHandleAsBoundedUtf8) {
    const std::tuple<std::optional<std::u16string>, int, std::optional<std::string>> rows[] = {
        {std::u16string(200, u'y'), HID_PRODUCT_NAME_SIZE, std::string(127, 'y')},  // the product string buffer
        {std::u16string(126, u'z') + u"\U0001F4F6", HID_PRODUCT_NAME_SIZE, std::string(126, 'z')},
        {u"\u00e9 \u6a21\U0001F4F6", HID_PRODUCT_NAME_SIZE, "\xc3\xa9 \xe6\xa8\xa1\xf0\x9f\x93\xb6"},
        {std::u16string{u'a', char16_t{0xD800}, u'b'}, HID_PRODUCT_NAME_SIZE,
         "a\xef\xbf\xbd"
         "b"},
        {u"ab\u6a21\u5757", 6, "ab\xe6\xa8\xa1"},  // five bytes: the second three-byte character does not fit
        {u"a\U0001F4F6", 5, "a"},
        {u"LQ-3860", 1, ""},
        {std::nullopt, 32, std::nullopt},  // unreadable product string
        {u"", 32, ""},                     // an empty product string is a name
    };
    AddScannedModule();
    const int opensAfterScan = module->openCount;
    constexpr std::size_t GUARD = 8;
    for (const auto& [name, length, expected] : rows) {
        module->productName = name;
        std::string buffer(static_cast<std::size_t>(length) + 2 * GUARD, '#');
        const int found = table.HID_GetName(0, buffer.data() + GUARD, length);
        EXPECT_EQ(found ? std::optional<std::string>(buffer.data() + GUARD) : std::nullopt, expected);
        EXPECT_EQ(buffer.substr(0, GUARD) + buffer.substr(buffer.size() - GUARD), std::string(2 * GUARD, '#'));
    }
    EXPECT_EQ(module->openCount, opensAfterScan + static_cast<int>(std::size(rows)));
    EXPECT_EQ(table.HID_Write(reply.data(), HID_REPORT_SIZE, nullptr), 0);
    module->failOpen = true;
    char name[32];
    EXPECT_EQ(table.HID_GetName(0, name, sizeof name), 0);
}

}  // namespace lq3860
