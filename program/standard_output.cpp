// SPDX-License-Identifier: MIT
#include "program/standard_output.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace lq3860 {

int FinishStandardOutput(const char* program, int status, std::string_view pending, int (*reasonOf)(int error)) {
    int reason = 0;
    if (!pending.empty() && std::fwrite(pending.data(), 1, pending.size(), stdout) != pending.size()) reason = errno;
    if (std::fflush(stdout) != 0 && reason == 0) reason = errno;
    if (!std::ferror(stdout)) return status;
    if (reason != 0 && reasonOf != nullptr) reason = reasonOf(reason);
    if (reason != 0) {
        std::fprintf(stderr, "%s: write error: %s\n", program, std::strerror(reason));
    } else {
        std::fprintf(stderr, "%s: write error\n", program);
    }
    return status == 0 ? 1 : status;
}

}  // namespace lq3860
