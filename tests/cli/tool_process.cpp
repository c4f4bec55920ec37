#include "tool_process.h"

#include <fstream>
#include <iterator>

namespace lq3860 {

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

std::filesystem::path Utf8Path(const std::string& path) {
    return std::filesystem::path(std::u8string(path.begin(), path.end()));
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream file(Utf8Path(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

void WriteWholeFile(const std::string& path, const std::string& text) {
    std::ofstream file(Utf8Path(path), std::ios::binary | std::ios::trunc);
    file << text;
}

}  // namespace lq3860
