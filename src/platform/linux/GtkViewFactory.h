// ViewFactory building GTK 3 views. Symbol names map to icon-theme names ("wifi.slash" →
// "network-offline-symbolic"); an unknown or missing symbol gives an empty image of the
// requested size. Main thread only; owned by the application port.
#pragma once

#include "platform/View.h"

namespace pellora {

class GtkViewFactory final : public ViewFactory {
public:
    std::shared_ptr<ContainerView> makeContainer(Color background) override;
    std::shared_ptr<StackView> makeVerticalStack(StackLayout layout) override;
    std::shared_ptr<Label> makeLabel(const std::string& text, LabelStyle style) override;
    std::shared_ptr<Button> makeButton(const std::string& title, ButtonStyle style) override;
    std::shared_ptr<View> makeSpinner(double size) override;
    std::shared_ptr<View> makeSymbolImage(const std::string& symbolName, double size) override;

    // The icon-theme name standing in for `symbolName`, when there is one.
    static const char* iconNameForSymbol(const std::string& symbolName);
};

}  // namespace pellora
