// SPDX-License-Identifier: MIT
#include "cli/usage_text.h"

#include <algorithm>
#include <string_view>

#include "cli/exit_codes.h"

#include "lq3860_version.h"
#include "simulated_module/simulation_options.h"

namespace lq3860 {

const char* const VERSION_TEXT = "lq3860ctl " LQ3860_VERSION;

namespace {

struct CommandHelp {
    ToolCommand command;
    const char* synopsis;     // the command and its arguments
    const char* description;  // indented lines
};

constexpr CommandHelp COMMAND_HELP[] = {
    {ToolCommand::List, "list",
     "the modules the window would list: slot, a tab,\n"
     "the product name (or \"Device N\"), a tab, the path\n"},
    {ToolCommand::Info, "info",
     "firmware version and date of the module:\n"
     "\"version X.Y\" and \"date 20YY/MM/DD\"\n"},
    {ToolCommand::Signal, "signal",
     "signal level of the module: \"signal N\" (0..3),\n"
     "another level byte as \"signal 0xNN\"\n"},
    {ToolCommand::Read, "read [--save FILE]",
     "read the module's parameters and print them as the\n"
     "nine lines of a configuration file (CR LF line\n"
     "ends), or write them to FILE; a FIFO or device\n"
     "is written into, a link saved through; an SSID or\n"
     "key with CR or LF is refused (--json shows it)\n"},
    {ToolCommand::Write, "write [--strict] [--verify] FILE",
     "write a configuration file's parameters to the\n"
     "module, exactly as Load Configuration followed by\n"
     "Write para in the window; prints\n"
     "\"Upload Parameter OK\"; each value the field rules\n"
     "change is said on stderr; --verify reads them back\n"
     "and compares every field that travels (exit\n"
     "status 10 names the fields that differ)\n"},
    {ToolCommand::Station, "station FILE [--count N]",
     "a production line's station: writes FILE to every\n"
     "module as it is plugged in (those attached at\n"
     "start too, unless --skip-attached), verifies it,\n"
     "and prints one line per module: time, slot, path,\n"
     "name, firmware version and date, outcome and how\n"
     "long it took, tab-separated (--json: one object\n"
     "per line); until interrupted or N modules are\n"
     "done, then a summary; exit status as for --all\n"},
    {ToolCommand::GetMac, "getmac IPV4 [--adapter NAME]",
     "MAC address of an IPv4 host on the LAN, printed\n"
     "as XX-XX-XX-XX-XX-XX; NAME is a network interface\n"
     "(default: the one the route to IPV4 goes out of)\n"},
};

constexpr const char* USAGE_LINE = "Usage: lq3860ctl [OPTION]... COMMAND [ARGS]\n";

// The column the help of the tool's own options starts at.
constexpr std::size_t OPTION_HELP_COLUMN = 21;

constexpr const char* CLOSING_TEXT =
    R"(
Messages go to stderr, one per line, each starting with "lq3860ctl: ", in the
program's own words ("Download Parameter NG", "Upload Parameter NG",
"The KEY must be 10 characters!", "[G2] format error",
"Get MAC Address Error", ...).
A message about a file starts with its name and ends with the system's reason:
  lq3860ctl: cfg.txt: Open database file failure (No such file or directory)

An interrupt (Ctrl-C, SIGTERM, SIGHUP, SIGQUIT) never stops a parameter write
between its announcement and its last report, nor a save between its new file
and its place: it takes effect right after. The station finishes the modules
in flight and prints its summary first.

)";

// `first` followed by the words of `text`, in lines of at most `width`
// characters broken at blanks; every line after the first starts with
// `indent` blanks.
std::string Wrapped(const std::string& first, std::string_view text, std::size_t width, std::size_t indent) {
    std::string lines = first;
    std::size_t lineStart = 0;
    bool lineEmpty = true;
    while (!text.empty()) {
        const std::size_t wordEnd = std::min(text.find(' '), text.size());
        if (!lineEmpty && lines.size() - lineStart + 1 + wordEnd > width) {
            lines += '\n';
            lineStart = lines.size();
            lines.append(indent, ' ');
            lineEmpty = true;
        }
        if (!lineEmpty) lines += ' ';
        lines.append(text.substr(0, wordEnd));
        lineEmpty = false;
        text.remove_prefix(std::min(wordEnd + 1, text.size()));
    }
    return lines;
}

// The description's lines, each indented by `indent` blanks.
std::string Indented(const char* description, std::size_t indent) {
    std::string text;
    for (const char* line = description; *line != '\0';) {
        const char* end = line;
        while (*end != '\n' && *end != '\0') ++end;
        text.append(indent, ' ').append(line, end).append("\n");
        line = *end == '\n' ? end + 1 : end;
    }
    return text;
}

}  // namespace

std::string ExitStatusHelp() {
    constexpr std::size_t WIDTH = 79, INDENT = 6;
    std::string text = "Exit status:\n";
    for (const ExitStatusMeaning& entry : EXIT_STATUSES) {
        const std::string number = std::to_string(entry.status);
        text += Wrapped(std::string(4 - number.size(), ' ') + number + "  ", entry.meaning, WIDTH, INDENT) + "\n";
    }
    return text;
}

std::string HelpText(std::optional<ToolCommand> topic) {
    constexpr std::size_t COLUMN = 29;
    for (const CommandHelp& help : COMMAND_HELP) {
        if (topic == help.command) {
            return std::string("Usage: lq3860ctl [OPTION]... ") + help.synopsis + "\n\n" +
                   Indented(help.description, 2) + "\nOptions: see 'lq3860ctl --help'.\n";
        }
    }
    std::string text = std::string(USAGE_LINE) + "\nCommands:\n";
    for (const CommandHelp& help : COMMAND_HELP) {
        std::string lines = Indented(help.description, COLUMN);
        const std::string name = std::string("  ") + help.synopsis;
        if (name.size() < COLUMN) {
            lines.replace(0, name.size(), name);
        } else {
            lines = name + "\n" + lines;
        }
        text += lines;
    }
    return text + "\nOptions:\n" + OptionsHelp(ListOptions(ToolOptions()), OPTION_HELP_COLUMN) +
           "Options take their value as --option VALUE or --option=VALUE.\n\n"
           "The simulated module (with --simulate):\n" +
           OptionsHelp(ListOptions(SimulationOptionTable()), SIMULATION_HELP_COLUMN) + CLOSING_TEXT + ExitStatusHelp();
}

}  // namespace lq3860
