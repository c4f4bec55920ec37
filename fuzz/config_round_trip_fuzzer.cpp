// SPDX-License-Identifier: MIT
// For any parameter set (texts of any bytes but zero, CR, LF and other
// control bytes included, up to the 63 characters the loader can place), a
// save is either refused or its file loads back as the set it saved: the
// SSID's first 20 characters, the key, "*" in place of an empty text. A save
// is refused exactly when a text it would write holds a CR or LF, so nothing
// the file can carry is refused. On disk, a save over the previous input's
// file (replaced, or written in place where the file has a second hard link)
// leaves exactly the new text: nothing of the old one, nothing cut, no
// temporary file.
#include <stdlib.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "params/config_file.h"

namespace lq3860 {
namespace {

// Takes bytes from the front of the input; zeros once it runs out.
class ByteSource {
public:
    ByteSource(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    std::uint8_t Next() { return position_ < size_ ? data_[position_++] : 0; }
    // A text of up to maxLength characters; a zero byte ends it (a text area
    // ends at its first zero).
    std::string Text(std::size_t maxLength) {
        const std::size_t length = Next() % (maxLength + 1);
        std::string text;
        for (std::size_t i = 0; i < length; ++i) {
            const std::uint8_t byte = Next();
            if (byte == '\0') break;
            text += static_cast<char>(byte);
        }
        return text;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t position_ = 0;
};

bool HoldsLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

// A scratch folder for the run, in memory where the system has one (flushing
// costs nothing there), with "linked.txt" and its second name "other.txt";
// removed when the run ends.
class ScratchFolder {
public:
    ScratchFolder() {
        std::string pattern =
            (std::filesystem::exists("/dev/shm") ? "/dev/shm" : "/tmp") + std::string("/lq3860-fuzz-XXXXXX");
        FUZZ_CHECK(::mkdtemp(pattern.data()) != nullptr);
        path_ = pattern;
        std::ofstream(path_ / "linked.txt").flush();
        std::filesystem::create_hard_link(path_ / "linked.txt", path_ / "other.txt");
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};

std::string FileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace
}  // namespace lq3860

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace lq3860;
    ByteSource source(data, size);
    ModuleParamSet saved;
    saved.mode = source.Next();
    saved.channel = source.Next();
    saved.encryption = source.Next();
    for (std::uint8_t& byte : saved.mac) byte = source.Next();
    StoreParamText(saved.ssid, source.Text(PARAM_TEXT_AREA - 1));
    StoreParamText(saved.key, source.Text(PARAM_TEXT_AREA - 1));

    // What the file holds: the first 20 characters of the SSID, the key.
    ModuleParamSet expected = saved;
    StoreParamText(expected.ssid, ParamText(saved.ssid, SSID_SENT_LENGTH));
    const bool lineBreak = HoldsLineBreak(ParamText(expected.ssid)) || HoldsLineBreak(ParamText(expected.key));
    const char* refusal = UnsavableTextMessage(saved);
    FUZZ_CHECK((refusal != nullptr) == lineBreak);
    if (refusal != nullptr) return 0;

    const std::string text = FormatConfiguration(saved);
    FUZZ_CHECK(text.size() >= 70 && text.size() <= 154);
    static const ScratchFolder scratch;
    const std::filesystem::path& folder = scratch.Path();
    const std::filesystem::path file = folder / (saved.mode % 2 ? "linked.txt" : "replaced.txt");
    FUZZ_CHECK(SaveConfigurationFile(file.string(), saved).outcome == SaveOutcome::Saved);
    FUZZ_CHECK(FileBytes(file) == text);
    FUZZ_CHECK(std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator()) <= 3);
    if (expected.ssid[0] == '\0') StoreParamText(expected.ssid, "*");
    if (expected.key[0] == '\0') StoreParamText(expected.key, "*");
    ModuleParamSet loaded;
    std::memset(&loaded, 0x77, sizeof loaded);
    FUZZ_CHECK(ParseConfiguration(text, loaded).ok);
    FUZZ_CHECK(std::memcmp(&loaded, &expected, sizeof expected) == 0);

    // The same file with LF line ends loads back alike.
    std::string lf;
    std::copy_if(text.begin(), text.end(), std::back_inserter(lf), [](char c) { return c != '\r'; });
    ModuleParamSet loadedLf;
    std::memset(&loadedLf, 0x77, sizeof loadedLf);
    FUZZ_CHECK(ParseConfiguration(lf, loadedLf).ok);
    FUZZ_CHECK(std::memcmp(&loadedLf, &expected, sizeof expected) == 0);
    return 0;
}
