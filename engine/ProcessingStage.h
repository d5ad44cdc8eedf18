#pragma once
// A processing stage as the parameter setters see it: the program pair it draws with, which of
// its steps are written into the program text (a change there rebuilds the pair), and the
// values of the uniforms that text declares. The stage's builder sets the same list on a new
// program, so a live change and a fresh build give the same picture.

#include <cstdint>
#include <initializer_list>

#include "engine/UniformValue.h"

class AmbrelGraphicsController;

struct sProcessingStage {
    int32_t pair;
    // One bit per step that the text holds or leaves out.
    uint64_t (*activity)(const AmbrelGraphicsController& engine);
    UniformList (*uniforms)(const AmbrelGraphicsController& engine);
    // What else goes when the activity changes, before the pair is released (may be null).
    void (*released)(AmbrelGraphicsController& engine, uint64_t before, uint64_t after) = nullptr;
};

// The stages whose programs take live uniform changes.
extern const sProcessingStage kColorAdjustmentStage;
extern const sProcessingStage kBrightnessStage;
extern const sProcessingStage kColorCorrectionStage;
extern const sProcessingStage kLocalContrastStage;

// Packs activity flags into a mask, the first flag in bit 0.
constexpr uint64_t ActivityMask(std::initializer_list<bool> flags)
{
    uint64_t mask = 0;
    int bit = 0;
    for (bool flag : flags)
        mask |= static_cast<uint64_t>(flag) << bit++;
    return mask;
}
