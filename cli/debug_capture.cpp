#include "cli/debug_capture.h"

DebugCapture::DebugCapture()
    : previous_(SetDebugSink([this](std::string_view text) { texts_.emplace_back(text); })) {}

DebugCapture::~DebugCapture() { SetDebugSink(std::move(previous_)); }

std::string DebugCapture::LastText() const {
    if (texts_.empty()) return {};
    std::string text = texts_.back();
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return text;
}
