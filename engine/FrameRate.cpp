#include "engine/FrameRate.h"

#include <chrono>

namespace {

uint64_t SteadyNanoseconds() {
    return static_cast<uint64_t>(
        std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
            .count());
}

}  // namespace

FrameRate::FrameRate() : FrameRate(SteadyNanoseconds, 1e-9) {}

FrameRate::FrameRate(Clock clock, double secondsPerUnit) : clock_(std::move(clock)), secondsPerUnit_(secondsPerUnit) {
    Reset(kDefaultCapacity);
}

void FrameRate::Reset() { Reset(capacity_); }

void FrameRate::Reset(uint64_t capacity) {
    // A ring of no slots could not hold the newest stamp.
    capacity_ = capacity > 0 ? capacity : 1;
    newest_ = 0;
    stamps_.clear();
    stamps_.reserve(capacity_);
    tickCount_ = 0;
}

void FrameRate::Tick() {
    const uint64_t now = clock_();
    if (stamps_.size() < capacity_) {
        stamps_.push_back(now);
        newest_ = stamps_.size() - 1;
    } else {
        newest_ = (newest_ + 1) % capacity_;
        stamps_[newest_] = now;
    }
    ++tickCount_;
}

double FrameRate::GetFrameRate() const {
    const size_t n = stamps_.size();
    if (n < 2) return 0.0;
    const bool full = n == capacity_;
    const uint64_t oldest = (full && newest_ != capacity_ - 1) ? newest_ + 1 : 0;
    if (stamps_[newest_] <= stamps_[oldest]) return 0.0;
    const double seconds = secondsPerUnit_ * static_cast<double>(stamps_[newest_] - stamps_[oldest]);
    return static_cast<double>(n - 1) / seconds;
}
