// SPDX-License-Identifier: MIT
// lq3860-sim's command line, and the state file of each of several modules.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "params/config_file.h"
#include "uhid_sim/program_options.h"

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
    EXPECT_EQ(
        std::make_tuple(o.ProductName(), o.vendorId, o.productId, o.module.modules, o.module.faults.unplugAfterReports,
                        o.module.stateFile, o.secondCollection, o.module.faults.silent, o.help),
        std::make_tuple("Bench module", 0x1234, 0xabcd, 32, 0, "/tmp/params.txt", true, true, true));
    EXPECT_EQ(Parse({"--name", "X", "--no-name"}).options.ProductName(), "");
    EXPECT_TRUE(Parse({"-V"}).options.version && Parse({"--version"}).options.version && Parse({"-h"}).options.help);
    // --count is the older spelling of the shared --modules.
    EXPECT_EQ(Parse({"--count=2"}).options.module.modules, 2);
    EXPECT_EQ(Parse({"--modules", "3"}).options.module.modules, 3);
    const ModuleFaults faults =
        Parse({"--reply-delay=2500", "--double-replies", "--garbage-replies", "--short-replies", "7"})
            .options.module.faults;
    EXPECT_EQ(
        std::make_tuple(faults.replyDelayMs, faults.doubleReplies, faults.garbageReplies, faults.replyPayloadBytes),
        std::make_tuple(2500, true, true, 7));
    EXPECT_EQ(Parse({}).options.ProductName(), VIRTUAL_MODULE_NAME);
    EXPECT_EQ(Parse({"--name", std::string(127, 'n').c_str()}).options.ProductName().size(), 127u);
}

// Each command line, its words split at blanks, is refused with a reason
// (--short-replies 0: the kernel drops an empty report).
TEST(SimOptions, WrongCommandLinesAreRefusedWithAReason) {
    std::vector<std::string> wrong = {
        "--vendor",          "--vendor 7g3a",       "--vendor 10000", "--vendor -1",       "--vendor 0x",
        "--count 0",         "--count 33",          "--count 2x",     "--modules 0",       "--modules 33",
        "--unplug-after -2", "--reply-delay 60001", "--reply-delay",  "--short-replies 0", "--short-replies 64",
        "--name=",           "--frobnicate",        "--state",        "--help=yes"};
    wrong.push_back("--name " + std::string(128, 'n'));
    for (const std::string& line : wrong) {
        std::istringstream words(line);
        std::vector<std::string> arguments{std::istream_iterator<std::string>(words), {}};
        std::vector<const char*> argv;
        for (const std::string& argument : arguments) argv.push_back(argument.c_str());
        const SimOptionsResult result = Parse(argv);
        EXPECT_TRUE(!result.ok && !result.error.empty()) << line << ": " << result.error;
    }
}

TEST(SimulationOptions, SeveralModulesKeepOneStateFileEachNumberedBeforeTheExtension) {
    const std::tuple<std::string, int, int, std::string> rows[] = {
        {"cfg.txt", 1, 0, "cfg.txt"},  // one module keeps the file itself
        {"cfg.txt", 3, 0, "cfg-0.txt"},
        {"cfg.txt", 3, 2, "cfg-2.txt"},
        {"/tmp/dir.d/cfg", 2, 1, "/tmp/dir.d/cfg-1"},
        {"a/b.c.txt", 2, 1, "a/b.c-1.txt"},
        {".cfg", 2, 0, ".cfg-0"},
        {"", 3, 1, ""},  // no state file
    };
    for (const auto& [file, modules, index, expected] : rows) {
        SimulationOptions options;
        options.stateFile = file;
        options.modules = modules;
        EXPECT_EQ(StateFileOf(options, index), expected) << file << " " << modules << " " << index;
    }

    // Each module loads its own file; a missing one means the defaults.
    std::string dir = (std::filesystem::temp_directory_path() / "lq3860-state-XXXXXX").string();
    ASSERT_NE(mkdtemp(dir.data()), nullptr);
    SimulationOptions options;
    options.stateFile = dir + "/memory.txt";
    options.modules = 2;
    ModuleParamSet second{};
    StoreParamText(second.ssid, "second module");
    std::ofstream(dir + "/memory-1.txt", std::ios::binary) << FormatConfiguration(second);
    SimulatedModule modules[2];
    for (int i : {0, 1}) ASSERT_TRUE(PrepareSimulatedModule(options, modules[i], i).ok) << i;
    EXPECT_STREQ(modules[0].Behaviour().Params().ssid, ModuleBehaviour().Params().ssid);
    EXPECT_STREQ(modules[1].Behaviour().Params().ssid, "second module");
    std::filesystem::remove_all(dir);
}

}  // namespace

}  // namespace lq3860
