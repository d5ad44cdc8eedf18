#include "platform/uikit/UIGraphics.h"

#include <cmath>
#include <vector>

#include "platform/uikit/UIScreen.h"

namespace {

struct Entry {
    CGContextRef context;
    bool imageContext = false;
    CGFloat scale = 1;
};

std::vector<Entry>& stack() {
    thread_local std::vector<Entry> entries;
    return entries;
}

}  // namespace

CGContextRef UIGraphicsGetCurrentContext() { return stack().empty() ? nullptr : stack().back().context; }

void UIGraphicsPushContext(CGContextRef context) { stack().push_back({std::move(context), false, 1}); }

void UIGraphicsPopContext() {
    if (!stack().empty() && !stack().back().imageContext) stack().pop_back();
}

void UIGraphicsBeginImageContextWithOptions(CGSize size, bool opaque, CGFloat scale) {
    if (scale <= 0) scale = UIScreen::mainScreen().scale();
    const double w = std::ceil(size.width * scale), h = std::ceil(size.height * scale);
    CGContextRef context;
    if (w >= 1 && h >= 1 && w <= 32767 && h <= 32767)
        context = CGBitmapContextCreate(
            nullptr, static_cast<std::size_t>(w), static_cast<std::size_t>(h), 8, 0, CGColorSpaceCreateDeviceRGB(),
            (opaque ? kCGImageAlphaNoneSkipFirst : kCGImageAlphaPremultipliedFirst) | kCGBitmapByteOrder32Little);
    if (context) {
        CGContextTranslateCTM(context, 0, h);
        CGContextScaleCTM(context, scale, -scale);
    }
    // Pushed even when the size is empty, so that Begin and End stay paired.
    stack().push_back({std::move(context), true, scale});
}

void UIGraphicsBeginImageContext(CGSize size) { UIGraphicsBeginImageContextWithOptions(size, false, 1); }

UIImagePtr UIGraphicsGetImageFromCurrentImageContext() {
    if (stack().empty() || !stack().back().imageContext || !stack().back().context) return nullptr;
    return UIImage::imageWithCGImage(CGBitmapContextCreateImage(stack().back().context), stack().back().scale);
}

void UIGraphicsEndImageContext() {
    if (!stack().empty() && stack().back().imageContext) stack().pop_back();
}
