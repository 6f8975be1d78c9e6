#include "platform/linux/GtkView.h"

#include <stdexcept>

#include "platform/linux/GtkChildList.h"

namespace pellora {

GtkView::GtkView(GtkWidget* widget) : widget_(GTK_WIDGET(g_object_ref_sink(widget))) {
    gtk_widget_set_no_show_all(widget_, TRUE);
    gtk_widget_show(widget_);
}

GtkView::~GtkView() {
    if (GtkWidget* parent = gtk_widget_get_parent(widget_)) {
        gtk_container_remove(GTK_CONTAINER(parent), widget_);
    }
    g_object_unref(widget_);
}

void GtkView::setHidden(bool hidden) {
    hidden_ = hidden;
    gtk_widget_set_visible(widget_, !hidden);
}

void GtkView::removeFromSuperview() {
    GtkChildList* parent = parent_;
    parent_ = nullptr;
    // The parent may hold the last reference: nothing of this object is touched after.
    if (parent) parent->remove(*this);
}

GtkView& GtkView::of(View& view) {
    auto* gtkView = dynamic_cast<GtkView*>(&view);
    if (!gtkView) throw std::logic_error("a view of another platform was given to a GTK view");
    return *gtkView;
}

const GtkView& GtkView::of(const View& view) { return of(const_cast<View&>(view)); }

}  // namespace pellora
