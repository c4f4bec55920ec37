// SPDX-License-Identifier: MIT
#pragma once
// Paths beyond the 260 characters of the plain Windows form. A path in the
// \\?\ form reaches the file system as it is, without that limit, whatever
// the system's long-path setting.
#include <string>

namespace lq3860 {

// The full, normalised path (GetFullPathNameW's result) in the \\?\ form:
// C:\dir\file as \\?\C:\dir\file, \\server\share\file as
// \\?\UNC\server\share\file; a path in that form already stays as it is.
std::wstring ExtendedPath(const std::wstring& fullPath);

// A path for a message, as the user would write it: the \\?\ form undone.
std::string DisplayPath(const std::wstring& path);

}  // namespace lq3860
