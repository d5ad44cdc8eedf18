#pragma once
// A recorder for engine tests: counts the engine's calls, answers start as told and samples
// every frame it is handed through the frame source.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/VideoRecorder.h"

struct FakeRecorder : VideoRecorder {
    int frames = 0, audio = 0, starts = 0, stops = 0;
    bool startResult = true, isStarted = false;
    int32_t width = 0, height = 0;
    double preferredWidth = 0, preferredHeight = 0;
    std::shared_ptr<VideoFrameSource> source;
    std::vector<uint8_t> lastSample;
    sFrameTime lastTime = sFrameTime::Unset();

    void setPreferredOutputSize(double w, double h) override { preferredWidth = w, preferredHeight = h; }
    bool start(int32_t w, int32_t h, std::shared_ptr<VideoFrameSource> frameSource, bool) override {
        ++starts;
        width = w, height = h;
        source = std::move(frameSource);
        return isStarted = startResult;
    }
    bool started() const override { return isStarted; }
    void stop() override { ++stops, isStarted = false; }
    std::string filename() const override { return "movie.mov"; }
    void recordFrame() override {
        ++frames;
        if (!source) return;
        lastSample.assign(static_cast<size_t>(width) * height * 4, 0);
        EXPECT_TRUE(source->sample(lastSample.data(), static_cast<uint64_t>(width) * 4));
        EXPECT_TRUE(source->sampleTime(&lastTime));
    }
    void recordAudio(const AudioSampleRef&) override { ++audio; }
};
