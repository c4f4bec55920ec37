// SPDX-License-Identifier: MIT
// lq3860ctl.exe on Wine's HID stack (winebus reading hidraw nodes), inside the
// test VM, against lq3860-sim modules on uhid: every scenario runs the Linux
// tool and the Windows tool on the same modules, and their outcomes (exit
// status, output, error output) and saved files must be the same bytes.
// Device paths are the platforms' own and are compared as "PATH", output
// lines in order. Started by wine-guest.sh, which says where the Windows
// build and the Wine prefix are (LQ3860_WINE_BIN, LQ3860_WINE_RUN,
// LQ3860_WINE_PREFIX).
#include <cstdio>
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
        // The programs and what they load; the test programs stay behind.
        ASSERT_EQ(RunWithin("/bin/sh",
                            {"-c", "mkdir \"$1\" && cd \"$0\" && cp -r *.dll lq3860*.exe platforms styles \"$1\"",
                             Environment("LQ3860_WINE_BIN"), WINE_BIN},
                            60),
                  "0||");
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

struct Command {
    Args words;  // LOADED: a file holding OTHER_PARAMS; SAVED: a file to save to
    int linuxStatus;
};

// Each row: the lq3860-sim processes, the hidraw nodes they make and the
// tool's commands, run one after another on the same modules. The modules
// keep their parameters in /tmp/state.txt (numbered for several).
TEST_F(WineStack, ToolOnWineGivesTheLinuxToolsOutcomesAndFiles) {
    const Args state = {"--state", "/tmp/state.txt"};
    const std::vector<std::tuple<std::vector<Args>, int, std::vector<Command>>> rows = {
        // A foreign vendor's device is not listed; ours shows an empty name
        // and its second collection is no module of its own.
        {{{"--no-name", "--second-collection"}, {"--vendor", "1234"}}, 2, {{{"list"}, 0}}},
        {{{"--modules", "10"}}, 10, {{{"list"}, 0}}},
        {{{"--modules", "11"}}, 11, {{{"list"}, 0}}},
        {{state},
         1,
         {{{"info"}, 0}, {{"signal"}, 0}, {{"write", "--verify", "LOADED"}, 0}, {{"read", "--save", "SAVED"}, 0}}},
        {{{"--keep-old-params"}}, 1, {{{"write", "--verify", "LOADED"}, 10}}},
        {{{"--modules", "2", "--state", "/tmp/state.txt"}},
         2,
         {{{"list"}, 0}, {{"--all", "read", "--save", "SAVED"}, 0}}},
        {{{"--silent"}}, 1, {{{"read"}, 7}}},
        {{{"--reply-delay", "2600"}}, 1, {{{"info"}, 7}}},
        {{{"--short-replies", "16"}}, 1, {{{"info"}, 8}, {{"read"}, 0}}},
        {{{"--unplug-after", "1"}}, 1, {{{"read", "--save", "SAVED"}, 1}}},
    };
    for (const auto& [processes, devices, commands] : rows) {
        std::string trace = commands[0].words[0];
        for (const Args& process : processes) trace += " | " + (process.empty() ? "" : process[0]);
        SCOPED_TRACE(trace);
        const Clock::time_point rowStart = Clock::now();
        std::string outcomes[2], files[2];
        for (int platform : {0, 1}) {
            const std::string saved = platform == 0 ? "/tmp/linux.txt" : "/tmp/windows.txt", loaded = "/tmp/load.txt";
            WriteText(saved, "kept\r\n");
            WriteText(loaded, FormatConfiguration(OTHER_PARAMS));
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
            for (const Command& command : commands) {
                Args arguments = command.words;
                for (std::string& word : arguments) {
                    if (word == "SAVED" || word == "LOADED")
                        word = (platform == 0 ? "" : "Z:") + (word == "SAVED" ? saved : loaded);
                }
                const std::string outcome = WithoutPaths(platform == 0 ? RunWithin(CTL, arguments, 60)
                                                                       : RunWindows("lq3860ctl.exe", arguments));
                if (platform == 0) {
                    EXPECT_TRUE(outcome.starts_with(std::to_string(command.linuxStatus) + "|")) << outcome;
                }
                outcomes[platform] += outcome + "\n==\n";
            }
            std::vector<std::string> kept = {FileText(saved), FileText("/tmp/state.txt")};
            for (int module = 0; module < 3; ++module)
                kept.push_back(FileText(NumberedFileName(saved, module)) + "|" +
                               FileText(NumberedFileName("/tmp/state.txt", module)));
            std::ranges::sort(kept.begin() + 2, kept.end());  // slots may differ between the platforms
            for (const std::string& text : kept) files[platform] += text + "\n--\n";
            ASSERT_TRUE(Unplug());
        }
        EXPECT_EQ(outcomes[1], outcomes[0]);
        EXPECT_EQ(files[1], files[0]);
        std::printf("[ row      ] %s: %lld s\n", trace.c_str(), MillisecondsSince(rowStart) / 1000);
    }
}

// The window on Wine's stack selects the first module and reads its
// firmware (its debug texts say so); the picture stays with the run.
TEST_F(WineStack, WindowSelectsTheModuleAndReadsItsFirmware) {
    ASSERT_TRUE(PlugForBoth({{"--name", "LQ-3860 pictured"}}, 1));
    setenv("QT_FORCE_STDERR_LOGGING", "1", 1);  // a window program logs to the debugger otherwise
    const std::string picture = Environment("LQ3860_ARTEFACTS") + "/wine-window.png";
    const std::string run = RunWindows("lq3860-utility.exe", {"-v", "--screenshot", "Z:" + picture});
    EXPECT_TRUE(run.starts_with("0|")) << run;
    for (const char* text : {"lq3860-utility: LQ-3860 pictured\r\n", "HID_Open\r\n", "OK"})
        EXPECT_NE(run.find(text), std::string::npos) << text << " missing from " << run;
    EXPECT_TRUE(FileText(picture).starts_with("\x89PNG\r\n")) << run;
}

// Ctrl-C (Wine turns SIGINT into it) during a write, while the module is
// slow to acknowledge the announcement: the write still ends whole, and then
// the program ends at once, before it says so (with status 0: Wine's default
// handler, where Windows gives STATUS_CONTROL_C_EXIT). The Linux tool then
// reads the written set.
TEST_F(WineStack, CtrlCDuringAWriteLeavesTheModuleWhole) {
    WriteText("/tmp/load.txt", FormatConfiguration(OTHER_PARAMS));
    ASSERT_TRUE(PlugForBoth({{"--reply-delay", "1200"}}, 1));
    const pid_t writer = Start(
        "/bin/sh", {Environment("LQ3860_WINE_RUN"), WINE_BIN + "/lq3860ctl.exe", "-v", "write", "Z:/tmp/load.txt"},
        "/tmp/writer");
    for (const Clock::time_point start = Clock::now();
         FileText("/tmp/writer.err").find("HID_Open") == std::string::npos && MillisecondsSince(start) < 300000;)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    std::this_thread::sleep_for(std::chrono::milliseconds(400));  // the announcement waits for its answer
    kill(writer, SIGINT);
    EXPECT_EQ(Finish(writer, "/tmp/writer"), "0||lq3860ctl: HID_Open\n");
    const std::string read = RunWithin(CTL, {"read", "--save", "/tmp/after.txt"}, 60);
    EXPECT_TRUE(read.starts_with("0|")) << read;
    EXPECT_EQ(FileText("/tmp/after.txt"), FormatConfiguration(OTHER_PARAMS));
}

}  // namespace

}  // namespace lq3860
