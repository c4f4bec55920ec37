// SPDX-License-Identifier: MIT
#pragma once
// The end of a command-line program: what it wrote to standard output must
// have reached it (a full disk, /dev/full, a closed pipe), as coreutils
// check it.
#include <string_view>

namespace lq3860 {

// Writes `pending` to standard output and flushes it. When standard output
// could not be written, now or before, says "PROGRAM: write error: REASON"
// on stderr (without the reason when an earlier write failed) and returns 1
// in place of a successful `status`; otherwise returns `status`.
// `reasonOf`, when given, turns the C runtime's errno into the one told, so
// a platform whose runtime names a condition otherwise reads alike.
int FinishStandardOutput(const char* program, int status, std::string_view pending = {},
                         int (*reasonOf)(int error) = nullptr);

}  // namespace lq3860
