// SPDX-License-Identifier: MIT
#pragma once
// Helpers for running programs (the built lq3860ctl, python3) and for
// temporary files.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace lq3860 {

struct ToolRun {
    int status = -1;  // exit status; -1 when the process did not exit normally
    std::string out;
    std::string err;
    bool operator==(const ToolRun&) const = default;
};
inline void PrintTo(const ToolRun& r, std::ostream* o) {
    *o << r.status << " \"" << r.out << "\" \"" << r.err << '"';
}

// Runs argv[0] (searched in PATH when it has no slash; LQ3860CTL_PATH is the
// built lq3860ctl), each platform in its own file.
ToolRun RunProgram(const std::vector<std::string>& argv);

// A path from its UTF-8 text (a plain std::string would be read in the ANSI
// code page on Windows).
inline std::filesystem::path Utf8Path(const std::string& path) {
    return std::filesystem::path(std::u8string(path.begin(), path.end()));
}

// A fresh directory under the temporary directory (made by this test, never
// one that was there), removed with its files at the end. Paths are UTF-8.
struct TempDir {
    TempDir() {
        const std::filesystem::path base = std::filesystem::temp_directory_path();
        for (int attempt = 0; attempt < 100 && path.empty(); ++attempt) {
            const std::filesystem::path folder = base / ("lq3860-test-" + std::to_string(std::random_device()()));
            const std::u8string name = folder.u8string();
            if (std::filesystem::create_directory(folder, ignored)) path.assign(name.begin(), name.end());
        }
        if (path.empty()) std::abort();
    }
    ~TempDir() { std::filesystem::remove_all(Utf8Path(path), ignored); }
    std::string File(const std::string& name) const { return path + "/" + name; }
    std::string path;
    std::error_code ignored;
};

// The whole file; empty when missing.
inline std::string ReadWholeFile(const std::string& path) {
    std::ifstream file(Utf8Path(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}
inline void WriteWholeFile(const std::string& path, const std::string& text) {
    std::ofstream(Utf8Path(path), std::ios::binary | std::ios::trunc) << text;
}

}  // namespace lq3860
