// lq3860ctl --all on ten virtual modules of the real kernel HID stack, one of
// them silent and one pulled out half-way: the other eight succeed with
// byte-exact results, the two fail with their own messages, and the exit
// status says so.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "device/hidapi_platform.h"
#include "guest_programs.h"
#include "params/config_file.h"
#include "params/field_rules.h"

namespace lq3860 {

namespace {

// What one --all run said per module: its slot's lines by name, from "slot\tname\ttext" lines.
std::map<std::string, std::vector<std::string>> ByModule(const std::string& lines, const std::string& prefix = "") {
    std::map<std::string, std::vector<std::string>> said;
    std::istringstream stream(lines);
    for (std::string line; std::getline(stream, line);) {
        if (line.rfind(prefix, 0) != 0) continue;
        line.erase(0, prefix.size());
        const std::size_t name = line.find('\t'), text = line.find('\t', name + 1);
        if (name == std::string::npos || text == std::string::npos) continue;
        said[line.substr(name + 1, text - name - 1)].push_back(line.substr(0, name) + ":" + line.substr(text + 1));
    }
    return said;
}

// The module's parameters as the window would save them; number k varies the SSID and the MAC.
ModuleParamSet Params(int k) {
    ModuleParamSet params{.mode = MODE_AP, .channel = 7, .encryption = 2, .key = "0123456789abcdef0123456789"};
    StoreParamText(params.ssid, "all-modules-" + std::to_string(k));
    params.mac[0] = 2;
    params.mac[5] = static_cast<std::uint8_t>(k);
    return params;
}

class AllModulesOnRealStack : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(WaitForHidrawNodes(0)); }
    void TearDown() override {
        for (pid_t pid : sims_) Stop(pid);
    }
    // Eight modules keeping their memory in FILE-0 .. FILE-7, one silent, one pulled after `pulledAfter` reports.
    bool PlugTen(const std::string& stateFile, int pulledAfter) {
        for (Args options : {Args{"--modules", "8", "--state", stateFile}, Args{"--silent", "--name", "Silent"},
                             Args{"--unplug-after", std::to_string(pulledAfter), "--name", "Pulled"}}) {
            sims_.push_back(Start(SIM, options));
        }
        return WaitForHidrawNodes(10);
    }
    // lq3860ctl with `arguments`, its wall time printed.
    std::string Tool(const Args& arguments) {
        const auto start = Clock::now();
        std::string run = RunProgram(CTL, arguments);
        const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
        std::printf("LQ3860-VM: lq3860ctl %s %s took %lld ms\n", arguments[arguments.size() - 2].c_str(),
                    arguments.back().c_str(), static_cast<long long>(took));
        return run;
    }

    HidapiPlatform platform_;
    std::vector<pid_t> sims_;
};

TEST_F(AllModulesOnRealStack, WriteAllReachesTheEightAndNamesTheTwoFailures) {
    if (access(CTL, X_OK) != 0) GTEST_SKIP() << "lq3860ctl is not part of this guest";
    const std::string memory = "/tmp/all-write.txt";
    ASSERT_TRUE(PlugTen(memory, 2));  // the handshake and the first parameter report arrive
    std::ofstream("/tmp/all-params.txt", std::ios::binary) << FormatConfiguration(Params(1));
    const std::string run = Tool({"-v", "--all", "write", "/tmp/all-params.txt"});
    const std::size_t out = run.find('|'), err = run.find('|', out + 1);
    ASSERT_EQ(run.substr(0, out), "1") << run;
    const auto results = ByModule(run.substr(out + 1, err - out - 1));
    const auto messages = ByModule(run.substr(err + 1), "lq3860ctl: ");
    ASSERT_EQ(results.size(), 1u) << run;  // only the eight say something on stdout
    EXPECT_EQ(results.at("LQ-3860 (virtual)").size(), 8u) << run;
    for (const std::string& line : results.at("LQ-3860 (virtual)"))
        EXPECT_NE(line.find(":Upload Parameter OK"), std::string::npos);
    const auto said = [&](const std::string& name, const std::string& text) {
        const auto& lines = messages.at(name);
        return std::any_of(lines.begin(), lines.end(),
                           [&](const std::string& line) { return line.find(":" + text) != std::string::npos; });
    };
    EXPECT_TRUE(said("Silent", "HID_Read Err") && said("Silent", "Upload Parameter NG")) << run;
    EXPECT_TRUE(said("Pulled", "HID_Write Err") && said("Pulled", "Upload Parameter NG")) << run;
    EXPECT_FALSE(said("LQ-3860 (virtual)", "Upload Parameter NG")) << run;
    // Each of the eight stored exactly the file's set.
    for (int k = 0; k < 8; ++k)
        EXPECT_EQ(FileText("/tmp/all-write-" + std::to_string(k) + ".txt"), FormatConfiguration(Params(1))) << k;
}

TEST_F(AllModulesOnRealStack, ReadAllSavesTheEightByteExactAndNamesTheTwoFailures) {
    if (access(CTL, X_OK) != 0) GTEST_SKIP() << "lq3860ctl is not part of this guest";
    std::vector<std::string> stored;
    for (int k = 0; k < 8; ++k) {
        stored.push_back(FormatConfiguration(Params(10 + k)));
        std::ofstream("/tmp/all-read-" + std::to_string(k) + ".txt", std::ios::binary) << stored.back();
    }
    ASSERT_TRUE(PlugTen("/tmp/all-read.txt", 1));  // "AT+iRP1" is answered, then the module is gone
    const std::string run = Tool({"--all", "read", "--save", "/tmp/saved.txt"});
    const auto messages = ByModule(run.substr(run.find('|', 2) + 1), "lq3860ctl: ");
    EXPECT_EQ(run.substr(0, 3), "1||") << run;  // nothing on stdout: the sets went to the files
    ASSERT_EQ(messages.size(), 2u) << run;
    std::vector<std::string> failedSlots;
    for (const char* name : {"Silent", "Pulled"}) {
        ASSERT_EQ(messages.at(name).size(), 1u) << run;
        const std::string& line = messages.at(name).front();
        EXPECT_EQ(line.substr(line.find(':')), ":Download Parameter NG") << name;
        failedSlots.push_back(line.substr(0, line.find(':')));
    }
    std::vector<std::string> saved;
    for (int slot = 0; slot < 10; ++slot) {
        const std::string file = "/tmp/saved-" + std::to_string(slot) + ".txt";
        const bool failed = std::count(failedSlots.begin(), failedSlots.end(), std::to_string(slot)) > 0;
        EXPECT_EQ(access(file.c_str(), F_OK) == 0, !failed) << file;
        if (!failed) saved.push_back(FileText(file));
    }
    std::sort(saved.begin(), saved.end());
    std::sort(stored.begin(), stored.end());
    EXPECT_EQ(saved, stored);
}

}  // namespace

}  // namespace lq3860
