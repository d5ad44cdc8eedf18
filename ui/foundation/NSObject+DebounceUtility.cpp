#include "ui/foundation/NSObject+DebounceUtility.h"

#include <map>
#include <memory>

#include "platform/foundation/NSRunLoop.h"

const std::string DebounceUtility::kOnlyOnceIdentifier = "kOnlyOnceIdentifier";

namespace {

// Process-wide, main thread only: the pending block of each identifier, and the timer of the
// burst slot.
std::map<std::string, DebounceUtility::Block>& pendingBlocks() {
    static auto* blocks = new std::map<std::string, DebounceUtility::Block>;
    return *blocks;
}

std::shared_ptr<NSTimer>& onlyOnceTimer() {
    static auto* timer = new std::shared_ptr<NSTimer>;
    return *timer;
}

// The timer's fire handler: runs the identifier's pending block once. The entry goes first, so
// the block itself may start a new interval.
std::shared_ptr<NSTimer> scheduleRaise(const std::string& identifier, double delay) {
    return NSTimer::scheduledTimerWithTimeInterval(
        delay, false,
        [identifier](NSTimer& timer) {
            auto& blocks = pendingBlocks();
            auto it = blocks.find(identifier);
            if (it != blocks.end()) {
                DebounceUtility::Block block = std::move(it->second);
                blocks.erase(it);
                if (block) block();
            }
            timer.invalidate();
        },
        std::string(identifier));
}

DebounceUtility::Block orEmpty(DebounceUtility::Block block) {
    return block ? std::move(block) : [] {};
}

}  // namespace

void DebounceUtility::executeBlock(Block block, const std::string& identifier, double interval) {
    auto& blocks = pendingBlocks();
    if (blocks.count(identifier)) return;
    scheduleRaise(identifier, interval);
    blocks[identifier] = orEmpty(std::move(block));
}

void DebounceUtility::executeBlock(Block block, double interval) { executeBlock(std::move(block), "", interval); }

void DebounceUtility::executeBlockOnlyOnce(Block first, Block then, double delay) {
    auto& blocks = pendingBlocks();
    auto& timer = onlyOnceTimer();
    if (blocks.count(kOnlyOnceIdentifier)) {
        if (timer) timer->invalidate();
        timer = scheduleRaise(kOnlyOnceIdentifier, delay);
        return;
    }
    if (first) first();
    timer = scheduleRaise(kOnlyOnceIdentifier, delay);
    blocks[kOnlyOnceIdentifier] = orEmpty(std::move(then));
}

bool DebounceUtility::isPending(const std::string& identifier) { return pendingBlocks().count(identifier) != 0; }
