// SPDX-License-Identifier: MIT
// station: modules written and verified as they come, on injected simulated
// modules and device events (pauses return at once).
#include <algorithm>
#include <chrono>
#include <regex>
#include <sstream>
#include <thread>

#include "params/config_file.h"
#include "simulated_module/simulated_hotplug_monitor.h"
#include "tool_fixture.h"

namespace lq3860 {

namespace {

const std::string KEY = "station-key-0123";
const std::string LINE_FILE = ConfigText("00,03,04,", "line-ssid", KEY);

class Station : public ToolTest {
protected:
    // Runs the station on its own thread; `plug` runs meanwhile on this one.
    ToolRun RunStation(const std::vector<std::string>& arguments, const std::function<void()>& plug) {
        std::ostringstream out, err;
        int status = -1;
        std::thread station([&] { status = RunTool(arguments, out, err, {&platform_, pause_, false, &monitor_}); });
        // Once the station waits for events, it has looked at the modules attached at start.
        for (int i = 0; i < 1000 && monitor_.waits == 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        plug();
        station.join();
        return {status, out.str(), err.str()};
    }
    // The logged lines without their times, sorted by path; the summary last.
    static std::vector<std::string> Lines(const std::string& out) {
        static const std::regex time("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\.\\d{3}Z\\t");
        static const std::regex took("\\t\\d+\\.\\d{3} s$");
        std::vector<std::string> lines;
        std::istringstream text(out);
        for (std::string line; std::getline(text, line);) {
            if (line.starts_with("summary")) continue;
            EXPECT_TRUE(std::regex_search(line, time) && std::regex_search(line, took)) << line;
            lines.push_back(std::regex_replace(std::regex_replace(line, time, ""), took, ""));
        }
        std::sort(lines.begin(), lines.end(), [](const std::string& a, const std::string& b) {
            return a.substr(a.find('\t')) < b.substr(b.find('\t'));
        });
        lines.push_back(out.substr(out.rfind("summary")));
        return lines;
    }

    struct CountingMonitor : SimulatedHotplugMonitor {
        bool WaitForEvents(int milliseconds) override {
            ++waits;
            return SimulatedHotplugMonitor::WaitForEvents(milliseconds);
        }
        std::atomic<int> waits = 0;
    } monitor_;
};

// The modules attached at start and one plugged in later are each written
// once and checked; the one that keeps its old parameters fails, and the
// station's status is its. The key is never printed.
TEST_F(Station, EveryModuleWrittenOnceAndVerified) {
    platform_.AddModule(u"A");
    platform_.AddModule(u"Keeps old").module->faults.keepOldParams = true;
    const std::string file = File("line.txt", LINE_FILE);
    const ToolRun run = RunStation({"station", "--count", "3", file}, [this] {
        monitor_.Inject(DeviceEvent::Kind::Added, platform_.AddModule(u"Later"));
    });
    EXPECT_EQ(
        std::pair(run.status, Lines(run.out)),
        std::pair(10, std::vector<std::string>{
                          "0\tsim:0\tA\t1.1\t2026/12/06\twritten and verified",
                          "1\tsim:1\tKeeps old\t1.1\t2026/12/06\tfailed: Verify failed: the module holds other "
                          "values for channel, ssid, key, mac",
                          "2\tsim:2\tLater\t1.1\t2026/12/06\twritten and verified", "summary\twritten 2\tfailed 1\n"}));
    for (std::size_t i : {0u, 2u}) {
        EXPECT_EQ(FormatConfiguration(platform_.Interface(i).module->Behaviour().Params()), LINE_FILE);
        EXPECT_EQ(platform_.Interface(i).written.size(), 6u);  // firmware, announcement, 2 reports, 2 reads
    }
    EXPECT_EQ(run.out.find(KEY) + run.err.find(KEY), 2 * std::string::npos);
}

// With --skip-attached a module attached at start waits until it is plugged
// in again; then it is a new job. A module pulled out while it is written
// fails alone. --json: one object per line.
TEST_F(Station, ReplugIsANewJobAndJsonLines) {
    SimulatedInterface& attached = platform_.AddModule(u"A");
    const std::string file = File("line.txt", LINE_FILE);
    const ToolRun run = RunStation({"station", "--json", "--skip-attached", "--count", "2", file}, [&] {
        SimulatedInterface& pulled = platform_.AddModule(u"Pulled");
        pulled.module->faults.unplugAfterReports = 2;  // the firmware query and the announcement
        monitor_.Inject(DeviceEvent::Kind::Added, pulled);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        monitor_.Inject(DeviceEvent::Kind::Removed, attached);
        monitor_.Inject(DeviceEvent::Kind::Added, attached);
    });
    static const std::regex varying("\"time\":\"[^\"]*\"|\"milliseconds\":\\d+");
    std::vector<std::string> lines;
    std::istringstream text(std::regex_replace(run.out, varying, "#"));
    for (std::string line; std::getline(text, line);) lines.push_back(line);
    std::sort(lines.begin(), lines.end());
    EXPECT_EQ(
        std::pair(run.status, lines),
        std::pair(1, std::vector<std::string>{
                         R"({"written":1,"failed":1})",
                         R"({#,"slot":0,"path":"sim:0","name":"A","version":"1.1","date":"2026/12/06",)"
                         R"("outcome":"written and verified","status":0,#})",
                         R"({#,"slot":1,"path":"sim:1","name":"Pulled","version":"1.1","date":"2026/12/06",)"
                         R"("outcome":"failed","status":1,"error":"link-lost","message":"Upload Parameter NG",#})"}));
    EXPECT_EQ(attached.written.size(), 6u);
}

}  // namespace

}  // namespace lq3860
