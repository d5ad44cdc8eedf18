#include "screens/crop/CropRectView.h"

#include <cmath>

#include "platform/uikit/UIGraphics.h"
#include "ui/appearance/AppAppearance.h"

namespace {

CGFloat nearest(CGFloat v) { return std::round(static_cast<float>(v)); }

// The ninths lines and the thirds lines.
UIColor minorGridColor() { return AppAppearance::defaultLightColor().colorWithAlphaComponent(0.5); }
UIColor majorGridColor() { return UIColor::colorWithWhite(1, static_cast<float>(0.8)); }

}  // namespace

CropRectView::CropRectView(CGRect frame) : UIView(frame) {
    setBackgroundColor(UIColor::clearColor());
    setContentMode(UIViewContentMode::Redraw);
    border_ = std::make_shared<UIImageView>(CGRectInset(bounds(), -kBorderOutset, -kBorderOutset));
    border_->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    if (auto picture = UIImage::imageNamed("cropResize"))
        border_->setImage(picture->resizableImageWithCapInsets(
            UIEdgeInsetsMake(kBorderCapInset, kBorderCapInset, kBorderCapInset, kBorderCapInset)));
    addSubview(border_);
    for (auto& handle : handles_) {
        handle = std::make_shared<CropRectResizeView>();
        handle->setDelegate(this);
        addSubview(handle);
    }
    setNeedsDisplay();
}

CropRectView::~CropRectView() {
    for (auto& handle : handles_) handle->setDelegate(nullptr);
}

void CropRectView::setShowsGridMajor(bool shows) {
    showsGridMajor_ = shows;
    setNeedsDisplay();
}

void CropRectView::setShowsGridMinor(bool shows) {
    showsGridMinor_ = shows;
    setNeedsDisplay();
}

void CropRectView::setKeepingAspectRatio(bool keeping) {
    keepingAspectRatio_ = keeping;
    if (!keeping) return;
    const float w = static_cast<float>(bounds().size.width), h = static_cast<float>(bounds().size.height);
    const float ratio = std::fmin(w / h, h / w);
    fixedAspectRatio_ = w > 0 && h > 0 && std::isfinite(ratio) ? ratio : 1;
}

void CropRectView::setFixedAspectRatio(double ratio) {
    if (!(ratio > 0) || !std::isfinite(ratio)) return;
    fixedAspectRatio_ = std::fmin(ratio, 1 / ratio);
}

UIView* CropRectView::hitTest(CGPoint point) {
    if (isHidden() || !isUserInteractionEnabled() || alpha() <= 0.01) return nullptr;
    for (const auto& subview : subviews()) {
        auto* handle = dynamic_cast<CropRectResizeView*>(subview.get());
        if (handle && !handle->isHidden() && CGRectContainsPoint(handle->frame(), point)) return handle;
    }
    return nullptr;
}

void CropRectView::drawRect(CGRect) {
    const CGContextRef c = UIGraphicsGetCurrentContext();
    if (!c) return;
    const CGFloat W = bounds().size.width, H = bounds().size.height;
    const CGFloat cw = W / 3, ch = H / 3;
    auto line = [&](const UIColor& color, CGRect r) {
        CGContextSetFillColorWithColor(c, color.CGColor());
        CGContextFillRect(c, r);
    };
    for (int i = 0; i < 3; ++i) {
        if (showsGridMinor_)
            for (int j = 1; j <= 2; ++j) {
                line(minorGridColor(), {{nearest(i * cw + j * cw / 3), kGridInset}, {1, nearest(H) - 2 * kGridInset}});
                line(minorGridColor(), {{kGridInset, nearest(i * ch + j * ch / 3)}, {nearest(W) - 2 * kGridInset, 1}});
            }
        if (showsGridMajor_ && i >= 1) {
            line(majorGridColor(), {{nearest(i * cw), kGridInset}, {1, nearest(H) - 2 * kGridInset}});
            line(majorGridColor(), {{kGridInset, nearest(i * ch)}, {nearest(W) - 2 * kGridInset, 1}});
        }
    }
}

void CropRectView::layoutSubviews() {
    const CGFloat W = bounds().size.width, H = bounds().size.height, s = CropRectResizeView::kSize;
    const CGFloat half = s / 2;
    handles_[TopLeft]->setFrame({{-half, -half}, {s, s}});
    handles_[TopRight]->setFrame({{W - half, -half}, {s, s}});
    handles_[BottomLeft]->setFrame({{-half, H - half}, {s, s}});
    handles_[BottomRight]->setFrame({{W - half, H - half}, {s, s}});
    // The sides span between the corners' frames, centred on the border.
    const CGRect tl = handles_[TopLeft]->frame(), tr = handles_[TopRight]->frame();
    const CGRect bl = handles_[BottomLeft]->frame();
    handles_[Top]->setFrame({{CGRectGetMaxX(tl), tl.origin.y}, {tr.origin.x - CGRectGetMaxX(tl), s}});
    handles_[Left]->setFrame({{tl.origin.x, CGRectGetMaxY(tl)}, {s, bl.origin.y - CGRectGetMaxY(tl)}});
    handles_[Bottom]->setFrame({{CGRectGetMaxX(bl), bl.origin.y}, {tr.origin.x - CGRectGetMaxX(tl), s}});
    handles_[Right]->setFrame({{tr.origin.x, CGRectGetMaxY(tr)}, {s, bl.origin.y - CGRectGetMaxY(tl)}});
}

void CropRectView::cropRectResizeViewDidBeginResizing(CropRectResizeView&) {
    initialRect_ = frame();
    if (delegate_) delegate_->cropRectViewDidBeginEditing(*this);
}

void CropRectView::cropRectResizeViewDidResize(CropRectResizeView& view) {
    setFrame(cropRectMakeWithResizeView(view));
    if (delegate_) delegate_->cropRectViewEditingChanged(*this);
}

void CropRectView::cropRectResizeViewDidEndResizing(CropRectResizeView&) {
    if (delegate_) delegate_->cropRectViewDidEndEditing(*this);
}

CGRect CropRectView::constrainedRectWithRectBasisOfWidth(CGRect rect, double k) {
    return constrainedRectWithRectBasisOfWidth(rect, k, std::fabs(rect.size.width) < std::fabs(rect.size.height));
}

CGRect CropRectView::constrainedRectWithRectBasisOfHeight(CGRect rect, double k) {
    return constrainedRectWithRectBasisOfHeight(rect, k, std::fabs(rect.size.width) < std::fabs(rect.size.height));
}

CGRect CropRectView::constrainedRectWithRectBasisOfWidth(CGRect rect, double k, bool tall) {
    const CGFloat w = std::fabs(rect.size.width);
    return {rect.origin, {w, tall ? w / k : w * k}};
}

CGRect CropRectView::constrainedRectWithRectBasisOfHeight(CGRect rect, double k, bool tall) {
    const CGFloat h = std::fabs(rect.size.height);
    return {rect.origin, {tall ? h * k : h / k, h}};
}

CGRect CropRectView::cropRectMakeWithResizeView(const CropRectResizeView& view) const {
    int which = -1;
    for (int i = 0; i < 8; ++i)
        if (handles_[i].get() == &view) which = i;
    if (which < 0) return frame();
    const CGRect I = initialRect_;
    const CGFloat tx = view.translation().x, ty = view.translation().y;
    const CGFloat x = I.origin.x, y = I.origin.y, w = I.size.width, h = I.size.height;
    CGRect r;
    switch (which) {
    case Top: r = {{x, y + ty}, {w, h - ty}}; break;
    case Left: r = {{x + tx, y}, {w - tx, h}}; break;
    case Bottom: r = {{x, y}, {w, h + ty}}; break;
    case Right: r = {{x, y}, {w + tx, h}}; break;
    case TopLeft: r = {{x + tx, y + ty}, {w - tx, h - ty}}; break;
    case TopRight: r = {{x, y + ty}, {w + tx, h - ty}}; break;
    case BottomLeft: r = {{x + tx, y}, {w - tx, h + ty}}; break;
    default: r = {{x, y}, {w + tx, h + ty}}; break;
    }
    // Which edges move: the opposite ones stay.
    const bool movesLeft = which == Left || which == TopLeft || which == BottomLeft;
    const bool movesTop = which == Top || which == TopLeft || which == TopRight;

    const CGFloat minWidth = handles_[Left]->bounds().size.width + handles_[Right]->bounds().size.width;
    const CGFloat minHeight = handles_[Top]->bounds().size.height + handles_[Bottom]->bounds().size.height;
    if (keepingAspectRatio_) {
        const bool corner = which <= BottomRight;
        const bool byWidth = corner ? std::fabs(tx) >= std::fabs(ty) : (which == Left || which == Right);
        // The orientation is the one the drag began with: a rectangle pulled past square keeps
        // its chosen shape instead of turning it. A side pulled past the opposite one leaves
        // nothing, and the minimum below takes over.
        const bool tall = I.size.width < I.size.height;
        r.size = {std::fmax(r.size.width, 0), std::fmax(r.size.height, 0)};
        const CGRect c = byWidth ? constrainedRectWithRectBasisOfWidth(r, fixedAspectRatio_, tall)
                                 : constrainedRectWithRectBasisOfHeight(r, fixedAspectRatio_, tall);
        CGRect locked = c;
        if (corner && movesLeft) locked.origin.x = c.origin.x - (c.size.width - r.size.width);
        if (corner && movesTop) locked.origin.y = c.origin.y - (c.size.height - r.size.height);
        // Below the minimum it is the least rectangle of its ratio that meets both, so the
        // ratio holds; the edges opposite the dragged ones stay where the drag began.
        const double wide = tall ? fixedAspectRatio_ : 1 / fixedAspectRatio_;  // width over height
        const CGFloat least = std::fmax(minWidth, minHeight * wide);
        if (!(locked.size.width >= least)) {
            locked.size = {least, least / wide};
            locked.origin.x = movesLeft ? CGRectGetMaxX(I) - locked.size.width : I.origin.x;
            locked.origin.y = movesTop ? CGRectGetMaxY(I) - locked.size.height : I.origin.y;
        }
        return locked;
    }

    // The minimum applies to the signed size, so a handle dragged past the opposite side
    // gives the minimum too; the edge opposite the dragged one stays where the drag began.
    if (r.size.width < minWidth) {
        r.size.width = minWidth;
        r.origin.x = movesLeft ? CGRectGetMaxX(I) - minWidth : I.origin.x;
    }
    if (r.size.height < minHeight) {
        r.size.height = minHeight;
        r.origin.y = movesTop ? CGRectGetMaxY(I) - minHeight : I.origin.y;
    }
    return r;
}
