#pragma once
// Queues of work: the main queue (tasks of the main run loop), the global concurrent queues
// (a pool of worker threads shared by every priority, higher priorities taken first), serial
// queues (one task at a time, in order, on the pool), groups and semaphores.
//
// Times are nanoseconds on the main run loop's clock, so `dispatch_after` follows a manual
// clock in tests: a timed dispatch is kept by the main run loop and handed to its queue when
// due (so it needs the main loop to turn, which it always does in the program). Waits with a
// time-out (groups, semaphores) measure the time-out in real time.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

using dispatch_block_t = std::function<void()>;
using dispatch_time_t = std::uint64_t;

inline constexpr dispatch_time_t DISPATCH_TIME_NOW = 0;
inline constexpr dispatch_time_t DISPATCH_TIME_FOREVER = ~0ull;
inline constexpr std::int64_t NSEC_PER_SEC = 1'000'000'000;
inline constexpr std::int64_t NSEC_PER_MSEC = 1'000'000;

inline constexpr long DISPATCH_QUEUE_PRIORITY_HIGH = 2;
inline constexpr long DISPATCH_QUEUE_PRIORITY_DEFAULT = 0;
inline constexpr long DISPATCH_QUEUE_PRIORITY_LOW = -2;
inline constexpr long DISPATCH_QUEUE_PRIORITY_BACKGROUND = -32768;

class DispatchQueue;
class DispatchGroup;
class DispatchSemaphore;
using dispatch_queue_t = std::shared_ptr<DispatchQueue>;
using dispatch_group_t = std::shared_ptr<DispatchGroup>;
using dispatch_semaphore_t = std::shared_ptr<DispatchSemaphore>;

enum class DispatchQueueAttr { Serial, Concurrent };

// `delta` nanoseconds after `when` (DISPATCH_TIME_NOW: the clock's present).
dispatch_time_t dispatch_time(dispatch_time_t when, std::int64_t delta);

dispatch_queue_t dispatch_get_main_queue();
// The concurrent queue of that priority; `flags` must be 0.
dispatch_queue_t dispatch_get_global_queue(long priority, unsigned long flags);
dispatch_queue_t dispatch_queue_create(const std::string& label, DispatchQueueAttr attr = DispatchQueueAttr::Serial);
std::string dispatch_queue_get_label(const dispatch_queue_t& queue);

void dispatch_async(const dispatch_queue_t& queue, dispatch_block_t block);
// Runs the block on the queue and returns when it has run. On the main queue from the main
// thread, and on a concurrent queue, the block runs at once on the calling thread.
void dispatch_sync(const dispatch_queue_t& queue, dispatch_block_t block);
void dispatch_after(dispatch_time_t when, const dispatch_queue_t& queue, dispatch_block_t block);

dispatch_group_t dispatch_group_create();
void dispatch_group_enter(const dispatch_group_t& group);
void dispatch_group_leave(const dispatch_group_t& group);
void dispatch_group_async(const dispatch_group_t& group, const dispatch_queue_t& queue, dispatch_block_t block);
// 0 when the group emptied before the time-out, non-zero otherwise.
long dispatch_group_wait(const dispatch_group_t& group, dispatch_time_t timeout);
// Submits the block to the queue once the group is empty (at once when it is empty now).
void dispatch_group_notify(const dispatch_group_t& group, const dispatch_queue_t& queue, dispatch_block_t block);

dispatch_semaphore_t dispatch_semaphore_create(long value);
// Non-zero when a waiting thread was woken.
long dispatch_semaphore_signal(const dispatch_semaphore_t& semaphore);
// 0 when the semaphore was taken before the time-out, non-zero otherwise.
long dispatch_semaphore_wait(const dispatch_semaphore_t& semaphore, dispatch_time_t timeout);
