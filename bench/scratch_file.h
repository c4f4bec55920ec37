// SPDX-License-Identifier: MIT
#pragma once
// A scratch folder under /tmp, removed with its one file at the end.
#include <stdlib.h>
#include <unistd.h>

#include <string>

namespace lq3860 {

class ScratchFile {
public:
    ScratchFile() {
        char pattern[] = "/tmp/lq3860-bench-XXXXXX";
        if (::mkdtemp(pattern) != nullptr) dir_ = pattern;
    }
    ~ScratchFile() {
        ::unlink(Path().c_str());
        ::rmdir(dir_.c_str());
    }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;
    std::string Path() const { return dir_ + "/set.txt"; }
    bool Ok() const { return !dir_.empty(); }

private:
    std::string dir_;
};

}  // namespace lq3860
