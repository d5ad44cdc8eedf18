#pragma once
// A stand-in for the render view: remembers parameter values and counts redraws.
#include <map>
#include <string>
#include <vector>

#include "model/GraphicsTypeController.h"
#include "model/GraphicsViewLink.h"

class FakeGraphicsView : public GraphicsViewLink {
public:
    FakeGraphicsView() { GraphicsViewLink::setShared(this); }
    ~FakeGraphicsView() override {
        GraphicsViewLink::setShared(nullptr);
        GraphicsTypeController::setDelayedRedrawScheduler(nullptr);
    }

    float getAdjustment(const std::string& name) override { return values[name]; }
    void setAdjustment(const std::string& name, float value) override { values[name] = value; }
    float getCachedAdjustment(const std::string& name) override { return cached[name]; }
    void adjustmentWillBeginChange() override { ++begins; }
    void adjustmentWillFinishChange() override { ++finishes; }
    bool isAnimating() override { return animating; }
    void reconstructAndDrawView(bool useCache) override { redraws.push_back(useCache); }

    std::map<std::string, float> values;
    std::map<std::string, float> cached;
    std::vector<bool> redraws;  // useCache of each redraw
    int begins = 0, finishes = 0;
    bool animating = false;
};
