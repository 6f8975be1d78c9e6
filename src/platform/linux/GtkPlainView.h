// A leaf View over any widget (spinner, symbol image). Main thread only; shared by its
// builder and its parent.
#pragma once

#include "platform/linux/GtkView.h"

namespace pellora {

class GtkPlainView final : public GtkView {
public:
    explicit GtkPlainView(GtkWidget* widget) : GtkView(widget) {}
};

}  // namespace pellora
