#include "ui/user_services.h"

#include <utility>

namespace {
UserServices* installed = nullptr;
}  // namespace

UserServices& Services() {
    return *installed;
}

UserServices* SetServices(UserServices* services) {
    return std::exchange(installed, services);
}
