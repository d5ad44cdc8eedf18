// UIView's animation methods: the open animation blocks, the recording of changes made in
// them and the layer animations they become.
#include <algorithm>
#include <cmath>
#include <limits>
#include <tuple>

#include "platform/quartzcore/CABasicAnimation.h"
#include "platform/quartzcore/CACompositor.h"
#include "platform/quartzcore/CAKeyframeAnimation.h"
#include "platform/quartzcore/CASpringAnimation.h"
#include "platform/uikit/UIView.h"

namespace {

// The animations made from one block: its completion runs when the last of them stops.
struct AnimationGroup {
    int pending = 0;
    bool finished = true;
    UIView::Completion completion;
};

}  // namespace

// An open animation block (or a block run without animation, or one key frame of a key-frame
// block) and what changed inside it.
struct UIViewAnimationContext {
    enum class Kind { Block, Disabled, Keyframes, Keyframe };
    struct Change {
        std::weak_ptr<UIView> view;
        std::string keyPath;
        CAValue from;
    };
    // A key path's course through the key frames: (start, end, value) in fractions.
    struct Track {
        std::weak_ptr<UIView> view;
        std::string keyPath;
        CAValue initial;
        std::vector<std::tuple<double, double, CAValue>> segments;
    };

    Kind kind = Kind::Block;
    NSTimeInterval duration = 0.2, delay = 0;
    UIViewAnimationOptions options = 0;
    UIViewAnimationCurve curve = UIViewAnimationCurve::EaseInOut;
    float repeatCount = 0;
    bool autoreverses = false;
    bool fromCurrentState = false;
    std::optional<std::pair<double, double>> spring;  // damping ratio, initial velocity
    UIView::Completion completion;
    std::vector<Change> changes;
    double frameStart = 0, frameDuration = 1;
    std::vector<Track> tracks;

    static std::vector<std::unique_ptr<UIViewAnimationContext>>& open() {
        static std::vector<std::unique_ptr<UIViewAnimationContext>> contexts;
        return contexts;
    }
    static bool& enabled() {
        static bool on = true;
        return on;
    }
    static void endTouchBlocking(UIView& view) { --view.touchBlockingAnimations_; }
    static void beginTouchBlocking(UIView& view) { ++view.touchBlockingAnimations_; }

    static UIViewAnimationContext& push(Kind kind) {
        open().push_back(std::make_unique<UIViewAnimationContext>());
        open().back()->kind = kind;
        return *open().back();
    }
    static std::unique_ptr<UIViewAnimationContext> pop() {
        auto context = std::move(open().back());
        open().pop_back();
        return context;
    }

    // Settings from the options of the block forms.
    void takeOptions(UIViewAnimationOptions o) {
        options = o;
        curve = static_cast<UIViewAnimationCurve>((o >> 16) & 3);
        repeatCount = (o & UIViewAnimationOptionRepeat) ? std::numeric_limits<float>::infinity() : 0;
        autoreverses = o & UIViewAnimationOptionAutoreverse;
        fromCurrentState = o & UIViewAnimationOptionBeginFromCurrentState;
    }

    void record(UIView& view, const char* keyPath) {
        auto weak = view.weak_from_this();
        if (weak.expired()) return;  // not yet owned (still being made): nothing to animate
        for (const Change& c : changes)
            if (c.keyPath == keyPath && !c.view.owner_before(weak) && !weak.owner_before(c.view)) return;
        const CAValue from = fromCurrentState ? CALayerPropertiesValueForKeyPath(view.layer()->presentation(), keyPath)
                                              : view.layer()->valueForKeyPath(keyPath);
        changes.push_back({weak, keyPath, from});
    }

    // The completion with YES when nothing animates: at once for no duration, else after the
    // delay and the duration, as if the block had animated.
    void completeWithoutAnimation() {
        if (!completion) return;
        NSRunLoop& loop = NSRunLoop::mainRunLoop();
        const NSTimeInterval wait = delay + std::max(duration, 0.0);
        if (wait > 0) loop.performAtDate(loop.now() + wait, [c = std::move(completion)] { c(true); });
        else loop.performBlock([c = std::move(completion)] { c(true); });
    }

    // The layer animation's common settings.
    void configure(CAAnimation& animation) const {
        animation.duration = duration;
        animation.repeatCount = repeatCount;
        animation.autoreverses = autoreverses;
        if (delay > 0) {
            animation.beginTime = NSRunLoop::mainRunLoop().now() + delay;
            animation.fillMode = CAFillMode::Backwards;  // the old value shows during the delay
        }
    }

    // With LayoutSubviews, the views changed in the block lay out before it closes, so that the
    // changes their layout makes animate with the rest.
    void layOutChangedViews() {
        if (!(options & UIViewAnimationOptionLayoutSubviews)) return;
        std::vector<std::shared_ptr<UIView>> views;
        for (const Change& change : changes)
            if (auto view = change.view.lock()) views.push_back(view);
        for (const auto& view : views) view->layoutIfNeeded();
    }

    void add(UIView& view, const std::shared_ptr<CAAnimation>& animation, const std::string& keyPath,
             const std::shared_ptr<AnimationGroup>& group) const;

    void commitBlock();
    void commitKeyframes();
};

namespace {

const char* curveName(UIViewAnimationCurve curve) {
    switch (curve) {
    case UIViewAnimationCurve::EaseIn: return kCAMediaTimingFunctionEaseIn.c_str();
    case UIViewAnimationCurve::EaseOut: return kCAMediaTimingFunctionEaseOut.c_str();
    case UIViewAnimationCurve::Linear: return kCAMediaTimingFunctionLinear.c_str();
    default: return kCAMediaTimingFunctionEaseInEaseOut.c_str();
    }
}

// Reports the group's end; holds its view weakly, so an animation never keeps a view alive.
class ViewAnimationDelegate : public CAAnimationDelegate {
public:
    ViewAnimationDelegate(std::weak_ptr<UIView> view, std::shared_ptr<AnimationGroup> group, bool blocksTouches)
        : view_(std::move(view)), group_(std::move(group)), blocksTouches_(blocksTouches) {}

    void animationDidStop(CAAnimation&, bool finished) override {
        if (blocksTouches_) {
            blocksTouches_ = false;
            if (auto view = view_.lock()) UIViewAnimationContext::endTouchBlocking(*view);
        }
        group_->finished = group_->finished && finished;
        if (--group_->pending > 0 || !group_->completion) return;
        auto completion = std::move(group_->completion);
        group_->completion = nullptr;
        completion(group_->finished);
    }

private:
    std::weak_ptr<UIView> view_;
    std::shared_ptr<AnimationGroup> group_;
    bool blocksTouches_;
};

bool sameView(const std::weak_ptr<UIView>& a, const std::weak_ptr<UIView>& b) {
    return !a.owner_before(b) && !b.owner_before(a);
}

}  // namespace

void UIViewAnimationContext::add(UIView& view, const std::shared_ptr<CAAnimation>& animation,
                                 const std::string& keyPath, const std::shared_ptr<AnimationGroup>& group) const {
    const bool blocksTouches = !(options & UIViewAnimationOptionAllowUserInteraction);
    if (blocksTouches) beginTouchBlocking(view);
    animation->setDelegate(std::make_shared<ViewAnimationDelegate>(view.weak_from_this(), group, blocksTouches));
    ++group->pending;
    view.layer()->addAnimation(animation, keyPath);
}

void UIViewAnimationContext::commitBlock() {
    if (duration <= 0 || changes.empty()) return completeWithoutAnimation();
    auto group = std::make_shared<AnimationGroup>();
    group->completion = completion;
    for (const Change& change : changes) {
        auto view = change.view.lock();
        if (!view) continue;
        const CAValue to = view->layer()->valueForKeyPath(change.keyPath);
        if (to == change.from) continue;
        std::shared_ptr<CABasicAnimation> animation;
        if (spring) {
            animation =
                CASpringAnimation::springWithDampingRatio(change.keyPath, spring->first, spring->second, duration);
        } else {
            animation = CABasicAnimation::animationWithKeyPath(change.keyPath);
            animation->timingFunction = CAMediaTimingFunction::functionWithName(curveName(curve));
        }
        configure(*animation);
        animation->fromValue = change.from;
        animation->toValue = to;
        add(*view, animation, change.keyPath, group);
    }
    if (group->pending == 0) completeWithoutAnimation();
}

void UIViewAnimationContext::commitKeyframes() {
    // Changes made outside any key frame run over the whole duration.
    for (const Change& change : changes) {
        auto view = change.view.lock();
        if (!view) continue;
        tracks.push_back(
            {change.view, change.keyPath, change.from, {{0.0, 1.0, view->layer()->valueForKeyPath(change.keyPath)}}});
    }
    if (duration <= 0 || tracks.empty()) return completeWithoutAnimation();
    auto group = std::make_shared<AnimationGroup>();
    group->completion = completion;
    for (Track& track : tracks) {
        auto view = track.view.lock();
        if (!view) continue;
        std::stable_sort(track.segments.begin(), track.segments.end(),
                         [](const auto& a, const auto& b) { return std::get<0>(a) < std::get<0>(b); });
        auto animation = CAKeyframeAnimation::animationWithKeyPath(track.keyPath);
        CAValue current = track.initial;
        double time = 0;
        animation->values = {current};
        animation->keyTimes = {0};
        for (const auto& [start, end, value] : track.segments) {
            if (start > time) {  // hold until the key frame starts
                animation->values.push_back(current);
                animation->keyTimes.push_back(start);
            }
            current = value;
            time = std::max(time, std::min(end, 1.0));
            animation->values.push_back(current);
            animation->keyTimes.push_back(time);
        }
        if (time < 1) {
            animation->values.push_back(current);
            animation->keyTimes.push_back(1);
        }
        if (options & UIViewKeyframeAnimationOptionCalculationModeDiscrete)
            animation->calculationMode = CAAnimationCalculationMode::Discrete;
        configure(*animation);
        add(*view, animation, track.keyPath, group);
    }
    if (group->pending == 0) completeWithoutAnimation();
}

// ---- Recording -----------------------------------------------------------------------------

void UIView::willChangeAnimatable(const char* keyPath) {
    auto& open = UIViewAnimationContext::open();
    if (open.empty() || !UIViewAnimationContext::enabled()) return;
    UIViewAnimationContext& context = *open.back();
    if (context.kind != UIViewAnimationContext::Kind::Disabled) context.record(*this, keyPath);
}

bool UIView::areAnimationsEnabled() { return UIViewAnimationContext::enabled(); }
void UIView::setAnimationsEnabled(bool enabled) { UIViewAnimationContext::enabled() = enabled; }

void UIView::performWithoutAnimation(const Animations& animations) {
    // Animations stay off for blocks opened inside too, and come back as they were even when
    // the changes throw.
    struct Scope {
        bool was = UIViewAnimationContext::enabled();
        Scope() {
            UIViewAnimationContext::push(UIViewAnimationContext::Kind::Disabled);
            UIViewAnimationContext::enabled() = false;
        }
        ~Scope() {
            UIViewAnimationContext::enabled() = was;
            UIViewAnimationContext::pop();
        }
    } scope;
    if (animations) animations();
}

// ---- Block forms ---------------------------------------------------------------------------

void UIView::animateWithDuration(NSTimeInterval duration, Animations animations, Completion completion) {
    animateWithDuration(duration, 0, 0, std::move(animations), std::move(completion));
}

void UIView::animateWithDuration(NSTimeInterval duration, NSTimeInterval delay, UIViewAnimationOptions options,
                                 Animations animations, Completion completion) {
    UIViewAnimationContext& context = UIViewAnimationContext::push(UIViewAnimationContext::Kind::Block);
    context.duration = duration, context.delay = delay, context.completion = std::move(completion);
    context.takeOptions(options);
    if (animations) animations();
    context.layOutChangedViews();
    UIViewAnimationContext::pop()->commitBlock();
}

void UIView::animateWithDuration(NSTimeInterval duration, NSTimeInterval delay, CGFloat dampingRatio, CGFloat velocity,
                                 UIViewAnimationOptions options, Animations animations, Completion completion) {
    UIViewAnimationContext& context = UIViewAnimationContext::push(UIViewAnimationContext::Kind::Block);
    context.duration = duration, context.delay = delay, context.completion = std::move(completion);
    context.takeOptions(options);
    context.spring = std::make_pair(dampingRatio, velocity);
    if (animations) animations();
    context.layOutChangedViews();
    UIViewAnimationContext::pop()->commitBlock();
}

void UIView::animateKeyframesWithDuration(NSTimeInterval duration, NSTimeInterval delay, UIViewAnimationOptions options,
                                          Animations animations, Completion completion) {
    UIViewAnimationContext& context = UIViewAnimationContext::push(UIViewAnimationContext::Kind::Keyframes);
    context.duration = duration, context.delay = delay, context.completion = std::move(completion);
    context.takeOptions(options & ~(UIViewAnimationOptions{3} << 16));  // key frames run at an even pace
    if (animations) animations();
    UIViewAnimationContext::pop()->commitKeyframes();
}

void UIView::addKeyframeWithRelativeStartTime(double startTime, double relativeDuration, Animations animations) {
    auto& open = UIViewAnimationContext::open();
    if (open.empty() || open.back()->kind != UIViewAnimationContext::Kind::Keyframes) {
        if (animations) animations();  // outside a key-frame block: a plain change
        return;
    }
    UIViewAnimationContext& outer = *open.back();
    UIViewAnimationContext& frame = UIViewAnimationContext::push(UIViewAnimationContext::Kind::Keyframe);
    frame.fromCurrentState = outer.fromCurrentState;
    if (animations) animations();
    auto done = UIViewAnimationContext::pop();
    const double start = std::clamp(startTime, 0.0, 1.0);
    const double end = std::clamp(startTime + std::max(relativeDuration, 0.0), start, 1.0);
    for (const auto& change : done->changes) {
        auto view = change.view.lock();
        if (!view) continue;
        auto it = std::find_if(outer.tracks.begin(), outer.tracks.end(), [&](const auto& t) {
            return t.keyPath == change.keyPath && sameView(t.view, change.view);
        });
        if (it == outer.tracks.end())
            it = outer.tracks.insert(outer.tracks.end(), {change.view, change.keyPath, change.from, {}});
        it->segments.emplace_back(start, end, view->layer()->valueForKeyPath(change.keyPath));
    }
}

// ---- Transitions ---------------------------------------------------------------------------

namespace {

// The view's look now, drawn by the compositor into one picture over its bounds (the view's
// own opacity included, as a screenshot of it would be).
std::shared_ptr<CALayer> snapshotOf(const UIView& view) {
    auto snapshot = CALayer::layer();
    snapshot->setFrame(view.bounds());
    snapshot->setContentsScale(view.layer()->contentsScale());
    if (CGContextRef context = view.layer()->createContentsContext()) {
        CACompositor::render(*view.layer(), context);
        snapshot->setContents(CGBitmapContextCreateImage(context));
    }
    return snapshot;
}

}  // namespace

void UIView::transitionWithView(const std::shared_ptr<UIView>& view, NSTimeInterval duration,
                                UIViewAnimationOptions options, Animations animations, Completion completion) {
    const UIViewAnimationOptions kind = options & (UIViewAnimationOptions{7} << 20);
    if (!view || kind == UIViewAnimationOptionTransitionNone || duration <= 0) {
        if (!view) return;
        return animateWithDuration(duration, 0, options, std::move(animations), std::move(completion));
    }
    // The old look, laid over the view's own content in its bounds.
    auto snapshot = snapshotOf(*view);
    performWithoutAnimation(animations);
    view->layer()->addSublayer(snapshot);

    UIViewAnimationContext& context = UIViewAnimationContext::push(UIViewAnimationContext::Kind::Block);
    context.duration = duration;
    context.takeOptions(options);
    context.completion = [snapshot, completion = std::move(completion)](bool finished) {
        snapshot->removeFromSuperlayer();
        if (completion) completion(finished);
    };
    auto done = UIViewAnimationContext::pop();
    auto group = std::make_shared<AnimationGroup>();
    group->completion = done->completion;
    const auto curve = CAMediaTimingFunction::functionWithName(curveName(done->curve));
    const bool flipAcross =
        kind == UIViewAnimationOptionTransitionFlipFromLeft || kind == UIViewAnimationOptionTransitionFlipFromRight;
    const bool flipUpDown =
        kind == UIViewAnimationOptionTransitionFlipFromTop || kind == UIViewAnimationOptionTransitionFlipFromBottom;
    auto fade = CAKeyframeAnimation::animationWithKeyPath("opacity");
    fade->values = {1.0, 0.0};
    fade->timingFunction = curve;
    if (flipAcross || flipUpDown) {
        // A flip seen flat: the view squashes to a line and opens again with its new look.
        auto squash = CAKeyframeAnimation::animationWithKeyPath(flipAcross ? "transform.scale.x" : "transform.scale.y");
        squash->values = {1.0, 0.0, 1.0};
        squash->timingFunction = curve;
        done->configure(*squash);
        done->add(*view, squash, "transition.squash", group);
        fade->calculationMode = CAAnimationCalculationMode::Discrete;
        fade->keyTimes = {0, 0.5};
    }
    done->configure(*fade);
    fade->fillMode = CAFillMode::Forwards;  // no flash of the old look before it is removed
    fade->removedOnCompletion = false;
    ++group->pending;
    fade->setDelegate(std::make_shared<ViewAnimationDelegate>(std::weak_ptr<UIView>(), group, false));
    snapshot->addAnimation(fade, "transition");
}

// ---- Begin and commit ----------------------------------------------------------------------

void UIView::beginAnimations(const std::string&) { UIViewAnimationContext::push(UIViewAnimationContext::Kind::Block); }

void UIView::commitAnimations() {
    auto& open = UIViewAnimationContext::open();
    if (open.empty() || open.back()->kind != UIViewAnimationContext::Kind::Block) return;
    UIViewAnimationContext::pop()->commitBlock();
}

namespace {

// The innermost open begin/commit block, or null.
UIViewAnimationContext* openBlock() {
    auto& open = UIViewAnimationContext::open();
    return !open.empty() && open.back()->kind == UIViewAnimationContext::Kind::Block ? open.back().get() : nullptr;
}

}  // namespace

void UIView::setAnimationDuration(NSTimeInterval duration) {
    if (auto c = openBlock()) c->duration = duration;
}
void UIView::setAnimationDelay(NSTimeInterval delay) {
    if (auto c = openBlock()) c->delay = delay;
}
void UIView::setAnimationCurve(UIViewAnimationCurve curve) {
    if (auto c = openBlock()) c->curve = curve;
}
void UIView::setAnimationRepeatCount(float count) {
    if (auto c = openBlock()) c->repeatCount = count;
}
void UIView::setAnimationRepeatAutoreverses(bool autoreverses) {
    if (auto c = openBlock()) c->autoreverses = autoreverses;
}
void UIView::setAnimationBeginsFromCurrentState(bool fromCurrentState) {
    if (auto c = openBlock()) c->fromCurrentState = fromCurrentState;
}
void UIView::setAnimationDidStopBlock(Completion block) {
    if (auto c = openBlock()) c->completion = std::move(block);
}
