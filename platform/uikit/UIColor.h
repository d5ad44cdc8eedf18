#pragma once
// Colours as values: red, green, blue and alpha in 0-1 (device RGB), made from RGB, a white
// level or hue, saturation and brightness. Components outside 0-1 are clamped.
#include "platform/coregraphics/CGColor.h"

class UIColor {
public:
    UIColor() = default;  // transparent black
    static UIColor colorWithRed(CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha);
    static UIColor colorWithWhite(CGFloat white, CGFloat alpha);
    // Hue in 0-1 (a full turn), saturation and brightness in 0-1.
    static UIColor colorWithHue(CGFloat hue, CGFloat saturation, CGFloat brightness, CGFloat alpha);
    static UIColor colorWithCGColor(::CGColor color);

    static UIColor blackColor() { return colorWithWhite(0, 1); }
    static UIColor darkGrayColor() { return colorWithWhite(1.0 / 3, 1); }
    static UIColor grayColor() { return colorWithWhite(0.5, 1); }
    static UIColor lightGrayColor() { return colorWithWhite(2.0 / 3, 1); }
    static UIColor whiteColor() { return colorWithWhite(1, 1); }
    static UIColor clearColor() { return colorWithWhite(0, 0); }
    static UIColor redColor() { return colorWithRed(1, 0, 0, 1); }
    static UIColor greenColor() { return colorWithRed(0, 1, 0, 1); }
    static UIColor blueColor() { return colorWithRed(0, 0, 1, 1); }
    static UIColor cyanColor() { return colorWithRed(0, 1, 1, 1); }
    static UIColor yellowColor() { return colorWithRed(1, 1, 0, 1); }
    static UIColor magentaColor() { return colorWithRed(1, 0, 1, 1); }
    static UIColor orangeColor() { return colorWithRed(1, 0.5, 0, 1); }
    static UIColor purpleColor() { return colorWithRed(0.5, 0, 0.5, 1); }
    static UIColor brownColor() { return colorWithRed(0.6, 0.4, 0.2, 1); }

    UIColor colorWithAlphaComponent(CGFloat alpha) const;
    // Each getter answers false (and leaves the outputs alone) when the colour cannot be
    // expressed that way: `getWhite` only for greys. Null outputs are skipped.
    bool getRed(CGFloat* red, CGFloat* green, CGFloat* blue, CGFloat* alpha) const;
    bool getWhite(CGFloat* white, CGFloat* alpha) const;
    bool getHue(CGFloat* hue, CGFloat* saturation, CGFloat* brightness, CGFloat* alpha) const;
    ::CGColor CGColor() const { return {r_, g_, b_, a_}; }
    CGFloat alpha() const { return a_; }

    friend bool operator==(const UIColor&, const UIColor&) = default;

private:
    CGFloat r_ = 0, g_ = 0, b_ = 0, a_ = 0;
};
