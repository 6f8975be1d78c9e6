// ContainerView as a GtkOverlay: every subview fills it, later ones above earlier ones.
// The base layer paints the background colour (nothing when it is fully transparent).
// Main thread only; shared by its builder and its parent.
#pragma once

#include "platform/Geometry.h"
#include "platform/linux/GtkChildList.h"
#include "platform/linux/GtkView.h"

namespace pellora {

class GtkContainerView final : public ContainerView, public GtkView {
public:
    explicit GtkContainerView(Color background);

    void addSubview(std::shared_ptr<View> view) override;
    void removeAllSubviews() override;

    Color background() const { return background_; }

private:
    static gboolean drawBackground(GtkWidget* widget, cairo_t* cairo, GtkContainerView* self);

    Color background_;
    GtkChildList children_;
};

}  // namespace pellora
