// SPDX-License-Identifier: MIT
#include "session/session.h"

namespace lq3860 {

Session::Session(HidPlatform* platform, UserServices* services)
    : table_(platform), services_(services != nullptr ? services : &noServices_), link(table_, debugOutput, pause) {}

}  // namespace lq3860
