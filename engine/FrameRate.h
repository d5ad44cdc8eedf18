#pragma once
// Frames-per-second meter: a ring of the time stamps of the last rendered frames.

#include <cstdint>
#include <functional>
#include <vector>

class FrameRate {
public:
    // A monotonic clock in its own units; secondsPerUnit converts a difference to seconds.
    using Clock = std::function<uint64_t()>;

    static constexpr uint64_t kDefaultCapacity = 32;

    // The steady clock of the process, counted in nanoseconds.
    FrameRate();
    // A meter over the given clock (tests drive it by hand).
    FrameRate(Clock clock, double secondsPerUnit);

    // Empties the ring, zeroes the tick count and keeps (or sets) the capacity.
    void Reset();
    void Reset(uint64_t capacity);

    // Records the time of one rendered frame.
    void Tick();

    // Frames per second over the stamps held; 0 with fewer than two stamps or when they span
    // no time (a frame rate is never infinite).
    double GetFrameRate() const;

    uint64_t GetTickCount() const { return tickCount_; }
    uint64_t GetCapacity() const { return capacity_; }
    size_t GetStampCount() const { return stamps_.size(); }

private:
    Clock clock_;
    double secondsPerUnit_ = 0.0;
    std::vector<uint64_t> stamps_;
    uint64_t capacity_ = kDefaultCapacity;
    uint64_t newest_ = 0;
    uint64_t tickCount_ = 0;
};
