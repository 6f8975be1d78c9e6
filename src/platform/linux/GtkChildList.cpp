#include "platform/linux/GtkChildList.h"

#include <algorithm>

namespace pellora {

GtkChildList::GtkChildList(GtkContainer* container, std::function<void(GtkWidget*)> attach)
    : container_(container), attach_(std::move(attach)) {}

GtkChildList::~GtkChildList() { removeAll(); }

void GtkChildList::add(std::shared_ptr<View> view) {
    if (!view) return;
    GtkView& child = GtkView::of(*view);
    child.removeFromSuperview();
    attach_(child.widget());
    child.parent_ = this;
    children_.push_back(std::move(view));
}

void GtkChildList::remove(GtkView& view) {
    auto it = std::find_if(children_.begin(), children_.end(),
                           [&](const auto& child) { return &GtkView::of(*child) == &view; });
    if (it == children_.end()) return;
    auto keep = std::move(*it);  // `view` dies with `keep` at the end, not before
    children_.erase(it);
    detach(view);
}

void GtkChildList::removeAll() {
    auto children = std::move(children_);
    children_.clear();
    for (auto& child : children) detach(GtkView::of(*child));
}

void GtkChildList::detach(GtkView& view) {
    view.parent_ = nullptr;
    if (gtk_widget_get_parent(view.widget()) == GTK_WIDGET(container_)) {
        gtk_container_remove(container_, view.widget());
    }
}

}  // namespace pellora
