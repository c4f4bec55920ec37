#pragma once
// What every command of the tool works with: its parsed request and the two
// output streams. Results go to `out` (text lines or one JSON object),
// messages to `err`, one per line.
#include <ostream>
#include <string_view>

#include "cli/command_line.h"
#include "cli/json_writer.h"

namespace lq3860 {

struct ToolContext {
    const CommandLine& line;
    std::ostream& out;
    std::ostream& err;

    void Message(std::string_view text) const { err << text << '\n'; }
    void PrintJson(const JsonObject& object) const { out << object.Text() << '\n'; }
};

}  // namespace lq3860
