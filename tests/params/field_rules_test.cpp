// SPDX-License-Identifier: MIT
// The field rules as pure functions: the window and the command-line tool
// both rely on exactly these results.
#include "params/field_rules.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>

#include "param_set_helpers.h"

namespace lq3860 {

TEST(KeyLengthRuleTest, EachEncryptionJudgesOnlyTheLength) {
    const char *wep64 = WEP64_KEY_MESSAGE, *wep128 = WEP128_KEY_MESSAGE, *wpa = WPA_KEY_MESSAGE;
    const std::tuple<int, std::size_t, const char*> rows[] = {
        {1, 10, nullptr}, {1, 9, wep64}, {1, 11, wep64},   {2, 26, nullptr}, {2, 25, wep128},  {2, 27, wep128},
        {3, 8, nullptr},  {3, 7, wpa},   {3, 63, nullptr}, {4, 64, wpa},     {-1, 3, nullptr}, {5, 3, nullptr}};
    for (const auto& [encryption, length, message] : rows) {
        const KeyCheck check = CheckKeyLength(encryption, length);
        EXPECT_EQ(check.verdict, message ? KeyVerdict::Refused : KeyVerdict::Accepted) << encryption << "/" << length;
        EXPECT_STREQ(check.message, message) << encryption << "/" << length;
    }
    EXPECT_EQ(CheckKeyLength(0, 12).verdict, KeyVerdict::Cleared);
}

TEST(ShowParamsTest, OddStoredValuesShowSafelyAndTheSetStaysUnchanged) {
    // Out-of-range indexes select nothing; an unterminated key must stay inside its area.
    ModuleParamSet params = MakeParams(2, 14, 7, "", "", {0x00, 0x0A, 0x1B, 0xFF, 0x7f, 0xc3});
    std::memset(params.key, 'K', PARAM_TEXT_AREA);
    const ModuleParamSet before = params;
    ParamFields fields = StartFields();
    ParamsToFields(params, fields);
    EXPECT_EQ(fields.modeSelection, -1);
    EXPECT_EQ(fields.channelSelection, -1);
    EXPECT_EQ(fields.encryptionSelection, -1);
    EXPECT_EQ(fields.keyText, std::string(PARAM_TEXT_AREA, 'K'));
    EXPECT_EQ(fields.macText, (std::array<std::string, MAC_LENGTH>{"00", "0A", "1B", "FF", "7F", "C3"}));
    EXPECT_EQ(Dump(params), Dump(before));
    params.mode = MODE_ADHOC, params.channel = 0;
    ParamsToFields(params, fields);
    EXPECT_EQ(fields.channelSelection, 1);  // shown as 1, stored as 0
}

TEST(CollectTest, SelectionsTextsAndMacAreCutToWhatTheModuleTakesAndNoneClearsTheKey) {
    ModuleParamSet params;
    std::memset(params.ssid, 'x', PARAM_TEXT_AREA - 1);  // a loaded 63-character SSID
    ParamFields fields = StartFields();
    fields.modeSelection = -1, fields.channelSelection = 3, fields.encryptionSelection = 3;
    fields.ssidText = "abcdefghijklmnopqrstuvwxyz0123";
    fields.keyText = std::string(70, 'k');
    fields.macText = {"", "0a", "F", "1g", "zz", "1FF"};
    FieldsToParams(fields, params);
    // No selection travels as 255; the SSID's first 20 characters and nothing of the earlier,
    // longer text; the MAC takes the leading hex digits in their low 8 bits.
    EXPECT_EQ(Dump(params), Dump(MakeParams(255, 3, 3, "abcdefghijklmnopqrst", std::string(63, 'k'),
                                            {0xFF, 0x0A, 0x0F, 0x01, 0x00, 0xFF})));
    // Only empty edits are filled.
    EXPECT_EQ(fields.macText, (std::array<std::string, MAC_LENGTH>{"FF", "0a", "F", "1g", "zz", "1FF"}));

    fields.encryptionSelection = 0;  // the selection decides, not the stored encryption
    FieldsToParams(fields, params);
    EXPECT_EQ(params.encryption, 0);
    EXPECT_EQ(std::string(params.key, PARAM_TEXT_AREA), std::string(PARAM_TEXT_AREA, '\0'));
    EXPECT_EQ(fields.keyText, std::string(70, 'k'));  // the edit keeps its text
}

// A file's set as the tool sends it: every value the rules change is named;
// a set as Read para saves it goes out unchanged.
TEST(RuleChangesTest, EveryChangedFieldIsNamedOnce) {
    const auto changes = [](const ModuleParamSet& asked) {
        ParamFields fields = StartFields();
        ParamsToFields(asked, fields);
        ModuleParamSet sent = asked;
        FieldsToParams(fields, sent);
        std::string said;
        for (const std::string& change : RuleChanges(asked, sent)) said += change + "|";
        return said;
    };
    const std::pair<ModuleParamSet, std::string> rows[] = {
        {MakeParams(0, 6, 4, "LQ-3860", "lq3860-default", {}), ""},
        {MakeParams(1, 1, 255, "net", "key", {}), ""},
        {MakeParams(7, 14, 9, "12345678901234567890", "", {}),
         "The mode 7 is not in the list: sent as 255 (no selection).|"
         "The channel 14 is not in the list: sent as 255 (no selection).|"
         "The encryption 9 is not in the list: sent as 255 (no selection).|"},
        {MakeParams(1, 0, 4, "123456789012345678901", "passphrase", {}),
         "The channel 0 is not offered under Ad-Hoc: sent as 1.|"
         "The encryption 4 (WPA2-PSK(AES)) is not offered under Ad-Hoc: sent as 255 (no selection).|" +
             std::string(SSID_TOO_LONG_MESSAGE) + "|"},
        {MakeParams(0, 3, 0, "net", "*", {}), ""},  // a saved empty key, which "NONE" does not send
    };
    for (const auto& [asked, said] : rows) EXPECT_EQ(changes(asked), said);
}

}  // namespace lq3860
