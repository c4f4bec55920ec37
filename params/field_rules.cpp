// SPDX-License-Identifier: MIT
#include "params/field_rules.h"

#include <cstdint>
#include <cstdio>

namespace lq3860 {

namespace {

// Plain ASCII test: characters with the high bit set are never digits,
// whatever the C locale says.
bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return c - 'A' + 10;
}

// Leading hex digits as a number, kept in its low 8 bits; no digits give 0.
std::uint8_t ReadHexByte(const std::string& text) {
    unsigned value = 0;
    for (char c : text) {
        if (!IsHexDigit(c)) break;
        value = ((value << 4) | static_cast<unsigned>(HexValue(c))) & 0xFFu;
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
        if (!IsHexDigit(text[i])) {
            text.erase(i, 1);
            return true;
        }
    }
    return false;
}

KeyCheck CheckKeyLength(int encryptionSelection, std::size_t keyLength) {
    // Tested in this order: the WPA pair, WEP64, WEP128, NONE.
    if (encryptionSelection == 3 || encryptionSelection == 4) {
        if (keyLength < 8 || keyLength > 63) return {KeyVerdict::Refused, "The KEY must between 8~63 characters!"};
        return {KeyVerdict::Accepted, nullptr};
    }
    if (encryptionSelection == 1) {
        if (keyLength != 10) return {KeyVerdict::Refused, "The KEY must be 10 characters!"};
        return {KeyVerdict::Accepted, nullptr};
    }
    if (encryptionSelection == 2) {
        if (keyLength != 26) return {KeyVerdict::Refused, "The KEY must be 26 characters!"};
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
    fields.encryptionSelection = SelectionOf(params.encryption, fields.encryptionItemCount);
    for (std::size_t i = 0; i < MAC_LENGTH; ++i) {
        char text[3];
        std::snprintf(text, sizeof text, "%02X", params.mac[i]);
        fields.macText[i] = text;
    }
    fields.ssidText = ParamText(params.ssid);
    fields.keyText = ParamText(params.key);
    ModeRule(fields, params);
    ChannelRule(fields);
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

}  // namespace lq3860
