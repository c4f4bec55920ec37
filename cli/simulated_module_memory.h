#pragma once
// The simulated module's memory as a configuration file, so that `write` and
// a later `read` in two runs of the tool see the same module.
#include <string>

#include "device/module_behaviour.h"
#include "params/config_file.h"

// Loads `path` into the module's parameters (a missing file leaves the
// module's defaults) and makes every accepted upload write the file back
// atomically. writeFailed is set when such a write-back fails; it must
// outlive the module.
ConfigLoadResult AttachMemoryFile(ModuleBehaviour& module, const std::string& path, bool& writeFailed);
