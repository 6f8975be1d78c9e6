#include "platform/linux/GtkFont.h"

#include <cmath>

namespace pellora {

namespace {
int weightOf(FontWeight weight) {
    switch (weight) {
    case FontWeight::medium: return 500;
    case FontWeight::semibold: return 600;
    default: return 400;
    }
}
}  // namespace

PangoAttrList* makeFontAttributes(const Font& font) {
    PangoAttrList* attributes = pango_attr_list_new();
    pango_attr_list_insert(attributes,
                           pango_attr_size_new_absolute(static_cast<int>(std::lround(font.size * PANGO_SCALE))));
    pango_attr_list_insert(attributes, pango_attr_weight_new(static_cast<PangoWeight>(weightOf(font.weight))));
    return attributes;
}

std::string fontCss(const Font& font) {
    return "font-size: " + std::to_string(static_cast<int>(std::lround(font.size))) +
           "px; font-weight: " + std::to_string(weightOf(font.weight)) + ";";
}

}  // namespace pellora
