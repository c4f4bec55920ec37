#include <gtest/gtest.h>

#include <vector>

#include "sim/sim_options.h"

namespace {

SimOptionsResult Parse(std::vector<const char*> arguments) {
    arguments.insert(arguments.begin(), "lq3860-sim");
    return ParseSimOptions(static_cast<int>(arguments.size()), arguments.data());
}

TEST(SimOptions, DefaultsDescribeOneAnsweringLq3860) {
    const SimOptionsResult result = Parse({});
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.options.vendorId, 0x7e3a);
    EXPECT_EQ(result.options.count, 1);
    EXPECT_FALSE(result.options.name.empty());
    EXPECT_FALSE(result.options.silent);
    EXPECT_FALSE(result.options.secondCollection);
    EXPECT_EQ(result.options.unplugAfter, -1);
}

TEST(SimOptions, EveryOptionIsTaken) {
    const SimOptionsResult result =
        Parse({"--name", "Bench module", "--vendor", "0x1234", "--product", "ABCD", "--second-collection", "--count",
               "11", "--silent", "--unplug-after", "3", "--state", "/tmp/params.txt"});
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.options.name, "Bench module");
    EXPECT_EQ(result.options.vendorId, 0x1234);
    EXPECT_EQ(result.options.productId, 0xabcd);
    EXPECT_TRUE(result.options.secondCollection);
    EXPECT_EQ(result.options.count, 11);
    EXPECT_TRUE(result.options.silent);
    EXPECT_EQ(result.options.unplugAfter, 3);
    EXPECT_EQ(result.options.stateFile, "/tmp/params.txt");
}

TEST(SimOptions, NoNameClearsTheProductName) {
    const SimOptionsResult result = Parse({"--name", "X", "--no-name"});
    ASSERT_TRUE(result.ok);
    EXPECT_TRUE(result.options.name.empty());
}

TEST(SimOptions, UnplugAfterZeroIsAllowed) {
    const SimOptionsResult result = Parse({"--unplug-after", "0"});
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.options.unplugAfter, 0);
}

TEST(SimOptions, WrongCommandLinesAreRefusedWithAReason) {
    const std::vector<std::vector<const char*>> wrong = {
        {"--vendor"},                  // value missing
        {"--vendor", "7g3a"},          // not hexadecimal
        {"--vendor", "10000"},         // above ffff
        {"--vendor", "-1"},
        {"--vendor", "0x"},
        {"--count", "0"},
        {"--count", "33"},
        {"--count", "2x"},
        {"--unplug-after", "-2"},
        {"--name", ""},
        {"--name", "0123456789012345678901234567890123456789012345678901234567890123456789"
                   "012345678901234567890123456789012345678901234567890123456789"},  // 130 characters
        {"--frobnicate"},
        {"--state"},
    };
    for (const auto& arguments : wrong) {
        const SimOptionsResult result = Parse(arguments);
        EXPECT_FALSE(result.ok) << arguments[0] << (arguments.size() > 1 ? arguments[1] : "");
        EXPECT_FALSE(result.error.empty());
    }
}

TEST(SimOptions, HelpIsRecognisedAndTheUsageNamesEveryOption) {
    const SimOptionsResult result = Parse({"--help"});
    ASSERT_TRUE(result.ok);
    EXPECT_TRUE(result.options.help);
    const std::string usage = SimUsage();
    for (const char* option : {"--name", "--no-name", "--vendor", "--product", "--second-collection", "--count",
                               "--silent", "--unplug-after", "--state", "--help"}) {
        EXPECT_NE(usage.find(option), std::string::npos) << option;
    }
}

}  // namespace
