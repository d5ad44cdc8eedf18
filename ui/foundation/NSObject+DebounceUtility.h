#pragma once
// Running blocks at most once per burst of calls, on the main run loop's timers (so a manual
// clock drives them in tests). Main thread only.
//
// - `executeBlock(block, identifier, interval)`: the first call of an identifier stores its
//   block and runs it once, `interval` later; calls of that identifier until then are
//   dropped (their blocks never run); the next call after that starts a new interval.
// - `executeBlockOnlyOnce(first, then, delay)`: the first call of a burst runs `first` at once
//   and keeps `then`; every call of the burst moves the end of the burst to `delay` after it;
//   at the end `then` (the one kept at the start) runs once. An empty `then` is an empty block.
#include <functional>
#include <string>

struct DebounceUtility {
    using Block = std::function<void()>;
    // The identifier of the burst slot of `executeBlockOnlyOnce`.
    static const std::string kOnlyOnceIdentifier;

    static void executeBlock(Block block, const std::string& identifier, double interval);
    // The identifier "".
    static void executeBlock(Block block, double interval);
    static void executeBlockOnlyOnce(Block first, Block then, double delay);
    // Whether a block waits under the identifier.
    static bool isPending(const std::string& identifier);
};
