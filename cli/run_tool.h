#pragma once
// lq3860ctl from its arguments to its exit status.
#include <ostream>
#include <string>
#include <vector>

#include "device/hid_platform.h"

// `arguments` without the program name. `injected`, when given, is the HID
// platform for every module command instead of hardware or simulation.
int RunTool(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
            HidPlatform* injected = nullptr);
