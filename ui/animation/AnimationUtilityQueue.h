#pragma once
// A per-view queue of animation blocks, so that a view's animations could run one after the
// other. It is switched off: `addViews` runs each block at once and `removeViews` does
// nothing. A switch for tests turns it on to exercise the queue itself.
//
// When on: the views handed to one runner call form a group with its own queue; a queue's
// first block is the running one. A new block for views already in a group joins that
// group's queue (dropping the waiting ones, since intermediate animations are skipped) and
// runs when the running one is removed.
#include <functional>
#include <memory>
#include <vector>

#include "platform/uikit/UIView.h"

class AnimationUtilityQueue {
public:
    using Views = std::vector<std::shared_ptr<UIView>>;
    using Block = std::function<void()>;

    static bool useAnimationQueue();
    static bool animateIntermediateAnimations() { return false; }
    // The queue of the first group (in order) holding one of the views, or null.
    static std::vector<Block>* animationQueueForViews(const Views& views);
    static void addView(const std::shared_ptr<UIView>& view, Block block);
    static void addViews(const Views& views, Block block);
    static void removeView(const std::shared_ptr<UIView>& view);
    static void removeViews(const Views& views);

    // Tests only: turns the queue on or off (off by default), emptying it.
    static void setQueueEnabledForTesting(bool enabled);
};
