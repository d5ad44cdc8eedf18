#include "platform/quartzcore/CADisplayLink.h"

#include <cmath>

std::shared_ptr<CADisplayLink> CADisplayLink::displayLinkWithTarget(Block block) {
    return std::make_shared<CADisplayLink>(std::move(block));
}

CADisplayLink::CADisplayLink(Block block) : block_(std::move(block)) {}

CADisplayLink::~CADisplayLink() {
    if (timer_) timer_->invalidate();
}

void CADisplayLink::addToRunLoop(NSRunLoop&, const NSRunLoopMode& mode) {
    if (!valid_ || modes_.count(mode)) return;
    modes_.insert(mode);
    reschedule();
}

void CADisplayLink::removeFromRunLoop(NSRunLoop&, const NSRunLoopMode& mode) {
    if (modes_.erase(mode)) reschedule();
}

void CADisplayLink::invalidate() {
    if (!valid_) return;
    valid_ = false;
    modes_.clear();
    auto timer = std::move(timer_);
    Block released = std::move(block_);
    block_ = nullptr;
    if (timer) timer->invalidate();  // releases the timer's hold on this link
}

void CADisplayLink::setPaused(bool paused) {
    if (paused == paused_) return;
    paused_ = paused;
    reschedule();
}

void CADisplayLink::setFrameInterval(long interval) {
    if (interval < 1 || interval == frameInterval_) return;
    frameInterval_ = interval;
    reschedule();
}

// The link's timer fires on the refresh grid: the first refresh after now, then every
// `frameInterval` refreshes.
void CADisplayLink::reschedule() {
    if (timer_) {
        timer_->invalidate();
        timer_ = nullptr;
    }
    if (!valid_ || paused_ || modes_.empty()) return;
    NSRunLoop& loop = NSRunLoop::mainRunLoop();
    const double refresh = std::floor(loop.now() * kRefreshRate + 1e-6) + 1;
    timer_ = NSTimer::timerWithTimeInterval(static_cast<double>(frameInterval_) / kRefreshRate, true,
                                            [self = shared_from_this()](NSTimer&) { self->fire(); });
    timer_->setFireDate(refresh / kRefreshRate);
    for (const NSRunLoopMode& mode : modes_) loop.addTimer(timer_, mode);
}

namespace {
uint64_t gFireCount = 0;  // main thread only, as every link fires there
}  // namespace

uint64_t CADisplayLink::fireCount() { return gFireCount; }

void CADisplayLink::fire() {
    ++gFireCount;
    timestamp_ = NSRunLoop::mainRunLoop().now();
    Block block = block_;  // the block may invalidate the link
    if (block) block(*this);
}
