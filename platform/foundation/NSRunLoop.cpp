#include "platform/foundation/NSRunLoop.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>
#include <thread>

namespace {

using SteadyClock = std::chrono::steady_clock;

// Captured during static initialisation, which runs on the thread that starts the process.
const std::thread::id gMainThread = std::this_thread::get_id();
const SteadyClock::time_point gProcessStart = SteadyClock::now();

constexpr NSTimeInterval kMinimumInterval = 0.0001;
constexpr NSTimeInterval kNever = std::numeric_limits<NSTimeInterval>::infinity();

NSTimeInterval realNow() { return std::chrono::duration<double>(SteadyClock::now() - gProcessStart).count(); }

SteadyClock::time_point realTimePoint(NSTimeInterval t) {
    if (!std::isfinite(t) || t > 1e9) return SteadyClock::time_point::max();
    return gProcessStart + std::chrono::duration_cast<SteadyClock::duration>(std::chrono::duration<double>(t));
}

}  // namespace

bool NSThread::isMainThread() { return std::this_thread::get_id() == gMainThread; }

// ---- NSTimer ------------------------------------------------------------------------------

NSTimer::NSTimer(NSTimeInterval interval, bool repeats, Block block, std::any userInfo)
    : interval_(interval > 0 ? interval : kMinimumInterval),
      repeats_(repeats),
      block_(std::move(block)),
      userInfo_(std::move(userInfo)) {}

std::shared_ptr<NSTimer> NSTimer::timerWithTimeInterval(NSTimeInterval interval, bool repeats, Block block,
                                                        std::any userInfo) {
    return std::make_shared<NSTimer>(interval, repeats, std::move(block), std::move(userInfo));
}

std::shared_ptr<NSTimer> NSTimer::scheduledTimerWithTimeInterval(NSTimeInterval interval, bool repeats, Block block,
                                                                 std::any userInfo) {
    auto timer = timerWithTimeInterval(interval, repeats, std::move(block), std::move(userInfo));
    NSRunLoop::currentRunLoop().addTimer(timer, NSDefaultRunLoopMode);
    return timer;
}

void NSTimer::fire() {
    Block block;
    {
        std::lock_guard lock(NSRunLoop::mainRunLoop().mutex_);
        if (!valid_) return;
        block = block_;  // a copy: the block may invalidate (and so release) the timer's own
    }
    if (block) block(*this);
    if (!repeats_) invalidate();
}

void NSTimer::invalidate() {
    // Whatever the timer held (its block, its user info, the timer itself when the loop had
    // the last reference) goes only after the lock is given up: their destructors may call
    // back into the loop.
    std::shared_ptr<NSTimer> keep = weak_from_this().lock();
    Block released;
    {
        NSRunLoop& loop = NSRunLoop::mainRunLoop();
        std::lock_guard lock(loop.mutex_);
        if (!valid_) return;
        valid_ = false;
        released = std::move(block_);
        block_ = nullptr;
        if (scheduled_) loop.removeLocked(*this);
    }
}

bool NSTimer::isValid() const {
    std::lock_guard lock(NSRunLoop::mainRunLoop().mutex_);
    return valid_;
}

NSTimeInterval NSTimer::fireDate() const {
    std::lock_guard lock(NSRunLoop::mainRunLoop().mutex_);
    return fireDate_;
}

void NSTimer::setFireDate(NSTimeInterval date) {
    NSRunLoop& loop = NSRunLoop::mainRunLoop();
    std::lock_guard lock(loop.mutex_);
    fireDate_ = date;
    anchor_ = date;
    count_ = 0;
    fireDateSet_ = true;
    order_ = loop.nextOrder_++;
    ++loop.changes_;
    loop.wake_.notify_all();
}

// ---- NSRunLoop ----------------------------------------------------------------------------

NSRunLoop::NSRunLoop() = default;

NSRunLoop& NSRunLoop::mainRunLoop() {
    // Never destroyed: worker threads may still post to it while the process exits.
    static NSRunLoop* loop = new NSRunLoop();
    return *loop;
}

NSRunLoop& NSRunLoop::currentRunLoop() { return mainRunLoop(); }

NSTimeInterval NSRunLoop::nowLocked() const { return manual_ ? manualNow_ : realNow(); }

NSTimeInterval NSRunLoop::now() const {
    std::lock_guard lock(mutex_);
    return nowLocked();
}

void NSRunLoop::useManualClock(NSTimeInterval start) {
    std::lock_guard lock(mutex_);
    manual_ = true;
    manualNow_ = start;
}

void NSRunLoop::useRealClock() {
    std::lock_guard lock(mutex_);
    manual_ = false;
    wake_.notify_all();
}

bool NSRunLoop::hasManualClock() const {
    std::lock_guard lock(mutex_);
    return manual_;
}

NSRunLoopMode NSRunLoop::currentMode() const {
    std::lock_guard lock(mutex_);
    return currentMode_;
}

void NSRunLoop::addCommonMode(const NSRunLoopMode& mode) {
    std::lock_guard lock(mutex_);
    commonModes_.insert(mode);
}

bool NSRunLoop::modeMatches(const NSTimer& timer, const NSRunLoopMode& mode) const {
    if (timer.modes_.count(mode)) return true;
    return timer.modes_.count(NSRunLoopCommonModes) && commonModes_.count(mode);
}

void NSRunLoop::performBlock(Task task) {
    if (!task) return;
    std::lock_guard lock(mutex_);
    tasks_.push_back(std::move(task));
    wake_.notify_all();
}

void NSRunLoop::scheduleLocked(const std::shared_ptr<NSTimer>& timer) {
    if (!timer->fireDateSet_) {
        timer->fireDate_ = nowLocked() + timer->interval_;
        timer->anchor_ = timer->fireDate_;
        timer->count_ = 0;
    }
    timer->order_ = nextOrder_++;
    timer->scheduled_ = true;
    timer->runLoop_ = this;
    timers_.push_back(timer);
    ++changes_;
    wake_.notify_all();
}

void NSRunLoop::removeLocked(NSTimer& timer) {
    timer.scheduled_ = false;
    std::erase_if(timers_, [&](const std::shared_ptr<NSTimer>& t) { return t.get() == &timer; });
}

void NSRunLoop::addTimer(const std::shared_ptr<NSTimer>& timer, const NSRunLoopMode& mode) {
    if (!timer) return;
    std::lock_guard lock(mutex_);
    if (!timer->valid_) return;
    timer->modes_.insert(mode);
    if (!timer->scheduled_) scheduleLocked(timer);
}

void NSRunLoop::performAfterDelay(const void* target, const std::string& key, NSTimeInterval delay, Task task,
                                  const NSRunLoopMode& mode) {
    auto timer = std::make_shared<NSTimer>(
        std::max(delay, 0.0), false, [task = std::move(task)](NSTimer&) { task(); }, std::any{});
    if (delay <= 0) timer->interval_ = 0;  // due in the next pass
    timer->performTarget_ = target;
    timer->performKey_ = key;
    addTimer(timer, mode);
}

void NSRunLoop::performAtDate(NSTimeInterval date, Task task) {
    auto timer = std::make_shared<NSTimer>(
        0, false, [task = std::move(task)](NSTimer&) { task(); }, std::any{});
    timer->fireDate_ = timer->anchor_ = date;
    timer->fireDateSet_ = true;
    addTimer(timer, NSRunLoopCommonModes);
}

void NSRunLoop::cancelPreviousPerformRequests(const void* target) { cancelPerforms(target, nullptr); }

void NSRunLoop::cancelPerforms(const void* target, const std::string* key) {
    std::vector<std::shared_ptr<NSTimer>> released;  // destroyed after the lock is given up
    std::lock_guard lock(mutex_);
    std::erase_if(timers_, [&](const std::shared_ptr<NSTimer>& t) {
        if (!t->performTarget_ || t->performTarget_ != target) return false;
        if (key && t->performKey_ != *key) return false;
        t->valid_ = t->scheduled_ = false;
        released.push_back(t);
        return true;
    });
}

void NSRunLoop::cancelPreviousPerformRequests(const void* target, const std::string& key) {
    cancelPerforms(target, &key);
}

int NSRunLoop::addObserver(Observer observer) {
    std::lock_guard lock(mutex_);
    int id = nextObserverId_++;
    observers_.emplace_back(id, std::move(observer));
    return id;
}

void NSRunLoop::removeObserver(int id) {
    std::lock_guard lock(mutex_);
    std::erase_if(observers_, [id](const auto& o) { return o.first == id; });
}

std::size_t NSRunLoop::pendingTimerCount() const {
    std::lock_guard lock(mutex_);
    return timers_.size();
}

bool NSRunLoop::nextEventDate(NSTimeInterval* date, const NSRunLoopMode& mode) const {
    std::lock_guard lock(mutex_);
    if (!tasks_.empty()) {
        *date = nowLocked();
        return true;
    }
    return nextDueLocked(mode, date);
}

bool NSRunLoop::nextDueLocked(const NSRunLoopMode& mode, NSTimeInterval* date) const {
    bool found = false;
    for (const auto& t : timers_) {
        if (!t->valid_ || !modeMatches(*t, mode)) continue;
        if (!found || t->fireDate_ < *date) *date = t->fireDate_;
        found = true;
    }
    return found;
}

bool NSRunLoop::runOnce(const NSRunLoopMode& mode) {
    NSRunLoopMode previousMode;
    std::vector<Task> tasks;
    {
        std::lock_guard lock(mutex_);
        previousMode = currentMode_;
        currentMode_ = mode;
        tasks.swap(tasks_);
    }
    bool ran = !tasks.empty();
    for (Task& task : tasks) task();
    tasks.clear();

    // Timers due now, in due order; each is checked again just before it fires because an
    // earlier one may have invalidated or moved it.
    std::vector<std::shared_ptr<NSTimer>> due;
    {
        std::lock_guard lock(mutex_);
        NSTimeInterval now = nowLocked();
        for (const auto& t : timers_)
            if (t->valid_ && t->fireDate_ <= now && modeMatches(*t, mode)) due.push_back(t);
        std::sort(due.begin(), due.end(), [](const auto& a, const auto& b) {
            return a->fireDate_ != b->fireDate_ ? a->fireDate_ < b->fireDate_ : a->order_ < b->order_;
        });
    }
    for (const auto& timer : due) {
        NSTimer::Block block;
        {
            std::lock_guard lock(mutex_);
            NSTimeInterval now = nowLocked();
            if (!timer->valid_ || !timer->scheduled_ || timer->fireDate_ > now) continue;
            if (timer->repeats_) {
                // Next due date on the timer's own grid, skipping dates already past.
                std::int64_t n = timer->count_ + 1;
                if (timer->anchor_ + n * timer->interval_ <= now)
                    n = static_cast<std::int64_t>(std::floor((now - timer->anchor_) / timer->interval_)) + 1;
                while (timer->anchor_ + n * timer->interval_ <= now) ++n;
                timer->count_ = n;
                timer->fireDate_ = timer->anchor_ + n * timer->interval_;
                timer->order_ = nextOrder_++;
            } else {
                timer->fireDate_ = kNever;
            }
            block = timer->block_;
        }
        ran = true;
        if (block) block(*timer);
        if (!timer->repeats_) timer->invalidate();
    }

    std::vector<Observer> observers;
    {
        std::lock_guard lock(mutex_);
        for (const auto& o : observers_) observers.push_back(o.second);
    }
    for (Observer& observer : observers)
        if (observer()) ran = true;

    {
        std::lock_guard lock(mutex_);
        currentMode_ = previousMode;
    }
    return ran;
}

void NSRunLoop::runUntilIdle(const NSRunLoopMode& mode) {
    while (runOnce(mode)) {}
}

void NSRunLoop::advance(NSTimeInterval seconds, const NSRunLoopMode& mode) {
    advanceTo(now() + std::max(seconds, 0.0), mode);
}

void NSRunLoop::advanceTo(NSTimeInterval date, const NSRunLoopMode& mode) {
    if (!hasManualClock()) {
        runUntilDate(date, mode);
        return;
    }
    runUntilIdle(mode);
    for (;;) {
        {
            std::lock_guard lock(mutex_);
            NSTimeInterval next = 0;
            if (!nextDueLocked(mode, &next) || next > date) break;
            manualNow_ = std::max(manualNow_, next);
        }
        runUntilIdle(mode);
    }
    {
        std::lock_guard lock(mutex_);
        manualNow_ = std::max(manualNow_, date);
    }
    runUntilIdle(mode);
}

void NSRunLoop::runUntilDate(NSTimeInterval date, const NSRunLoopMode& mode) {
    {
        std::lock_guard lock(mutex_);
        stopRequested_ = false;
    }
    for (;;) {
        if (hasManualClock()) {
            advanceTo(date, mode);
            return;
        }
        runUntilIdle(mode);
        std::unique_lock lock(mutex_);
        if (stopRequested_) {
            stopRequested_ = false;
            return;
        }
        if (nowLocked() >= date) return;
        NSTimeInterval deadline = date;
        NSTimeInterval next = 0;
        if (nextDueLocked(mode, &next)) deadline = std::min(deadline, next);
        std::uint64_t changes = changes_;
        wake_.wait_until(lock, realTimePoint(deadline),
                         [&] { return !tasks_.empty() || stopRequested_ || manual_ || changes_ != changes; });
    }
}

void NSRunLoop::run() { runUntilDate(kNever); }

void NSRunLoop::stop() {
    std::lock_guard lock(mutex_);
    stopRequested_ = true;
    wake_.notify_all();
}
