// SPDX-License-Identifier: MIT
// The three programs as a shell meets them: one table of the conventions
// they share (help, version, bundled flags, usage errors, write errors),
// the completion that bash and zsh get from lq3860ctl's and lq3860-sim's
// own option tables, and the window without a display.
#include <sstream>

#include "cli/command_line.h"
#include "lq3860_version.h"
#include "tool_fixture.h"
#include "uhid_sim/program_options.h"

namespace lq3860 {

namespace {

struct Program {
    std::string name;
    const char* path;
    std::string valueOption;         // an option that needs a value
    std::string valueName;           // and the value's name
    std::vector<std::string> stray;  // a command line with a stray argument (its ESC is shown escaped)
    std::string strayError;
};

const Program PROGRAMS[] = {
    {"lq3860ctl", LQ3860CTL_PATH, "--device", "N", {"info", "ex\x1btra"}, "unexpected argument 'ex\\x1btra' for info"},
    {"lq3860-sim", LQ3860_SIM_PATH, "--state", "FILE", {"ex\x1btra"}, "unexpected argument 'ex\\x1btra'"},
    {"lq3860-utility", LQ3860_UTILITY_PATH, "--screenshot", "FILE", {"ex\x1btra"}, "unexpected argument 'ex\\x1btra'"},
};

// The program run with `arguments` and its standard output going to `output` ("&1": where it goes).
ToolRun RunTo(const std::string& output, const Program& program, const std::vector<std::string>& arguments) {
    std::vector<std::string> command = {"sh", "-c", "exec \"$0\" \"$@\" >" + output, program.path};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return RunProgram(command);
}

TEST(ShellConventions, OneConventionForTheThreePrograms) {
    for (const Program& p : PROGRAMS) {
        SCOPED_TRACE(p.name);
        const std::string usage = p.name + ": Try '" + p.name + " --help'.\n";
        const ToolRun help = RunTo("&1", p, {"--help"});
        EXPECT_EQ(help.out.rfind("Usage: " + p.name + " ", 0), 0u);
        std::istringstream lines(help.out);
        for (std::string line; std::getline(lines, line);) EXPECT_LE(line.size(), 79u) << line;
        const std::vector<std::pair<std::vector<std::string>, ToolRun>> rows = {
            {{"--help"}, {0, help.out, ""}},
            {{"-hV"}, {0, help.out, ""}},  // bundled flags; help goes first
            {{"--version"}, {0, p.name + " " LQ3860_VERSION "\n", ""}},
            {{"--loud"}, {2, "", p.name + ": unknown option '--loud'\n" + usage}},
            {{"-hx"}, {2, "", p.name + ": unknown option '-x'\n" + usage}},
            {{"--help=1"}, {2, "", p.name + ": option '--help' takes no value\n" + usage}},
            {{p.valueOption}, {2, "", p.name + ": option '" + p.valueOption + "' needs " + p.valueName + "\n" + usage}},
            {p.stray, {2, "", p.name + ": " + p.strayError + "\n" + usage}},
        };
        for (const auto& [arguments, expected] : rows) EXPECT_EQ(RunTo("&1", p, arguments), expected) << arguments[0];
        // What cannot be written to stdout is an error, as in coreutils.
        EXPECT_EQ(RunTo("/dev/full", p, {"--help"}),
                  (ToolRun{1, "", p.name + ": write error: No space left on device\n"}));
    }
    EXPECT_EQ(RunTo("/dev/full", PROGRAMS[0], {"--simulate", "info"}),
              (ToolRun{1, "", "lq3860ctl: write error: No space left on device\n"}));
    // A reader that went away (the read's waits outlast `true`) is a write error too, not a silent SIGPIPE.
    EXPECT_EQ(RunProgram({"sh", "-c", "(\"$0\" --simulate read; echo \"status $?\" >&2) | true", LQ3860CTL_PATH}),
              (ToolRun{0, "", "lq3860ctl: write error: Broken pipe\nstatus 1\n"}));
    // "-" is standard output for --save and standard input for write: one module's set piped into another.
    const TempDir dir;
    WriteWholeFile(dir.File("a.txt"), ConfigText("01,11,01,", "piped", "abcdefghij"));
    EXPECT_EQ(RunProgram({"sh", "-c", "\"$0\" --simulate=\"$1\" read --save - | \"$0\" --simulate=\"$2\" write -",
                          LQ3860CTL_PATH, dir.File("a.txt"), dir.File("b.txt")}),
              (ToolRun{0, "Upload Parameter OK\n", ""}));
    EXPECT_EQ(ReadWholeFile(dir.File("b.txt")), ReadWholeFile(dir.File("a.txt")));
}

TEST(ShellConventions, TheWindowWithoutADisplaySaysSo) {
    const std::string said = "no display could be opened (set DISPLAY or WAYLAND_DISPLAY, or QT_QPA_PLATFORM)\n";
    EXPECT_EQ(
        RunProgram({"env", "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", "-u", "QT_QPA_PLATFORM", LQ3860_UTILITY_PATH}),
        (ToolRun{1, "", "lq3860-utility: " + said}));
}

// What bash offers for the words of a command line, the last one being
// completed, blank-separated; `program` stands for the built tool with two
// simulated modules.
std::string BashOffers(const Program& program, const std::string& words) {
    const std::string& name = program.name;
    return RunProgram({"bash", "-c",
                       RunProgram({program.path, "--completion", "bash"}).out + name + "() { \"" + program.path +
                           "\" --simulate --modules 2 \"$@\"; }\nCOMP_WORDS=(" + name + " " + words +
                           "); COMP_CWORD=$((${#COMP_WORDS[@]} - 1))\n_" + (name == "lq3860ctl" ? name : "lq3860_sim") +
                           " " + name + "; for w in \"${COMPREPLY[@]}\"; do printf '%s ' \"$w\"; done"})
        .out;
}

// Every option of the parser's table, as offered after "-".
std::string EveryOption(std::span<const OptionEntry> table) {
    std::string words;
    for (const OptionEntry& option : table) {
        if (!option.hidden)
            words += std::string(option.name) + " " + (option.letter ? std::string("-") + option.letter + " " : "");
    }
    return words;
}

TEST(ShellCompletion, OffersWhatTheParserKnows) {
    const TempDir dir;
    WriteWholeFile(dir.File("cfg.txt"), "");
    const Program& tool = PROGRAMS[0];
    EXPECT_EQ(BashOffers(tool, "''"), "list info signal read write station getmac ");
    EXPECT_EQ(BashOffers(tool, "-"), EveryOption(ToolOptionTable()));
    EXPECT_EQ(BashOffers(PROGRAMS[1], "-"), EveryOption(SimOptionTable()));
    EXPECT_EQ(BashOffers(tool, "--device ''"), "0 LQ-3860\\ \\(simulated\\) 1 LQ-3860\\ \\(simulated\\) ");
    EXPECT_EQ(BashOffers(tool, "write " + dir.File("c")), dir.File("cfg.txt") + " ");
    EXPECT_EQ(BashOffers(tool, "--name ''"), "");
    // zsh gets the same options and commands (no zsh here to run it).
    const std::string zsh = RunProgram({tool.path, "--completion", "zsh"}).out;
    EXPECT_NE(zsh.find("'1:command:(list info signal read write station getmac)'"), std::string::npos);
    for (const OptionEntry& option : ToolOptionTable())
        EXPECT_EQ(zsh.find("'" + std::string(option.name)) != std::string::npos, !option.hidden) << option.name;
}

}  // namespace

}  // namespace lq3860
