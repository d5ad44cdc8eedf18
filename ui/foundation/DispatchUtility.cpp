#include "ui/foundation/DispatchUtility.h"

#include <thread>

#include "platform/foundation/NSRunLoop.h"

namespace {

// Off the main thread: block. On it: poll with no time-out between single passes of the run
// loop, so the main queue and timers keep being served while we wait.
template <class Poll>
void waitServingMainRunLoop(Poll poll, const std::function<void()>& blockingWait) {
    if (!NSThread::isMainThread()) {
        blockingWait();
        return;
    }
    while (!poll()) {
        if (!NSRunLoop::mainRunLoop().runOnce()) std::this_thread::yield();
    }
}

}  // namespace

DispatchUtility::DispatchUtility()
    : queue_(dispatch_get_global_queue(DISPATCH_QUEUE_PRIORITY_DEFAULT, 0)), group_(dispatch_group_create()) {}

DispatchUtility::~DispatchUtility() = default;

void DispatchUtility::performBlockAsync(Block block) {
    dispatch_group_async(group_, queue_, [block = std::move(block)] {
        if (block) block();
    });
}

void DispatchUtility::performBlockAsync(Block block, Block completion) {
    dispatch_group_t group = group_;
    dispatch_queue_t queue = queue_;
    dispatch_group_async(group_, queue_, [block = std::move(block), completion = std::move(completion), group, queue] {
        if (block) block();
        dispatch_group_notify(group, queue, [completion] {
            if (completion) dispatch_sync(dispatch_get_main_queue(), completion);
        });
    });
}

void DispatchUtility::performBlockAsyncAndWaitForCompletion(Block block, Block completion) {
    performBlockAsync(std::move(block));
    waitForCompletion();
    dispatch_group_notify(group_, queue_, [completion = std::move(completion)] {
        if (completion) dispatch_sync(dispatch_get_main_queue(), completion);
    });
}

void DispatchUtility::waitForCompletion() {
    dispatch_group_t group = group_;
    waitServingMainRunLoop([&] { return dispatch_group_wait(group, DISPATCH_TIME_NOW) == 0; },
                           [&] { dispatch_group_wait(group, DISPATCH_TIME_FOREVER); });
}

void DispatchUtility::beginWaitingForEventCompletion() {
    std::lock_guard lock(semaphoreMutex_);
    semaphore_ = dispatch_semaphore_create(0);
}

void DispatchUtility::signalEventCompletion() {
    dispatch_semaphore_t semaphore;
    {
        std::lock_guard lock(semaphoreMutex_);
        semaphore = semaphore_;
    }
    if (semaphore) dispatch_semaphore_signal(semaphore);
}

void DispatchUtility::waitForEventCompletion() {
    dispatch_semaphore_t semaphore;
    {
        std::lock_guard lock(semaphoreMutex_);
        semaphore = semaphore_;
    }
    if (!semaphore) return;
    waitServingMainRunLoop([&] { return dispatch_semaphore_wait(semaphore, DISPATCH_TIME_NOW) == 0; },
                           [&] { dispatch_semaphore_wait(semaphore, DISPATCH_TIME_FOREVER); });
    std::lock_guard lock(semaphoreMutex_);
    if (semaphore_ == semaphore) semaphore_.reset();
}

bool DispatchUtility::waitingForEventCompletion() const {
    std::lock_guard lock(semaphoreMutex_);
    return semaphore_ != nullptr;
}

std::unique_ptr<DispatchUtility> DispatchUtility::beginWaitingForEventCompletionUtility() {
    auto utility = std::make_unique<DispatchUtility>();
    utility->beginWaitingForEventCompletion();
    return utility;
}

void DispatchUtility::waitForEventCompletionAndRelease(std::unique_ptr<DispatchUtility> utility) {
    if (utility) utility->waitForEventCompletion();
}

void DispatchUtility::performBlockOnMainThread(Block block, bool waitForCompletion) {
    if (!block) return;
    if (!waitForCompletion) {
        dispatch_async(dispatch_get_main_queue(), std::move(block));
    } else if (NSThread::isMainThread()) {
        // Waiting on the main queue from the main thread could never end: run it here.
        block();
    } else {
        dispatch_sync(dispatch_get_main_queue(), std::move(block));
    }
}
