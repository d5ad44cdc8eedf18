#pragma once
// The current drawing context of UIKit drawing (`drawRect`, image contexts, `UIImage` drawing)
// and image contexts: bitmaps in points at a scale, with the origin at the top-left. A stack
// per thread.
#include "platform/coregraphics/CGContext.h"
#include "platform/uikit/UIImage.h"

CGContextRef UIGraphicsGetCurrentContext();
void UIGraphicsPushContext(CGContextRef context);
void UIGraphicsPopContext();

// A scale of 0 is the main screen's. An opaque context has no alpha.
void UIGraphicsBeginImageContextWithOptions(CGSize size, bool opaque, CGFloat scale);
void UIGraphicsBeginImageContext(CGSize size);
// Null unless the current context is an image context.
UIImagePtr UIGraphicsGetImageFromCurrentImageContext();
void UIGraphicsEndImageContext();
