#pragma once
// How an animation's time maps to its progress: a cubic Bézier from (0, 0) to (1, 1) through
// two control points; x is the fraction of the duration, y the fraction of the change.
#include <string>

#include "platform/coregraphics/CGGeometry.h"

inline const std::string kCAMediaTimingFunctionLinear = "linear";
inline const std::string kCAMediaTimingFunctionEaseIn = "easeIn";
inline const std::string kCAMediaTimingFunctionEaseOut = "easeOut";
inline const std::string kCAMediaTimingFunctionEaseInEaseOut = "easeInEaseOut";
inline const std::string kCAMediaTimingFunctionDefault = "default";

class CAMediaTimingFunction {
public:
    // Linear.
    CAMediaTimingFunction() = default;
    CAMediaTimingFunction(double c1x, double c1y, double c2x, double c2y);
    // One of the names above; an unknown name raises std::invalid_argument.
    static CAMediaTimingFunction functionWithName(const std::string& name);

    // Index 0 to 3: (0, 0), the two control points, (1, 1).
    CGPoint getControlPointAtIndex(std::size_t index) const;
    // The progress at a fraction of the duration (clamped to 0-1).
    double evaluate(double fraction) const;

    friend bool operator==(const CAMediaTimingFunction&, const CAMediaTimingFunction&) = default;

private:
    double c1x_ = 0, c1y_ = 0, c2x_ = 1, c2y_ = 1;
};
