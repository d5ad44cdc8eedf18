#pragma once
// The fixed list of colour looks selected by "CA Tone Map". The order is stored in edits and
// in the colour catalogue: never reorder or insert.

#include <array>
#include <cstdint>

struct sToneMapLook {
    const char* displayName;
    const char* imageName;  // image file of the look in the resource directory, "" for "None"
    bool colorFlag;         // the image is a per-channel curve strip
};

constexpr int32_t kToneMapLookCount = 65;

// The monochrome looks with a formula of their own, and the colour look drawn as a grey.
constexpr int32_t kLookGotham = 1;
constexpr int32_t kLookWillow = 9;
constexpr int32_t kLookInkwell = 15;

extern const std::array<sToneMapLook, kToneMapLookCount> ToneMapLookTable;

// A look is active when one is selected and both of its strengths are away from zero.
bool IsToneMapLookActive(int32_t lookIndex, float toneMapStrength, float multiplier);
