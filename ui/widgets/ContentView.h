#pragma once
// A container showing one content view, either fitted plainly to its bounds or, with zooming
// on, inside its own scroll view: the content starts at the scale that fits it (never above 1
// unless `scaleContentToFit`), pinches up to twice that, stays centred while smaller than the
// view, and a double tap zooms in to the maximum about the tapped point or back out to the
// fitting scale. A long press (0.25 s) is reported at its start and its end; every new content
// is reported too. Touches on sliders inside never reach its recognisers.
//
// A zero-size container or content has no fitting scale: the zoom scales keep their previous
// values rather than becoming infinite or NaN.
#include <functional>
#include <memory>

#include "platform/uikit/UILongPressGestureRecognizer.h"
#include "platform/uikit/UIScrollView.h"
#include "platform/uikit/UITapGestureRecognizer.h"

class ContentView : public UIView, public UIGestureRecognizerDelegate, public UIScrollViewDelegate {
public:
    using Completion = std::function<void(bool finished)>;
    static constexpr NSTimeInterval kLongPressDuration = 0.25;
    static constexpr NSTimeInterval kRelativeZoomDuration = 0.2;

    explicit ContentView(CGRect frame = CGRectZero);
    ~ContentView() override;

    bool zoomEnabled() const { return zoomEnabled_; }
    void setZoomEnabled(bool enabled);
    bool scaleContentToFit() const { return scaleContentToFit_; }
    void setScaleContentToFit(bool fit) { scaleContentToFit_ = fit; }
    const std::shared_ptr<UIView>& contentView() const { return contentView_; }
    void setContentView(std::shared_ptr<UIView> view);
    std::function<void(ContentView&)> contentChanged;
    std::function<void(bool began)> longPressBlock;
    const std::shared_ptr<UIScrollView>& scrollView() const { return scrollView_; }
    const std::shared_ptr<UITapGestureRecognizer>& tapGestureRecognizer() const { return tap_; }
    const std::shared_ptr<UITapGestureRecognizer>& doubleTapGestureRecognizer() const { return doubleTap_; }
    const std::shared_ptr<UILongPressGestureRecognizer>& longPressGestureRecognizer() const { return longPress_; }
    CGSize contentViewSize() const { return contentViewSize_; }
    bool zoomed() const;

    // Whether relative zoom changes run inside a view animation (on at start), process-wide.
    static void animateResetZoomScale(bool animate);

    void setGesturesEnabled(bool enabled);
    void layoutContentView();
    void removeContentView();
    void setZoomScalesForContentView();
    void centerContentView();

    // r in [0, 1] between the minimum and maximum zoom scale.
    void setRelativeZoomScale(double r, bool animated, double duration, Completion completion);
    void setRelativeZoomScale(double r, bool animated, Completion completion = nullptr) {
        setRelativeZoomScale(r, animated, kRelativeZoomDuration, std::move(completion));
    }
    double relativeZoomScale() const;
    void resetZoomScale() { setRelativeZoomScale(0, false); }
    void resetZoomScale(Completion completion) { resetZoomScale(kRelativeZoomDuration, std::move(completion)); }
    void resetZoomScale(double seconds, Completion completion);
    void resetZoomScaleAndContentOffset(bool reset, Completion completion);
    void setZoomScaleWithContentView(const ContentView& other);
    CGRect zoomRectForScale(float scale, CGPoint center) const;
    CGRect zoomRectWithCenter(CGPoint center) const;

    // UIGestureRecognizerDelegate
    bool shouldReceiveTouch(UIGestureRecognizer&, const UITouch& touch) override;
    bool shouldBegin(UIGestureRecognizer&) override { return true; }
    bool shouldRecognizeSimultaneously(UIGestureRecognizer&, UIGestureRecognizer&) override { return true; }
    // UIScrollViewDelegate
    std::shared_ptr<UIView> viewForZoomingInScrollView(UIScrollView&) override { return contentView_; }
    void scrollViewDidZoom(UIScrollView&) override { centerContentView(); }
    void scrollViewDidEndZooming(UIScrollView&, UIView*, CGFloat) override;

    void layoutSubviews() override;

protected:
    virtual void handleTapGesture(UIGestureRecognizer&) {}
    virtual void handleDoubleTapGesture(UIGestureRecognizer& recognizer);
    virtual void handleLongPressGesture(UIGestureRecognizer& recognizer);

private:
    // Stands for the container where a delegate is held weakly by shared pointer: owned by
    // the container, so it works from the constructor on and lives exactly as long.
    struct Answerer;
    std::shared_ptr<Answerer> answerer_;

    bool zoomEnabled_ = false;
    bool scaleContentToFit_ = true;
    std::shared_ptr<UIView> contentView_;
    std::shared_ptr<UIScrollView> scrollView_;
    std::shared_ptr<UITapGestureRecognizer> tap_, doubleTap_;
    std::shared_ptr<UILongPressGestureRecognizer> longPress_;
    CGSize contentViewSize_{};
    CGRect layoutBounds_{};
};
