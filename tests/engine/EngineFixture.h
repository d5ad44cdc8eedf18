#pragma once
// A current graphics device with one engine, and program slots filled with small real
// programs whose uniforms can be read back from GL, so that what a parameter change does to
// the slots (release, uniform push) is observable.

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "engine/AmbrelGraphicsController.h"
#include "gpu/Device.h"
#include "gpu/Shader.h"

class EngineTest : public ::testing::Test {
public:
    static constexpr float kSentinel = -7.0f;

protected:
    struct Slot {
        int32_t pair, variant;
        bool operator<(const Slot& o) const { return pair != o.pair ? pair < o.pair : variant < o.variant; }
    };
    // A uniform value read back from GL: the pair and variant of its program, its name, the
    // components.
    struct Pushed {
        int32_t pair;
        std::string name;
        std::vector<float> value;
    };

    void SetUp() override;
    void TearDown() override;

    // Makes a new engine in place of the current one.
    void Remake();
    // Fills every empty slot of both variants with a program declaring the engine's live
    // uniforms, each set to kSentinel in GL.
    void FillSlots();
    // Pairs whose two slots are both empty.
    std::set<int32_t> EmptyPairs() const;
    // Uniforms whose GL value is no longer kSentinel, on both variants of a pair (reported
    // once per pair, and only when both variants agree).
    std::vector<Pushed> PushedUniforms();
    // The components of one uniform of a slot's program, read back from GL.
    std::vector<float> ReadUniform(QV::Graphics::IShaderProgram* program, const std::string& name);

    std::unique_ptr<QV::Graphics::IDevice> device;
    std::unique_ptr<AmbrelGraphicsController> engine;

private:
    QV::Graphics::IShaderProgram* TakeProgram();
    void ReclaimPrograms();
    std::vector<QV::Graphics::IShaderProgram*> pool;
};
