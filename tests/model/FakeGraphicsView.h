#pragma once
// A stand-in for the render view as the editing model's engine: remembers parameter values,
// the pushed mode and master values, and counts redraws. The main run loop runs on a manual
// clock while it exists, so throttled redraws happen when a test moves the clock (`settle`).
#include <map>
#include <string>
#include <variant>
#include <vector>

#include "model/EditingEngine.h"
#include "model/GraphicsTypeController.h"
#include "platform/foundation/NSRunLoop.h"

class FakeGraphicsView : public EditingEngine {
public:
    FakeGraphicsView() {
        GraphicsTypeController::cancelPendingRedraw();
        if (liveFakes()++ == 0) NSRunLoop::mainRunLoop().useManualClock(0);
        GraphicsTypeController::setEngine(this);
    }
    ~FakeGraphicsView() override {
        GraphicsTypeController::releaseEngine(this);
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
    void setMode(const Modes::AdjustmentDictionary& adjustments, const Modes::ModeSelection& selection,
                 const Modes::AdjustmentNameSet& excluded) override {
        uniqueId = selection.uniqueId;
        brightnessRange = selection.brightnessRange;
        contrastRange = selection.contrastRange;
        push(adjustments, &excluded, true);
    }
    void setAdjustments(const Modes::AdjustmentDictionary& adjustments,
                        const Modes::AdjustmentNameSet* excluded) override {
        push(adjustments, excluded, false);
    }
    float master(Master which) override { return masters[masterKey(which)]; }
    void setMaster(Master which, float value) override { masters[masterKey(which)] = value; }
    float masterDefault(Master which) override {
        switch (which) {
        case Master::Brightness: return 0.4f;
        case Master::Contrast: return 0.3f;
        case Master::FilmicStrength: return 0.2f;
        case Master::Noise: return 0.25f;
        case Master::ColorStrength: return 0.8f;
        case Master::Vignette: break;
        }
        return master(which);
    }
    bool realtimeNoiseReductionAvailable() const override { return realtimeNoiseReduction; }
    void adjustmentWillBeginChange() override { ++begins; }
    void adjustmentWillFinishChange() override { ++finishes; }
    bool isAnimating() const override { return animating; }
    void redraw(bool useCache) override { redraws.push_back(useCache); }

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

private:
    static std::string masterKey(Master which) {
        switch (which) {
        case Master::Brightness: return "brightness";
        case Master::Contrast: return "contrast";
        case Master::FilmicStrength: return "filmicStrength";
        case Master::Noise: return "noise";
        case Master::Vignette: return "vignette";
        case Master::ColorStrength: return "colorStrength";
        }
        return {};
    }
    // Records the push and stores its values, skipping excluded names.
    void push(const Modes::AdjustmentDictionary& adjustments, const Modes::AdjustmentNameSet* excluded, bool cache) {
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
};
