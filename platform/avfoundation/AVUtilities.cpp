#include "platform/avfoundation/AVUtilities.h"

#include <algorithm>
#include <cmath>

CGRect AVMakeRectWithAspectRatioInsideRect(CGSize aspectRatio, CGRect boundingRect) {
    const CGRect bounds = CGRectStandardize(boundingRect);
    const CGFloat w = std::fabs(aspectRatio.width), h = std::fabs(aspectRatio.height);
    if (!(w > 0) || !(h > 0)) return CGRectMake(CGRectGetMidX(bounds), CGRectGetMidY(bounds), 0, 0);
    const CGFloat scale = std::min(bounds.size.width / w, bounds.size.height / h);
    const CGSize size = CGSizeMake(w * scale, h * scale);
    return CGRectMake(CGRectGetMidX(bounds) - size.width / 2, CGRectGetMidY(bounds) - size.height / 2, size.width,
                      size.height);
}
