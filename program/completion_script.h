// SPDX-License-Identifier: MIT
#pragma once
// Shell completion for a program, made from the same option table its
// parser reads: its options, its commands (for a program that has them),
// file names where a file goes and, for a module, the slots and names that
// "PROGRAM list" prints.
#include <span>
#include <string>
#include <string_view>

#include "program/options.h"

namespace lq3860 {

struct CommandEntry {
    std::string_view name;
    CompleteAs argument;  // what the command's argument is
};

// The completion script of `shell` ("bash" or "zsh"); empty for another shell.
std::string CompletionScript(std::string_view shell, std::string_view program, const OptionList& options,
                             std::span<const CommandEntry> commands = {});

}  // namespace lq3860
