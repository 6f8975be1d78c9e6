#include "platform/linux/GtkViewFactory.h"

#include <gtk/gtk.h>

#include <map>

#include "platform/linux/GtkButtonView.h"
#include "platform/linux/GtkContainerView.h"
#include "platform/linux/GtkLabelView.h"
#include "platform/linux/GtkPlainView.h"
#include "platform/linux/GtkStackView.h"

namespace pellora {

std::shared_ptr<ContainerView> GtkViewFactory::makeContainer(Color background) {
    return std::make_shared<GtkContainerView>(background);
}

std::shared_ptr<StackView> GtkViewFactory::makeVerticalStack(StackLayout layout) {
    return std::make_shared<GtkStackView>(layout);
}

std::shared_ptr<Label> GtkViewFactory::makeLabel(const std::string& text, LabelStyle style) {
    return std::make_shared<GtkLabelView>(text, style);
}

std::shared_ptr<Button> GtkViewFactory::makeButton(const std::string& title, ButtonStyle style) {
    return std::make_shared<GtkButtonView>(title, style);
}

std::shared_ptr<View> GtkViewFactory::makeSpinner(double size) {
    GtkWidget* spinner = gtk_spinner_new();
    gtk_widget_set_size_request(spinner, static_cast<int>(size), static_cast<int>(size));
    gtk_spinner_start(GTK_SPINNER(spinner));
    return std::make_shared<GtkPlainView>(spinner);
}

const char* GtkViewFactory::iconNameForSymbol(const std::string& symbolName) {
    static const std::map<std::string, const char*> icons = {{"wifi.slash", "network-offline-symbolic"}};
    auto it = icons.find(symbolName);
    return it == icons.end() ? nullptr : it->second;
}

std::shared_ptr<View> GtkViewFactory::makeSymbolImage(const std::string& symbolName, double size) {
    const char* iconName = iconNameForSymbol(symbolName);
    const bool available = iconName && gtk_icon_theme_has_icon(gtk_icon_theme_get_default(), iconName);
    GtkWidget* image = available ? gtk_image_new_from_icon_name(iconName, GTK_ICON_SIZE_DIALOG) : gtk_image_new();
    gtk_image_set_pixel_size(GTK_IMAGE(image), static_cast<int>(size));
    gtk_widget_set_size_request(image, static_cast<int>(size), static_cast<int>(size));
    gtk_widget_set_valign(image, GTK_ALIGN_CENTER);
    gtk_widget_set_vexpand(image, FALSE);
    gtk_style_context_add_class(gtk_widget_get_style_context(image), "dim-label");
    atk_object_set_name(gtk_widget_get_accessible(image), symbolName.c_str());
    return std::make_shared<GtkPlainView>(image);
}

}  // namespace pellora
