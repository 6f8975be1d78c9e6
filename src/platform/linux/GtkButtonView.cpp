#include "platform/linux/GtkButtonView.h"

#include "platform/linux/GtkFont.h"

namespace pellora {

GtkButtonView::GtkButtonView(const std::string& title, const ButtonStyle& style)
    : GtkView(gtk_button_new_with_label(title.c_str())), css_(gtk_css_provider_new()) {
    const std::string css = "button, button label { " + fontCss(style.font) + " }";
    gtk_css_provider_load_from_data(css_, css.c_str(), -1, nullptr);
    gtk_style_context_add_provider(gtk_widget_get_style_context(widget()), GTK_STYLE_PROVIDER(css_),
                                   GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    if (GtkWidget* label = gtk_bin_get_child(GTK_BIN(widget()))) {
        gtk_style_context_add_provider(gtk_widget_get_style_context(label), GTK_STYLE_PROVIDER(css_),
                                       GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    }
    if (style.bezel == ButtonBezel::roundRectOnHover) gtk_button_set_relief(GTK_BUTTON(widget()), GTK_RELIEF_NONE);
    const bool fixed = style.fixedSize.width > 0 && style.fixedSize.height > 0;
    if (fixed) {
        gtk_widget_set_size_request(widget(), static_cast<int>(style.fixedSize.width),
                                    static_cast<int>(style.fixedSize.height));
    } else if (style.minHeight > 0) {
        gtk_widget_set_size_request(widget(), -1, static_cast<int>(style.minHeight));
    }
    g_signal_connect(widget(), "clicked", G_CALLBACK(clicked), this);
    setAccessibilityLabel(title);
}

GtkButtonView::~GtkButtonView() {
    g_signal_handlers_disconnect_by_data(widget(), this);
    g_object_unref(css_);
}

void GtkButtonView::setTitle(const std::string& title) {
    gtk_button_set_label(GTK_BUTTON(widget()), title.c_str());
}

std::string GtkButtonView::title() const {
    const char* label = gtk_button_get_label(GTK_BUTTON(widget()));
    return label ? label : "";
}

void GtkButtonView::setEnabled(bool enabled) { gtk_widget_set_sensitive(widget(), enabled); }

bool GtkButtonView::isEnabled() const { return gtk_widget_get_sensitive(widget()); }

void GtkButtonView::setToolTip(const std::string& toolTip) {
    gtk_widget_set_tooltip_text(widget(), toolTip.c_str());
}

void GtkButtonView::setAccessibilityLabel(const std::string& label) {
    accessibilityLabel_ = label;
    atk_object_set_name(gtk_widget_get_accessible(widget()), label.c_str());
}

std::string GtkButtonView::accessibilityLabel() const { return accessibilityLabel_; }

void GtkButtonView::setAction(std::function<void()> action) { action_ = std::move(action); }

void GtkButtonView::clicked(GtkButton*, GtkButtonView* self) {
    auto action = self->action_;  // the action may replace itself or drop this button
    if (action) action();
}

}  // namespace pellora
