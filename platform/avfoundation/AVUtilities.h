#pragma once
// Geometry helpers of the media framework.
#include "platform/coregraphics/CGGeometry.h"

// The largest rectangle of the aspect ratio (width to height) of `aspectRatio` that fits in
// `boundingRect`, centred in it. A size without area gives a rectangle of zero size at the
// centre of the bounds.
CGRect AVMakeRectWithAspectRatioInsideRect(CGSize aspectRatio, CGRect boundingRect);
