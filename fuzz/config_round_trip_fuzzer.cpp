// Any parameter set the window or the module can produce (texts without
// line breaks, SSID up to 20 and key up to 63 characters) is saved and
// loaded back to the same set, with "*" in place of empty texts.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz_check.h"
#include "params/config_file.h"

namespace lq3860 {
namespace {

// Takes bytes from the front of the input; zeros once it runs out.
class ByteSource {
public:
    ByteSource(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    std::uint8_t Next() { return position_ < size_ ? data_[position_++] : 0; }
    // A text of up to maxLength characters without zero bytes or line feeds.
    std::string Text(std::size_t maxLength) {
        const std::size_t length = Next() % (maxLength + 1);
        std::string text;
        for (std::size_t i = 0; i < length; ++i) {
            const std::uint8_t byte = Next();
            if (byte == '\0' || byte == '\n') break;
            text += static_cast<char>(byte);
        }
        return text;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t position_ = 0;
};

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
    StoreParamText(saved.ssid, source.Text(SSID_SENT_LENGTH));
    StoreParamText(saved.key, source.Text(KEY_SENT_LENGTH));

    const std::string text = FormatConfiguration(saved);
    FUZZ_CHECK(text.size() >= 70 && text.size() <= 154);

    ModuleParamSet expected = saved;
    if (expected.ssid[0] == '\0') StoreParamText(expected.ssid, "*");
    if (expected.key[0] == '\0') StoreParamText(expected.key, "*");
    ModuleParamSet loaded;
    std::memset(&loaded, 0x77, sizeof loaded);
    const ConfigLoadResult result = ParseConfiguration(text, loaded);
    FUZZ_CHECK(result.ok);
    FUZZ_CHECK(std::memcmp(&loaded, &expected, sizeof expected) == 0);

    // The same holds with LF line ends.
    std::string lf;
    std::copy_if(text.begin(), text.end(), std::back_inserter(lf), [](char c) { return c != '\r'; });
    if (std::string(saved.ssid).find('\r') == std::string::npos &&
        std::string(saved.key).find('\r') == std::string::npos) {
        ModuleParamSet loadedLf;
        FUZZ_CHECK(ParseConfiguration(lf, loadedLf).ok);
        FUZZ_CHECK(std::memcmp(&loadedLf, &expected, sizeof expected) == 0);
    }
    return 0;
}
