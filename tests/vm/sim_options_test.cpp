#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/sim_options.h"

namespace {

SimOptionsResult Parse(std::vector<const char*> arguments) {
    arguments.insert(arguments.begin(), "lq3860-sim");
    return ParseSimOptions(static_cast<int>(arguments.size()), arguments.data());
}

TEST(SimOptions, EveryOptionIsTakenAndTheLastNameCounts) {
    const SimOptionsResult result = Parse({"--name", "Bench module", "--vendor", "0x1234", "--product", "ABCD",
                                           "--second-collection", "--count", "32", "--silent", "--unplug-after", "0",
                                           "--state", "/tmp/params.txt", "--help"});
    ASSERT_TRUE(result.ok) << result.error;
    const SimOptions& options = result.options;
    EXPECT_EQ(options.name, "Bench module");
    EXPECT_EQ(options.vendorId, 0x1234);
    EXPECT_EQ(options.productId, 0xabcd);
    EXPECT_TRUE(options.secondCollection && options.silent && options.help);
    EXPECT_EQ(options.count, 32);
    EXPECT_EQ(options.unplugAfter, 0);
    EXPECT_EQ(options.stateFile, "/tmp/params.txt");
    EXPECT_EQ(Parse({"--name", "X", "--no-name"}).options.name, "");
    EXPECT_EQ(Parse({"--name", std::string(127, 'n').c_str()}).options.name.size(), 127u);
}

TEST(SimOptions, WrongCommandLinesAreRefusedWithAReason) {
    const std::string longName(128, 'n');
    const std::vector<std::vector<const char*>> wrong = {
        {"--vendor"}, {"--vendor", "7g3a"}, {"--vendor", "10000"}, {"--vendor", "-1"}, {"--vendor", "0x"},
        {"--count", "0"}, {"--count", "33"}, {"--count", "2x"}, {"--unplug-after", "-2"}, {"--name", ""},
        {"--name", longName.c_str()}, {"--frobnicate"}, {"--state"},
    };
    for (const auto& arguments : wrong) {
        SCOPED_TRACE(std::string(arguments[0]) + " " + (arguments.size() > 1 ? arguments[1] : ""));
        const SimOptionsResult result = Parse(arguments);
        EXPECT_FALSE(result.ok);
        EXPECT_FALSE(result.error.empty());
    }
}

}  // namespace
