// SPDX-License-Identifier: MIT
#include "program/completion_script.h"

namespace lq3860 {

namespace {

// The function's name: "_" and the program's name with '-' as '_'.
std::string FunctionName(std::string_view program) {
    std::string name = "_" + std::string(program);
    for (char& c : name) {
        if (c == '-') c = '_';
    }
    return name;
}

// The options' names (and letters) that `keep` selects, joined by `separator`.
template <typename Keep>
std::string Names(const OptionList& options, Keep keep, std::string_view separator) {
    std::string names;
    for (const OptionEntry* entry : options) {
        const OptionEntry& option = *entry;
        if (option.hidden || !keep(option)) continue;
        if (!names.empty()) names += separator;
        names += option.name;
        if (option.letter != 0) names += std::string(separator) + "-" + option.letter;
    }
    return names;
}

std::string CommandNames(std::span<const CommandEntry> commands, std::string_view separator, CompleteAs argument,
                         bool any) {
    std::string names;
    for (const CommandEntry& command : commands) {
        if (!any && command.argument != argument) continue;
        if (!names.empty()) names += separator;
        names += command.name;
    }
    return names;
}

// The "PROGRAM list" lines as one slot and one name per line.
constexpr std::string_view MODULE_WORDS = "\"$1\" list 2>/dev/null | cut -f1,2 | tr '\\t' '\\n'";

std::string BashScript(std::string_view program, const OptionList& options, std::span<const CommandEntry> commands) {
    const auto kind = [](OptionValue value, CompleteAs complete) {
        return [value, complete](const OptionEntry& o) { return o.value == value && o.complete == complete; };
    };
    const std::string files = Names(options, kind(OptionValue::Required, CompleteAs::File), "|");
    const std::string inlineFiles = Names(options, kind(OptionValue::InlineOnly, CompleteAs::File), "|");
    const std::string modules = Names(options, kind(OptionValue::Required, CompleteAs::Module), "|");
    const std::string values = Names(options, kind(OptionValue::Required, CompleteAs::Nothing), "|");
    const std::string function = FunctionName(program);
    std::string script = "# bash completion for " + std::string(program) + ", made by '" + std::string(program) +
                         " --completion bash'\n" + function +
                         "() {\n"
                         "    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]} inline= i command=\n"
                         "    # bash splits --option=VALUE at '='\n"
                         "    if [[ $cur == = ]]; then cur= inline=1\n"
                         "    elif [[ $prev == = ]]; then prev=${COMP_WORDS[COMP_CWORD-2]} inline=1\n"
                         "    fi\n"
                         "    COMPREPLY=()\n";
    if (!inlineFiles.empty()) {
        script += "    if [[ $inline ]]; then case $prev in " + inlineFiles +
                  ") compopt -o filenames 2>/dev/null; COMPREPLY=($(compgen -f -- \"$cur\")); return;; esac; fi\n";
    }
    script += "    case $prev in\n";
    if (!files.empty()) {
        script += "        " + files +
                  ") compopt -o filenames 2>/dev/null; COMPREPLY=($(compgen -f -- \"$cur\")); return;;\n";
    }
    if (!modules.empty()) {
        script += "        " + modules + ")\n            local IFS=$'\\n' word\n            for word in $(" +
                  std::string(MODULE_WORDS) +
                  "); do\n                [[ $word == \"$cur\"* ]] && COMPREPLY+=(\"$(printf %q \"$word\")\")\n"
                  "            done\n            return;;\n";
    }
    if (!values.empty()) script += "        " + values + ") return;;\n";
    script += "    esac\n";
    const std::string all = Names(
        options, [](const OptionEntry&) { return true; }, " ");
    script += "    if [[ $cur == -* ]]; then COMPREPLY=($(compgen -W '" + all + "' -- \"$cur\")); return; fi\n";
    if (!commands.empty()) {
        script += "    for ((i = 1; i < COMP_CWORD; i++)); do\n        case ${COMP_WORDS[i]} in " +
                  CommandNames(commands, "|", CompleteAs::Nothing, true) +
                  ") command=${COMP_WORDS[i]}; break;; esac\n    done\n"
                  "    if [[ -z $command ]]; then COMPREPLY=($(compgen -W '" +
                  CommandNames(commands, " ", CompleteAs::Nothing, true) + "' -- \"$cur\")); return; fi\n";
        const std::string fileCommands = CommandNames(commands, "|", CompleteAs::File, false);
        if (!fileCommands.empty()) {
            script += "    case $command in " + fileCommands +
                      ") compopt -o filenames 2>/dev/null; COMPREPLY=($(compgen -f -- \"$cur\"));; esac\n";
        }
    }
    return script + "}\ncomplete -F " + function + " " + std::string(program) + "\n";
}

// One _arguments item per spelling of the option.
std::string ZshOptionItems(const OptionList& options, const std::string& function) {
    std::string items;
    for (const OptionEntry* entry : options) {
        const OptionEntry& option = *entry;
        if (option.hidden) continue;
        std::string action = " ";
        if (option.complete == CompleteAs::File) action = "_files";
        if (option.complete == CompleteAs::Module) action = function + "_modules";
        const std::string value(option.valueName);
        std::string item(option.name);
        if (option.value == OptionValue::Required) item += "=:" + value + ":" + action;
        if (option.value == OptionValue::InlineOnly) item += "=-::" + value + ":" + action;
        items += "        '" + item + "' \\\n";
        if (option.letter != 0) items += std::string("        '-") + option.letter + "' \\\n";
    }
    return items;
}

std::string ZshScript(std::string_view program, const OptionList& options, std::span<const CommandEntry> commands) {
    const std::string function = FunctionName(program);
    std::string script = "#compdef " + std::string(program) + "\n# zsh completion for " + std::string(program) +
                         ", made by '" + std::string(program) + " --completion zsh'\n" + function +
                         "_modules() {\n    local -a words_\n    words_=(${(f)\"$(" +
                         std::string(MODULE_WORDS).replace(0, 4, "$words[1]") + ")\"})\n    compadd -a words_\n}\n" +
                         function + "() {\n    local state line\n    _arguments -s -S \\\n" +
                         ZshOptionItems(options, function);
    if (commands.empty()) return script + "        && return\n}\n" + function + " \"$@\"\n";
    script += "        '1:command:(" + CommandNames(commands, " ", CompleteAs::Nothing, true) +
              ")' '*::argument:->argument' && return\n";
    const std::string fileCommands = CommandNames(commands, "|", CompleteAs::File, false);
    if (!fileCommands.empty()) script += "    case $line[1] in " + fileCommands + ") _files;; esac\n";
    return script + "}\n" + function + " \"$@\"\n";
}

}  // namespace

std::string CompletionScript(std::string_view shell, std::string_view program, const OptionList& options,
                             std::span<const CommandEntry> commands) {
    if (shell == "bash") return BashScript(program, options, commands);
    if (shell == "zsh") return ZshScript(program, options, commands);
    return {};
}

}  // namespace lq3860
