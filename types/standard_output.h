// SPDX-License-Identifier: MIT
#pragma once
// The end of a command-line program: what it wrote to standard output must
// have reached it (a full disk, /dev/full, a closed pipe), as coreutils
// check it.

namespace lq3860 {

// Flushes standard output. When it cannot be written, says
// "PROGRAM: write error: REASON" on stderr and returns 1 in place of a
// successful `status`; otherwise returns `status`.
int FinishStandardOutput(const char* program, int status);

}  // namespace lq3860
