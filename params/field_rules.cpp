// SPDX-License-Identifier: MIT
#include "params/field_rules.h"

#include <cstdint>

#include "params/hex_digit.h"
#include "types/mac_text.h"

namespace lq3860 {

namespace {

constexpr std::size_t WPA_KEY_MIN = 8;
constexpr std::size_t WEP64_KEY_LENGTH = 10;
constexpr std::size_t WEP128_KEY_LENGTH = 26;
static_assert(NamesNumber(WEP64_KEY_MESSAGE, WEP64_KEY_LENGTH) && NamesNumber(WEP128_KEY_MESSAGE, WEP128_KEY_LENGTH) &&
              NamesNumber(WPA_KEY_MESSAGE, WPA_KEY_MIN));

// Leading hex digits as a number, kept in its low 8 bits; no digits give 0.
std::uint8_t ReadHexByte(const std::string& text) {
    unsigned value = 0;
    for (char c : text) {
        const int digit = HexDigitValue(c);
        if (digit < 0) break;
        value = ((value << 4) | static_cast<unsigned>(digit)) & 0xFFu;
    }
    return static_cast<std::uint8_t>(value);
}

// A combo selection as the 8-bit value that travels: no selection is 255.
std::uint8_t SelectionValue(int selection) {
    return selection < 0 ? NO_SELECTION : static_cast<std::uint8_t>(selection);
}

// A stored index as a combo selection: an index outside the list selects nothing.
int SelectionOf(std::uint8_t value, int itemCount) {
    return value < itemCount ? value : -1;
}

// "The NAME VALUE (ITEM) is not ...: sent as ..." for a selection the rules changed.
std::string SelectionChange(const char* name, std::uint8_t asked, std::uint8_t sent, const char* item,
                            const char* offeredUnder) {
    std::string text = std::string("The ") + name + " " + std::to_string(asked);
    if (item != nullptr) text += std::string(" (") + item + ")";
    text += offeredUnder != nullptr ? std::string(" is not offered under ") + offeredUnder : " is not in the list";
    return text + ": sent as " + (sent == NO_SELECTION ? "255 (no selection)." : std::to_string(sent) + ".");
}

}  // namespace

ParamFields StartFields() {
    ParamFields fields;
    fields.modeSelection = MODE_ADHOC;
    fields.channelSelection = 2;
    fields.encryptionSelection = ENCRYPTION_NONE;
    fields.encryptionItemCount = ENCRYPTION_ITEMS_ADHOC;
    fields.ssidText = DEFAULT_SSID;
    fields.keyText.clear();
    fields.macText.fill(MAC_FILL_TEXT);
    return fields;
}

bool RemoveFirstNonHexDigit(std::string& text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (HexDigitValue(text[i]) < 0) {
            text.erase(i, 1);
            return true;
        }
    }
    return false;
}

KeyCheck CheckKeyLength(int encryptionSelection, std::size_t keyLength) {
    // Tested in this order: the WPA pair, WEP64, WEP128, NONE.
    if (encryptionSelection == 3 || encryptionSelection == 4) {
        if (keyLength < WPA_KEY_MIN || keyLength > KEY_SENT_LENGTH) return {KeyVerdict::Refused, WPA_KEY_MESSAGE};
        return {KeyVerdict::Accepted, nullptr};
    }
    if (encryptionSelection == 1) {
        if (keyLength != WEP64_KEY_LENGTH) return {KeyVerdict::Refused, WEP64_KEY_MESSAGE};
        return {KeyVerdict::Accepted, nullptr};
    }
    if (encryptionSelection == 2) {
        if (keyLength != WEP128_KEY_LENGTH) return {KeyVerdict::Refused, WEP128_KEY_MESSAGE};
        return {KeyVerdict::Accepted, nullptr};
    }
    if (encryptionSelection == ENCRYPTION_NONE) return {KeyVerdict::Cleared, nullptr};
    return {KeyVerdict::Accepted, nullptr};  // no selection: the key stays as it is
}

void ModeRule(ParamFields& fields, const ModuleParamSet& params) {
    const bool adHoc = fields.modeSelection == MODE_ADHOC;
    fields.encryptionItemCount = adHoc ? ENCRYPTION_ITEMS_ADHOC : static_cast<int>(ENCRYPTION_ITEMS.size());
    // The stored set decides the encryption, not what was selected before.
    fields.encryptionSelection = SelectionOf(params.encryption, fields.encryptionItemCount);
    ChannelRule(fields);
}

void ChannelRule(ParamFields& fields) {
    if (fields.modeSelection == MODE_ADHOC && fields.channelSelection == 0) fields.channelSelection = 1;
}

void ParamsToFields(const ModuleParamSet& params, ParamFields& fields) {
    fields.modeSelection = SelectionOf(params.mode, static_cast<int>(MODE_ITEMS.size()));
    fields.channelSelection = SelectionOf(params.channel, CHANNEL_COUNT);
    for (std::size_t i = 0; i < MAC_LENGTH; ++i) fields.macText[i] = MacByteText(params.mac[i]);
    fields.ssidText = ParamText(params.ssid);
    fields.keyText = ParamText(params.key);
    ModeRule(fields, params);  // the encryption list and selection, and the channel rule
}

void CollectSelections(const ParamFields& fields, ModuleParamSet& params) {
    params.mode = SelectionValue(fields.modeSelection);
    params.channel = SelectionValue(fields.channelSelection);
    params.encryption = SelectionValue(fields.encryptionSelection);
}

void CollectSsid(const ParamFields& fields, ModuleParamSet& params) {
    StoreParamText(params.ssid, fields.ssidText, SSID_SENT_LENGTH);
}

void CollectKey(const ParamFields& fields, ModuleParamSet& params) {
    // Under "NONE" no key travels, whatever the key edit still holds.
    StoreParamText(params.key, params.encryption == ENCRYPTION_NONE ? std::string() : fields.keyText, KEY_SENT_LENGTH);
}

void CollectMac(ParamFields& fields, ModuleParamSet& params) {
    for (std::size_t i = 0; i < MAC_LENGTH; ++i) {
        if (fields.macText[i].empty()) fields.macText[i] = MAC_FILL_TEXT;
        params.mac[i] = ReadHexByte(fields.macText[i]);
    }
}

void FieldsToParams(ParamFields& fields, ModuleParamSet& params) {
    CollectSelections(fields, params);
    CollectSsid(fields, params);
    CollectKey(fields, params);
    CollectMac(fields, params);
}

std::vector<std::string> RuleChanges(const ModuleParamSet& asked, const ModuleParamSet& sent) {
    std::vector<std::string> changes;
    const char* adHoc = asked.mode == MODE_ADHOC ? MODE_ITEMS[MODE_ADHOC] : nullptr;
    if (asked.mode != sent.mode) changes.push_back(SelectionChange("mode", asked.mode, sent.mode, nullptr, nullptr));
    if (asked.channel != sent.channel) {
        // Only channel 0 under Ad-Hoc moves; any other change is an index outside the list.
        const bool moved = sent.channel != NO_SELECTION;
        changes.push_back(SelectionChange("channel", asked.channel, sent.channel, nullptr, moved ? adHoc : nullptr));
    }
    if (asked.encryption != sent.encryption) {
        const bool listed = asked.encryption < ENCRYPTION_ITEMS.size();
        changes.push_back(SelectionChange("encryption", asked.encryption, sent.encryption,
                                          listed ? ENCRYPTION_ITEMS[asked.encryption] : nullptr,
                                          listed ? adHoc : nullptr));
    }
    if (ParamText(asked.ssid) != ParamText(sent.ssid)) changes.push_back(SSID_TOO_LONG_MESSAGE);
    // The key is left out: "NONE" sends none by design, and a saved empty key loads as "*".
    return changes;
}

}  // namespace lq3860
