// Button as a GtkButton: title, enabled state, tool tip, accessible name (the label unless
// set), font through a per-button CSS provider, a frame shown only on hover for the
// round-rect-on-hover bezel, minimum or fixed size. Main thread only; shared by its
// builder and its parent.
#pragma once

#include <functional>

#include "platform/linux/GtkView.h"

namespace pellora {

class GtkButtonView final : public Button, public GtkView {
public:
    GtkButtonView(const std::string& title, const ButtonStyle& style);
    ~GtkButtonView() override;

    void setTitle(const std::string& title) override;
    std::string title() const override;
    void setEnabled(bool enabled) override;
    bool isEnabled() const override;
    void setToolTip(const std::string& toolTip) override;
    void setAccessibilityLabel(const std::string& label) override;
    std::string accessibilityLabel() const override;
    void setAction(std::function<void()> action) override;

private:
    static void clicked(GtkButton*, GtkButtonView* self);

    std::function<void()> action_;
    std::string accessibilityLabel_;
    GtkCssProvider* css_;
};

}  // namespace pellora
