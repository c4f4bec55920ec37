#include "tool_process.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

// A temporary file that the child writes one stream into.
struct CaptureFile {
    std::string path;
    int fd = -1;
    explicit CaptureFile(const std::string& directory) : path(directory + "/capture-XXXXXX") {
        fd = mkstemp(path.data());
    }
    ~CaptureFile() {
        if (fd >= 0) close(fd);
        unlink(path.c_str());
    }
};

std::string TempRoot() {
    const char* root = std::getenv("TMPDIR");
    return root != nullptr && *root != '\0' ? root : "/tmp";
}

}  // namespace

ToolRun RunLq3860ctl(const std::vector<std::string>& arguments) {
    std::vector<std::string> argv{LQ3860CTL_PATH};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return RunProgram(argv);
}

ToolRun RunProgram(const std::vector<std::string>& arguments) {
    ToolRun run;
    CaptureFile out(TempRoot());
    CaptureFile err(TempRoot());
    if (out.fd < 0 || err.fd < 0) return run;

    if (arguments.empty()) return run;
    std::vector<std::string> copies = arguments;
    std::vector<char*> argv;
    for (std::string& argument : copies) argv.push_back(argument.data());
    argv.push_back(nullptr);

    const pid_t child = fork();
    if (child == 0) {
        const int devNull = open("/dev/null", O_RDONLY);
        dup2(devNull, STDIN_FILENO);
        dup2(out.fd, STDOUT_FILENO);
        dup2(err.fd, STDERR_FILENO);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    if (child < 0) return run;
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) return run;
    }
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = ReadWholeFile(out.path);
    run.err = ReadWholeFile(err.path);
    return run;
}

TempDir::TempDir() {
    std::string pattern = TempRoot() + "/lq3860ctl-test-XXXXXX";
    if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
}

TempDir::~TempDir() {
    if (path_.empty()) return;
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

void WriteWholeFile(const std::string& path, const std::string& text) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << text;
}
