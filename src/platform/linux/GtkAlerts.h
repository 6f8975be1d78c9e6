// Alerts as GtkMessageDialogs: a sheet is a modal dialog transient for its window (the
// window then reports hasAttachedSheet); runModal blocks in gtk_dialog_run. Buttons keep
// their order, the first is the default; an alert without buttons gets "OK". Dismissing
// the dialog without a button (Escape, close) chooses the last button, the cancel
// position. Main thread only; owned by main().
#pragma once

#include <gtk/gtk.h>

#include "platform/Alerts.h"

namespace pellora {

class GtkAlerts final : public Alerts {
public:
    void beginSheet(NativeWindow& window, const AlertSpec& alert, std::function<void(int)> completion) override;
    int runModal(const AlertSpec& alert) override;

    // The dialog for `alert`, transient for `parent` when given (caller destroys it).
    static GtkWidget* makeDialog(GtkWindow* parent, const AlertSpec& alert);
    // The button index a dialog response stands for.
    static int buttonIndex(int response, const AlertSpec& alert);
};

}  // namespace pellora
