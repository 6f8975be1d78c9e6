#include "platform/linux/GtkStackView.h"

#include <algorithm>

#include "platform/linux/GtkLabelView.h"

namespace pellora {

GtkStackView::GtkStackView(StackLayout layout)
    : GtkView(gtk_box_new(GTK_ORIENTATION_VERTICAL, static_cast<int>(layout.spacing))),
      layout_(layout),
      children_(GTK_CONTAINER(widget()), [this](GtkWidget* child) {
          gtk_widget_set_halign(child, GTK_ALIGN_CENTER);
          gtk_box_pack_start(GTK_BOX(widget()), child, FALSE, FALSE, 0);
      }) {
    gtk_widget_set_halign(widget(), GTK_ALIGN_CENTER);
    gtk_widget_set_valign(widget(), GTK_ALIGN_CENTER);
    gtk_widget_set_margin_start(widget(), static_cast<int>(layout.sideMargin));
    gtk_widget_set_margin_end(widget(), static_cast<int>(layout.sideMargin));
}

void GtkStackView::addArrangedSubview(std::shared_ptr<View> view) {
    if (auto* label = dynamic_cast<GtkLabelView*>(view.get())) label->limitWidth(layout_.maxWidth);
    children_.add(std::move(view));
}

void GtkStackView::setCustomSpacing(double spacing, const View& after) {
    // The box puts the default spacing after every item; the margin adds the difference.
    const int extra = std::max(0, static_cast<int>(spacing - layout_.spacing));
    gtk_widget_set_margin_bottom(GtkView::of(after).widget(), extra);
}

}  // namespace pellora
