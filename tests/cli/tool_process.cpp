#include "tool_process.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

// The whole of a temporary file, which is then closed.
std::string ReadBack(std::FILE* file) {
    std::string text;
    std::rewind(file);
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) text.append(buffer, n);
    std::fclose(file);
    return text;
}

}  // namespace

ToolRun RunLq3860ctl(const std::vector<std::string>& arguments, std::vector<std::string> launcher) {
    launcher.push_back(LQ3860CTL_PATH);
    launcher.insert(launcher.end(), arguments.begin(), arguments.end());
    return RunProgram(launcher);
}

ToolRun RunProgram(const std::vector<std::string>& arguments, const std::string& input) {
    std::FILE* const in = std::tmpfile();  // left open on failure: the test fails anyway
    std::FILE* const out = std::tmpfile();
    std::FILE* const err = std::tmpfile();
    if (in == nullptr || out == nullptr || err == nullptr || arguments.empty()) return {};
    std::fwrite(input.data(), 1, input.size(), in);
    std::rewind(in);  // flushes, and the child reads from the start

    std::vector<char*> argv;  // execvp does not change the texts
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        dup2(fileno(in), STDIN_FILENO);
        dup2(fileno(out), STDOUT_FILENO);
        dup2(fileno(err), STDERR_FILENO);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = -1;  // not "exited" unless waitpid says so
    while (child > 0 && waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    std::fclose(in);
    return {WIFEXITED(status) && child > 0 ? WEXITSTATUS(status) : -1, ReadBack(out), ReadBack(err)};
}

std::optional<std::string> DecodeJson(const std::string& text) {
    static const char* const script = R"(
import json, sys
def unique(pairs):  # a repeated key is refused
    return dict(pairs) if len(dict(pairs)) == len(pairs) else sys.exit(1)
value = json.loads(sys.stdin.buffer.read(), object_pairs_hook=unique)
if not isinstance(value, str):
    value = json.dumps(value, sort_keys=True, ensure_ascii=False, separators=(",", ":"))
sys.stdout.buffer.write(value.encode())
)";
    const ToolRun run = RunProgram({"python3", "-c", script}, text);
    if (run.status != 0) return std::nullopt;
    return run.out;
}

TempDir::TempDir() : path((std::filesystem::temp_directory_path() / "lq3860ctl-test-XXXXXX").string()) {
    if (mkdtemp(path.data()) == nullptr) std::abort();  // no safe place for the test files
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

void WriteWholeFile(const std::string& path, const std::string& text) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << text;
}
