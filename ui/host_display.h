// SPDX-License-Identifier: MIT
#pragma once
// Whether the host's own window system can show (and so render) windows for
// this process, as opposed to rendering off-screen.

namespace lq3860 {

bool HostHasDisplay();

}  // namespace lq3860
