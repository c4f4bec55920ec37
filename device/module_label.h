#pragma once
// The text that names a module in lists: its product name, or "Device N"
// (N its 0-based slot) when the product string cannot be read.
#include <string>

std::string ModuleLabel(int index);
