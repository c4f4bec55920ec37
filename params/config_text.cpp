// SPDX-License-Identifier: MIT
#include "params/config_text.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <optional>

#include "params/hex_digit.h"
#include "types/mac_text.h"

namespace lq3860 {

namespace {

constexpr std::size_t G1_FIELDS = 3;
constexpr std::size_t G4_FIELDS = MAC_LENGTH;

void AppendTextLine(std::string& out, const char* tag, std::string_view text, EmptyText emptyText) {
    out += tag;
    out += "\r\n";
    out += text.empty() && emptyText == EmptyText::Star ? std::string_view("*") : text;
    out += ",\r\n";
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// A line without its line end (LF, or CR LF).
std::string_view LineContent(std::string_view text, std::size_t start, std::size_t& next) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) {
        end = text.size();
        next = text.size();
    } else {
        next = end + 1;
    }
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}

// Where the section after `tag` starts: the line after the first line that
// holds nothing but the tag (blanks around it allowed). A tag inside an SSID
// or key line therefore cannot be taken for a section start.
std::optional<std::size_t> FindSection(std::string_view text, std::string_view tag) {
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t next = 0;
        std::string_view line = LineContent(text, start, next);
        while (!line.empty() && IsBlank(line.front())) line.remove_prefix(1);
        while (!line.empty() && IsBlank(line.back())) line.remove_suffix(1);
        if (line == tag) return next;
        start = next;
    }
    return std::nullopt;
}

// Comma-separated fields from the section start. The first field ends at
// the first comma from its second character on; each later field starts
// right after the previous comma. Once no further comma exists, the field
// and all after it read empty.
template <std::size_t N>
std::array<std::string_view, N> SplitFields(std::string_view section) {
    std::array<std::string_view, N> fields{};
    std::size_t begin = 0;
    std::size_t searchFrom = 1;
    for (std::size_t i = 0; i < N; ++i) {
        const std::size_t comma = section.find(',', searchFrom);
        if (comma == std::string_view::npos) break;
        fields[i] = section.substr(begin, comma - begin);
        begin = comma + 1;
        searchFrom = begin;
    }
    return fields;
}

// An SSID or key: its line up to the last comma (the whole line when it has
// none), so commas inside the text survive a save and load.
std::string_view TextField(std::string_view section) {
    std::size_t next = 0;
    std::string_view line = LineContent(section, 0, next);
    const std::size_t comma = line.rfind(',');
    return comma == std::string_view::npos ? line : line.substr(0, comma);
}

int DigitValue(char c, int base) {
    const int value = HexDigitValue(c);
    return value < base ? value : -1;
}

// Leading white space, optional sign, (for base 16 an optional 0x/0X), then
// digits up to the first other character; the value kept in its low 8 bits
// (so -1 gives 255). Accumulating modulo 256 keeps long digit runs exact and
// free of overflow.
std::uint8_t ReadNumber(std::string_view field, int base) {
    std::size_t i = 0;
    while (i < field.size() && IsSpace(field[i])) ++i;
    bool negative = false;
    if (i < field.size() && (field[i] == '+' || field[i] == '-')) {
        negative = field[i] == '-';
        ++i;
    }
    // "0x" without a hex digit after it reads as the number 0, like strtol.
    if (base == 16 && i + 2 < field.size() && field[i] == '0' && (field[i + 1] == 'x' || field[i + 1] == 'X') &&
        DigitValue(field[i + 2], 16) >= 0) {
        i += 2;
    }
    unsigned value = 0;
    for (; i < field.size(); ++i) {
        const int digit = DigitValue(field[i], base);
        if (digit < 0) break;
        value = (value * static_cast<unsigned>(base) + static_cast<unsigned>(digit)) & 0xFFu;
    }
    if (negative) value = (0x100u - value) & 0xFFu;
    return static_cast<std::uint8_t>(value);
}

constexpr std::string_view UTF8_MARK = "\xEF\xBB\xBF";
constexpr std::string_view UTF16_LE_MARK = "\xFF\xFE";
constexpr std::string_view UTF16_BE_MARK = "\xFE\xFF";

// Skips a UTF-8 mark; turns UTF-16 into its 8-bit text in `decoded`, which
// `text` then views. False for UTF-16 that no 8-bit text can hold.
bool DecodeByteOrderMark(std::string_view& text, std::string& decoded) {
    if (text.starts_with(UTF8_MARK)) {
        text.remove_prefix(UTF8_MARK.size());
        return true;
    }
    const bool littleEndian = text.starts_with(UTF16_LE_MARK);
    if (!littleEndian && !text.starts_with(UTF16_BE_MARK)) return true;
    if (text.size() % 2 != 0) return false;
    decoded.clear();
    for (std::size_t at = 2; at < text.size(); at += 2) {
        const auto low = static_cast<unsigned char>(text[littleEndian ? at : at + 1]);
        const auto high = static_cast<unsigned char>(text[littleEndian ? at + 1 : at]);
        if (high != 0) return false;
        decoded.push_back(static_cast<char>(low));
    }
    text = decoded;
    return true;
}

}  // namespace

std::string FormatConfiguration(const ModuleParamSet& params, EmptyText emptyText) {
    char numbers[64];
    std::string out;
    out.reserve(160);
    std::snprintf(numbers, sizeof numbers, "%02d,%02d,%02d,\r\n", params.mode, params.channel, params.encryption);
    out += "[G1]\r\n";
    out += numbers;
    AppendTextLine(out, "[G2]", ParamText(params.ssid, SSID_SENT_LENGTH), emptyText);
    AppendTextLine(out, "[G3]", ParamText(params.key, KEY_SENT_LENGTH), emptyText);
    out += "[G4]\r\n";
    out += MacText(params.mac, ',') + ",\r\n";
    out += "[END]\r\n";
    return out;
}

const char* UnsavableTextMessage(const ModuleParamSet& params) {
    const auto holdsLineBreak = [](std::string_view text) { return text.find_first_of("\r\n") != text.npos; };
    if (holdsLineBreak(ParamText(params.ssid, SSID_SENT_LENGTH))) return SSID_LINE_BREAK_MESSAGE;
    if (holdsLineBreak(ParamText(params.key, KEY_SENT_LENGTH))) return KEY_LINE_BREAK_MESSAGE;
    return nullptr;
}

ConfigLoadResult ParseConfiguration(std::string_view text, ModuleParamSet& params) {
    std::string decoded;
    if (!DecodeByteOrderMark(text, decoded)) return {false, WIDE_TEXT_FILE_MESSAGE};
    const std::size_t zero = text.find('\0');
    if (zero != std::string_view::npos) text = text.substr(0, zero);

    static constexpr std::array<const char*, 4> TAGS = {"[G1]", "[G2]", "[G3]", "[G4]"};
    std::array<std::string_view, 4> sections;
    for (std::size_t i = 0; i < TAGS.size(); ++i) {
        const std::optional<std::size_t> start = FindSection(text, TAGS[i]);
        if (!start) return {false, SECTION_ERROR_MESSAGES[i]};
        sections[i] = text.substr(*start);
    }

    // Everything is read; only now is the parameter set changed.
    const auto g1 = SplitFields<G1_FIELDS>(sections[0]);
    const auto g4 = SplitFields<G4_FIELDS>(sections[3]);
    params.mode = ReadNumber(g1[0], 10);
    params.channel = ReadNumber(g1[1], 10);
    params.encryption = ReadNumber(g1[2], 10);
    StoreParamText(params.ssid, TextField(sections[1]));
    StoreParamText(params.key, TextField(sections[2]));
    for (std::size_t i = 0; i < G4_FIELDS; ++i) params.mac[i] = ReadNumber(g4[i], 16);
    return {true, nullptr};
}

}  // namespace lq3860
