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

TEST(HexFilterTest, RemovesOnlyTheFirstNonHexCharacter) {
    std::string text = "g";
    EXPECT_TRUE(RemoveFirstNonHexDigit(text));
    EXPECT_EQ(text, "");

    text = "1g";
    EXPECT_TRUE(RemoveFirstNonHexDigit(text));
    EXPECT_EQ(text, "1");

    text = "zz";  // a paste needs two passes
    EXPECT_TRUE(RemoveFirstNonHexDigit(text));
    EXPECT_EQ(text, "z");
    EXPECT_TRUE(RemoveFirstNonHexDigit(text));
    EXPECT_EQ(text, "");
    EXPECT_FALSE(RemoveFirstNonHexDigit(text));

    text = "a-b:c";
    EXPECT_TRUE(RemoveFirstNonHexDigit(text));
    EXPECT_EQ(text, "ab:c");
}

TEST(HexFilterTest, KeepsHexDigitsOfEitherCaseUnchanged) {
    std::string text = "09afAF";
    EXPECT_FALSE(RemoveFirstNonHexDigit(text));
    EXPECT_EQ(text, "09afAF");
}

TEST(HexFilterTest, HighBitCharactersAreNotDigits) {
    // 0xE1 is 'a' with the high bit set; 0xB9 is a Latin-1 superscript one.
    std::string text = "\xE1" "1\xB9";
    EXPECT_TRUE(RemoveFirstNonHexDigit(text));
    EXPECT_EQ(text, "1\xB9");
    EXPECT_TRUE(RemoveFirstNonHexDigit(text));
    EXPECT_EQ(text, "1");
}

TEST(KeyLengthRuleTest, Wep64NeedsExactlyTen) {
    EXPECT_EQ(CheckKeyLength(1, 10).verdict, KeyVerdict::Accepted);
    for (std::size_t length : {0u, 9u, 11u, 26u}) {
        const KeyCheck check = CheckKeyLength(1, length);
        EXPECT_EQ(check.verdict, KeyVerdict::Refused) << length;
        EXPECT_STREQ(check.message, "The KEY must be 10 characters!");
    }
}

TEST(KeyLengthRuleTest, Wep128NeedsExactlyTwentySix) {
    EXPECT_EQ(CheckKeyLength(2, 26).verdict, KeyVerdict::Accepted);
    for (std::size_t length : {10u, 25u, 27u}) {
        const KeyCheck check = CheckKeyLength(2, length);
        EXPECT_EQ(check.verdict, KeyVerdict::Refused) << length;
        EXPECT_STREQ(check.message, "The KEY must be 26 characters!");
    }
}

TEST(KeyLengthRuleTest, WpaNeedsEightToSixtyThree) {
    for (int position : {3, 4}) {
        EXPECT_EQ(CheckKeyLength(position, 8).verdict, KeyVerdict::Accepted);
        EXPECT_EQ(CheckKeyLength(position, 63).verdict, KeyVerdict::Accepted);
        for (std::size_t length : {0u, 7u, 64u}) {
            const KeyCheck check = CheckKeyLength(position, length);
            EXPECT_EQ(check.verdict, KeyVerdict::Refused) << position << " " << length;
            EXPECT_STREQ(check.message, "The KEY must between 8~63 characters!");
        }
    }
}

TEST(KeyLengthRuleTest, NoneClearsAndNoSelectionAccepts) {
    const KeyCheck none = CheckKeyLength(0, 12);
    EXPECT_EQ(none.verdict, KeyVerdict::Cleared);
    EXPECT_EQ(none.message, nullptr);
    for (int position : {-1, 5, 7}) {
        const KeyCheck check = CheckKeyLength(position, 3);
        EXPECT_EQ(check.verdict, KeyVerdict::Accepted) << position;
        EXPECT_EQ(check.message, nullptr);
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

TEST(ModeRuleTest, UnknownModeCountsAsAp) {
    ParamFields fields = StartFields();
    fields.modeSelection = -1;
    fields.channelSelection = 0;
    ApplyModeRule(fields, StoredEncryption(3));
    EXPECT_EQ(fields.encryptionItemCount, 5);
    EXPECT_EQ(fields.encryptionSelection, 3);
    EXPECT_EQ(fields.channelSelection, 0);
}

TEST(ChannelRuleTest, OnlyAdHocChannelZeroChanges) {
    ParamFields fields = StartFields();
    fields.modeSelection = MODE_ADHOC;
    fields.channelSelection = 0;
    ApplyChannelRule(fields);
    EXPECT_EQ(fields.channelSelection, 1);

    fields.channelSelection = 5;
    ApplyChannelRule(fields);
    EXPECT_EQ(fields.channelSelection, 5);

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
