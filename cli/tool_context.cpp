#include "cli/tool_context.h"

namespace lq3860 {

void ToolContext::Debug(std::string_view text) const {
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view part = text.substr(0, end);
        if (!part.empty()) Message(part);
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
}

}  // namespace lq3860
