#include "device/debug_output.h"

#include <utility>

namespace {
DebugSink& Sink() {
    static DebugSink sink;
    return sink;
}
}  // namespace

void DebugOutput(std::string_view text) {
    if (Sink()) Sink()(text);
}

DebugSink SetDebugSink(DebugSink sink) {
    return std::exchange(Sink(), std::move(sink));
}
