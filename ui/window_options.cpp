// SPDX-License-Identifier: MIT
#include "ui/window_options.h"

namespace lq3860 {

namespace {

constexpr Option<WindowOption> WINDOW_OPTIONS[] = {
    {WindowOption::Simulate,
     {.name = "--simulate",
      .help = "work with one simulated module instead of the attached\n"
              "hardware"}},
    {WindowOption::Screenshot,
     {.name = "--screenshot",
      .value = OptionValue::Required,
      .valueName = "FILE",
      .complete = CompleteAs::File,
      .help = "render the main window after start-up to the PNG FILE\n"
              "and exit (off-screen unless QT_QPA_PLATFORM names a\n"
              "platform)"}},
    {WindowOption::Verbose,
     {.name = "--verbose",
      .letter = 'v',
      .help = "the link's debug texts (\"HID_Open\", \"OK\", \"NG\", ...) to\n"
              "stderr as they happen"}},
    {WindowOption::Help, {.name = "--help", .letter = 'h', .help = "show this text"}},
    {WindowOption::Version, {.name = "--version", .letter = 'V', .help = "show the program's version"}},
};

constexpr std::size_t HELP_COLUMN = 21;

}  // namespace

std::span<const Option<WindowOption>> WindowOptions() {
    return WINDOW_OPTIONS;
}

std::string WindowHelpText() {
    return "Usage: lq3860-utility [OPTION]...\n"
           "Configuration window for LQ-3860 Wi-Fi modules on USB.\n"
           "\n" +
           OptionsHelp(ListOptions(WINDOW_OPTIONS), HELP_COLUMN) +
           "Options take their value as --option VALUE or --option=VALUE.\n";
}

}  // namespace lq3860
