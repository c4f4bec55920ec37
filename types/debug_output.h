// SPDX-License-Identifier: MIT
#pragma once
// The diagnostics channel of one session: fixed short texts such as
// "HID_Write Err\n" or "OK". Nothing is written unless a sink is set (the
// window routes it to a Qt logging category, lq3860ctl -v to stderr, tests
// capture it).
#include <functional>
#include <string_view>

namespace lq3860 {

using DebugSink = std::function<void(std::string_view text)>;

class DebugOutput {
public:
    DebugOutput() = default;
    explicit DebugOutput(DebugSink sink) : sink_(std::move(sink)) {}

    void Write(std::string_view text) const {
        if (sink_) sink_(text);
    }
    void SetSink(DebugSink sink) { sink_ = std::move(sink); }

private:
    DebugSink sink_;
};

}  // namespace lq3860
