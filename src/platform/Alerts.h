// Alerts: as a sheet on a window, or application-modal. Main thread only.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/NativeWindow.h"

namespace pellora {

enum class AlertStyle { informational, warning, critical };

struct AlertSpec {
    std::string messageText;
    std::string informativeText;
    std::vector<std::string> buttons;  // first = default button
    AlertStyle style = AlertStyle::warning;
};

class Alerts {
public:
    virtual ~Alerts() = default;
    // Shows the alert attached to `window`; `completion` (may be empty) gets the index of
    // the chosen button.
    virtual void beginSheet(NativeWindow& window, const AlertSpec& alert,
                            std::function<void(int)> completion) = 0;
    // Blocks in a modal loop until a button is chosen; answers its index.
    virtual int runModal(const AlertSpec& alert) = 0;
};

}  // namespace pellora
