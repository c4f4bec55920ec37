// The field rules as pure functions: the window and the command-line tool
// both rely on exactly these results.
#include "params/field_rules.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

ModuleParamSet StoredEncryption(std::uint8_t encryption) {
    ModuleParamSet params;
    params.encryption = encryption;
    return params;
}

std::string Area(const char (&area)[PARAM_TEXT_AREA]) {
    return std::string(area, strnlen(area, PARAM_TEXT_AREA));
}

bool AreaTailIsZero(const char (&area)[PARAM_TEXT_AREA], std::size_t from) {
    for (std::size_t i = from; i < PARAM_TEXT_AREA; ++i)
        if (area[i] != 0) return false;
    return true;
}

}  // namespace

TEST(StartFieldsTest, MatchTheWindowStartState) {
    const ParamFields fields = StartFields();
    EXPECT_EQ(fields.modeSelection, MODE_ADHOC);
    EXPECT_EQ(fields.channelSelection, 2);
    EXPECT_EQ(fields.encryptionSelection, ENCRYPTION_NONE);
    EXPECT_EQ(fields.encryptionItemCount, 3);
    EXPECT_EQ(fields.ssidText, "LQ-3860");
    EXPECT_EQ(fields.keyText, "");
    for (const std::string& text : fields.macText) EXPECT_EQ(text, "FF");
}

TEST(HexFilterTest, RemovesOneNonHexCharacterPerPass) {
    struct Case {
        const char* before;
        const char* after;  // null: nothing to remove
    };
    // 0xE1 is 'a' with the high bit set: not a digit.
    const Case cases[] = {{"g", ""}, {"1g", "1"}, {"zz", "z"}, {"a-b:c", "ab:c"}, {"\xE1" "1", "1"},
                          {"09afAF", nullptr}, {"", nullptr}};
    for (const Case& c : cases) {
        std::string text = c.before;
        EXPECT_EQ(RemoveFirstNonHexDigit(text), c.after != nullptr) << c.before;
        EXPECT_EQ(text, c.after ? c.after : c.before);
    }
}

TEST(KeyLengthRuleTest, EachEncryptionJudgesOnlyTheLength) {
    struct Case {
        int encryption;
        std::size_t length;
        KeyVerdict verdict;
        const char* message;
    };
    const char* wep64 = "The KEY must be 10 characters!";
    const char* wep128 = "The KEY must be 26 characters!";
    const char* wpa = "The KEY must between 8~63 characters!";
    const Case cases[] = {
        {1, 10, KeyVerdict::Accepted, nullptr}, {1, 9, KeyVerdict::Refused, wep64},
        {1, 11, KeyVerdict::Refused, wep64},    {1, 0, KeyVerdict::Refused, wep64},
        {2, 26, KeyVerdict::Accepted, nullptr}, {2, 25, KeyVerdict::Refused, wep128},
        {2, 27, KeyVerdict::Refused, wep128},   {3, 8, KeyVerdict::Accepted, nullptr},
        {3, 63, KeyVerdict::Accepted, nullptr}, {3, 7, KeyVerdict::Refused, wpa},
        {4, 64, KeyVerdict::Refused, wpa},      {4, 8, KeyVerdict::Accepted, nullptr},
        {0, 12, KeyVerdict::Cleared, nullptr},  {-1, 3, KeyVerdict::Accepted, nullptr},
        {5, 3, KeyVerdict::Accepted, nullptr},
    };
    for (const Case& c : cases) {
        const KeyCheck check = CheckKeyLength(c.encryption, c.length);
        EXPECT_EQ(check.verdict, c.verdict) << c.encryption << "/" << c.length;
        if (c.message) {
            EXPECT_STREQ(check.message, c.message);
        } else {
            EXPECT_EQ(check.message, nullptr);
        }
    }
}

TEST(ModeRuleTest, AdHocOffersThreeItemsAndSelectsTheStoredEncryption) {
    ParamFields fields = StartFields();
    fields.modeSelection = MODE_ADHOC;
    fields.encryptionSelection = 2;  // chosen in the window, not stored
    ApplyModeRule(fields, StoredEncryption(1));
    EXPECT_EQ(fields.encryptionItemCount, 3);
    EXPECT_EQ(fields.encryptionSelection, 1);
}

TEST(ModeRuleTest, StoredWpaUnderAdHocLeavesNoSelectionAndComesBackUnderAp) {
    ParamFields fields = StartFields();
    const ModuleParamSet stored = StoredEncryption(4);
    fields.modeSelection = MODE_ADHOC;
    ApplyModeRule(fields, stored);
    EXPECT_EQ(fields.encryptionSelection, -1);
    EXPECT_EQ(CheckKeyLength(fields.encryptionSelection, 1).verdict, KeyVerdict::Accepted);

    fields.modeSelection = MODE_AP;
    ApplyModeRule(fields, stored);
    EXPECT_EQ(fields.encryptionItemCount, 5);
    EXPECT_EQ(fields.encryptionSelection, 4);
}

TEST(ModeRuleTest, AdHocMovesChannelZeroToOneAndApLeavesIt) {
    ParamFields fields = StartFields();
    fields.modeSelection = MODE_AP;
    fields.channelSelection = 0;
    ApplyModeRule(fields, ModuleParamSet{});
    EXPECT_EQ(fields.channelSelection, 0);

    fields.modeSelection = MODE_ADHOC;
    ApplyModeRule(fields, ModuleParamSet{});
    EXPECT_EQ(fields.channelSelection, 1);

    fields.modeSelection = MODE_AP;
    ApplyModeRule(fields, ModuleParamSet{});
    EXPECT_EQ(fields.channelSelection, 1);
}

TEST(ChannelRuleTest, OnlyAdHocChannelZeroChanges) {
    ParamFields fields = StartFields();
    fields.channelSelection = 0;
    ApplyChannelRule(fields);
    EXPECT_EQ(fields.channelSelection, 1);

    fields.modeSelection = MODE_AP;
    fields.channelSelection = 0;
    ApplyChannelRule(fields);
    EXPECT_EQ(fields.channelSelection, 0);
}

TEST(ShowParamsTest, ShowsSelectionsMacAndTexts) {
    ModuleParamSet params;
    params.mode = MODE_AP;
    params.channel = 13;
    params.encryption = 3;
    std::strcpy(params.ssid, "office");
    std::strcpy(params.key, "secret-key");
    const std::uint8_t mac[MAC_LENGTH] = {0x00, 0x0A, 0x1B, 0xFF, 0x7f, 0xc3};
    std::memcpy(params.mac, mac, MAC_LENGTH);

    ParamFields fields = StartFields();
    ShowParams(params, fields);
    EXPECT_EQ(fields.modeSelection, MODE_AP);
    EXPECT_EQ(fields.channelSelection, 13);
    EXPECT_EQ(fields.encryptionItemCount, 5);
    EXPECT_EQ(fields.encryptionSelection, 3);
    EXPECT_EQ(fields.ssidText, "office");
    EXPECT_EQ(fields.keyText, "secret-key");
    const char* expected[MAC_LENGTH] = {"00", "0A", "1B", "FF", "7F", "C3"};
    for (std::size_t i = 0; i < MAC_LENGTH; ++i) EXPECT_EQ(fields.macText[i], expected[i]);
}

TEST(ShowParamsTest, OutOfRangeIndexesShowNoSelectionAndParamsStayUnchanged) {
    ModuleParamSet params;
    params.mode = 2;
    params.channel = 14;
    params.encryption = 7;
    ParamFields fields = StartFields();
    ShowParams(params, fields);
    EXPECT_EQ(fields.modeSelection, -1);
    EXPECT_EQ(fields.channelSelection, -1);
    EXPECT_EQ(fields.encryptionSelection, -1);
    EXPECT_EQ(params.mode, 2);
    EXPECT_EQ(params.encryption, 7);
}

TEST(ShowParamsTest, AdHocChannelZeroShowsOneButStaysStored) {
    ModuleParamSet params;
    params.mode = MODE_ADHOC;
    params.channel = 0;
    ParamFields fields = StartFields();
    ShowParams(params, fields);
    EXPECT_EQ(fields.channelSelection, 1);
    EXPECT_EQ(params.channel, 0);
}

TEST(ShowParamsTest, UnterminatedTextAreaStaysInsideItsArea) {
    ModuleParamSet params;
    std::memset(params.ssid, 'S', PARAM_TEXT_AREA);
    std::memset(params.key, 'K', PARAM_TEXT_AREA);
    ParamFields fields = StartFields();
    ShowParams(params, fields);
    EXPECT_EQ(fields.ssidText, std::string(PARAM_TEXT_AREA, 'S'));
    EXPECT_EQ(fields.keyText, std::string(PARAM_TEXT_AREA, 'K'));
}

TEST(CollectTest, NoSelectionIsCollectedAs255) {
    ParamFields fields = StartFields();
    fields.modeSelection = -1;
    fields.channelSelection = 3;
    fields.encryptionSelection = -1;
    ModuleParamSet params;
    CollectSelections(fields, params);
    EXPECT_EQ(params.mode, 255);
    EXPECT_EQ(params.channel, 3);
    EXPECT_EQ(params.encryption, 255);
}

TEST(CollectTest, SsidKeepsTwentyCharactersAndNothingOfTheEarlierText) {
    ModuleParamSet params;
    std::memset(params.ssid, 'x', PARAM_TEXT_AREA - 1);  // a loaded 63-character SSID
    ParamFields fields = StartFields();
    fields.ssidText = "abcdefghijklmnopqrstuvwxyz0123";  // 30 characters
    CollectSsid(fields, params);
    EXPECT_EQ(Area(params.ssid), "abcdefghijklmnopqrst");
    EXPECT_TRUE(AreaTailIsZero(params.ssid, 20));
}

TEST(CollectTest, KeyKeepsSixtyThreeCharactersUnlessEncryptionIsNone) {
    ParamFields fields = StartFields();
    fields.keyText = std::string(70, 'k');
    ModuleParamSet params;
    params.encryption = 3;
    CollectKey(fields, params);
    EXPECT_EQ(Area(params.key), std::string(63, 'k'));

    params.encryption = ENCRYPTION_NONE;
    CollectKey(fields, params);
    EXPECT_TRUE(AreaTailIsZero(params.key, 0));
    EXPECT_EQ(fields.keyText, std::string(70, 'k'));  // the edit keeps its text
}

TEST(CollectTest, CollectParamsClearsTheKeyByTheSelectionItCollected) {
    ParamFields fields = StartFields();
    fields.keyText = "0123456789";
    fields.encryptionSelection = 0;
    ModuleParamSet params;
    params.encryption = 1;  // stale stored value must not decide
    CollectParams(fields, params);
    EXPECT_EQ(params.encryption, 0);
    EXPECT_EQ(Area(params.key), "");

    fields.encryptionSelection = 1;
    CollectParams(fields, params);
    EXPECT_EQ(Area(params.key), "0123456789");
}

TEST(CollectTest, MacReadsLeadingHexDigitsAndFillsEmptyEdits) {
    ParamFields fields = StartFields();
    fields.macText = {"", "0a", "F", "1g", "zz", "1FF"};
    ModuleParamSet params;
    CollectMac(fields, params);
    EXPECT_EQ(fields.macText[0], "FF");
    EXPECT_EQ(params.mac[0], 0xFF);
    EXPECT_EQ(params.mac[1], 0x0A);
    EXPECT_EQ(params.mac[2], 0x0F);
    EXPECT_EQ(params.mac[3], 0x01);
    EXPECT_EQ(params.mac[4], 0x00);
    EXPECT_EQ(fields.macText[4], "zz");  // only empty edits are filled
    EXPECT_EQ(params.mac[5], 0xFF);      // low 8 bits of 0x1FF
}
