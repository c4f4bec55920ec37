// SPDX-License-Identifier: MIT
#pragma once
// The main window's fields as plain data, and the rules that keep them
// consistent. The window copies its controls into ParamFields, runs a rule and
// copies the result back; the command-line tool runs the same rules on its
// own ParamFields, so both send exactly the same parameters.
#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "params/messages.h"
#include "types/module_params.h"

namespace lq3860 {

inline constexpr const char* DEFAULT_SSID = "LQ-3860";
inline constexpr const char* MAC_FILL_TEXT = "FF";

struct ParamFields {
    int modeSelection = -1;  // -1: no selection
    int channelSelection = -1;
    int encryptionSelection = -1;
    int encryptionItemCount = 5;  // 3 under Ad-Hoc, 5 otherwise
    std::string ssidText;
    std::string keyText;
    std::array<std::string, MAC_LENGTH> macText;  // left to right
};

// The window's fields right after start-up.
ParamFields StartFields();

// Removes the first character that is not a hexadecimal digit; false when
// there was none (the text is all hex digits).
bool RemoveFirstNonHexDigit(std::string& text);

enum class KeyVerdict { Accepted, Cleared, Refused };
struct KeyCheck {
    KeyVerdict verdict;
    const char* message;  // the refusal text, null otherwise
};
// The key length rule for the selected encryption position.
KeyCheck CheckKeyLength(int encryptionSelection, std::size_t keyLength);

// Rebuilds the encryption list for the selected mode, selects the stored
// encryption of `params` again, and moves channel 0 to 1 under Ad-Hoc.
void ModeRule(ParamFields& fields, const ModuleParamSet& params);
// Under Ad-Hoc, channel 0 becomes 1.
void ChannelRule(ParamFields& fields);

// Parameter set -> fields (selections, MAC "%02X", texts, then the mode and
// channel rules). `params` itself is not changed.
void ParamsToFields(const ModuleParamSet& params, ParamFields& fields);

// Fields -> parameter set, in the steps the procedures interleave with
// their progress positions.
void CollectSelections(const ParamFields& fields, ModuleParamSet& params);  // step 1
void CollectSsid(const ParamFields& fields, ModuleParamSet& params);        // step 2
void CollectKey(const ParamFields& fields, ModuleParamSet& params);         // step 3
void CollectMac(ParamFields& fields, ModuleParamSet& params);               // step 4: empty edit -> "FF"
void FieldsToParams(ParamFields& fields, ModuleParamSet& params);           // all four

// What the rules changed of `asked` (a loaded file's set) in `sent` (what
// its fields collect to): one message per changed field, in the fields'
// order; none when the set goes out as the file has it.
std::vector<std::string> RuleChanges(const ModuleParamSet& asked, const ModuleParamSet& sent);

}  // namespace lq3860
