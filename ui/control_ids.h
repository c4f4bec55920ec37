// SPDX-License-Identifier: MIT
#pragma once
// The ids of the windows' controls and menu commands, as the dialog templates
// number them. Every control with an id carries it as its object name, so
// tests and assistive scripts find it by these constants.
#include <array>

namespace lq3860::control_id {

// Main window (dialog 102).
inline constexpr int SELECT_DEVICE = 1001;
inline constexpr int WRITE_PARA = 1002;
inline constexpr int FIRMWARE_VERSION = 1003;
inline constexpr int MODE = 1004;
inline constexpr int SSID = 1005;
inline constexpr int KEY = 1006;      // "WLK"
inline constexpr int CHANNEL = 1007;  // "WLCH"
inline constexpr int ENCRYPTION = 1008;
inline constexpr int PROGRESS = 1010;
inline constexpr int READ_PARA = 1011;
inline constexpr int FIRMWARE_DATE = 1017;
inline constexpr int GET_MAC_ADDRESS = 1018;
inline constexpr int VERSION_LABEL = 1019;
inline constexpr int DATE_LABEL = 1020;
inline constexpr int GET_SIGNAL = 1021;
// The six MAC edits, left to right (first byte first).
inline constexpr std::array<int, 6> MAC_BYTES = {1009, 1012, 1013, 1014, 1015, 1016};
// The signal lamps, left to right.
inline constexpr std::array<int, 3> LAMPS = {1045, 1046, 1047};

// Menu commands.
inline constexpr int MENU_ABOUT = 32771;
inline constexpr int MENU_LOAD_CONFIGURATION = 32772;
inline constexpr int MENU_SAVE_CONFIGURATION = 32773;

// Get MAC Address dialog (dialog 139).
inline constexpr int GETMAC_EXIT = 1;
inline constexpr int GETMAC_GET = 5;
inline constexpr int GETMAC_IP_ADDRESS = 1007;
inline constexpr int GETMAC_ADAPTERS = 1014;
inline constexpr std::array<int, 6> GETMAC_MAC_BYTES = {1008, 1009, 1010, 1011, 1012, 1013};

// Dialog templates.
inline constexpr int DIALOG_GET_MAC = 139;

}  // namespace lq3860::control_id
