// Shared set-up of the tests that need GTK and WebKit: a display (skipped without one),
// GTK initialised once, the main context iterated until a condition holds.
#pragma once

#include <gtk/gtk.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>

namespace pellora::testing {

// True when GTK could be initialised; tests GTEST_SKIP otherwise.
inline bool gtkAvailable() {
    static const bool available = [] {
        const char* display = std::getenv("DISPLAY");
        return display && *display && gtk_init_check(nullptr, nullptr);
    }();
    return available;
}

#define PELLORA_REQUIRE_DISPLAY()                                                              \
    do {                                                                                       \
        if (!::pellora::testing::gtkAvailable())                                               \
            GTEST_SKIP() << "needs an X display (run under xvfb-run -a)";                      \
    } while (false)

inline bool iterateUntil(const std::function<bool()>& done,
                         std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    // A ticking source lets the loop block between events instead of spinning.
    const guint tick = g_timeout_add(5, [](gpointer) -> gboolean { return G_SOURCE_CONTINUE; }, nullptr);
    while (!done() && std::chrono::steady_clock::now() < deadline) g_main_context_iteration(nullptr, TRUE);
    g_source_remove(tick);
    return done();
}

inline void iterateFor(std::chrono::milliseconds duration) {
    iterateUntil([] { return false; }, duration);
}

}  // namespace pellora::testing
