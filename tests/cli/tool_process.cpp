#include "tool_process.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <iterator>

namespace lq3860 {

// The whole of a temporary file, read again from its start through its descriptor; the file is then closed.
static std::string ReadBack(std::FILE* file) {
    const std::string text = ReadWholeFile("/proc/self/fd/" + std::to_string(fileno(file)));
    std::fclose(file);
    return text;
}

ToolRun RunProgram(const std::vector<std::string>& arguments) {
    std::FILE* const out = std::tmpfile();  // left open on failure: the test fails anyway
    std::FILE* const err = std::tmpfile();
    if (out == nullptr || err == nullptr || arguments.empty()) return {};
    std::vector<char*> argv;  // execvp does not change the texts
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        dup2(fileno(out), STDOUT_FILENO);
        dup2(fileno(err), STDERR_FILENO);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = -1;  // not "exited" unless waitpid says so
    while (child > 0 && waitpid(child, &status, 0) < 0 && errno == EINTR) {}
    return {WIFEXITED(status) && child > 0 ? WEXITSTATUS(status) : -1, ReadBack(out), ReadBack(err)};
}

std::optional<std::string> DecodeJson(const std::string& text) {
    // The text is passed as an argument (a raw NUL would cut it short and so make it invalid).
    static const char* const script = R"(
import json, os, sys
def unique(pairs):  # a repeated key is refused
    return dict(pairs) if len(dict(pairs)) == len(pairs) else sys.exit(1)
value = json.loads(os.fsencode(sys.argv[1]), object_pairs_hook=unique)
if not isinstance(value, str):
    value = json.dumps(value, sort_keys=True, ensure_ascii=False, separators=(",", ":"))
sys.stdout.buffer.write(value.encode())
)";
    const ToolRun run = RunProgram({"python3", "-c", script, text});
    if (run.status != 0) return std::nullopt;
    return run.out;
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

void WriteWholeFile(const std::string& path, const std::string& text) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << text;
}

}  // namespace lq3860
