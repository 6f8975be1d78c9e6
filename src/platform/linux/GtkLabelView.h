// Label as a GtkLabel styled with Pango attributes (size in pixels, weight), optionally
// wrapping, centred and in the secondary ("dim-label") colour. Its accessible name is its
// text. Main thread only; shared by its builder and its parent.
#pragma once

#include "platform/linux/GtkView.h"

namespace pellora {

class GtkLabelView final : public Label, public GtkView {
public:
    GtkLabelView(const std::string& text, const LabelStyle& style);

    void setText(const std::string& text) override;
    std::string text() const override;

    // Keeps a wrapping label about `maxWidth` pixels wide at most.
    void limitWidth(double maxWidth);

private:
    LabelStyle style_;
};

}  // namespace pellora
