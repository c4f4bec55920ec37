// SPDX-License-Identifier: MIT
#include "cli/usage_text.h"

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
    {ToolCommand::Write, "write FILE [--verify]",
     "write a configuration file's parameters to the\n"
     "module, exactly as Load Configuration followed by\n"
     "Write para in the window; prints\n"
     "\"Upload Parameter OK\"; --verify reads them back\n"
     "and compares every field that travels (exit\n"
     "status 5 names the fields that differ)\n"},
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

constexpr const char* OPTIONS_TEXT =
    R"(Options:
  --simulate[=FILE]  use simulated modules instead of hardware (one, or as
                     many as --modules says); FILE is the older spelling of
                     --state FILE
  --device N         the module in slot N of the list (0-based, default 0), or
                     the one with that device path or product name (or the
                     start of one name)
  --all              info, signal, read or write on every listed module at
                     once, each on its own link; every result line and
                     message starts with the slot, a tab, the name and a tab;
                     with --json one array of objects (slot, name, status and
                     the command's fields, or error); read --save FILE writes
                     one file per module, the slot before the extension
                     (FILE.txt -> FILE-0.txt, FILE-1.txt, ...); the exit
                     status is the highest of the modules', 1 when more
                     modules are attached than the 10 it works on
  --verify           write: read the parameters back and compare them
  --count N          station: stop after N modules
  --skip-attached    station: leave the modules attached at start alone
                     until they are plugged in again
  --json             print one JSON object per command instead of text lines
                     (nothing on stdout when the command fails)
  -v, --verbose      the link's debug texts ("HID_Open", "OK", "NG", ...) to
                     stderr as they happen
  -h, --help         this text; COMMAND --help: the help of that command
  -V, --version      the program's version
Options take their value as --option VALUE or --option=VALUE.

The simulated module (with --simulate):
)";

constexpr const char* CLOSING_TEXT =
    R"(
Messages go to stderr, one per line, each starting with "lq3860ctl: ", in the
program's own words ("Download Parameter NG", "Upload Parameter NG",
"The KEY must be 10 characters!", "[G2] format error",
"Get MAC Address Error", ...).
A message about a file starts with its name and ends with the system's reason:
  lq3860ctl: cfg.txt: Open database file failure (No such file or directory)

Exit status:
  0  success
  1  no module, a link failure or an NG outcome
  2  wrong usage
  3  refused input (bad configuration file, key check, an SSID or key that a
     configuration file cannot hold)
  4  MAC not found, probe failed or no route to the address
  5  written, but the module holds other parameters (write --verify)
An interrupt (Ctrl-C, SIGTERM, SIGHUP, SIGQUIT) never stops a parameter write
between its announcement and its last report, nor a save between its new file
and its place: it takes effect right after. The station finishes the modules
in flight and prints its summary first.
)";

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
    return text + "\n" + OPTIONS_TEXT + SIMULATION_OPTIONS_HELP + CLOSING_TEXT;
}

}  // namespace lq3860
