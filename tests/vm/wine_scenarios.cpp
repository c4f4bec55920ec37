// SPDX-License-Identifier: MIT
// lq3860ctl.exe on Wine's HID stack (winebus reading hidraw nodes), inside the
// test VM, against lq3860-sim modules on uhid: every scenario runs the Linux
// tool and the Windows tool on the same modules, and their outcomes (exit
// status, output, error output) and saved files must be the same bytes.
// Device paths are the platforms' own and are compared as "PATH", output
// lines in order. Started by wine-guest.sh, which says where the Windows
// build and the Wine prefix are (LQ3860_WINE_BIN, LQ3860_WINE_RUN,
// LQ3860_WINE_PREFIX).
#include <tuple>

#include "guest_programs.h"
#include "params/config_file.h"
#include "simulated_module/module_behaviour.h"
#include "simulated_module/simulation_options.h"

namespace lq3860 {

namespace {

const std::string WINE_BIN = "/tmp/windows-bin";  // the Windows build's programs, on the guest's tmpfs

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

// Runs a program, killed when it has not ended within `seconds`: a run that
// hangs reads as status -1.
std::string RunWithin(const char* program, Args arguments, int seconds) {
    const pid_t child = Start(program, std::move(arguments), "/tmp/run");
    siginfo_t ended{};
    for (const Clock::time_point start = Clock::now();
         child > 0 && waitid(P_PID, static_cast<id_t>(child), &ended, WEXITED | WNOHANG | WNOWAIT) == 0 &&
         ended.si_pid == 0;
         std::this_thread::sleep_for(std::chrono::milliseconds(50)))
        if (MillisecondsSince(start) > seconds * 1000LL) kill(child, SIGKILL);
    return Finish(child, "/tmp/run");
}

// A Windows program of the build under Wine (cmake/wine-run.sh), with the prefix prepared for this VM.
std::string RunWindows(const std::string& program, Args arguments, int seconds = 300) {
    arguments.insert(arguments.begin(), {Environment("LQ3860_WINE_RUN"), WINE_BIN + "/" + program});
    return RunWithin("/bin/sh", std::move(arguments), seconds);
}

// A run with its list lines' device paths (the third field) as "PATH" and
// its output lines in order: each platform lists in its own enumeration order.
std::string WithoutPaths(const std::string& run) {
    std::vector<std::string> lines;
    std::string rest = run.substr(0, run.find('|', run.find('|') + 1)), tail = run.substr(rest.size());
    for (std::size_t at = rest.find('|') + 1; at < rest.size();) {
        const std::size_t end = std::min(rest.find('\n', at), rest.size());
        std::string line = rest.substr(at, end - at);
        const std::size_t first = line.find('\t'), second = line.find('\t', first + 1);
        if (first != std::string::npos && second != std::string::npos)
            line.replace(second + 1, std::string::npos, "PATH");
        lines.push_back(line);
        at = end + 1;
    }
    std::ranges::sort(lines);
    std::string sorted = rest.substr(0, rest.find('|') + 1);
    for (const std::string& line : lines) sorted += line + "\n";
    return sorted + tail;
}

class WineStack : public GuestScenario {
protected:
    static void SetUpTestSuite() {
        ASSERT_EQ(RunWithin("/bin/cp", {"-r", Environment("LQ3860_WINE_BIN"), WINE_BIN}, 60), "0||");
        setenv("LQ_WINEPREFIX", Environment("LQ3860_WINE_PREFIX").c_str(), 1);
        // Wine's server and device services stay for a scenario; the first
        // start (minutes under emulation) is made before any scenario.
        setenv("LQ_WINESERVER_PERSISTENCE", "3600", 1);
        setenv("WINEPREFIX", Environment("LQ3860_WINE_PREFIX").c_str(), 1);
        ASSERT_TRUE(RunWindows("lq3860ctl.exe", {"--version"}, 300).starts_with("0|lq3860ctl "));
    }

    // Plugs the modules, starts Wine's services anew, so they find the
    // modules as they start (under emulation Wine follows a burst of plugged
    // and pulled modules only after minutes), and waits until Wine lists what
    // the Linux tool lists; false when it has not within 5 minutes.
    bool PlugForBoth(std::vector<Args> processes, int devices) {
        if (!Plug(std::move(processes), devices)) return false;
        RunWithin("/usr/lib/wine/wineserver64", {"-k"}, 60);
        const std::string linux = WithoutPaths(RunProgram(CTL, {"list"}));
        std::string windows;
        for (const Clock::time_point start = Clock::now(); MillisecondsSince(start) < 300000;) {
            if ((windows = WithoutPaths(RunWindows("lq3860ctl.exe", {"list"}))) == linux) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
        }
        ADD_FAILURE() << "Wine lists\n" << windows << "\nwhere Linux lists\n" << linux;
        return false;
    }
};

const ModuleParamSet DEFAULTS = ModuleBehaviour().Params();
const ModuleParamSet OTHER_PARAMS{MODE_AP, 11, ENCRYPTION_NONE, "other-net", "", {2, 0x33, 0x64, 0x95, 0xC6, 0xF7}};

// Each row: the lq3860-sim processes, the hidraw nodes they make, the
// tool's command (FILE: a file to save to or load from), the Linux tool's
// exit status. The module keeps its parameters in /tmp/state.txt (numbered
// for several); a command that saves writes FILE, one that loads reads
// OTHER_PARAMS from it.
TEST_F(WineStack, ToolOnWineGivesTheLinuxToolsOutcomesAndFiles) {
    const Args state = {"--state", "/tmp/state.txt"};
    const std::vector<std::tuple<std::vector<Args>, int, Args, int>> rows = {
        // A foreign vendor's device is not listed.
        {{{}, {"--vendor", "1234"}}, 2, {"list"}, 0},
        {{{"--modules", "2"}}, 2, {"list"}, 0},
        {{{"--modules", "11"}}, 11, {"list"}, 0},
        {{{"--no-name"}}, 1, {"list"}, 0},
        {{state}, 1, {"info"}, 0},
        {{state}, 1, {"signal"}, 0},
        {{state}, 1, {"read", "--save", "FILE"}, 0},
        {{state}, 1, {"write", "FILE"}, 0},
        {{{"--modules", "3", "--state", "/tmp/state.txt"}}, 3, {"--all", "read", "--save", "FILE"}, 0},
        {{{"--silent"}}, 1, {"read"}, 7},
        {{{"--reply-delay", "2600"}}, 1, {"info"}, 7},
        {{{"--short-replies", "16"}}, 1, {"info"}, 8},
        {{{"--short-replies", "16"}}, 1, {"read"}, 0},
        {{{"--unplug-after", "1"}}, 1, {"read", "--save", "FILE"}, 1},
    };
    for (const auto& [processes, devices, command, linuxStatus] : rows) {
        std::string trace;
        for (const std::string& word : command) trace += word + " ";
        for (const Args& process : processes) trace += "| " + (process.empty() ? "" : process[0]) + " ";
        SCOPED_TRACE(trace);
        std::string outcomes[2], files[2], states[2];
        for (int platform : {0, 1}) {
            const std::string file = platform == 0 ? "/tmp/linux.txt" : "/tmp/windows.txt";
            WriteText(file, command[0] == "write" ? FormatConfiguration(OTHER_PARAMS) : "kept\r\n");
            for (int module = 0; module < 3; ++module) {
                ModuleParamSet params = DEFAULTS;
                StoreParamText(params.ssid, "state-" + std::to_string(module));
                WriteText(NumberedFileName("/tmp/state.txt", module), FormatConfiguration(params));
                if (module == 0) WriteText("/tmp/state.txt", FormatConfiguration(params));
            }
            if (platform == 0 ? !Plug(processes, devices) : !PlugForBoth(processes, devices)) {
                EXPECT_TRUE(Unplug());
                break;
            }
            Args arguments = command;
            for (std::string& word : arguments)
                if (word == "FILE") word = platform == 0 ? file : "Z:" + file;
            outcomes[platform] =
                WithoutPaths(platform == 0 ? RunWithin(CTL, arguments, 60) : RunWindows("lq3860ctl.exe", arguments));
            std::vector<std::string> saved = {FileText(file), FileText("/tmp/state.txt")};
            for (int module = 0; module < 3; ++module)
                saved.push_back(FileText(NumberedFileName(file, module)) + "|" +
                                FileText(NumberedFileName("/tmp/state.txt", module)));
            std::ranges::sort(saved.begin() + 2, saved.end());  // slots may differ between the platforms
            for (const std::string& text : saved) files[platform] += text + "\n--\n";
            ASSERT_TRUE(Unplug());
        }
        EXPECT_TRUE(outcomes[0].starts_with(std::to_string(linuxStatus) + "|")) << outcomes[0];
        EXPECT_EQ(outcomes[1], outcomes[0]);
        EXPECT_EQ(files[1], files[0]);
    }
}

}  // namespace

}  // namespace lq3860
