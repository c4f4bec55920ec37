// SPDX-License-Identifier: MIT
// lq3860ctl --all on ten virtual modules of the real kernel HID stack, one of
// them silent and one pulled out half-way: the other eight succeed with
// byte-exact results, the two fail with their own messages, and the exit
// status says so.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "guest_programs.h"
#include "params/config_file.h"

namespace lq3860 {

namespace {

const std::string EIGHT = "LQ-3860 (virtual)";

// The module's parameters as the window would save them; number k varies the SSID and the MAC.
ModuleParamSet Params(int k) {
    ModuleParamSet params{.mode = MODE_AP, .channel = 7, .encryption = 2, .key = "0123456789abcdef0123456789"};
    StoreParamText(params.ssid, "all-modules-" + std::to_string(k));
    params.mac[0] = 2;
    params.mac[5] = static_cast<std::uint8_t>(k);
    return params;
}

class AllModulesOnRealStack : public GuestScenario {
protected:
    // Eight modules keeping their memory in FILE-0 .. FILE-7, one silent, one pulled after
    // `pulledAfter` reports; true once the names of all ten by slot are known.
    bool PlugTen(const std::string& stateFile, int pulledAfter) {
        if (!Plug({{"--modules", "8", "--state", stateFile},
                   {"--silent", "--name", "Silent"},
                   {"--unplug-after", std::to_string(pulledAfter), "--name", "Pulled"}},
                  10))
            return false;
        const std::string run = RunProgram(CTL, {"list"});
        std::istringstream list(run.substr(2, run.find('|', 2) - 2));  // "slot\tname\tpath" lines
        for (std::string slot, name, path; std::getline(list, slot, '\t') && std::getline(list, name, '\t');)
            if (std::getline(list, path)) names_[std::stoi(slot)] = name;
        return names_.size() == 10;
    }
    // lq3860ctl with `arguments`, its wall time printed.
    std::string Tool(const Args& arguments) {
        long long took = 0;
        std::string run = RunProgram(CTL, arguments, 0, &took);
        std::printf("LQ3860-VM: lq3860ctl %s %s took %lld ms\n", arguments[arguments.size() - 2].c_str(),
                    arguments.back().c_str(), took);
        return run;
    }
    // "slot\tname\ttext\n" for each slot whose module is (or is not) one of the eight.
    std::string Lines(bool ofTheEight, const std::string& text, const std::string& prefix = "") const {
        std::string lines;
        for (const auto& [slot, name] : names_)
            if ((name == EIGHT) == ofTheEight)
                lines += prefix + std::to_string(slot) + "\t" + name + "\t" + text + "\n";
        return lines;
    }

    std::map<int, std::string> names_;
};

TEST_F(AllModulesOnRealStack, WriteAllReachesTheEightAndNamesTheTwoFailures) {
    ASSERT_TRUE(PlugTen("/tmp/all-write.txt", 2));  // the handshake and the first parameter report arrive
    WriteText("/tmp/all-params.txt", FormatConfiguration(Params(1)));
    const std::string run = Tool({"-v", "--all", "write", "/tmp/all-params.txt"});
    EXPECT_EQ(run.substr(0, run.find('|', 2) + 1), "1|" + Lines(true, "Upload Parameter OK") + "|");
    const std::string messages = run.substr(run.find('|', 2) + 1);
    for (const auto& [name, failure] : {std::pair("Silent", "HID_Read Err"), std::pair("Pulled", "HID_Write Err")}) {
        for (const char* text : {failure, "Upload Parameter NG"})
            EXPECT_NE(messages.find("\t" + std::string(name) + "\t" + text + "\n"), std::string::npos) << text << run;
    }
    EXPECT_EQ(messages.find(EIGHT + "\tUpload Parameter NG"), std::string::npos) << run;
    // Each of the eight stored exactly the file's set.
    for (int k = 0; k < 8; ++k)
        EXPECT_EQ(FileText("/tmp/all-write-" + std::to_string(k) + ".txt"), FormatConfiguration(Params(1))) << k;
}

TEST_F(AllModulesOnRealStack, ReadAllSavesTheEightByteExactAndNamesTheTwoFailures) {
    std::vector<std::string> stored, saved;
    for (int k = 0; k < 8; ++k) {
        stored.push_back(FormatConfiguration(Params(10 + k)));
        WriteText("/tmp/all-read-" + std::to_string(k) + ".txt", stored.back());
    }
    ASSERT_TRUE(PlugTen("/tmp/all-read.txt", 1));  // "AT+iRP1" is answered, then the module is gone
    // Nothing on stdout: the sets went to the files.
    EXPECT_EQ(Tool({"--all", "read", "--save", "/tmp/saved.txt"}),
              "1||" + Lines(false, "Download Parameter NG", "lq3860ctl: "));
    for (const auto& [slot, name] : names_) {
        const std::string file = "/tmp/saved-" + std::to_string(slot) + ".txt";
        EXPECT_EQ(access(file.c_str(), F_OK) == 0, name == EIGHT) << file;
        if (name == EIGHT) saved.push_back(FileText(file));
    }
    std::sort(saved.begin(), saved.end());
    std::sort(stored.begin(), stored.end());
    EXPECT_EQ(saved, stored);
}

}  // namespace

}  // namespace lq3860
