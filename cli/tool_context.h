// SPDX-License-Identifier: MIT
#pragma once
// What every command of the tool works with: its parsed request and the two
// output streams. Results go to `out` (text lines or one JSON object),
// messages to `err`, one per line, each starting with the program's name.
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "cli/command_line.h"
#include "cli/exit_codes.h"
#include "cli/json_writer.h"

namespace lq3860 {

inline constexpr const char* PROGRAM_NAME = "lq3860ctl";

// One module's share of a run on every module (--all): its messages carry
// `prefix` after the program's name, and its JSON object is kept here for
// the run's one array instead of being printed.
struct ModuleShare {
    std::string prefix;
    std::optional<JsonObject> json;
    std::string lastMessage;  // the message that tells why the command failed
    std::optional<ToolError> error;
};

struct ToolContext {
    const CommandLine& line;
    std::ostream& out;
    std::ostream& err;
    ModuleShare* share = nullptr;  // null: the run works on one module
    bool terminalOutput = false;   // `out` is a terminal

    void Message(std::string_view text) const;
    // The message that tells why the module's command failed; its exit status.
    int Fail(ToolError error, std::string_view text) const;
    // Lines that carry a module's texts (the SSID and key of `read`): on a
    // terminal each line escaped (its CR LF kept), to a pipe or a file the
    // bytes themselves, which are the file format.
    void PrintModuleLines(std::string_view lines) const;
    void PrintJson(const JsonObject& object) const;
    // A debug text of the link (--verbose): one message line per text line.
    void Debug(std::string_view text) const;

private:
    void MessageLine(std::string_view text) const;
};

}  // namespace lq3860
