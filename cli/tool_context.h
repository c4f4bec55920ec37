#pragma once
// What every command of the tool works with: its parsed request and the two
// output streams. Results go to `out` (text lines or one JSON object),
// messages to `err`, one per line, each starting with the program's name.
#include <ostream>
#include <string_view>

#include "cli/command_line.h"
#include "cli/json_writer.h"

namespace lq3860 {

inline constexpr const char* PROGRAM_NAME = "lq3860ctl";

struct ToolContext {
    const CommandLine& line;
    std::ostream& out;
    std::ostream& err;

    void Message(std::string_view text) const { err << PROGRAM_NAME << ": " << text << '\n'; }
    void PrintJson(const JsonObject& object) const { out << object.Text() << '\n'; }
    // A debug text of the link (--verbose): one message line per text line.
    void Debug(std::string_view text) const;
};

}  // namespace lq3860
