#include "maclookup/mac_handoff.h"

MacHandOffRecord MacHandOff;
