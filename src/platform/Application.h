// The application object: run loop entry, activation, the window list and the delegate
// that hears the lifecycle. Main thread only; one per process, owned by main().
#pragma once

#include <memory>
#include <vector>

#include "platform/NativeWindow.h"
#include "platform/View.h"

namespace pellora {

enum class ActivationPolicy { regular, accessory, prohibited };
enum class TerminateReply { terminateNow, terminateCancel };

class ApplicationDelegate {
public:
    virtual ~ApplicationDelegate() = default;
    virtual void applicationDidFinishLaunching() = 0;
    virtual bool applicationShouldHandleReopen(bool hasVisibleWindows) = 0;
    virtual bool applicationShouldTerminateAfterLastWindowClosed() = 0;
    virtual TerminateReply applicationShouldTerminate() = 0;
    virtual void applicationWillTerminate() = 0;
};

class Application {
public:
    virtual ~Application() = default;

    virtual void setActivationPolicy(ActivationPolicy policy) = 0;
    // The application does not own its delegate.
    virtual void setDelegate(ApplicationDelegate* delegate) = 0;
    virtual ApplicationDelegate* delegate() const = 0;

    // Runs until terminated; launching finishes (and the delegate hears it) inside.
    virtual void run() = 0;
    // Asks the delegate; when it answers terminateNow, it hears applicationWillTerminate
    // and the run loop ends.
    virtual void terminate() = 0;
    // Brings the application to the front.
    virtual void activate() = 0;

    virtual std::shared_ptr<NativeWindow> createWindow(const WindowOptions& options) = 0;
    virtual ViewFactory& views() = 0;

    // Every window of the application that is open, in creation order.
    virtual std::vector<std::shared_ptr<NativeWindow>> windows() const = 0;
    // Front to back.
    virtual std::vector<std::shared_ptr<NativeWindow>> orderedWindows() const = 0;
    virtual std::shared_ptr<NativeWindow> keyWindow() const = 0;
    virtual std::shared_ptr<NativeWindow> mainWindow() const = 0;
};

}  // namespace pellora
