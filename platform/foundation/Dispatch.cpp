#include "platform/foundation/Dispatch.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <deque>
#include <future>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/foundation/NSRunLoop.h"

namespace {

// The worker threads behind every queue that is not the main queue. Never destroyed: blocks
// still queued when the process exits are dropped with it.
class WorkerPool {
public:
    static WorkerPool& shared() {
        static WorkerPool* pool = new WorkerPool();
        return *pool;
    }

    // level 0 is the highest priority.
    void submit(int level, dispatch_block_t job) {
        std::lock_guard lock(mutex_);
        jobs_[level].push_back(std::move(job));
        if (idle_ == 0 && threads_.size() < maxThreads_) {
            threads_.emplace_back([this] { work(); });
            threads_.back().detach();
        } else {
            ready_.notify_one();
        }
    }

private:
    WorkerPool() : maxThreads_(std::max(4u, std::thread::hardware_concurrency())) {}

    void work() {
        std::unique_lock lock(mutex_);
        for (;;) {
            auto it = std::find_if(jobs_.begin(), jobs_.end(), [](const auto& q) { return !q.empty(); });
            if (it == jobs_.end()) {
                ++idle_;
                ready_.wait(lock);
                --idle_;
                continue;
            }
            dispatch_block_t job = std::move(it->front());
            it->pop_front();
            lock.unlock();
            job();
            job = nullptr;
            lock.lock();
        }
    }

    std::mutex mutex_;
    std::condition_variable ready_;
    std::array<std::deque<dispatch_block_t>, 4> jobs_;
    std::vector<std::thread> threads_;
    unsigned idle_ = 0;
    unsigned maxThreads_;
};

NSTimeInterval secondsOf(dispatch_time_t t) { return static_cast<double>(t - 1) / NSEC_PER_SEC; }

// Times are kept one above the clock's nanoseconds so that 0 stays free for DISPATCH_TIME_NOW.
dispatch_time_t timeOf(NSTimeInterval seconds) {
    return static_cast<dispatch_time_t>(std::llround(std::max(seconds, 0.0) * NSEC_PER_SEC)) + 1;
}

// A deadline for a real-time wait.
std::chrono::steady_clock::time_point waitDeadline(dispatch_time_t timeout) {
    if (timeout == DISPATCH_TIME_FOREVER) return std::chrono::steady_clock::time_point::max();
    if (timeout == DISPATCH_TIME_NOW) return std::chrono::steady_clock::now();
    double remaining = secondsOf(timeout) - NSRunLoop::mainRunLoop().now();
    return std::chrono::steady_clock::now() + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                                  std::chrono::duration<double>(std::max(remaining, 0.0)));
}

}  // namespace

class DispatchQueue : public std::enable_shared_from_this<DispatchQueue> {
public:
    enum class Kind { Main, Global, Serial, Concurrent };
    DispatchQueue(Kind kind, std::string label, int level) : kind(kind), label(std::move(label)), level(level) {}

    void async(dispatch_block_t block) {
        switch (kind) {
        case Kind::Main: NSRunLoop::mainRunLoop().performBlock(std::move(block)); return;
        case Kind::Global:
        case Kind::Concurrent: WorkerPool::shared().submit(level, std::move(block)); return;
        case Kind::Serial: {
            std::lock_guard lock(mutex_);
            pending_.push_back(std::move(block));
            if (draining_) return;
            draining_ = true;
        }
            WorkerPool::shared().submit(level, [self = shared_from_this()] { self->drain(); });
            return;
        }
    }

    const Kind kind;
    const std::string label;
    const int level;

private:
    // Runs the serial queue's blocks one after another until it is empty.
    void drain() {
        for (;;) {
            dispatch_block_t block;
            {
                std::lock_guard lock(mutex_);
                if (pending_.empty()) {
                    draining_ = false;
                    return;
                }
                block = std::move(pending_.front());
                pending_.pop_front();
            }
            block();
        }
    }

    std::mutex mutex_;
    std::deque<dispatch_block_t> pending_;
    bool draining_ = false;
};

class DispatchGroup {
public:
    std::mutex mutex;
    std::condition_variable emptied;
    long count = 0;
    std::vector<std::pair<dispatch_queue_t, dispatch_block_t>> notifications;
};

class DispatchSemaphore {
public:
    std::mutex mutex;
    std::condition_variable signalled;
    long value = 0;
    long waiters = 0;
};

dispatch_time_t dispatch_time(dispatch_time_t when, std::int64_t delta) {
    if (when == DISPATCH_TIME_FOREVER) return DISPATCH_TIME_FOREVER;
    NSTimeInterval base = when == DISPATCH_TIME_NOW ? NSRunLoop::mainRunLoop().now() : secondsOf(when);
    return timeOf(base + static_cast<double>(delta) / NSEC_PER_SEC);
}

dispatch_queue_t dispatch_get_main_queue() {
    static dispatch_queue_t queue = std::make_shared<DispatchQueue>(DispatchQueue::Kind::Main, "main", 0);
    return queue;
}

dispatch_queue_t dispatch_get_global_queue(long priority, unsigned long) {
    static const std::array<dispatch_queue_t, 4> queues = {
        std::make_shared<DispatchQueue>(DispatchQueue::Kind::Global, "global.high", 0),
        std::make_shared<DispatchQueue>(DispatchQueue::Kind::Global, "global.default", 1),
        std::make_shared<DispatchQueue>(DispatchQueue::Kind::Global, "global.low", 2),
        std::make_shared<DispatchQueue>(DispatchQueue::Kind::Global, "global.background", 3)};
    if (priority >= DISPATCH_QUEUE_PRIORITY_HIGH) return queues[0];
    if (priority >= DISPATCH_QUEUE_PRIORITY_DEFAULT) return queues[1];
    if (priority >= DISPATCH_QUEUE_PRIORITY_LOW) return queues[2];
    return queues[3];
}

dispatch_queue_t dispatch_queue_create(const std::string& label, DispatchQueueAttr attr) {
    return std::make_shared<DispatchQueue>(
        attr == DispatchQueueAttr::Serial ? DispatchQueue::Kind::Serial : DispatchQueue::Kind::Concurrent, label, 1);
}

std::string dispatch_queue_get_label(const dispatch_queue_t& queue) { return queue ? queue->label : std::string(); }

void dispatch_async(const dispatch_queue_t& queue, dispatch_block_t block) {
    if (queue && block) queue->async(std::move(block));
}

void dispatch_sync(const dispatch_queue_t& queue, dispatch_block_t block) {
    if (!queue || !block) return;
    bool inline_ = queue->kind == DispatchQueue::Kind::Global || queue->kind == DispatchQueue::Kind::Concurrent ||
                   (queue->kind == DispatchQueue::Kind::Main && NSThread::isMainThread());
    if (inline_) {
        block();
        return;
    }
    std::promise<void> done;
    auto finished = done.get_future();
    queue->async([&] {
        block();
        done.set_value();
    });
    finished.wait();
}

void dispatch_after(dispatch_time_t when, const dispatch_queue_t& queue, dispatch_block_t block) {
    if (!queue || !block || when == DISPATCH_TIME_FOREVER) return;
    NSTimeInterval date = when == DISPATCH_TIME_NOW ? NSRunLoop::mainRunLoop().now() : secondsOf(when);
    NSRunLoop::mainRunLoop().performAtDate(date, [queue, block = std::move(block)]() mutable {
        if (queue->kind == DispatchQueue::Kind::Main) block();  // already on the main run loop: run in this pass
        else queue->async(std::move(block));
    });
}

dispatch_group_t dispatch_group_create() { return std::make_shared<DispatchGroup>(); }

void dispatch_group_enter(const dispatch_group_t& group) {
    std::lock_guard lock(group->mutex);
    ++group->count;
}

void dispatch_group_leave(const dispatch_group_t& group) {
    std::vector<std::pair<dispatch_queue_t, dispatch_block_t>> notifications;
    {
        std::lock_guard lock(group->mutex);
        if (group->count == 0) return;  // unbalanced leave: ignored rather than corrupting the count
        if (--group->count > 0) return;
        notifications.swap(group->notifications);
        group->emptied.notify_all();
    }
    for (auto& [queue, block] : notifications) dispatch_async(queue, std::move(block));
}

void dispatch_group_async(const dispatch_group_t& group, const dispatch_queue_t& queue, dispatch_block_t block) {
    if (!group || !queue || !block) return;
    dispatch_group_enter(group);
    queue->async([group, block = std::move(block)] {
        block();
        dispatch_group_leave(group);
    });
}

long dispatch_group_wait(const dispatch_group_t& group, dispatch_time_t timeout) {
    std::unique_lock lock(group->mutex);
    if (timeout == DISPATCH_TIME_FOREVER) {
        group->emptied.wait(lock, [&] { return group->count == 0; });
        return 0;
    }
    return group->emptied.wait_until(lock, waitDeadline(timeout), [&] { return group->count == 0; }) ? 0 : 1;
}

void dispatch_group_notify(const dispatch_group_t& group, const dispatch_queue_t& queue, dispatch_block_t block) {
    if (!group || !queue || !block) return;
    {
        std::lock_guard lock(group->mutex);
        if (group->count > 0) {
            group->notifications.emplace_back(queue, std::move(block));
            return;
        }
    }
    dispatch_async(queue, std::move(block));
}

dispatch_semaphore_t dispatch_semaphore_create(long value) {
    if (value < 0) return nullptr;
    auto semaphore = std::make_shared<DispatchSemaphore>();
    semaphore->value = value;
    return semaphore;
}

long dispatch_semaphore_signal(const dispatch_semaphore_t& semaphore) {
    std::lock_guard lock(semaphore->mutex);
    ++semaphore->value;
    semaphore->signalled.notify_one();
    return semaphore->waiters > 0 ? 1 : 0;
}

long dispatch_semaphore_wait(const dispatch_semaphore_t& semaphore, dispatch_time_t timeout) {
    std::unique_lock lock(semaphore->mutex);
    ++semaphore->waiters;
    bool taken;
    if (timeout == DISPATCH_TIME_FOREVER) {
        semaphore->signalled.wait(lock, [&] { return semaphore->value > 0; });
        taken = true;
    } else {
        taken = semaphore->signalled.wait_until(lock, waitDeadline(timeout), [&] { return semaphore->value > 0; });
    }
    --semaphore->waiters;
    if (!taken) return 1;
    --semaphore->value;
    return 0;
}
