#pragma once
// The image orientation of a right-angle track transform (its translation is not looked at).
#include "platform/coregraphics/CGGeometry.h"
#include "platform/uikit/UIImage.h"

class QVImageOrientation {
public:
    // Up, down, left or right for the four exact right-angle matrices; anything else writes up
    // and answers false.
    static bool fromTransform(const CGAffineTransform& transform, UIImageOrientation* orientation);
};
