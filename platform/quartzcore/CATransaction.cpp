#include "platform/quartzcore/CATransaction.h"

#include <algorithm>
#include <limits>
#include <memory>
#include <vector>

#include "platform/foundation/NSRunLoop.h"
#include "platform/quartzcore/CALayer.h"

namespace {

struct Transaction {
    bool disableActions = false;
    CFTimeInterval duration = 0.25;
    std::function<void()> completion;
    CFTimeInterval latestEnd = -std::numeric_limits<double>::infinity();
};

// Main thread only, like everything of the layer tree.
std::vector<Transaction>& open() {
    static std::vector<Transaction> transactions;
    return transactions;
}
std::vector<std::weak_ptr<CALayer>>& pendingLayers() {
    static std::vector<std::weak_ptr<CALayer>> layers;
    return layers;
}

}  // namespace

void CATransaction::begin() { open().emplace_back(); }

void CATransaction::commit() {
    auto& stack = open();
    if (stack.empty()) return;
    Transaction t = std::move(stack.back());
    stack.pop_back();
    if (!stack.empty()) stack.back().latestEnd = std::max(stack.back().latestEnd, t.latestEnd);
    else flush();
    if (!t.completion) return;
    NSRunLoop& loop = NSRunLoop::mainRunLoop();
    if (t.latestEnd > loop.now()) loop.performAtDate(t.latestEnd, std::move(t.completion));
    else loop.performBlock(std::move(t.completion));
}

bool CATransaction::flush() {
    auto layers = std::move(pendingLayers());
    pendingLayers().clear();
    if (layers.empty()) return false;
    std::vector<std::shared_ptr<CALayer>> roots;
    for (const auto& weak : layers) {
        auto layer = weak.lock();
        if (!layer) continue;
        CALayer* root = layer.get();
        while (root->superlayer()) root = root->superlayer();
        auto owned = root->weak_from_this().lock();
        if (owned && std::find(roots.begin(), roots.end(), owned) == roots.end()) roots.push_back(owned);
    }
    for (const auto& root : roots) root->layoutIfNeeded();
    for (const auto& root : roots) root->displayIfNeeded();
    return true;
}

bool CATransaction::hasPendingWork() {
    return std::any_of(pendingLayers().begin(), pendingLayers().end(),
                       [](const std::weak_ptr<CALayer>& layer) { return !layer.expired(); });
}

bool CATransaction::disableActions() { return !open().empty() && open().back().disableActions; }
void CATransaction::setDisableActions(bool disable) {
    if (!open().empty()) open().back().disableActions = disable;
}
CFTimeInterval CATransaction::animationDuration() { return open().empty() ? 0.25 : open().back().duration; }
void CATransaction::setAnimationDuration(CFTimeInterval duration) {
    if (!open().empty()) open().back().duration = duration;
}
void CATransaction::setCompletionBlock(std::function<void()> block) {
    if (!open().empty()) open().back().completion = std::move(block);
    else if (block) NSRunLoop::mainRunLoop().performBlock(std::move(block));  // no transaction: nothing to wait for
}

void CATransaction::scheduleFlush(CALayer& layer) {
    static bool observing = false;
    if (!observing) {
        observing = true;
        NSRunLoop::mainRunLoop().addObserver([] { return CATransaction::flush(); });
    }
    pendingLayers().push_back(layer.weak_from_this());
}

void CATransaction::noteAnimationEnd(CFTimeInterval endTime) {
    if (!open().empty()) open().back().latestEnd = std::max(open().back().latestEnd, endTime);
}
