#pragma once
// Colours and colour spaces. Colours are device RGB with straight alpha, components 0-1; a
// grey is stored as equal red, green and blue.
#include <memory>

#include "platform/coregraphics/CGGeometry.h"

struct CGColor {
    CGFloat r = 0, g = 0, b = 0, a = 0;
    friend bool operator==(const CGColor&, const CGColor&) = default;
};

inline CGColor CGColorMake(CGFloat r, CGFloat g, CGFloat b, CGFloat a) { return {r, g, b, a}; }
inline CGColor CGColorCreateGenericGray(CGFloat gray, CGFloat a) { return {gray, gray, gray, a}; }
inline CGColor CGColorCreateCopyWithAlpha(CGColor c, CGFloat a) { return {c.r, c.g, c.b, a}; }
inline CGFloat CGColorGetAlpha(CGColor c) { return c.a; }

enum class CGColorSpaceModel { Monochrome = 0, RGB = 1 };

struct CGColorSpace {
    CGColorSpaceModel model = CGColorSpaceModel::RGB;
};
using CGColorSpaceRef = std::shared_ptr<const CGColorSpace>;

inline CGColorSpaceRef CGColorSpaceCreateDeviceRGB() {
    return std::make_shared<const CGColorSpace>(CGColorSpace{CGColorSpaceModel::RGB});
}
inline CGColorSpaceRef CGColorSpaceCreateDeviceGray() {
    return std::make_shared<const CGColorSpace>(CGColorSpace{CGColorSpaceModel::Monochrome});
}
// A null colour space is device RGB.
inline CGColorSpaceModel CGColorSpaceGetModel(const CGColorSpaceRef& space) {
    return space ? space->model : CGColorSpaceModel::RGB;
}
