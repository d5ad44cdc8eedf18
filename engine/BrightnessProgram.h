#pragma once
// The brightness and tone program (the brightness pair): a single-channel tone stage that reads
// the red channel of its input and applies, in order, the CIE brightness curve, the shadows and
// highlights curve, the levels ramp and the filmic roll-off, writing the result to all four
// channels. Only enabled features are written; with none enabled the program is a plain copy of
// the red channel.

#include <cstdint>
#include <string>

#include "engine/BrightnessStage.h"

struct sEngineSettings;
struct sProgramContext;

namespace QV::Graphics {
class IShaderProgram;
}

// The fragment text; empty when nothing is enabled under the Local Laplacian style (no program
// is made then: that style never draws the brightness pass). The text is always a complete
// shader. Throws the generator's NonFiniteLiteral for values that cannot be written.
std::string BrightnessFragment(const sBrightnessOptions& options);

// Builds the brightness program of the settings' brightness and style into the slot when it is
// empty (the default vertex shader of the context's precision; img0 on unit 0, img1 the
// brightness statistic on unit 1), then sets the live uniforms of the enabled features
// (BrightnessUniforms) on the slot's program.
void BuildBrightnessProgram(const sEngineSettings& settings, const sProgramContext& context,
                            QV::Graphics::IShaderProgram*& slot);
