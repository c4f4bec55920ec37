// SPDX-License-Identifier: MIT
#pragma once
// The two ways the Windows HID platform opens an interface, apart so that
// their share rules can be tested on plain files.
#include <windows.h>

#include <string>

#include "device/hid_platform.h"

namespace lq3860 {

// Opens without read or write access: enough for attributes, capabilities
// and strings. The system allows it while another handle holds the
// interface exclusively (its share check looks only at read, write and
// delete access), and such a handle stops no one's exclusive open.
// INVALID_HANDLE_VALUE on failure, GetLastError() telling why.
HANDLE OpenForQuery(const std::wstring& path);

// Opens for overlapped reading and writing with share mode 0: while the
// handle is open no other handle may read or write. Claimed with the handle
// in `handle`; InUse when another handle reads or writes already
// (ERROR_SHARING_VIOLATION); Failed otherwise.
ClaimResult OpenExclusive(const std::wstring& path, HANDLE& handle);

}  // namespace lq3860
