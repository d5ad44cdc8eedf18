#include "platform/avfoundation/AVUtilities.h"

#include <cmath>

CGRect AVMakeRectWithAspectRatioInsideRect(CGSize aspectRatio, CGRect boundingRect) {
    const CGFloat w = std::fabs(aspectRatio.width), h = std::fabs(aspectRatio.height);
    const CGFloat bw = boundingRect.size.width, bh = boundingRect.size.height;
    const CGPoint mid{boundingRect.origin.x + bw / 2, boundingRect.origin.y + bh / 2};
    if (!(w > 0 && h > 0) || !std::isfinite(w / h)) return {mid, {0, 0}};
    const CGFloat k = std::fmin(bw / w, bh / h);
    const CGSize fit{w * k, h * k};
    return {{mid.x - fit.width / 2, mid.y - fit.height / 2}, fit};
}
