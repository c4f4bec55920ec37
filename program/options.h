// SPDX-License-Identifier: MIT
#pragma once
// The command-line conventions lq3860ctl, lq3860-sim and lq3860-utility
// share, driven by each program's table of options: "--option VALUE" or
// "--option=VALUE", bundled one-letter flags ("-vV"), "--" before arguments
// that start with '-', and one wording for what is refused. An option is
// declared once, in one row: its spelling, its value, its line of --help and
// what a shell completes for it; the parser, the help text and the shells'
// completion scripts (completion_script.h) are made from the rows.
#include <cstddef>
#include <iterator>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace lq3860 {

enum class OptionValue {
    None,        // a flag: "--json"
    Required,    // "--device N" or "--device=N"
    InlineOnly,  // "--simulate" or "--simulate=FILE"
};

// What a shell offers for an option's value or a command's argument.
enum class CompleteAs { Nothing, File, Module, Adapter };  // Adapter: a network interface

// How an option is written, what it takes and what is said about it.
struct OptionEntry {
    std::string_view name;  // "--device"
    char letter = 0;        // 'v' for "-v"; only flags have one
    OptionValue value = OptionValue::None;
    std::string_view valueName = {};  // "N", "FILE": named when the value is missing
    CompleteAs complete = CompleteAs::Nothing;
    bool hidden = false;  // neither offered by completion nor listed in help
    // Its lines of --help, without indent, '\n' between them; empty for an
    // option that its command's help describes.
    std::string_view help = {};
    // It changes which modules "PROGRAM list" finds, so completion passes it
    // on from the command line when it lists the modules.
    bool picksModules = false;
};

// One row of a program's table: the program's own id (an enum class, so a
// switch over it names every option) and the option.
template <typename Id>
struct Option {
    Id id;
    OptionEntry entry;
};

// The options a program parses, from one or more tables, in their order.
// It points into the tables: they are the programs' constant tables.
using OptionList = std::vector<const OptionEntry*>;

template <typename... Tables>
OptionList ListOptions(const Tables&... tables) {
    OptionList list;
    const auto add = [&list](const auto& table) {
        for (const auto& row : table) list.push_back(&row.entry);
    };
    (add(tables), ...);
    return list;
}

// The row of `table` that `entry` belongs to; null when it is another table's.
template <typename Table>
auto RowOf(const Table& table, const OptionEntry* entry) -> decltype(&*std::begin(table)) {
    for (const auto& row : table) {
        if (&row.entry == entry) return &row;
    }
    return nullptr;
}

struct ParsedArgument {
    const OptionEntry* option = nullptr;  // null: a positional argument in `value`
    bool hasValue = false;                // an option's value was given
    std::string value;
};

struct ParsedArguments {
    bool ok = false;
    std::vector<ParsedArgument> items;  // in command-line order
    std::string error;                  // why the command line was refused, when !ok
};

ParsedArguments ParseArguments(const OptionList& options, const std::vector<std::string>& arguments);

// The --help lines of the options that have help: "  -v, --verbose", the
// help's first line from `column` on (on a line of its own when the name
// reaches that far) and its other lines indented to `column`.
std::string OptionsHelp(const OptionList& options, std::size_t column);

// The one wording for an argument a program has no place for:
// "unexpected argument 'ARGUMENT'".
std::string UnexpectedArgumentError(std::string_view argument);

// What a program says on stderr for a usage error (its exit status is 2):
// "PROGRAM: ERROR" and "PROGRAM: Try 'PROGRAM --help'.", each on its line.
std::string UsageErrorText(std::string_view program, std::string_view error);
inline constexpr int USAGE_ERROR_STATUS = 2;

}  // namespace lq3860
