// Native views as the window code builds them: containers, vertical stacks, labels,
// buttons, spinners and symbol images. Main thread only. Views are shared: a parent keeps
// its children alive, the code that built them keeps what it needs to change later.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/Geometry.h"

namespace pellora {

class View {
public:
    virtual ~View() = default;
    virtual void setHidden(bool hidden) = 0;
    virtual bool isHidden() const = 0;
    // Detaches the view from its parent; a view without a parent ignores this.
    virtual void removeFromSuperview() = 0;
};

// A view that holds others, each filling it, later ones above earlier ones.
class ContainerView : public virtual View {
public:
    virtual void addSubview(std::shared_ptr<View> view) = 0;
    virtual void removeAllSubviews() = 0;
};

enum class FontWeight { regular, medium, semibold };

struct Font {
    double size = 13;
    FontWeight weight = FontWeight::regular;
};

class Label : public virtual View {
public:
    virtual void setText(const std::string& text) = 0;
    virtual std::string text() const = 0;
};

class Button : public virtual View {
public:
    virtual void setTitle(const std::string& title) = 0;
    virtual std::string title() const = 0;
    virtual void setEnabled(bool enabled) = 0;
    virtual bool isEnabled() const = 0;
    virtual void setToolTip(const std::string& toolTip) = 0;
    virtual void setAccessibilityLabel(const std::string& label) = 0;
    virtual std::string accessibilityLabel() const = 0;
    // Replaces the action run on a click (on the main thread).
    virtual void setAction(std::function<void()> action) = 0;
};

// A vertical stack centred in its parent: at most `maxWidth` wide, at least `sideMargin`
// from each side edge, items centred horizontally.
struct StackLayout {
    double maxWidth = 440;
    double sideMargin = 24;
    double spacing = 16;
};

class StackView : public virtual View {
public:
    virtual void addArrangedSubview(std::shared_ptr<View> view) = 0;
    // Extra space after `view` (replacing the default spacing there).
    virtual void setCustomSpacing(double spacing, const View& after) = 0;
};

struct LabelStyle {
    Font font;
    bool wraps = false;
    bool centred = false;
    bool secondaryColor = false;
};

enum class ButtonBezel { rounded, roundRectOnHover };

struct ButtonStyle {
    Font font;
    ButtonBezel bezel = ButtonBezel::rounded;
    double minHeight = 0;
    Size fixedSize{};  // zero = natural size
};

// Builds native views. Owned by the application port.
class ViewFactory {
public:
    virtual ~ViewFactory() = default;
    // Fills its parent and resizes with it; painted with `background`.
    virtual std::shared_ptr<ContainerView> makeContainer(Color background) = 0;
    virtual std::shared_ptr<StackView> makeVerticalStack(StackLayout layout) = 0;
    virtual std::shared_ptr<Label> makeLabel(const std::string& text, LabelStyle style) = 0;
    virtual std::shared_ptr<Button> makeButton(const std::string& title, ButtonStyle style) = 0;
    // An indeterminate, animating spinner of the given edge length.
    virtual std::shared_ptr<View> makeSpinner(double size) = 0;
    // A symbol image tinted with the secondary label colour; empty when the symbol is
    // unavailable. Hugs its content vertically.
    virtual std::shared_ptr<View> makeSymbolImage(const std::string& symbolName, double size) = 0;
};

}  // namespace pellora
