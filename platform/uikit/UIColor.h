#pragma once
// Colours as values: red, green, blue and alpha in 0-1 (device RGB), made from RGB, a white
// level or hue, saturation and brightness. Components outside 0-1 are clamped.
//
// A colour may also carry one shared object (a layer or a view that a view shows behind its
// content when the colour is set as its background); copies of the colour carry the same
// object, and two colours are equal only when they carry the same object (or none).
#include <memory>

#include "platform/coregraphics/CGColor.h"
#include "platform/foundation/NSObject.h"

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
    // The same components carrying the object (none for null).
    UIColor colorCarryingObject(std::shared_ptr<NSObject> object) const;
    const std::shared_ptr<NSObject>& carriedObject() const { return object_; }
    CGFloat alpha() const { return a_; }

    friend bool operator==(const UIColor&, const UIColor&) = default;

private:
    CGFloat r_ = 0, g_ = 0, b_ = 0, a_ = 0;
    std::shared_ptr<NSObject> object_;
};
