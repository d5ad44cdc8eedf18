#include "ui/animation/AnimationUtilityQueue.h"

#include <algorithm>

namespace {

struct Queues {
    bool enabled = false;
    std::vector<AnimationUtilityQueue::Views> groups;
    std::vector<std::vector<AnimationUtilityQueue::Block>> queues;  // queues[i] belongs to groups[i]
};

Queues& state() {
    static Queues queues;
    return queues;
}

// The index of the first group holding one of the views, or -1.
long indexForViews(const AnimationUtilityQueue::Views& views) {
    const auto& groups = state().groups;
    for (std::size_t i = 0; i < groups.size(); ++i)
        for (const auto& view : groups[i])
            if (std::find(views.begin(), views.end(), view) != views.end()) return static_cast<long>(i);
    return -1;
}

}  // namespace

bool AnimationUtilityQueue::useAnimationQueue() { return state().enabled; }

void AnimationUtilityQueue::setQueueEnabledForTesting(bool enabled) {
    state() = Queues{};
    state().enabled = enabled;
}

std::vector<AnimationUtilityQueue::Block>* AnimationUtilityQueue::animationQueueForViews(const Views& views) {
    const long i = indexForViews(views);
    return i < 0 ? nullptr : &state().queues[static_cast<std::size_t>(i)];
}

void AnimationUtilityQueue::addView(const std::shared_ptr<UIView>& view, Block block) {
    addViews({view}, std::move(block));
}

void AnimationUtilityQueue::addViews(const Views& views, Block block) {
    if (!block) return;
    if (!useAnimationQueue()) return block();
    Queues& s = state();
    long i = indexForViews(views);
    if (i < 0) {
        s.queues.emplace_back();
        s.groups.push_back(views);
        i = static_cast<long>(s.queues.size()) - 1;
    }
    auto& queue = s.queues[static_cast<std::size_t>(i)];
    if (!animateIntermediateAnimations() && queue.size() > 1) queue.resize(1);
    queue.push_back(block);
    if (queue.size() == 1) block();  // a copy: the block may change the queues
}

void AnimationUtilityQueue::removeView(const std::shared_ptr<UIView>& view) { removeViews({view}); }

void AnimationUtilityQueue::removeViews(const Views& views) {
    if (!useAnimationQueue()) return;
    Queues& s = state();
    const long i = indexForViews(views);
    if (i < 0) return;
    auto& queue = s.queues[static_cast<std::size_t>(i)];
    if (!queue.empty()) queue.erase(queue.begin());
    if (queue.empty()) {
        s.queues.erase(s.queues.begin() + i);
        s.groups.erase(s.groups.begin() + i);
        return;
    }
    Block next = queue.front();
    next();
}
