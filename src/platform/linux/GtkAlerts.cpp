#include "platform/linux/GtkAlerts.h"

#include "platform/linux/GtkNativeWindow.h"

namespace pellora {

namespace {

GtkMessageType messageTypeOf(AlertStyle style) {
    switch (style) {
    case AlertStyle::informational: return GTK_MESSAGE_INFO;
    case AlertStyle::critical: return GTK_MESSAGE_ERROR;
    default: return GTK_MESSAGE_WARNING;
    }
}

std::vector<std::string> buttonsOf(const AlertSpec& alert) {
    return alert.buttons.empty() ? std::vector<std::string>{"OK"} : alert.buttons;
}

}  // namespace

GtkWidget* GtkAlerts::makeDialog(GtkWindow* parent, const AlertSpec& alert) {
    GtkWidget* dialog = gtk_message_dialog_new(parent, GtkDialogFlags(GTK_DIALOG_MODAL | GTK_DIALOG_DESTROY_WITH_PARENT),
                                               messageTypeOf(alert.style), GTK_BUTTONS_NONE, "%s",
                                               alert.messageText.c_str());
    if (!alert.informativeText.empty()) {
        gtk_message_dialog_format_secondary_text(GTK_MESSAGE_DIALOG(dialog), "%s", alert.informativeText.c_str());
    }
    const auto buttons = buttonsOf(alert);
    for (std::size_t index = 0; index < buttons.size(); ++index) {
        GtkWidget* button = gtk_dialog_add_button(GTK_DIALOG(dialog), buttons[index].c_str(), static_cast<int>(index));
        atk_object_set_name(gtk_widget_get_accessible(button), buttons[index].c_str());
    }
    gtk_dialog_set_default_response(GTK_DIALOG(dialog), 0);
    atk_object_set_name(gtk_widget_get_accessible(dialog), alert.messageText.c_str());
    return dialog;
}

int GtkAlerts::buttonIndex(int response, const AlertSpec& alert) {
    const int count = static_cast<int>(buttonsOf(alert).size());
    return response >= 0 && response < count ? response : count - 1;
}

void GtkAlerts::beginSheet(NativeWindow& window, const AlertSpec& alert, std::function<void(int)> completion) {
    struct Sheet {
        AlertSpec alert;
        std::function<void(int)> completion;
    };
    GtkWidget* dialog = makeDialog(GtkNativeWindow::of(window).gtkWindow(), alert);
    g_signal_connect_data(
        dialog, "response",
        G_CALLBACK(+[](GtkDialog* dialog, int response, Sheet* sheet) {
            const int index = buttonIndex(response, sheet->alert);
            auto completion = std::move(sheet->completion);
            sheet->completion = nullptr;
            gtk_widget_destroy(GTK_WIDGET(dialog));
            if (completion) completion(index);
        }),
        new Sheet{alert, std::move(completion)}, [](gpointer data, GClosure*) { delete static_cast<Sheet*>(data); },
        GConnectFlags(0));
    gtk_widget_show_all(dialog);
}

int GtkAlerts::runModal(const AlertSpec& alert) {
    GtkWidget* dialog = makeDialog(nullptr, alert);
    const int response = gtk_dialog_run(GTK_DIALOG(dialog));
    gtk_widget_destroy(dialog);
    return buttonIndex(response, alert);
}

}  // namespace pellora
