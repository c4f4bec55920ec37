// SPDX-License-Identifier: MIT
#include "program/options.h"

#include <gtest/gtest.h>

namespace lq3860 {

namespace {

enum class First { Flag, Value, Long, Hidden, Bare };
enum class Second { Inline };

constexpr Option<First> FIRST[] = {
    {First::Flag, {.name = "--flag", .letter = 'f', .help = "one line"}},
    {First::Value, {.name = "--value", .value = OptionValue::Required, .valueName = "N", .help = "two\nlines"}},
    {First::Long, {.name = "--a-name-that-fills-the-column", .help = "below it"}},
    {First::Hidden, {.name = "--hidden", .hidden = true, .help = "never shown"}},
    {First::Bare, {.name = "--bare"}},  // its command's help describes it
};
constexpr Option<Second> SECOND[] = {
    {Second::Inline, {.name = "--inline", .value = OptionValue::InlineOnly, .valueName = "FILE", .help = "last"}},
};

// Two blanks at least between a name and its help; hidden rows and rows
// without help are left out.
TEST(OptionTable, HelpLinesStartAtTheColumnInTheTablesOrder) {
    EXPECT_EQ(OptionsHelp(ListOptions(FIRST, SECOND), 19),
              "  -f, --flag       one line\n"
              "  --value N        two\n"
              "                   lines\n"
              "  --a-name-that-fills-the-column\n"
              "                   below it\n"
              "  --inline[=FILE]  last\n");
}

TEST(OptionTable, AParsedOptionLeadsBackToItsRow) {
    const ParsedArguments parsed = ParseArguments(ListOptions(FIRST, SECOND), {"--inline=x", "-f", "--value", "3"});
    ASSERT_TRUE(parsed.ok) << parsed.error;
    ASSERT_EQ(parsed.items.size(), 3u);
    EXPECT_EQ(RowOf(FIRST, parsed.items[0].option), nullptr);
    EXPECT_EQ(RowOf(SECOND, parsed.items[0].option), &SECOND[0]);
    EXPECT_EQ(RowOf(FIRST, parsed.items[1].option), &FIRST[0]);
    EXPECT_EQ(RowOf(FIRST, parsed.items[2].option), &FIRST[1]);
    EXPECT_EQ(parsed.items[2].value, "3");
}

}  // namespace

}  // namespace lq3860
