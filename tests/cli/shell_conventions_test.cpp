// SPDX-License-Identifier: MIT
// The three programs as a shell meets them: one table of the conventions
// they share (help, version, bundled flags, usage errors, write errors),
// the completion that bash and zsh get from lq3860ctl's and lq3860-sim's
// own option tables, and the window without a display.
#include <filesystem>
#include <sstream>

#include "cli/command_line.h"
#include "cli/exit_codes.h"
#include "cli/usage_text.h"
#include "lq3860_version.h"
#include "man_page.h"
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

// The exit statuses and error codes are one table: the help prints it, and
// the README and the man page show the same rows.
TEST(ShellConventions, ExitStatusesAndErrorCodesAreOneTableEverywhere) {
    std::string readme;
    std::istringstream lines(ExitStatusHelp());
    for (std::string line; std::getline(lines, line);) readme += "    " + line + "\n";
    EXPECT_NE(ReadWholeFile(LQ3860_SOURCE_DIR "/README.md").find(readme), std::string::npos) << readme;
    const auto roff = [](std::string text) {
        for (std::size_t at = text.find('-'); at != std::string::npos; at = text.find('-', at + 2))
            text.insert(at, "\\");
        return text;
    };
    std::string statuses, codes;
    for (const ExitStatusMeaning& row : EXIT_STATUSES)
        statuses += ".TP\n.B " + std::to_string(row.status) + "\n" + roff(row.meaning) + "\n";
    for (const ToolErrorCode& row : ERROR_CODES)
        codes +=
            ".TP\n.BR " + roff(row.code) + " \" (" + std::to_string(row.status) + ")\"\n" + roff(row.meaning) + "\n";
    const std::string page = ReadWholeFile(LQ3860_SOURCE_DIR "/cli/lq3860ctl.1");
    EXPECT_NE(page.find(statuses), std::string::npos) << statuses;
    EXPECT_NE(page.find(codes), std::string::npos) << codes;
}

// Without a display the window says so, then gives Qt's own reasons: the
// platform plugin that could not connect, or the one that is not installed.
TEST(ShellConventions, TheWindowWithoutADisplaySaysSoWithQtsReason) {
    const std::string said =
        "lq3860-utility: no display could be opened (set DISPLAY or WAYLAND_DISPLAY, or "
        "QT_QPA_PLATFORM)\nlq3860-utility: Qt: ";
    const std::pair<std::vector<std::string>, std::string> rows[] = {
        {{"-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", "-u", "QT_QPA_PLATFORM"}, "could not connect to display"},
        {{"WAYLAND_DISPLAY=lq3860-none", "QT_QPA_PLATFORM=wayland"}, "\"wayland\""}};
    for (const auto& [environment, reason] : rows) {
        std::vector<std::string> command{"env"};
        command.insert(command.end(), environment.begin(), environment.end());
        command.push_back(LQ3860_UTILITY_PATH);
        const ToolRun run = RunProgram(command);
        EXPECT_EQ(run.status, 1);
        EXPECT_TRUE(run.out.empty());
        EXPECT_TRUE(run.err.starts_with(said)) << run.err;
        EXPECT_NE(run.err.find(reason), std::string::npos) << run.err;
    }
}

// What bash offers for the words of a command line as they were typed
// (quotes and backslashes included), the last one being completed, each
// offer followed by a blank; `program` stands for the built tool with two
// simulated modules.
std::string BashOffers(const Program& program, const std::vector<std::string>& typed) {
    const std::string& name = program.name;
    std::string words;
    for (std::string word : typed) {
        for (std::size_t at = word.find('\''); at != std::string::npos; at = word.find('\'', at + 4))
            word.replace(at, 1, "'\\''");
        words += " '" + word + "'";
    }
    return RunProgram({"bash", "-c",
                       RunProgram({program.path, "--completion", "bash"}).out + name + "() { \"" + program.path +
                           "\" --simulate --modules 2 \"$@\"; }\nCOMP_WORDS=(" + name + words +
                           "); COMP_CWORD=$((${#COMP_WORDS[@]} - 1))\n_" + (name == "lq3860ctl" ? name : "lq3860_sim") +
                           " " + name + "; for w in \"${COMPREPLY[@]}\"; do printf '%s ' \"$w\"; done"})
        .out;
}

// Every option of the parser's table, as offered after "-".
std::string EveryOption(const OptionList& table) {
    std::string words;
    for (const OptionEntry* option : table) {
        if (!option->hidden)
            words += std::string(option->name) + " " + (option->letter ? std::string("-") + option->letter + " " : "");
    }
    return words;
}

TEST(ShellCompletion, OffersWhatTheParserKnows) {
    const Program& tool = PROGRAMS[0];
    EXPECT_EQ(BashOffers(tool, {""}), "list info signal read write station getmac ");
    EXPECT_EQ(BashOffers(tool, {"-"}), EveryOption(ToolOptionTable()));
    EXPECT_EQ(BashOffers(PROGRAMS[1], {"-"}), EveryOption(SimOptionTable()));
    EXPECT_EQ(BashOffers(tool, {"--name", ""}), "");
    EXPECT_EQ(BashOffers(tool, {"getmac", "1.2.3.4", "--adapter", "l"}), "lo ");
    // zsh gets the same options (each with its help) and commands, in a script it can read.
    const std::string zsh = RunProgram({tool.path, "--completion", "zsh"}).out;
    EXPECT_EQ(RunProgram({"zsh", "-n", "-c", zsh}).status, 0);
    EXPECT_NE(zsh.find("'1:command:(list info signal read write station getmac)'"), std::string::npos);
    for (const OptionEntry* option : ToolOptionTable())
        EXPECT_EQ(zsh.find("'" + std::string(option->name)) != std::string::npos, !option->hidden) << option->name;
    EXPECT_NE(zsh.find("'--json[print one JSON object per command instead of text lines (nothing on"),
              std::string::npos);
}

// Names with blanks, '*', "$(...)" and backquotes: files and modules are
// offered as one word each, quoted as the line stands (bare, or within the
// quote the word opened), matched as text, and nothing of the line is run.
// The --name on the line reaches the listing of the (two) modules.
TEST(ShellCompletion, AwkwardNamesAreQuotedAndNeverRun) {
    const TempDir dir;
    const std::string awkward = "a * $(touch " + dir.File("ran") + ") `touch " + dir.File("ran") + "`";
    for (const char* file : {"my file.txt", "$(x) `y`.txt", "*.txt"}) WriteWholeFile(dir.File(file), "");
    const auto bare = [](std::string text) {  // as printf %q writes it
        for (std::size_t at = text.find_first_of(" *$()`"); at != std::string::npos;
             at = text.find_first_of(" *$()`", at + 2))
            text.insert(at, "\\");
        return text;
    };
    const Program& tool = PROGRAMS[0];
    const std::vector<std::pair<std::vector<std::string>, std::string>> rows = {
        {{"write", dir.File("my")}, bare(dir.File("my file.txt")) + " "},
        {{"write", "'" + dir.File("my")}, dir.File("my file.txt") + " "},
        {{"write", dir.File("$")}, bare(dir.File("$(x) `y`.txt")) + " "},
        {{"write", "\"" + dir.File("$")}, dir.File("\\$(x) \\`y\\`.txt") + " "},
        {{"write", dir.File("*")}, bare(dir.File("*.txt")) + " "},
        {{"--device", ""}, "0 LQ-3860\\ \\(simulated\\) 1 LQ-3860\\ \\(simulated\\) "},
        {{"--name", "'" + awkward + "'", "--device", "a"}, bare(awkward) + " " + bare(awkward) + " "},
        {{"--name", "=", "'" + awkward + "'", "--device", "'a"}, awkward + " " + awkward + " "},  // bash splits at '='

        {{"--name", "'" + awkward + "'", "--device", "*"}, ""},
    };
    for (const auto& [typed, offered] : rows) EXPECT_EQ(BashOffers(tool, typed), offered) << typed.back();
    EXPECT_FALSE(std::filesystem::exists(dir.File("ran")));
}

TEST(ShellConventions, TheManPagesNameEveryOptionOfTheTables) {
    const std::vector<std::string> none;
    EXPECT_EQ(OptionsMissingFromManPage(LQ3860_SOURCE_DIR "/cli/lq3860ctl.1", ToolOptionTable()), none);
    EXPECT_EQ(OptionsMissingFromManPage(LQ3860_SOURCE_DIR "/uhid_sim/lq3860-sim.1", SimOptionTable()), none);
}

}  // namespace

}  // namespace lq3860
