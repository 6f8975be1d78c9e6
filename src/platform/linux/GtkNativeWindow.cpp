#include "platform/linux/GtkNativeWindow.h"

#include <stdexcept>

namespace pellora {

namespace {

std::string cssColor(Color color) {
    auto channel = [](double value) { return std::to_string(static_cast<int>(value * 255.0 + 0.5)); };
    return "rgba(" + channel(color.red) + "," + channel(color.green) + "," + channel(color.blue) + "," +
           std::to_string(color.alpha) + ")";
}

void addProvider(GtkWidget* widget, GtkCssProvider* css) {
    gtk_style_context_add_provider(gtk_widget_get_style_context(widget), GTK_STYLE_PROVIDER(css),
                                   GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
}

}  // namespace

GtkNativeWindow::GtkNativeWindow(const WindowOptions& options, Observer observer)
    : observer_(std::move(observer)),
      window_(GTK_WINDOW(g_object_ref_sink(gtk_window_new(GTK_WINDOW_TOPLEVEL)))),
      headerBar_(gtk_header_bar_new()),
      css_(gtk_css_provider_new()),
      content_(std::make_shared<GtkContainerView>(Color{0, 0, 0, 0})),
      accessories_(GTK_CONTAINER(headerBar_),
                   [this](GtkWidget* child) { gtk_header_bar_pack_end(GTK_HEADER_BAR(headerBar_), child); }),
      background_(options.background) {
    gtk_header_bar_set_show_close_button(GTK_HEADER_BAR(headerBar_), TRUE);
    gtk_widget_show(headerBar_);
    gtk_window_set_titlebar(window_, headerBar_);
    gtk_window_set_default_size(window_, static_cast<int>(options.contentSize.width),
                                static_cast<int>(options.contentSize.height));
    if (options.minSize) {
        GdkGeometry geometry{};
        geometry.min_width = static_cast<int>(options.minSize->width);
        geometry.min_height = static_cast<int>(options.minSize->height);
        gtk_window_set_geometry_hints(window_, nullptr, &geometry, GDK_HINT_MIN_SIZE);
    }
    gtk_container_add(GTK_CONTAINER(window_), content_->widget());
    addProvider(GTK_WIDGET(window_), css_);
    addProvider(headerBar_, css_);
    setTitle(options.title);
    applyStyle();
    g_signal_connect(window_, "delete-event", G_CALLBACK(onDelete), this);
    g_signal_connect(window_, "notify::is-active", G_CALLBACK(onActiveChanged), this);
    g_signal_connect(window_, "window-state-event", G_CALLBACK(onStateChanged), this);
}

GtkNativeWindow::~GtkNativeWindow() {
    g_signal_handlers_disconnect_by_data(window_, this);
    accessories_.removeAll();
    content_->removeAllSubviews();
    gtk_widget_destroy(GTK_WIDGET(window_));
    g_object_unref(window_);
    g_object_unref(css_);
}

GtkNativeWindow& GtkNativeWindow::of(NativeWindow& window) {
    auto* gtkWindow = dynamic_cast<GtkNativeWindow*>(&window);
    if (!gtkWindow) throw std::logic_error("a window of another platform was given to a GTK port");
    return *gtkWindow;
}

void GtkNativeWindow::setDelegate(std::weak_ptr<NativeWindowDelegate> delegate) { delegate_ = std::move(delegate); }

void GtkNativeWindow::setTitle(const std::string& title) {
    gtk_window_set_title(window_, title.c_str());
    gtk_header_bar_set_title(GTK_HEADER_BAR(headerBar_), title.c_str());
}

std::string GtkNativeWindow::title() const {
    const char* title = gtk_window_get_title(window_);
    return title ? title : "";
}

void GtkNativeWindow::setBackgroundColor(Color color) {
    background_ = color;
    applyStyle();
}

void GtkNativeWindow::setTitlebarAppearsTransparent(bool transparent) {
    transparentTitlebar_ = transparent;
    applyStyle();
}

void GtkNativeWindow::applyStyle() {
    std::string css = "window { background-color: " + cssColor(background_) + "; }\n";
    if (transparentTitlebar_) {
        css += "headerbar { background: none; background-color: transparent; box-shadow: none; "
               "border-color: transparent; }\n";
    }
    gtk_css_provider_load_from_data(css_, css.c_str(), -1, nullptr);
}

void GtkNativeWindow::setTitlebarAccessory(std::shared_ptr<View> accessory) {
    accessories_.removeAll();
    accessories_.add(std::move(accessory));
}

double GtkNativeWindow::screenHeight() const {
    GdkDisplay* display = gtk_widget_get_display(GTK_WIDGET(window_));
    GdkMonitor* monitor = gdk_display_get_primary_monitor(display);
    if (!monitor) monitor = gdk_display_get_monitor(display, 0);
    if (!monitor) return 0;
    GdkRectangle area;
    gdk_monitor_get_geometry(monitor, &area);
    return area.y + area.height;
}

Point GtkNativeWindow::frameOrigin() const {
    int x = 0, y = 0, width = 0, height = 0;
    gtk_window_get_position(window_, &x, &y);
    gtk_window_get_size(window_, &width, &height);
    return Point{static_cast<double>(x), screenHeight() - y - height};
}

void GtkNativeWindow::setFrameOrigin(Point origin) {
    int width = 0, height = 0;
    gtk_window_get_size(window_, &width, &height);
    gtk_window_move(window_, static_cast<int>(origin.x), static_cast<int>(screenHeight() - origin.y - height));
}

void GtkNativeWindow::center() {
    gtk_window_set_position(window_, GTK_WIN_POS_CENTER);
    if (gtk_widget_get_mapped(GTK_WIDGET(window_))) {
        GdkDisplay* display = gtk_widget_get_display(GTK_WIDGET(window_));
        GdkMonitor* monitor = gdk_display_get_primary_monitor(display);
        if (!monitor) monitor = gdk_display_get_monitor(display, 0);
        if (!monitor) return;
        GdkRectangle area;
        gdk_monitor_get_workarea(monitor, &area);
        int width = 0, height = 0;
        gtk_window_get_size(window_, &width, &height);
        gtk_window_move(window_, area.x + (area.width - width) / 2, area.y + (area.height - height) / 2);
    }
}

void GtkNativeWindow::makeKeyAndOrderFrontRegardless() {
    closed_ = false;
    gtk_widget_show_all(GTK_WIDGET(window_));
    gtk_window_present_with_time(window_, GDK_CURRENT_TIME);
    if (observer_.cameToFront) observer_.cameToFront(*this);
}

bool GtkNativeWindow::isVisible() const { return !closed_ && gtk_widget_get_visible(GTK_WIDGET(window_)); }

bool GtkNativeWindow::isKeyWindow() const { return !closed_ && gtk_window_is_active(window_); }

bool GtkNativeWindow::hasAttachedSheet() const {
    GList* toplevels = gtk_window_list_toplevels();
    bool attached = false;
    for (GList* item = toplevels; item && !attached; item = item->next) {
        auto* other = GTK_WINDOW(item->data);
        attached = other != window_ && gtk_window_get_transient_for(other) == window_ &&
                   gtk_window_get_modal(other) && gtk_widget_get_visible(GTK_WIDGET(other));
    }
    g_list_free(toplevels);
    return attached;
}

bool GtkNativeWindow::firstResponderIsInside(const View& view) const {
    GtkWidget* focus = gtk_window_get_focus(window_);
    GtkWidget* target = GtkView::of(view).widget();
    return focus && (focus == target || gtk_widget_is_ancestor(focus, target));
}

void GtkNativeWindow::close() {
    if (closed_) return;
    closed_ = true;
    if (auto delegate = delegate_.lock()) delegate->windowWillClose();
    gtk_widget_hide(GTK_WIDGET(window_));
    if (observer_.closed) observer_.closed(*this);
}

gboolean GtkNativeWindow::onDelete(GtkWidget*, GdkEvent*, GtkNativeWindow* self) {
    auto delegate = self->delegate_.lock();
    if (!delegate || delegate->windowShouldClose()) self->close();
    return TRUE;  // the GTK window lives on until this object is dropped
}

void GtkNativeWindow::onActiveChanged(GObject*, GParamSpec*, GtkNativeWindow* self) {
    if (!gtk_window_is_active(self->window_) || self->closed_) return;
    if (self->observer_.cameToFront) self->observer_.cameToFront(*self);
    if (auto delegate = self->delegate_.lock()) delegate->windowDidBecomeKey();
}

gboolean GtkNativeWindow::onStateChanged(GtkWidget*, GdkEventWindowState* event, GtkNativeWindow* self) {
    if (!(event->changed_mask & GDK_WINDOW_STATE_ICONIFIED)) return FALSE;
    const bool iconified = event->new_window_state & GDK_WINDOW_STATE_ICONIFIED;
    if (iconified == self->miniaturized_) return FALSE;
    self->miniaturized_ = iconified;
    if (auto delegate = self->delegate_.lock()) {
        if (iconified) delegate->windowDidMiniaturize();
        else delegate->windowDidDeminiaturize();
    }
    return FALSE;
}

}  // namespace pellora
