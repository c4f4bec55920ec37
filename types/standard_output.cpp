// SPDX-License-Identifier: MIT
#include "types/standard_output.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace lq3860 {

int FinishStandardOutput(const char* program, int status) {
    errno = 0;
    const bool flushed = std::fflush(stdout) == 0;
    const int reason = errno;
    if (flushed && !std::ferror(stdout)) return status;
    std::fprintf(stderr, "%s: write error: %s\n", program,
                 reason != 0 ? std::strerror(reason) : "the output was cut short");
    return status == 0 ? 1 : status;
}

}  // namespace lq3860
