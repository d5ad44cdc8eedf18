#pragma once
// A processing stage as the parameter setters see it: the program pair it draws with, which of
// its steps are written into the program text (a change there rebuilds the pair), and the
// values of the uniforms that text declares. The stage's builder sets the same list on a new
// program, so a live change and a fresh build give the same picture.
//
// A stage is a function of the engine's settings and of the small context below, never of the
// engine itself: the engine makes the context, the stage reads it.

#include <cstdint>
#include <initializer_list>

#include "engine/LookTexture.h"
#include "engine/UniformValue.h"
#include "gpu/Math.h"

struct sEngineSettings;

// What the stages read beside the settings.
struct sStageContext {
    // Float precision of the program variant the values are for (0 lowp, 1 mediump, 2 highp).
    int32_t precision = 2;
    // The look texture the colour adjustment samples; null where there is none to keep.
    LookTexture* lookTexture = nullptr;
    // uSplit: the compare split's point in level-0 pixels and the direction of its normal.
    QV::Math::CVector4<float> split{0.0f, 0.0f, 1.0f, 0.0f};

    // Whether the look texture holds a texture (a look that could not be loaded has none).
    bool LookAvailable() const { return lookTexture && lookTexture->get(); }
};

struct sProcessingStage {
    int32_t pair;
    // One bit per step that the text holds or leaves out.
    uint64_t (*activity)(const sEngineSettings& settings);
    UniformList (*uniforms)(const sEngineSettings& settings, const sStageContext& context);
    // What else goes when the activity changes, before the pair is released (may be null).
    void (*released)(const sStageContext& context, uint64_t before, uint64_t after) = nullptr;
};

// The stages whose programs take live uniform changes.
extern const sProcessingStage kColorAdjustmentStage;
extern const sProcessingStage kBrightnessStage;
extern const sProcessingStage kColorCorrectionStage;
extern const sProcessingStage kLocalContrastStage;

// Packs activity flags into a mask, the first flag in bit 0.
constexpr uint64_t ActivityMask(std::initializer_list<bool> flags) {
    uint64_t mask = 0;
    int bit = 0;
    for (bool flag : flags) mask |= static_cast<uint64_t>(flag) << bit++;
    return mask;
}
