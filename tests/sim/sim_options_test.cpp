#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "sim/sim_options.h"

namespace lq3860 {

namespace {

SimOptionsResult Parse(std::vector<const char*> arguments) {
    arguments.insert(arguments.begin(), "lq3860-sim");
    return ParseSimOptions(static_cast<int>(arguments.size()), arguments.data());
}

TEST(SimOptions, EveryOptionIsTakenAndTheLastNameCounts) {
    const SimOptionsResult result =
        Parse({"--name", "Bench module", "--vendor", "0x1234", "--product=ABCD", "--second-collection", "--count", "32",
               "--silent", "--unplug-after=0", "--state", "/tmp/params.txt", "--help"});
    ASSERT_TRUE(result.ok) << result.error;
    const SimOptions& o = result.options;
    EXPECT_EQ(std::make_tuple(o.ProductName(), o.vendorId, o.productId, o.count, o.module.faults.unplugAfterReports,
                              o.module.stateFile, o.secondCollection, o.module.faults.silent, o.help),
              std::make_tuple("Bench module", 0x1234, 0xabcd, 32, 0, "/tmp/params.txt", true, true, true));
    EXPECT_EQ(Parse({"--name", "X", "--no-name"}).options.ProductName(), "");
    EXPECT_TRUE(Parse({"-V"}).options.version && Parse({"--version"}).options.version && Parse({"-h"}).options.help);
    EXPECT_EQ(Parse({"--count=2"}).options.count, 2);
    const ModuleFaults faults =
        Parse({"--reply-delay=2500", "--double-replies", "--garbage-replies", "--short-replies", "7"})
            .options.module.faults;
    EXPECT_EQ(
        std::make_tuple(faults.replyDelayMs, faults.doubleReplies, faults.garbageReplies, faults.replyPayloadBytes),
        std::make_tuple(2500, true, true, 7));
    EXPECT_EQ(Parse({}).options.ProductName(), VIRTUAL_MODULE_NAME);
    EXPECT_EQ(Parse({"--name", std::string(127, 'n').c_str()}).options.ProductName().size(), 127u);
}

TEST(SimOptions, WrongCommandLinesAreRefusedWithAReason) {
    const std::string longName(128, 'n');
    const std::vector<std::vector<const char*>> wrong = {
        {"--vendor"},
        {"--vendor", "7g3a"},
        {"--vendor", "10000"},
        {"--vendor", "-1"},
        {"--vendor", "0x"},
        {"--count", "0"},
        {"--count", "33"},
        {"--count", "2x"},
        {"--unplug-after", "-2"},
        {"--reply-delay", "60001"},
        {"--reply-delay"},
        {"--short-replies", "0"},  // the kernel drops an empty report
        {"--short-replies", "64"},
        {"--name", ""},
        {"--name", longName.c_str()},
        {"--frobnicate"},
        {"--state"},
        {"--help=yes"},
    };
    for (const auto& arguments : wrong) {
        SCOPED_TRACE(std::string(arguments[0]) + " " + (arguments.size() > 1 ? arguments[1] : ""));
        const SimOptionsResult result = Parse(arguments);
        EXPECT_TRUE(!result.ok && !result.error.empty()) << result.error;
    }
}

}  // namespace

}  // namespace lq3860
