// SPDX-License-Identifier: MIT
#include "program/options.h"

namespace lq3860 {

namespace {

const OptionEntry* FindOption(const OptionList& options, std::string_view name) {
    for (const OptionEntry* option : options) {
        if (option->name == name) return option;
    }
    return nullptr;
}

const OptionEntry* FindLetter(const OptionList& options, char letter) {
    for (const OptionEntry* option : options) {
        if (option->letter == letter) return option;
    }
    return nullptr;
}

}  // namespace

ParsedArguments ParseArguments(const OptionList& options, const std::vector<std::string>& arguments) {
    ParsedArguments parsed;
    const auto refuse = [&parsed](std::string error) {
        parsed.error = std::move(error);
        return parsed;
    };
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
            parsed.items.push_back({nullptr, false, argument});
            continue;
        }
        if (argument == "--") {
            optionsEnded = true;
            continue;
        }
        if (argument[1] != '-') {  // one or more one-letter flags
            for (const char letter : std::string_view(argument).substr(1)) {
                const OptionEntry* option = FindLetter(options, letter);
                if (option == nullptr) return refuse("unknown option '-" + std::string(1, letter) + "'");
                parsed.items.push_back({option, false, {}});
            }
            continue;
        }
        const std::size_t equals = argument.find('=');
        const std::string name = argument.substr(0, equals);
        const OptionEntry* option = FindOption(options, name);
        if (option == nullptr) return refuse("unknown option '" + name + "'");
        ParsedArgument item{option, equals != std::string::npos, {}};
        if (item.hasValue) item.value = argument.substr(equals + 1);
        if (option->value == OptionValue::None && item.hasValue) {
            return refuse("option '" + name + "' takes no value");
        }
        if (option->value == OptionValue::Required && !item.hasValue) {
            if (i + 1 >= arguments.size()) {
                return refuse("option '" + name + "' needs " + std::string(option->valueName));
            }
            item.hasValue = true;
            item.value = arguments[++i];
        }
        parsed.items.push_back(std::move(item));
    }
    parsed.ok = true;
    return parsed;
}

std::string OptionsHelp(const OptionList& options, std::size_t column) {
    std::string text;
    for (const OptionEntry* option : options) {
        if (option->hidden || option->help.empty()) continue;
        std::string line = "  ";
        if (option->letter != 0) line += std::string("-") + option->letter + ", ";
        line += option->name;
        if (option->value == OptionValue::Required) line += " " + std::string(option->valueName);
        if (option->value == OptionValue::InlineOnly) line += "[=" + std::string(option->valueName) + "]";
        if (line.size() + 2 > column) {
            text += line + "\n";
            line.clear();
        }
        for (std::string_view help = option->help; !help.empty();) {
            const std::size_t end = help.find('\n');
            line.resize(column, ' ');
            text += line;
            text += help.substr(0, end);
            text += '\n';
            line.clear();
            help = end == std::string_view::npos ? std::string_view() : help.substr(end + 1);
        }
    }
    return text;
}

std::string UnexpectedArgumentError(std::string_view argument) {
    return "unexpected argument '" + std::string(argument) + "'";
}

std::string UsageErrorText(std::string_view program, std::string_view error) {
    const std::string name(program);
    return name + ": " + std::string(error) + "\n" + name + ": Try '" + name + " --help'.\n";
}

}  // namespace lq3860
