// Fonts of the view ports in GTK terms: Pango attributes for labels, CSS for buttons.
// Pure functions; main thread (Pango objects are not shared).
#pragma once

#include <pango/pango.h>

#include <string>

#include "platform/View.h"

namespace pellora {

// Size in pixels and weight, as Pango attributes (caller unrefs).
PangoAttrList* makeFontAttributes(const Font& font);
// "font-size: <n>px; font-weight: <w>;"
std::string fontCss(const Font& font);

}  // namespace pellora
