#pragma once
// The brightness and tone program (the brightness pair): a single-channel tone stage that reads
// the red channel of its input and applies, in order, the CIE brightness curve, the shadows and
// highlights curve, the levels ramp and the filmic roll-off, writing the result to all four
// channels. Only enabled features are written; with none enabled the program is a plain copy of
// the red channel.

#include <cstdint>
#include <string>

#include "engine/EngineRecords.h"

class AmbrelGraphicsController;

namespace QV::Graphics {
class IShaderProgram;
}

// What the text depends on, with the activity tests (a difference from neutral counts only
// above 1e-6).
struct sBrightnessOptions {
    int32_t method = 0;        // 0 CIE, 1 CIE Var, 2 Shadows and Highlights, 3 CIE and Shadows and Highlights
    float varExponent = 1.0f;  // CIE Var only
    float varScale = 1.0f;
    bool brightenOnly = false;
    sShadowsHighlights shadows{0.0f, 0.85f};
    sShadowsHighlights highlights{1.0f, 0.85f};
    sLevels levels;
    float filmicStrength = 0.12f;
    bool localLaplacian = false;  // "Luminance Style" Local Laplacian
    int32_t precision = 2;

    bool CIEOn() const;
    bool ShadowsOn() const;
    bool HighlightsOn() const;
    // The shadows and highlights curve: methods 2 and 3 with either side away from neutral.
    bool SHOn() const;
    bool LevelsOn() const;
    bool FilmicOn() const;
    bool AnyOn() const;  // CIE, shadows and highlights or levels
    // False only for the copy under the Local Laplacian style, which never draws this pass.
    bool MakesProgram() const;
};

sBrightnessOptions BrightnessOptions(const AmbrelGraphicsController& engine);

// The fragment text; empty when nothing is enabled under the Local Laplacian style (no program
// is made then: that style never draws the brightness pass). The text is always a complete
// shader. Throws the generator's NonFiniteLiteral for values that cannot be written.
std::string BrightnessFragment(const sBrightnessOptions& options);

// Builds the brightness program into the slot when it is empty (the default vertex shader; img0
// on unit 0, img1 the brightness statistic on unit 1), then sets the live uniforms of the
// enabled features on the slot's program: uBrightnessStrength, uShadowsStrength,
// uHighlightsStrength, uFilmicStrength.
void BuildBrightnessProgram(AmbrelGraphicsController& engine, QV::Graphics::IShaderProgram*& slot);
