// Plain geometry and colour values shared by the view ports.
#pragma once

namespace pellora {

struct Point {
    double x = 0;
    double y = 0;
    bool operator==(const Point&) const = default;
};

struct Size {
    double width = 0;
    double height = 0;
    bool operator==(const Size&) const = default;
};

// sRGB components in 0…1.
struct Color {
    double red = 0;
    double green = 0;
    double blue = 0;
    double alpha = 1;
    static constexpr Color white(double level, double alpha = 1) {
        return Color{level, level, level, alpha};
    }
    bool operator==(const Color&) const = default;
};

}  // namespace pellora
