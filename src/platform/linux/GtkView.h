// The GTK side of every View this platform builds: one widget (held with a strong
// reference) and the link to the parent that keeps the view alive. Main thread only;
// owned through shared_ptr by whoever built the view and by its parent.
#pragma once

#include <gtk/gtk.h>

#include "platform/View.h"

namespace pellora {

class GtkChildList;

class GtkView : public virtual View {
public:
    ~GtkView() override;
    GtkView(const GtkView&) = delete;
    GtkView& operator=(const GtkView&) = delete;

    GtkWidget* widget() const { return widget_; }

    void setHidden(bool hidden) override;
    bool isHidden() const override { return hidden_; }
    void removeFromSuperview() override;

    // The GTK view behind `view`; views of another platform cannot be mixed in.
    static GtkView& of(View& view);
    static const GtkView& of(const View& view);

protected:
    // Takes a (floating or owned) reference to `widget` and shows it; a view is visible
    // until hidden, whatever gtk_widget_show_all does to its ancestors.
    explicit GtkView(GtkWidget* widget);

private:
    friend class GtkChildList;
    GtkWidget* widget_;
    bool hidden_ = false;
    GtkChildList* parent_ = nullptr;
};

}  // namespace pellora
