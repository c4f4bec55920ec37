#pragma once
// Helpers for running programs (the built lq3860ctl, ip, python3) and for
// temporary files.
#include <filesystem>
#include <optional>
#include <ostream>
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

// Runs argv[0] (searched in PATH when it has no slash), each platform in its
// own file.
ToolRun RunProgram(const std::vector<std::string>& argv);
// The built lq3860ctl, started through `launcher` (say "ip netns exec NAME") when given.
inline ToolRun RunLq3860ctl(const std::vector<std::string>& arguments, std::vector<std::string> launcher = {}) {
    launcher.push_back(LQ3860CTL_PATH);
    launcher.insert(launcher.end(), arguments.begin(), arguments.end());
    return RunProgram(launcher);
}

// Python's strict reading of `text`: a string value as its UTF-8 text, any
// other value written back with sorted keys and no spaces; nullopt when
// `text` is not exactly one JSON value (or repeats a key).
std::optional<std::string> DecodeJson(const std::string& text);
// Whether DecodeJson can run: the Linux build installs python3; the Windows
// build has none to start, and its tests that read JSON back skip.
bool JsonReaderAvailable();

// A path from its UTF-8 text (a plain std::string would be read in the ANSI
// code page on Windows).
std::filesystem::path Utf8Path(const std::string& path);

// A fresh directory under the temporary directory, removed with its files at
// the end. Paths are UTF-8.
struct TempDir {
    TempDir();  // aborts when there is no safe place for the test files
    ~TempDir() { std::filesystem::remove_all(Utf8Path(path), ignored); }
    std::string File(const std::string& name) const { return path + "/" + name; }
    std::string path;
    std::error_code ignored;
};

std::string ReadWholeFile(const std::string& path);  // empty when missing
void WriteWholeFile(const std::string& path, const std::string& text);

}  // namespace lq3860
