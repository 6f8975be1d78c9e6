#include "platform/UserDefaults.h"

#include <stdexcept>

namespace pellora {

namespace {
UserDefaults* gStandard = nullptr;
}

UserDefaults& UserDefaults::standard() {
    if (!gStandard) throw std::logic_error("no standard user defaults installed");
    return *gStandard;
}

void UserDefaults::setStandard(UserDefaults* defaults) { gStandard = defaults; }

}  // namespace pellora
