// SPDX-License-Identifier: MIT
// lq3860-sim's command line (its conventions, shared with the other two
// programs, are tested in tests/cli/shell_conventions_test.cpp), and the
// state file of each of several modules.
#include <gtest/gtest.h>

#include <iterator>
#include <sstream>

#include "uhid_sim/program_options.h"

namespace lq3860 {

namespace {

// The command line with its words split at blanks.
SimOptionsResult Parse(const std::string& line) {
    std::istringstream words(line);
    return ParseSimOptions({std::istream_iterator<std::string>(words), {}});
}

TEST(SimOptions, EveryOptionIsTaken) {
    const SimOptionsResult result = Parse(
        "--name Bench --vendor 0x1234 --product=ABCD --second-collection --count 32 --silent --unplug-after=0 "
        "--state /tmp/p.txt --reply-delay=2500 --double-replies --garbage-replies --short-replies 7 --usb -hV");
    ASSERT_TRUE(result.ok) << result.error;
    const SimOptions& o = result.options;
    const ModuleFaults& f = o.module.faults;
    EXPECT_EQ(o.ProductName(), "Bench");
    EXPECT_EQ(o.vendorId, 0x1234);
    EXPECT_EQ(o.productId, 0xabcd);
    EXPECT_EQ(o.module.modules, 32);
    EXPECT_EQ(o.module.stateFile, "/tmp/p.txt");
    EXPECT_EQ(f.unplugAfterReports, 0);
    EXPECT_EQ(f.replyDelayMs, 2500);
    EXPECT_EQ(f.replyPayloadBytes, 7);
    const std::pair<const char*, bool> flags[] = {{"--second-collection", o.secondCollection},
                                                  {"--silent", f.silent},
                                                  {"--double-replies", f.doubleReplies},
                                                  {"--garbage-replies", f.garbageReplies},
                                                  {"--usb", o.usbGadget},
                                                  {"-h", o.help},
                                                  {"-V", o.version}};
    for (const auto& [flag, taken] : flags) EXPECT_TRUE(taken) << flag;
    EXPECT_EQ(Parse("").options.ProductName(), VIRTUAL_MODULE_NAME);
    EXPECT_EQ(Parse("--name X --no-name").options.ProductName(), "");
    EXPECT_EQ(Parse("--name " + std::string(127, 'n')).options.ProductName().size(), 127u);
}

// Each refusal names what the option takes (--short-replies 0: the kernel
// drops an empty report).
TEST(SimOptions, WrongValuesAreRefusedWithWhatTheOptionTakes) {
    const std::pair<std::string, std::string> rows[] = {
        {"--vendor 7g3a", "--vendor needs a hexadecimal number up to ffff"},
        {"--product 10000", "--product needs a hexadecimal number up to ffff"},
        {"--count 0", "--count needs a number from 1 to 32"},
        {"--unplug-after -2", "--unplug-after needs a number from 0 to 1000000"},
        {"--reply-delay 60001", "--reply-delay needs a number from 0 to 60000"},
        {"--short-replies 0", "--short-replies needs a number from 1 to 63"},
        {"--short-replies 64", "--short-replies needs a number from 1 to 63"},
        {"--name " + std::string(128, 'n'), "--name needs 1 to 127 characters"},
        {"--state=", "--state needs a FILE"},
        {"--completion fish", "--completion needs bash or zsh"},
    };
    for (const auto& [line, error] : rows) EXPECT_EQ(Parse(line).error, error) << line;
}

TEST(SimulationOptions, SeveralModulesKeepOneStateFileEachNumberedBeforeTheExtension) {
    const std::tuple<std::string, int, int, std::string> rows[] = {
        {"cfg.txt", 1, 0, "cfg.txt"},  // one module keeps the file itself
        {"a/b.c.txt", 3, 2, "a/b.c-2.txt"},
        {"/tmp/dir.d/cfg", 2, 1, "/tmp/dir.d/cfg-1"},
        {".cfg", 2, 0, ".cfg-0"}};
    for (const auto& [file, modules, index, expected] : rows) {
        const SimulationOptions options{.name = {}, .faults = {}, .stateFile = file, .modules = modules};
        EXPECT_EQ(StateFileOf(options, index), expected) << file << " " << modules << " " << index;
    }
}

}  // namespace

}  // namespace lq3860
