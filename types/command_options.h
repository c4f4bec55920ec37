// SPDX-License-Identifier: MIT
#pragma once
// The command-line conventions lq3860ctl, lq3860-sim and lq3860-utility
// share, driven by each program's table of options: "--option VALUE" or
// "--option=VALUE", bundled one-letter flags ("-vV"), "--" before arguments
// that start with '-', and one wording for what is refused. The same tables
// give the shells' completion scripts (completion_script.h).
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
enum class CompleteAs { Nothing, File, Module };

struct OptionEntry {
    int id;                 // the program's own number for the option
    std::string_view name;  // "--device"
    char letter = 0;        // 'v' for "-v"; only flags have one
    OptionValue value = OptionValue::None;
    std::string_view valueName = {};  // "N", "FILE": named when the value is missing
    CompleteAs complete = CompleteAs::Nothing;
    bool hidden = false;  // neither offered by completion nor listed in help
};

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

ParsedArguments ParseArguments(std::span<const OptionEntry> options, const std::vector<std::string>& arguments);

// The one wording for an argument a program has no place for:
// "unexpected argument 'ARGUMENT'".
std::string UnexpectedArgumentError(std::string_view argument);

// What a program says on stderr for a usage error (its exit status is 2):
// "PROGRAM: ERROR" and "PROGRAM: Try 'PROGRAM --help'.", each on its line.
std::string UsageErrorText(std::string_view program, std::string_view error);
inline constexpr int USAGE_ERROR_STATUS = 2;

}  // namespace lq3860
