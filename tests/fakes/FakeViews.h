// Fake views: plain records of what the window code built and set. Tests read them and
// press buttons.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/View.h"

namespace pellora {

class FakeView : public virtual View {
public:
    void setHidden(bool hidden) override { hidden_ = hidden; }
    bool isHidden() const override { return hidden_; }
    void removeFromSuperview() override;

    // Set by the container that holds this view.
    std::function<void(const View&)> detachFromParent;
    std::string kind = "view";

private:
    bool hidden_ = false;
};

class FakeContainerView final : public FakeView, public ContainerView {
public:
    explicit FakeContainerView(Color background = {}) : background(background) { kind = "container"; }
    void addSubview(std::shared_ptr<View> view) override;
    void removeAllSubviews() override;
    void remove(const View& view);

    Color background;
    std::vector<std::shared_ptr<View>> subviews;
};

class FakeLabel final : public FakeView, public Label {
public:
    FakeLabel(std::string text, LabelStyle style) : style(style), text_(std::move(text)) { kind = "label"; }
    void setText(const std::string& text) override { text_ = text; }
    std::string text() const override { return text_; }
    LabelStyle style;

private:
    std::string text_;
};

class FakeButton final : public FakeView, public Button {
public:
    FakeButton(std::string title, ButtonStyle style) : style(style), title_(std::move(title)) { kind = "button"; }
    void setTitle(const std::string& title) override { title_ = title; }
    std::string title() const override { return title_; }
    void setEnabled(bool enabled) override { enabled_ = enabled; }
    bool isEnabled() const override { return enabled_; }
    void setToolTip(const std::string& toolTip) override { this->toolTip = toolTip; }
    void setAccessibilityLabel(const std::string& label) override { accessibility_ = label; }
    std::string accessibilityLabel() const override { return accessibility_; }
    void setAction(std::function<void()> action) override { action_ = std::move(action); }
    // Clicks the button the way a user would: only an enabled button acts.
    void press() {
        if (enabled_ && action_) action_();
    }

    ButtonStyle style;
    std::string toolTip;

private:
    std::string title_;
    std::string accessibility_;
    bool enabled_ = true;
    std::function<void()> action_;
};

class FakeStackView final : public FakeView, public StackView {
public:
    explicit FakeStackView(StackLayout layout) : layout(layout) { kind = "stack"; }
    void addArrangedSubview(std::shared_ptr<View> view) override { items.push_back(std::move(view)); }
    void setCustomSpacing(double spacing, const View& after) override {
        customSpacings.emplace_back(&after, spacing);
    }
    StackLayout layout;
    std::vector<std::shared_ptr<View>> items;
    std::vector<std::pair<const View*, double>> customSpacings;
};

class FakeViewFactory final : public ViewFactory {
public:
    std::shared_ptr<ContainerView> makeContainer(Color background) override;
    std::shared_ptr<StackView> makeVerticalStack(StackLayout layout) override;
    std::shared_ptr<Label> makeLabel(const std::string& text, LabelStyle style) override;
    std::shared_ptr<Button> makeButton(const std::string& title, ButtonStyle style) override;
    std::shared_ptr<View> makeSpinner(double size) override;
    std::shared_ptr<View> makeSymbolImage(const std::string& symbolName, double size) override;
};

// Every label text and button title below `root`, depth first.
std::vector<std::string> visibleTexts(const View& root);
// The first button below `root`, or null.
FakeButton* findButton(const View& root);

}  // namespace pellora
