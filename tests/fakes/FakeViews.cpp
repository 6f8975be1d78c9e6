#include "fakes/FakeViews.h"

#include <algorithm>

namespace pellora {

void FakeView::removeFromSuperview() {
    if (auto detach = std::move(detachFromParent)) {
        detachFromParent = nullptr;
        detach(*this);
    }
}

void FakeContainerView::addSubview(std::shared_ptr<View> view) {
    if (auto* fake = dynamic_cast<FakeView*>(view.get())) {
        fake->removeFromSuperview();
        fake->detachFromParent = [this](const View& child) { remove(child); };
    }
    subviews.push_back(std::move(view));
}

void FakeContainerView::remove(const View& view) {
    std::erase_if(subviews, [&](const auto& child) { return child.get() == &view; });
}

void FakeContainerView::removeAllSubviews() {
    auto children = subviews;
    for (auto& child : children) child->removeFromSuperview();
    subviews.clear();
}

std::shared_ptr<ContainerView> FakeViewFactory::makeContainer(Color background) {
    return std::make_shared<FakeContainerView>(background);
}

std::shared_ptr<StackView> FakeViewFactory::makeVerticalStack(StackLayout layout) {
    return std::make_shared<FakeStackView>(layout);
}

std::shared_ptr<Label> FakeViewFactory::makeLabel(const std::string& text, LabelStyle style) {
    return std::make_shared<FakeLabel>(text, style);
}

std::shared_ptr<Button> FakeViewFactory::makeButton(const std::string& title, ButtonStyle style) {
    return std::make_shared<FakeButton>(title, style);
}

std::shared_ptr<View> FakeViewFactory::makeSpinner(double) {
    auto view = std::make_shared<FakeView>();
    view->kind = "spinner";
    return view;
}

std::shared_ptr<View> FakeViewFactory::makeSymbolImage(const std::string& symbolName, double) {
    auto view = std::make_shared<FakeView>();
    view->kind = "image:" + symbolName;
    return view;
}

namespace {

void collect(const View& view, std::vector<std::string>& out) {
    if (auto* label = dynamic_cast<const FakeLabel*>(&view)) out.push_back(label->text());
    if (auto* button = dynamic_cast<const FakeButton*>(&view)) out.push_back(button->title());
    if (auto* container = dynamic_cast<const FakeContainerView*>(&view)) {
        for (const auto& child : container->subviews) collect(*child, out);
    }
    if (auto* stack = dynamic_cast<const FakeStackView*>(&view)) {
        for (const auto& item : stack->items) collect(*item, out);
    }
}

FakeButton* firstButton(const View& view) {
    if (auto* button = dynamic_cast<const FakeButton*>(&view)) return const_cast<FakeButton*>(button);
    if (auto* container = dynamic_cast<const FakeContainerView*>(&view)) {
        for (const auto& child : container->subviews)
            if (auto* found = firstButton(*child)) return found;
    }
    if (auto* stack = dynamic_cast<const FakeStackView*>(&view)) {
        for (const auto& item : stack->items)
            if (auto* found = firstButton(*item)) return found;
    }
    return nullptr;
}

}  // namespace

std::vector<std::string> visibleTexts(const View& root) {
    std::vector<std::string> out;
    collect(root, out);
    return out;
}

FakeButton* findButton(const View& root) { return firstButton(root); }

}  // namespace pellora
