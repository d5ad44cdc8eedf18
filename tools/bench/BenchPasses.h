#pragma once
// Where a frame's time goes, for the benchmarks that break a frame down.
#include <chrono>
#include <cstdio>
#include <map>
#include <tuple>

#include "engine/RenderPasses.h"
#include "gpu/Device.h"

// Where a frame's time goes: every pass waits for the GPU and is charged to its program pair
// and target size (the Gaussian levels' two separable passes count as one), and so is every
// step of the frame's road outside the passes, by name. The waits
// themselves cost a little, so the sum is somewhat above an unobserved frame.
class PassTimes {
public:
    explicit PassTimes(QV::Graphics::IDevice& device) : device_(device) {
        FramePassObserver() = [this](int32_t pair, int32_t width, int32_t height) {
            device_.Finish();
            const Clock::time_point now = Clock::now();
            times_[{pair, width, height}] += std::chrono::duration<double, std::milli>(now - last_).count();
            last_ = now;
        };
    }
    ~PassTimes() { FramePassObserver() = nullptr; }
    void Start() {
        device_.Finish();
        last_ = Clock::now();
    }
    void Report(const char* what, int64_t frames) const {
        double total = 0;
        for (const auto& [key, ms] : times_) total += ms;
        std::fprintf(stderr, "%s: %.2f ms a frame in passes\n  pair  target       ms/frame  share\n", what,
                     total / double(frames));
        for (const auto& [key, ms] : times_) {
            if (const char* mark = MarkName(std::get<0>(key)))
                std::fprintf(stderr, "  %-24s %8.2f  %4.1f %%\n", mark, ms / double(frames), 100.0 * ms / total);
            else
                std::fprintf(stderr, "  %4d  %5d x %-5d %8.2f  %4.1f %%\n", std::get<0>(key), std::get<1>(key),
                             std::get<2>(key), ms / double(frames), 100.0 * ms / total);
        }
    }

private:
    // The time up to a road mark, by what it covers.
    static const char* MarkName(int32_t pair) {
        switch (pair) {
        case kMarkHandedOver: return "between frames";  // frame made, handed over, composed
        case kMarkUploaded: return "upload";
        case kMarkFrameBegun: return "frame begun";
        case kMarkPresented: return "read back, presented";
        default: return nullptr;
        }
    }
    using Clock = std::chrono::steady_clock;
    QV::Graphics::IDevice& device_;
    std::map<std::tuple<int32_t, int32_t, int32_t>, double> times_;
    Clock::time_point last_;
};
