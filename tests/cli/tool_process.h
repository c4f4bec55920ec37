#pragma once
// Runs the built lq3860ctl as a separate process and keeps what it printed.
#include <string>
#include <vector>

struct ToolRun {
    int status = -1;  // exit status; -1 when the process did not exit normally
    std::string out;
    std::string err;
};

// Runs argv[0] (searched in PATH when it has no slash) with the rest as arguments.
ToolRun RunProgram(const std::vector<std::string>& argv);
ToolRun RunLq3860ctl(const std::vector<std::string>& arguments);

// A fresh directory under $TMPDIR (or /tmp), removed with its files at the end.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

std::string ReadWholeFile(const std::string& path);  // empty when missing
void WriteWholeFile(const std::string& path, const std::string& text);
