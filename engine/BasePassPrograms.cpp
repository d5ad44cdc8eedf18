// The small fixed programs every frame uses: copies, the conversions that bring the input
// texture into the pipeline through inputTextureMatrix, the dark mask and the dehaze alpha.

#include <sstream>

#include "engine/EnginePrograms.h"
#include "engine/ProgramBuild.h"
#include "engine/ShaderSets.h"
#include "gpu/Shader.h"
#include "gpu/shadersource/ProgramBuilders.h"
#include "gpu/shadersource/ShaderSource.h"

namespace SS = QV::Graphics::ShaderSource;
using QV::Graphics::IShaderProgram;

std::string CopyProgramFragment(int32_t precision, bool opaque) {
    std::string text = "precision " + SS::PrecisionName(precision) +
                       " float;\nuniform lowp sampler2D img0;\nvarying vec2 vTexture0;\n\nvoid main()\n{\n";
    text += opaque ? "    gl_FragColor = vec4(texture2D(img0, vTexture0).rgb, 1.0);\n"
                   : "    gl_FragColor = texture2D(img0, vTexture0);\n";
    return text + "}";
}

std::string DarkMaskFragment(int32_t precision, bool dehazeAlpha) {
    std::string text = "precision " + SS::PrecisionName(precision) + " float;\nuniform " + SS::PrecisionName(1) +
                       " sampler2D img0;\nvarying vec2 vTexture0;\n\nvoid main()\n{\n";
    if (dehazeAlpha) {
        text +=
            "    float ma = texture2D(img0, vTexture0).r;\n"
            "    float a = (0.1050 * ma) + 0.3777;\n"
            "    gl_FragColor = vec4(a);\n";
    } else {
        // At most one third counts as dark, one third itself included.
        text +=
            "    float c0 = texture2D(img0, vTexture0).r;\n"
            "    float dark = (c0 <= (1.0 / 3.0)) ? 1.0 : 0.0;\n"
            "    gl_FragColor = vec4(dark);\n";
    }
    return text + "}";
}

void BuildCopyPrograms(const sProgramContext& context) {
    if (context.Slot(kPairCopy)) return;
    const int32_t precision = context.Precision();
    const auto copy = [&] { return CopyProgramFragment(precision, false); };
    BuildEngineProgram(context.Slot(kPairCopy), precision, copy, "Copy");
    // Same text; this one later gets a projection of its own.
    BuildEngineProgram(context.Slot(kPairScreenOutput), precision, copy, "Screen output");
    BuildEngineProgram(
        context.Slot(kPairOpaqueCopy), precision, [&] { return CopyProgramFragment(precision, true); }, "Opaque copy");
}

void BuildDisplayPrograms(const sProgramContext& context, const QV::Math::CMatrix4<float>& inputTextureMatrix) {
    static constexpr int32_t kAlphaModes[5] = {0, 1, 2, 4, 3};  // pairs 3 to 7
    const int32_t precision = context.Precision();
    for (int32_t i = 0; i < 5; ++i) {
        IShaderProgram*& slot = context.Slot(kPairInputFirst + i);
        SS::BuildCopyProgram(&slot, false, kAlphaModes[i], true, 4, context.varyingCap, precision);
        // Every time: a new input geometry reaches the programs through this rebuild.
        if (slot) slot->SetUniformMatrix4fv("uModelViewProjectionTextureMatrix", 1, false, &inputTextureMatrix);
    }
}

void BuildDarkMaskPrograms(const sProgramContext& context) {
    if (context.Slot(kPairDarkMask)) return;
    const int32_t precision = context.Precision();
    BuildEngineProgram(
        context.Slot(kPairDarkMask), precision, [&] { return DarkMaskFragment(precision, false); }, "Dark mask");
    BuildEngineProgram(
        context.Slot(kPairDehazeAlpha), precision, [&] { return DarkMaskFragment(precision, true); }, "Dehaze alpha");
}
