// SPDX-License-Identifier: MIT
#include "cli/tool_context.h"

#include "device/terminal_text.h"

namespace lq3860 {

void ToolContext::MessageLine(std::string_view text) const {
    err << PROGRAM_NAME << ": ";
    if (share != nullptr) err << share->prefix;
    err << EscapeControlsForTerminal(text) << '\n';  // a file's name or a module's text may hold anything
}

void ToolContext::Message(std::string_view text) const {
    MessageLine(text);
    if (share != nullptr) share->lastMessage = text;
}

int ToolContext::Fail(ToolError error, std::string_view text) const {
    Message(text);
    if (share != nullptr) share->error = error;
    return ErrorCodeOf(error).status;
}

void ToolContext::PrintModuleLines(std::string_view lines) const {
    if (!terminalOutput) {
        out << lines;
        return;
    }
    while (!lines.empty()) {
        const std::size_t end = lines.find("\r\n");
        const std::size_t textLength = end == std::string_view::npos ? lines.size() : end;
        const std::size_t lineEnd = end == std::string_view::npos ? 0 : 2;
        out << EscapeForTerminal(lines.substr(0, textLength)) << lines.substr(textLength, lineEnd);
        lines.remove_prefix(textLength + lineEnd);
    }
}

void ToolContext::PrintJson(const JsonObject& object) const {
    if (share != nullptr) {
        share->json = object;
    } else {
        out << object.Text() << '\n';
    }
}

void ToolContext::Debug(std::string_view text) const {
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view part = text.substr(0, end);
        if (!part.empty()) MessageLine(part);
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
}

}  // namespace lq3860
