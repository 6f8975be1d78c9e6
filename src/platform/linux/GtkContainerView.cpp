#include "platform/linux/GtkContainerView.h"

namespace pellora {

GtkContainerView::GtkContainerView(Color background)
    : GtkView(gtk_overlay_new()),
      background_(background),
      // Overlays fill the container unless a child asks to be centred (a stack view).
      children_(GTK_CONTAINER(widget()),
                [this](GtkWidget* child) { gtk_overlay_add_overlay(GTK_OVERLAY(widget()), child); }) {
    GtkWidget* base = gtk_drawing_area_new();
    gtk_widget_set_hexpand(base, TRUE);
    gtk_widget_set_vexpand(base, TRUE);
    g_signal_connect(base, "draw", G_CALLBACK(drawBackground), this);
    gtk_widget_show(base);
    gtk_container_add(GTK_CONTAINER(widget()), base);
}

gboolean GtkContainerView::drawBackground(GtkWidget*, cairo_t* cairo, GtkContainerView* self) {
    const Color& color = self->background_;
    if (color.alpha <= 0) return FALSE;
    cairo_set_source_rgba(cairo, color.red, color.green, color.blue, color.alpha);
    cairo_paint(cairo);
    return FALSE;
}

void GtkContainerView::addSubview(std::shared_ptr<View> view) { children_.add(std::move(view)); }

void GtkContainerView::removeAllSubviews() { children_.removeAll(); }

}  // namespace pellora
