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

}  // namespace

}  // namespace lq3860
