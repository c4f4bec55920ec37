#pragma once

namespace lq3860 {

// The texts of --help and --version.

extern const char* const USAGE_TEXT;
// "lq3860ctl <version>"
extern const char* const VERSION_TEXT;

}  // namespace lq3860
