#include "platform/linux/GtkLabelView.h"

#include <algorithm>

#include "platform/linux/GtkFont.h"

namespace pellora {

GtkLabelView::GtkLabelView(const std::string& text, const LabelStyle& style)
    : GtkView(gtk_label_new(nullptr)), style_(style) {
    GtkLabel* label = GTK_LABEL(widget());
    PangoAttrList* attributes = makeFontAttributes(style.font);
    gtk_label_set_attributes(label, attributes);
    pango_attr_list_unref(attributes);
    if (style.wraps) {
        gtk_label_set_line_wrap(label, TRUE);
        gtk_label_set_line_wrap_mode(label, PANGO_WRAP_WORD_CHAR);
    }
    if (style.centred) {
        gtk_label_set_justify(label, GTK_JUSTIFY_CENTER);
        gtk_label_set_xalign(label, 0.5f);
    }
    if (style.secondaryColor) gtk_style_context_add_class(gtk_widget_get_style_context(widget()), "dim-label");
    setText(text);
}

void GtkLabelView::setText(const std::string& text) {
    gtk_label_set_text(GTK_LABEL(widget()), text.c_str());
    atk_object_set_name(gtk_widget_get_accessible(widget()), text.c_str());
}

std::string GtkLabelView::text() const { return gtk_label_get_text(GTK_LABEL(widget())); }

void GtkLabelView::limitWidth(double maxWidth) {
    if (!style_.wraps) return;
    // An average glyph of the interface font is a little under half the font size wide.
    const int characters = std::max(1, static_cast<int>(maxWidth / (style_.font.size * 0.45)));
    gtk_label_set_max_width_chars(GTK_LABEL(widget()), characters);
}

}  // namespace pellora
