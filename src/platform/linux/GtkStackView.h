// StackView as a vertical GtkBox centred in its parent, kept away from the side edges by
// the side margin, items centred; wrapping labels are held to the maximum width. Main
// thread only; shared by its builder and its parent.
#pragma once

#include "platform/linux/GtkChildList.h"
#include "platform/linux/GtkView.h"

namespace pellora {

class GtkStackView final : public StackView, public GtkView {
public:
    explicit GtkStackView(StackLayout layout);

    void addArrangedSubview(std::shared_ptr<View> view) override;
    void setCustomSpacing(double spacing, const View& after) override;

private:
    StackLayout layout_;
    GtkChildList children_;
};

}  // namespace pellora
