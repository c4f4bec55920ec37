#pragma once
// Diagnostics channel: fixed short texts such as "HID_Write Err\n" or "OK".
// Nothing is written unless a sink is installed (the window routes it to a Qt
// logging category, tests capture it).
#include <functional>
#include <string_view>

using DebugSink = std::function<void(std::string_view text)>;

void DebugOutput(std::string_view text);
// Installs the sink and returns the previous one.
DebugSink SetDebugSink(DebugSink sink);
