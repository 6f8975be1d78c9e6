// The children of a GTK container view (content view, stack, title-bar accessory slot):
// keeps each child view alive while it is attached and detaches them all when the list
// dies. Main thread only; owned by the parent view.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/linux/GtkView.h"

namespace pellora {

class GtkChildList {
public:
    // `attach` puts a child's widget into the container (each container packs its own way).
    GtkChildList(GtkContainer* container, std::function<void(GtkWidget*)> attach);
    ~GtkChildList();
    GtkChildList(const GtkChildList&) = delete;
    GtkChildList& operator=(const GtkChildList&) = delete;

    // Moves `view` here from any former parent.
    void add(std::shared_ptr<View> view);
    void remove(GtkView& view);
    void removeAll();
    const std::vector<std::shared_ptr<View>>& children() const { return children_; }

private:
    void detach(GtkView& view);

    GtkContainer* container_;
    std::function<void(GtkWidget*)> attach_;
    std::vector<std::shared_ptr<View>> children_;
};

}  // namespace pellora
