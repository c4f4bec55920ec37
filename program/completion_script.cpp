// SPDX-License-Identifier: MIT
#include "program/completion_script.h"

#include <algorithm>
#include <initializer_list>
#include <utility>

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

// Shell code is written here as C++ raw strings: FUNCTION stands for the
// completion function's name, each @NAME@ for a case pattern of options.
// A line whose pattern is empty (no such option) is left out.
std::string Filled(std::string_view text, std::string_view function,
                   std::initializer_list<std::pair<std::string_view, std::string>> patterns) {
    std::string filled;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size() - 1) + 1;
        std::string line(text.substr(0, end));
        text.remove_prefix(end);
        bool keep = true;
        for (const auto& [name, pattern] : patterns) {
            for (std::size_t at = line.find(name); at != std::string::npos; at = line.find(name, at + pattern.size())) {
                keep = keep && !pattern.empty();
                line.replace(at, name.size(), pattern);
            }
        }
        for (std::size_t at = line.find("FUNCTION"); at != std::string::npos; at = line.find("FUNCTION", at))
            line.replace(at, 8, function);
        if (keep) filled += line;
    }
    return filled;
}

// What bash runs. The words of the line are taken as typed (COMP_WORDS):
// FUNCTION_dequote removes their quotes without expanding or running
// anything, so no word of the line is ever run, and a name is matched as
// text, never as a pattern. FUNCTION_offer quotes each candidate for the
// line as it stands: within the quote the word opened, or with printf %q
// (readline's own quoting of file names leaves "$(" open to the shell).
constexpr std::string_view BASH_HELPERS = R"(FUNCTION_dequote() {
    local word=$1 c i
    REPLY= opened=
    for ((i = 0; i < ${#word}; i++)); do
        c=${word:i:1}
        if [[ $opened == "'" ]]; then
            if [[ $c == "'" ]]; then opened=; else REPLY+=$c; fi
        elif [[ $c == '\' ]]; then
            i=$((i + 1))
            if [[ $opened && ${word:i:1} != [\$\`\"\\] ]]; then REPLY+=$c; fi
            REPLY+=${word:i:1}
        elif [[ $c == '"' ]]; then
            if [[ $opened ]]; then opened=; else opened='"'; fi
        elif [[ $c == "'" && -z $opened ]]; then
            opened="'"
        else
            REPLY+=$c
        fi
    done
}
FUNCTION_offer() {
    local word quoted c i
    for word in "$@"; do
        [[ $word == "$cur"* ]] || continue
        if [[ $opened == "'" ]]; then
            quoted=${word//"'"/"'\''"}
        elif [[ $opened ]]; then
            quoted=
            for ((i = 0; i < ${#word}; i++)); do
                c=${word:i:1}
                if [[ $c == [\$\`\"\\] ]]; then quoted+='\'; fi
                quoted+=$c
            done
        elif [[ $word == "~/"* ]]; then
            printf -v quoted '~/%q' "${word#"~/"}"
        else
            printf -v quoted %q "$word"
        fi
        COMPREPLY+=("$quoted")
    done
}
FUNCTION_files() {
    local -a found
    mapfile -t found < <(compgen -f -- "$cur")
    FUNCTION_offer "${found[@]}"
    if ((${#found[@]} == 1)) && [[ -d ${found[0]} ]]; then
        COMPREPLY[0]+=/
        compopt -o nospace 2>/dev/null
    fi
}
)";

// Interface names from sysfs, without a process.
constexpr std::string_view BASH_ADAPTERS = R"(FUNCTION_adapters() {
    local names=(/sys/class/net/*)
    FUNCTION_offer "${names[@]##*/}"
}
)";

// The slots and names of "PROGRAM list", run once (one process whatever the
// names) with the options of the line that pick the modules.
constexpr std::string_view BASH_MODULES = R"(FUNCTION_modules() {
    local -a listing=() names=()
    local i word slot name path opened= REPLY
    for ((i = 1; i < COMP_CWORD; i++)); do
        word=${COMP_WORDS[i]}
        case $word in
            @PICKS@) ;;
            *) continue;;
        esac
        if [[ ${COMP_WORDS[i+1]} == = ]] && ((i + 2 < COMP_CWORD)); then
            i=$((i + 2)); FUNCTION_dequote "${COMP_WORDS[i]}"; listing+=("$word=$REPLY"); continue
        fi
        case $word in
            @VALUES@) ((i + 1 < COMP_CWORD)) || continue; i=$((i + 1)); FUNCTION_dequote "${COMP_WORDS[i]}"; listing+=("$word" "$REPLY");;
            *) listing+=("$word");;
        esac
    done
    while IFS=$'\t' read -r slot name path; do names+=("$slot" "$name"); done < <("$1" "${listing[@]}" list 2>/dev/null)
    FUNCTION_dequote "${COMP_WORDS[COMP_CWORD]}"
    FUNCTION_offer "${names[@]}"
}
)";

constexpr std::string_view BASH_MAIN = R"(FUNCTION() {
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]} inline= i command= opened=
    # bash splits --option=VALUE at '='
    if [[ $cur == = ]]; then cur= inline=1
    elif [[ $prev == = ]]; then prev=${COMP_WORDS[COMP_CWORD-2]} inline=1
    fi
    COMPREPLY=()
    FUNCTION_dequote "$cur"; cur=$REPLY
    if [[ $inline ]]; then case $prev in @INLINE_FILES@) FUNCTION_files; return;; esac; fi
    case $prev in
        @FILES@) FUNCTION_files; return;;
        @MODULES@) FUNCTION_modules "$1"; return;;
        @ADAPTERS@) FUNCTION_adapters; return;;
        @OTHER_VALUES@) return;;
    esac
    if [[ $cur == -* ]]; then FUNCTION_offer @ALL@; return; fi
)";

// The command, then what its argument is.
constexpr std::string_view BASH_COMMANDS = R"(    for ((i = 1; i < COMP_CWORD; i++)); do
        case ${COMP_WORDS[i]} in @COMMANDS@) command=${COMP_WORDS[i]}; break;; esac
    done
    if [[ -z $command ]]; then FUNCTION_offer @COMMAND_WORDS@; return; fi
    case $command in @FILE_COMMANDS@) FUNCTION_files;; esac
)";

std::string BashScript(std::string_view program, const OptionList& options, std::span<const CommandEntry> commands) {
    const auto kind = [&options](OptionValue value, CompleteAs complete) {
        return Names(
            options, [value, complete](const OptionEntry& o) { return o.value == value && o.complete == complete; },
            "|");
    };
    const auto picks = [&options](bool withValue) {
        return Names(
            options,
            [withValue](const OptionEntry& o) {
                return o.picksModules && (o.value == OptionValue::Required) == withValue;
            },
            "|");
    };
    const std::string function = FunctionName(program);
    const std::string modules = kind(OptionValue::Required, CompleteAs::Module);
    const std::string adapters = kind(OptionValue::Required, CompleteAs::Adapter);
    std::string script = "# bash completion for " + std::string(program) + ", made by '" + std::string(program) +
                         " --completion bash'\n" + Filled(BASH_HELPERS, function, {});
    if (!adapters.empty()) script += Filled(BASH_ADAPTERS, function, {});
    if (!modules.empty()) {
        const std::string values = picks(true), others = picks(false);
        script += Filled(
            BASH_MODULES, function,
            {{"@PICKS@", values + (values.empty() || others.empty() ? "" : "|") + others}, {"@VALUES@", values}});
    }
    script += Filled(BASH_MAIN, function,
                     {{"@INLINE_FILES@", kind(OptionValue::InlineOnly, CompleteAs::File)},
                      {"@FILES@", kind(OptionValue::Required, CompleteAs::File)},
                      {"@MODULES@", modules},
                      {"@ADAPTERS@", adapters},
                      {"@OTHER_VALUES@", kind(OptionValue::Required, CompleteAs::Nothing)},
                      {"@ALL@", Names(
                                    options, [](const OptionEntry&) { return true; }, " ")}});
    if (!commands.empty()) {
        script += Filled(BASH_COMMANDS, function,
                         {{"@COMMANDS@", CommandNames(commands, "|", CompleteAs::Nothing, true)},
                          {"@COMMAND_WORDS@", CommandNames(commands, " ", CompleteAs::Nothing, true)},
                          {"@FILE_COMMANDS@", CommandNames(commands, "|", CompleteAs::File, false)}});
    }
    return script + "}\ncomplete -F " + function + " " + std::string(program) + "\n";
}

// `text` inside a single-quoted shell word, as the explanation of an
// _arguments item: its lines joined, ']' and '\' escaped.
std::string ZshExplanation(std::string_view text) {
    std::string explanation;
    for (const char c : text) {
        if (c == '\n') {
            explanation += ' ';
        } else if (c == '\'') {
            explanation += "'\\''";
        } else {
            if (c == ']' || c == '\\') explanation += '\\';
            explanation += c;
        }
    }
    return "[" + explanation + "]";
}

// One _arguments item per spelling of the option, with its help as the
// explanation zsh shows beside it.
std::string ZshOptionItems(const OptionList& options, const std::string& function) {
    std::string items;
    for (const OptionEntry* entry : options) {
        const OptionEntry& option = *entry;
        if (option.hidden) continue;
        std::string action = " ";
        if (option.complete == CompleteAs::File) action = "_files";
        if (option.complete == CompleteAs::Module) action = function + "_modules";
        if (option.complete == CompleteAs::Adapter) action = "_net_interfaces";
        const std::string value(option.valueName);
        const std::string explanation = ZshExplanation(option.help.empty() ? option.valueName : option.help);
        std::string item(option.name);
        if (option.value == OptionValue::Required) item += "=" + explanation + ":" + value + ":" + action;
        if (option.value == OptionValue::InlineOnly) item += "=-" + explanation + "::" + value + ":" + action;
        if (option.value == OptionValue::None) item += explanation;
        items += "        '" + item + "' \\\n";
        if (option.letter != 0) items += std::string("        '-") + option.letter + explanation + "' \\\n";
    }
    return items;
}

// zsh lists the modules with the options of the line that pick them, each
// word's quotes removed by (Q), which expands nothing; compadd quotes the
// names it inserts.
constexpr std::string_view ZSH_MODULES = R"(FUNCTION_modules() {
    local -a listing names fields
    local i line
    for ((i = 2; i < CURRENT; i++)); do
        case $words[i] in
            (@WORDS@) listing+=("${(Q)words[i]}");;
            (@VALUES@) ((i + 1 < CURRENT)) && listing+=("$words[i]" "${(Q)words[i+1]}") && ((i++));;
        esac
    done
    for line in "${(@f)$("${(Q)words[1]}" "${listing[@]}" list 2>/dev/null)}"; do
        [[ -n $line ]] || continue
        fields=("${(@ps:\t:)line}")
        names+=("$fields[1]" "$fields[2]")
    done
    compadd -a names
}
)";

std::string ZshScript(std::string_view program, const OptionList& options, std::span<const CommandEntry> commands) {
    const std::string function = FunctionName(program);
    // The options that pick modules as one word: a flag, or one with its value after '='.
    std::string words, values;
    for (const OptionEntry* entry : options) {
        if (!entry->picksModules) continue;
        std::string& pattern = entry->value == OptionValue::Required ? values : words;
        const std::string name(entry->name);
        pattern += (pattern.empty() ? "" : "|") + name;
        if (entry->value != OptionValue::None) words += (words.empty() ? "" : "|") + name + "=*";
    }
    std::string script = "#compdef " + std::string(program) + "\n# zsh completion for " + std::string(program) +
                         ", made by '" + std::string(program) + " --completion zsh'\n";
    if (std::ranges::any_of(options, [](const OptionEntry* o) { return o->complete == CompleteAs::Module; })) {
        script += Filled(ZSH_MODULES, function, {{"@WORDS@", words}, {"@VALUES@", values}});
    }
    script += function + "() {\n    local state line\n    _arguments -s -S \\\n" + ZshOptionItems(options, function);
    if (commands.empty()) return script + "        && return\n}\n" + function + " \"$@\"\n";
    script += "        '1:command:(" + CommandNames(commands, " ", CompleteAs::Nothing, true) +
              ")' '*:argument:->argument' && return\n";
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
