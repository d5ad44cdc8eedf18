#pragma once
// Geometry for fitting pictures: the largest rectangle of an aspect ratio that fits inside a
// bounding rectangle, centred in it.
#include "platform/coregraphics/CGGeometry.h"

// `aspectRatio` gives the proportions only. A ratio without area gives the empty rectangle at
// the bounding rectangle's centre.
CGRect AVMakeRectWithAspectRatioInsideRect(CGSize aspectRatio, CGRect boundingRect);
