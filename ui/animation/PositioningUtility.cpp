#include "ui/animation/PositioningUtility.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

CGRect PositioningUtility::rectWithSizeCenteredInRect(CGSize s, CGRect r) {
    return CGRectMake(r.origin.x + (r.size.width / 2 - s.width / 2), r.origin.y + (r.size.height / 2 - s.height / 2),
                      s.width, s.height);
}

CGRect PositioningUtility::rectWithSizeCenteredInRectSize(CGSize s, CGSize t) {
    return rectWithSizeCenteredInRect(s, rectWithSize(t));
}

double PositioningUtility::roundedDimension(double d, double ref) {
    // Whole parts beyond 32 bits have no even neighbour to find.
    if (!(std::fabs(d) < 2147483647.0) || !(std::fabs(ref) < 2147483647.0)) return d;
    const auto a = static_cast<std::int32_t>(d), b = static_cast<std::int32_t>(ref);
    if (b != 0 && std::abs(static_cast<std::int64_t>(a) - b) == 1) return b;
    if (a % 2 == 0) return d;
    const double up = a + 1.0, down = a - 1.0;
    return up - d < d - down ? up : down;
}

CGSize PositioningUtility::roundedSize(CGSize size, CGSize ref) {
    const bool crossed =
        (size.width < size.height && ref.width > ref.height) || (size.height < size.width && ref.height > ref.width);
    if (crossed) return {roundedDimension(size.width, ref.height), roundedDimension(size.height, ref.width)};
    return {roundedDimension(size.width, ref.width), roundedDimension(size.height, ref.height)};
}

void PositioningUtility::positionViews(const std::vector<std::shared_ptr<UIView>>& views, double arc, double spacing) {
    if (views.empty() || !views.front()) return;
    const auto n = static_cast<double>(views.size());
    const double w = views.front()->frame().size.width;
    const UIView* superview = views.front()->superview();
    const double W = superview ? superview->frame().size.width : 0;
    double x = (W - n * w - (n - 1) * spacing) * 0.5;
    for (std::size_t i = 0; i < views.size(); ++i) {
        if (!views[i]) continue;
        // A lone view sits in the middle of its row.
        const double t = views.size() == 1 ? 0 : std::fabs(0.5 - static_cast<double>(i) / (n - 1));
        CGRect f = views[i]->frame();
        views[i]->setFrame(CGRectMake(x, f.origin.y - 2 * arc * (0.5 - t), f.size.width, f.size.height));
        x += w + spacing;
    }
}

void PositioningUtility::positionViewAtRelativeCenterY(UIView& view, double ry, const UIView& reference) {
    const CGSize s = reference.bounds().size;
    view.setCenter({s.width * 0.5, (1 - ry) * s.height});
}

void PositioningUtility::positionViewAtRelativeCenterX(UIView& view, double rx, const UIView& reference) {
    const CGSize s = reference.bounds().size;
    view.setCenter({s.width * rx, s.height * 0.5});
}

void PositioningUtility::positionViewAtRelativeXY(UIView& view, double rx, double ry, const UIView& reference) {
    const CGSize s = reference.bounds().size;
    view.setCenter({s.width * rx, (1 - ry) * s.height});
}

void PositioningUtility::positionViewAtRelativeX(UIView& view, double rx, const UIView& reference) {
    CGRect f = view.frame();
    f.origin.x = reference.bounds().size.width * rx - view.bounds().size.width * 0.5;
    view.setFrame(f);
}

void PositioningUtility::positionViewAtRelativeY(UIView& view, double ry, const UIView& reference) {
    CGRect f = view.frame();
    f.origin.y = (1 - ry) * reference.bounds().size.height - view.bounds().size.height * 0.5;
    view.setFrame(f);
}

void PositioningUtility::positionViewAtCenterOfView(UIView& view, const UIView& reference) {
    const CGRect b = reference.bounds();
    view.setCenter({CGRectGetMidX(b), CGRectGetMidY(b)});
}

void PositioningUtility::positionViewAtCenterXOfView(UIView& view, const UIView& reference) {
    const CGRect f = view.frame();
    view.setCenter({reference.bounds().size.width * 0.5, f.origin.y + f.size.height * 0.5});
}

void PositioningUtility::positionViewAtCenterYOfView(UIView& view, const UIView& reference) {
    const CGRect f = view.frame();
    view.setCenter({f.origin.x + f.size.width * 0.5, reference.bounds().size.height * 0.5});
}

void PositioningUtility::positionViewAtCenter(UIView& view) {
    if (view.superview()) positionViewAtCenterOfView(view, *view.superview());
}

void PositioningUtility::positionViewAtCenterX(UIView& view) {
    if (view.superview()) positionViewAtCenterXOfView(view, *view.superview());
}

void PositioningUtility::positionViewAtCenterY(UIView& view) {
    if (view.superview()) positionViewAtCenterYOfView(view, *view.superview());
}

CGPoint rectCenter(CGRect r) { return {CGRectGetMidX(r), CGRectGetMidY(r)}; }

CGPoint pointByAddingPoint(CGPoint p, CGPoint q) { return {p.x + q.x, p.y + q.y}; }

CGRect rectWithSizeCenteredInRect(CGRect c, CGRect r) {
    return CGRectMake(c.origin.x + c.size.width * 0.5 - r.size.width * 0.5,
                      c.origin.y + c.size.height * 0.5 - r.size.height * 0.5, r.size.width, r.size.height);
}

CGRect rectWithSizeTopCenteredInRect(CGRect c, CGRect r) {
    return CGRectMake(c.origin.x + (c.size.width * 0.5 - r.size.width * 0.5), c.origin.y, r.size.width, r.size.height);
}

CGRect rectWithSizeBottomCenteredInRect(CGRect c, CGRect r) {
    return CGRectMake(c.origin.x + (c.size.width * 0.5 - r.size.width * 0.5),
                      c.origin.y + (c.size.height - r.size.height), r.size.width, r.size.height);
}

CGRect rectWithSizeRightCenteredInRect(CGRect c, CGRect r) {
    return CGRectMake(c.origin.x + c.size.width - r.size.width, c.origin.y + c.size.height * 0.5 - r.size.height * 0.5,
                      r.size.width, r.size.height);
}

CGRect rectOffsetY(CGRect r, double dy) { return CGRectMake(r.origin.x, r.origin.y + dy, r.size.width, r.size.height); }

CGRect rectAddHeight(CGRect r, double dh) {
    return CGRectMake(r.origin.x, r.origin.y, r.size.width, r.size.height + dh);
}

CGRect rectWithSize(CGSize s) { return CGRectMake(0, 0, s.width, s.height); }

CGRect squareRectWithDimension(double d) { return CGRectMake(0, 0, d, d); }

CGRect portraitRect(CGRect r) {
    return CGRectMake(r.origin.x, r.origin.y, std::min(r.size.width, r.size.height),
                      std::max(r.size.width, r.size.height));
}
