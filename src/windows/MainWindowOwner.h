// What an Engine window asks of the object that owns it (the shell controller): which
// window is current, the last active window, recovery, the connections panel, and the
// notice that the window closed. Main thread only; windows hold their owner weakly.
#pragma once

#include <memory>

#include "base/Task.h"

namespace pellora {

class MainWindow;

class MainWindowOwner {
public:
    virtual ~MainWindowOwner() = default;
    virtual std::shared_ptr<MainWindow> currentWindow() = 0;
    virtual void setLastActiveWindow(const std::shared_ptr<MainWindow>& window) = 0;
    virtual Task<void> recoverWindow(std::shared_ptr<MainWindow> window) = 0;
    virtual void showConnectionsPanel(const std::shared_ptr<MainWindow>& window) = 0;
    virtual void windowDidClose(const std::shared_ptr<MainWindow>& window) = 0;
};

}  // namespace pellora
