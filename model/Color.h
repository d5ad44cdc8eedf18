#pragma once
// The colour of a picker item or a look's tint: device RGB and alpha, each 0 to 1.
struct Color {
    double red = 0, green = 0, blue = 0, alpha = 1;

    static Color white(double level, double alpha = 1) { return {level, level, level, alpha}; }
    friend bool operator==(const Color&, const Color&) = default;
};
