#pragma once
// A stand-in for the render view: remembers parameter values, the pushed mode and master
// values, and counts redraws. The main run loop runs on a manual clock while it exists, so
// throttled redraws happen when a test moves the clock (`settle`).
#include <map>
#include <string>
#include <vector>

#include "model/GraphicsTypeController.h"
#include "model/GraphicsViewLink.h"
#include "platform/foundation/NSRunLoop.h"

class FakeGraphicsView : public GraphicsViewLink {
public:
    FakeGraphicsView() {
        GraphicsTypeController::cancelPendingRedraw();
        if (liveFakes()++ == 0) NSRunLoop::mainRunLoop().useManualClock(0);
        GraphicsViewLink::setShared(this);
    }
    ~FakeGraphicsView() override {
        GraphicsViewLink::setShared(nullptr);
        GraphicsTypeController::cancelPendingRedraw();
        if (--liveFakes() == 0) NSRunLoop::mainRunLoop().useRealClock();
    }

    // Lets every throttled redraw happen.
    void settle() { NSRunLoop::mainRunLoop().advance(1.0); }

    float getAdjustment(const std::string& name) override { return values[name]; }
    std::string getAdjustmentString(const std::string& name) override {
        auto text = strings.find(name);
        return text != strings.end() ? text->second : std::to_string(values[name]);
    }
    void setAdjustment(const std::string& name, float value) override {
        values[name] = value;
        strings.erase(name);
    }
    float getCachedAdjustment(const std::string& name) override { return cached[name]; }
    void setAdjustments(const Modes::AdjustmentDictionary& adjustments, const Modes::AdjustmentNameSet* excluded,
                        bool cache) override {
        pushes.push_back({adjustments, excluded ? *excluded : Modes::AdjustmentNameSet{}, cache});
        for (const auto& [name, value] : adjustments) {
            if (excluded && excluded->count(name)) continue;
            if (const float* number = std::get_if<float>(&value)) {
                setAdjustment(name, *number);
                if (cache) cached[name] = *number;
            } else {
                strings[name] = std::get<std::string>(value);
            }
        }
    }
    void setBrightnessContrastUniqueId(const std::string& id) override { uniqueId = id; }
    void setBrightnessRange(Modes::AdjustmentRange range) override { brightnessRange = range; }
    void setContrastRange(Modes::AdjustmentRange range) override { contrastRange = range; }
    float brightness() override { return masters["brightness"]; }
    void setBrightness(float value) override { masters["brightness"] = value; }
    float contrast() override { return masters["contrast"]; }
    void setContrast(float value) override { masters["contrast"] = value; }
    float filmicStrength() override { return masters["filmicStrength"]; }
    void setFilmicStrength(float value) override { masters["filmicStrength"] = value; }
    float noise() override { return masters["noise"]; }
    void setNoise(float value) override { masters["noise"] = value; }
    float defaultNoise() override { return 0.25f; }
    float vignette() override { return masters["vignette"]; }
    void setVignette(float value) override { masters["vignette"] = value; }
    float getCachedMasterAdjustment(MasterAdjustment which) override {
        switch (which) {
            case MasterAdjustment::Brightness: return 0.4f;
            case MasterAdjustment::Contrast: return 0.3f;
            case MasterAdjustment::FilmicStrength: return 0.2f;
        }
        return 0;
    }
    float colorStrength() override { return masters["colorStrength"]; }
    void setColorStrength(float value) override { masters["colorStrength"] = value; }
    float defaultColorStrength() override { return 0.8f; }
    bool useRealtimeNoiseReduction() override { return realtimeNoiseReduction; }
    void adjustmentWillBeginChange() override { ++begins; }
    void adjustmentWillFinishChange() override { ++finishes; }
    bool isAnimating() override { return animating; }
    void reconstructAndDrawView(bool useCache) override { redraws.push_back(useCache); }

    static int& liveFakes() {
        static int count = 0;
        return count;
    }

    struct Push {
        Modes::AdjustmentDictionary adjustments;
        Modes::AdjustmentNameSet excluded;
        bool cache;
    };

    std::map<std::string, float> values;
    std::map<std::string, std::string> strings;  // enumeration values set by name
    std::map<std::string, float> cached;
    std::map<std::string, float> masters;
    std::vector<Push> pushes;
    std::string uniqueId = "(none pushed)";
    Modes::AdjustmentRange brightnessRange{-1, -1}, contrastRange{-1, -1};
    std::vector<bool> redraws;  // useCache of each redraw
    int begins = 0, finishes = 0;
    bool animating = false;
    bool realtimeNoiseReduction = true;
};
