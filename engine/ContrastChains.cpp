// The local-contrast chain of the CIE style (Gaussian levels, statistics, box means, bands,
// base, per-level reconstruction, tone mapping, colour correction) and the passes every style
// ends with (smoothing, line integral, cache, colour adjustment, screen and recorder).
//
// Textures of level i: G(i) the Gaussian level (levelNextTextures[i − 1]), the box's row sums and
// the band (levelPairTextures[i][0] and [1]), the blur scratch between level i and i + 1
// (levelHalfTextures[i]) and the reconstructed level (levelTextures[i]). The base at the
// coarsest level is coarseTextures[halvings]; the three 1 × 1 statistics are unitTextures.

#include <algorithm>
#include <cmath>

#include "engine/AmbrelGraphicsController.h"
#include "engine/EnginePrograms.h"
#include "engine/RenderPasses.h"
#include "gpu/Device.h"
#include "gpu/Shader.h"
#include "gpu/shadersource/ProgramBuilders.h"

using namespace QV::Graphics;
using QV::Math::CVector2;
using QV::Math::CVector3;

namespace {

void SetFloat(IShaderProgram* program, const char* name, float value) {
    if (program) program->SetUniform1f(name, value);
}

// One Gaussian level: a vertical pass of `verticalPair` into `scratch`, then the horizontal blur
// into `level`. The separable pass driver draws unchecked, so a pass whose program failed to
// build (or whose texture could not be made) is skipped here instead.
void BlurLevel(sPassContext& pass, int32_t verticalPair, IFramebufferObject* framebuffer, ITexture2D* source,
               ITexture2D* scratch, const CVector2<float>* texel, ITexture2D* level) {
    IShaderProgram* vertical = pass.Program(verticalPair);
    IShaderProgram* horizontal = pass.Program(kPairHorizontalBlur);
    if (!vertical || !horizontal || !framebuffer || !source || !scratch || !level) return;
    pass.AllRows();  // the pyramid reads the whole frame, border and all
    pass.Bind({});   // the driver binds unit 0 only: nothing drawn into may stay bound elsewhere
    RenderSeparablePasses(pass.device, pass.framebuffers, pass.textures, vertical, horizontal,
                          pass.engine.quadVertexArray, framebuffer, framebuffer, source, scratch, texel, level);
    ObservePass(verticalPair, level->GetWidth(), level->GetHeight());
}

}  // namespace

// --- CIE contrast ------------------------------------------------------------------------

void AmbrelGraphicsController::RenderCIEContrast(bool recording, bool present, bool directOutput) {
    sPassContext pass(*this);
    ITexture2D* a = WorkingPicture();
    IFramebufferObject* scratchFramebuffer = passFramebuffers[0];
    // The pyramid has at least seven levels; the chain uses levelCount of them (4 to 7).
    const int32_t levels = ContrastLevelCount(*this);
    const int32_t halvings = std::clamp(filterScaleHalvings, 0, 3);
    const auto gaussian = [this](int32_t k) { return levelNextTextures[std::clamp(k - 1, 0, 5)].get(); };
    const auto texel = [this](int32_t i) { return &levelTexelSizes[ClampLevel(i)]; };

    // 1. Gaussian levels.
    BlurLevel(pass, kPairVerticalAlphaBlur, scratchFramebuffer, a, levelHalfTextures[0], texel(0), gaussian(1));
    // That blur is the one pass of the chain that reads A between its texels; every later one
    // (box mean, band, statistics, colour correction) reads it at its texel centres. Filtered
    // again for whatever reads A after the chain. The finer levels below are read unfiltered in
    // the same way by the passes that read them only at their centres.
    const sUnfilteredReads unfilteredA({a});
    for (int32_t k = 2; k <= levels - 1; ++k)
        BlurLevel(pass, kPairVerticalBlur, scratchFramebuffer, gaussian(k - 1), levelHalfTextures[k - 1], texel(k - 1),
                  gaussian(k));

    // 2. Statistics: only the preview measures; a full-resolution tile keeps the last ones.
    if (PreviewQuality()) {
        RenderBrightnessStatistic(pass);
        if (cie.contrastEquation == eContrastEquation::Paper) RenderAutomaticAlpha(pass);
    }

    // From here on each pass leads only to the kept rows (the border is the pyramid's).
    const int32_t margin = KeptRowsMargin();

    // 3. Box means: the row sums; the combine sums the box's rows where it reads them.
    for (int32_t k = 0; k <= levels - 2; ++k) {
        ITexture2D* source = k == 0 ? a : gaussian(k);
        const int32_t first = k == 0 ? kPairBoxMeanFirst : kPairBoxMeanFirst + 1;
        pass.BeginKept(scratchFramebuffer, levelPairTextures[k][0], margin);
        const sUnfilteredReads centres({k == 0 ? nullptr : source});
        pass.Bind({source});
        SetFloat(pass.Program(first), "uInvTextureDimension", texel(k)->x);
        pass.Draw(first);
    }

    // 4. Bands: the finer level less the coarser one brought up to its size.
    for (int32_t k = 0; k <= levels - 2; ++k) {
        ITexture2D* finer = k == 0 ? a : gaussian(k);
        const int32_t difference = k == 0 ? kPairAlphaDifference : kPairDifference;
        pass.BeginKept(scratchFramebuffer, levelHalfTextures[k], margin);
        pass.Bind({gaussian(k + 1)});
        SetFloat(pass.Program(kPairHorizontalBlur), "uInvTextureDimension", texel(k + 1)->x);
        pass.Draw(kPairHorizontalBlur);
        pass.BeginKept(scratchFramebuffer, levelPairTextures[k][1], margin);
        const sUnfilteredReads minuend({k == 0 ? nullptr : finer});
        pass.Bind({levelHalfTextures[k], finer});
        SetFloat(pass.Program(difference), "uInvTextureDimension", texel(k + 1)->y);
        pass.Draw(difference);
    }

    // 5. Base at the coarsest level.
    ITexture2D* base = coarseTextures[halvings];
    pass.Begin(scratchFramebuffer, base);
    pass.Bind({gaussian(levels - 1), unitTextures[0]});
    pass.Draw(kPairBrightness);

    // 6. Reconstruction, coarse to fine.
    const std::vector<float> strengths = ContrastLevelStrengths();
    ITexture2D* source = base;
    for (int32_t i = levels - 2, j = 0; i >= 0; --i, ++j) {
        const float s = j < static_cast<int32_t>(strengths.size()) ? strengths[j] : strengths.back();
        RenderContrastLevel(pass, s, i, source);
        source = levelTextures[i];
    }

    // 7. Difference-of-Gaussians tone mapping, its scratch the band of level 0, whose combine is done.
    // Its taps lie on whole texels: both passes read unfiltered.
    if (toneMapping.Runs()) {
        ITexture2D* scratch = levelPairTextures[0][1];
        pass.BeginKept(scratchFramebuffer, scratch, margin);
        {
            const sUnfilteredReads centres({levelTextures[0]});
            pass.Bind({levelTextures[0]});
            SetFloat(pass.Program(kPairToneMapping0), "uInvTextureDimension", texel(0)->x);
            pass.Draw(kPairToneMapping0);
        }
        pass.BeginKept(levelFramebuffers[0], levelTextures[0], margin);
        const sUnfilteredReads centres({scratch});
        pass.Bind({scratch});
        SetFloat(pass.Program(kPairToneMapping1), "uInvTextureDimension", texel(0)->y);
        pass.Draw(kPairToneMapping1);
    }

    // 8. Colour correction: the picture's colour with the new luminance.
    const bool colorProgram = shaderSets[kPairColorAdjustment][ProgramVariant()] != nullptr;
    if (directOutput && styleStageMode != eStyleStageMode::RenderAndKeep && StylePassesIdle(*this)) {
        pass.BeginScreen(outputViewport);
        const sUnfilteredReads luminance({levelTextures[0]});
        pass.Bind({a, levelTextures[0]});
        pass.Draw(kPairColorCorrection);
        return;
    }
    pass.BeginKept(levelFramebuffers[0], outputTextures[0], margin);
    {
        const sUnfilteredReads luminance({levelTextures[0]});
        pass.Bind({a, levelTextures[0]});
        pass.Draw(kPairColorCorrection);
    }
    currentOutput = outputTextures[0];
    ITexture2D* const outputs[2] = {outputTextures[0], outputTextures[1]};
    RenderStylePasses(recording, present, directOutput, smoothing.type != eGaussianType::None, smoothing.lineIntegral,
                      colorProgram, 1, outputs);
}

void AmbrelGraphicsController::RenderContrastLevel(sPassContext& pass, float strength, int32_t level,
                                                   ITexture2D* source) {
    const int32_t i = std::clamp(level, 0, 5);
    const CVector2<float>& coarser = levelTexelSizes[ClampLevel(i + 1)];
    const int32_t margin = KeptRowsMargin();
    pass.BeginKept(passFramebuffers[0], levelHalfTextures[i], margin);
    pass.Bind({source});
    SetFloat(pass.Program(kPairHorizontalBlur), "uInvTextureDimension", coarser.x);
    pass.Draw(kPairHorizontalBlur);

    const int32_t levels = ContrastLevelCount(*this);
    ITexture2D* coarsest = levelNextTextures[std::clamp(levels - 2, 0, 5)];
    pass.BeginKept(levelFramebuffers[ClampLevel(i)], levelTextures[ClampLevel(i)], margin);
    // The band and the box's row sums are read at their texel centres only.
    const sUnfilteredReads centres({levelPairTextures[i][0], levelPairTextures[i][1]});
    pass.Bind({levelHalfTextures[i], levelPairTextures[i][1],
               cie.contrastEquation == eContrastEquation::Paper ? unitTextures[2].get() : nullptr,
               levelPairTextures[i][0], cie.contrastBasedOn == eContrastBasedOn::None ? nullptr : coarsest});
    if (IShaderProgram* program = pass.Program(kPairCIEContrast)) {
        program->SetUniform1f("uInvTextureDimension", coarser.y);
        program->SetUniform1f("uBoxTexelHeight", levelTexelSizes[ClampLevel(i)].y);
        ApplyUniforms(*program, ContrastLevelUniforms(cie, strength));
    }
    pass.Draw(kPairCIEContrast);
}

// Walks a picture down the pyramid from `start`: `first` draws it into that level, the grey
// reduction halves it on down to the second-to-last level, two levels a pass where two are
// left, from the start when `first` is the grey reduction itself (each pass waits for the one
// before it, so fewer passes make a shorter frame). Returns
// the last texture written (the source itself when the pyramid has no level left below
// `start`).
static ITexture2D* ReduceDown(AmbrelGraphicsController& engine, sPassContext& pass, int32_t first, ITexture2D* source,
                              int32_t start) {
    const int32_t last = static_cast<int32_t>(engine.levelTextures.size()) - 2;
    IShaderProgram* twoLevels = pass.Program(kPairGrayReductionTwoLevels);
    ITexture2D* current = source;
    for (int32_t level = start; level <= last; ++level) {
        int32_t pair = level == start ? first : kPairGrayReduction;
        if (pair == kPairGrayReduction && level < last && twoLevels) {
            twoLevels->SetUniform2f("uIntermediateSize", {static_cast<float>(engine.levelWidths[level]),
                                                          static_cast<float>(engine.levelHeights[level])});
            pair = kPairGrayReductionTwoLevels;
            ++level;
        }
        pass.Begin(engine.levelFramebuffers[level], engine.levelTextures[level]);
        pass.Bind({current});
        pass.Draw(pair);
        current = engine.levelTextures[level];
    }
    return current;
}

void AmbrelGraphicsController::RenderBrightnessStatistic(sPassContext& pass) {
    const int32_t levels = ContrastLevelCount(*this);
    ITexture2D* reduced = ReduceDown(*this, pass, kPairDarkMask, levelNextTextures[levels - 2], levels - 1);
    pass.Begin(passFramebuffers[0], unitTextures[0]);
    pass.Bind({reduced});
    pass.Draw(kPairDehazeAlpha);
}

void AmbrelGraphicsController::RenderAutomaticAlpha(sPassContext& pass) {
    const int32_t levels = ContrastLevelCount(*this);
    // The mean of the coarsest level (a level index past the pyramid reads the level itself).
    ITexture2D* reduced = ReduceDown(*this, pass, kPairGrayReduction, levelNextTextures[levels - 2], levels);
    pass.Begin(passFramebuffers[0], unitTextures[1]);
    pass.Bind({reduced});
    pass.Draw(kPairGrayReduction);
    // The mean squared difference of the picture's luminance from it.
    pass.Begin(levelFramebuffers[0], levelTextures[0]);
    pass.Bind({WorkingPicture(), unitTextures[1]});
    pass.Draw(kPairSquaredDifference);
    ITexture2D* variance = ReduceDown(*this, pass, kPairGrayReduction, levelTextures[0], 1);
    if (luminanceStyle == eLuminanceStyle::CIE) {
        pass.Begin(passFramebuffers[0], unitTextures[2]);
        pass.Bind({variance});
        pass.Draw(kPairContrastFactor);
    }
}

// --- Passes of every style ---------------------------------------------------------------

void AmbrelGraphicsController::RenderStylePasses(bool recording, bool present, bool directOutput, bool smoothingOn,
                                                 bool lineIntegralOn, bool colorProgramPresent, int32_t fullFrame,
                                                 ITexture2D* const outputs[2]) {
    sPassContext pass(*this);
    ITexture2D* a = WorkingPicture();
    ITexture2D* keptInput = workTextures[1];
    ITexture2D* keptResult = workTextures[2];
    IFramebufferObject* framebuffer = levelFramebuffers[0];
    const CVector2<float>& texel = levelTexelSizes[0];
    ITexture2D* current = currentOutput;
    const auto other = [&] { return current == outputs[0] ? outputs[1] : outputs[0]; };

    if (fullFrame == 0) {
        current = keptResult;
    } else {
        // One pass along the flow field: the current image into the other texture of the pair.
        const auto flowPass = [&](int32_t pair) {
            ITexture2D* target = other();
            pass.Begin(framebuffer, target);
            pass.Bind({current, FlowFieldTexture()});
            if (IShaderProgram* program = pass.Program(pair)) program->SetUniform2f("uInvTextureDimensions", texel);
            pass.Draw(pair);
            current = target;
        };
        if (smoothingOn) {
            if (smoothing.type == eGaussianType::Isotropic) {
                for (int32_t pair : {kPairSmoothingFirst, kPairSmoothingSecond}) {
                    ITexture2D* target = other();
                    pass.Begin(framebuffer, target);
                    pass.Bind({current});
                    SetFloat(pass.Program(pair), "uInvTextureDimension",
                             pair == kPairSmoothingFirst ? texel.y : texel.x);
                    pass.Draw(pair);
                    current = target;
                }
            } else {
                flowPass(kPairSmoothingFirst);
            }
        }
        if (lineIntegralOn)
            for (int32_t n = LineIntegralPassCount(*this); n > 0; --n) flowPass(kPairLineIntegral);
        if (styleStageMode == eStyleStageMode::RenderAndKeep) {
            // Kept for the frames that restart from here.
            pass.Begin(framebuffer, keptInput);
            pass.Bind({a});
            pass.Draw(kPairCopy);
            pass.Begin(framebuffer, keptResult);
            pass.Bind({current});
            pass.Draw(kPairCopy);
        }
    }

    // Output through the colour adjustment (or a copy without one).
    const int32_t outputPair = colorProgramPresent ? kPairColorAdjustment : kPairCopy;
    ITexture2D* original = nullptr;
    ITexture2D* look = nullptr;
    if (colorProgramPresent) {
        if (std::fabs(colorAdjustment.effectStrength - 1.0f) > 1e-6f ||
            (colorAdjustment.split.on && ZoomAndSplitApply()))
            original = fullFrame == 0 ? keptInput : a;
        if (IsToneMapLookActive()) look = lookTexture;
    }
    if (directOutput) {
        pass.BeginScreen(outputViewport);
        pass.Bind({current, original, look});
        pass.Draw(outputPair);
        currentOutput = current;
        return;
    }
    // Without a colour adjustment the output pass of a full frame would only copy the current
    // image, already one of the output pair: it is read back and presented from where it is.
    const bool identityOutput = !colorProgramPresent && fullFrame != 0;
    if (!identityOutput) {
        ITexture2D* target = other();
        pass.Begin(framebuffer, target);
        pass.Bind({current, original, look});
        pass.Draw(outputPair);
        current = target;
    }
    currentOutput = current;
    PresentAndRecord(pass, recording, present);
}

int32_t LineIntegralPassCount(const AmbrelGraphicsController& engine) {
    // Counted at the requested scale of the picture, not at the residual left after the
    // pyramid's halvings: the line integral runs at level 0, which is never halved, so a
    // larger picture needs proportionally more steps along the flow.
    const float scale = engine.shaderSets.filterScales[engine.FilterScaleVariant()].requestedScaleF;
    return static_cast<int32_t>(std::ceil(scale * static_cast<float>(engine.smoothing.lineIntegralIterations)));
}

void AmbrelGraphicsController::PresentAndRecord(sPassContext& pass, bool recording, bool present) {
    if (present) {
        pass.BeginScreen(viewRect);
        pass.scissor->SetEnabled(false);
        pass.Bind({currentOutput});
        pass.Draw(kPairScreenOutput);
    }
    if (recording) {
        sVideoRecording& r = videoRecording;
        const int32_t slot = ((r.ringIndex % 4) + 4) % 4;
        r.FrameTimeAt(r.frameTimeIndex) = inputTextures[inputIndex].time;
        if (ITexture2D* ring = r.ringTextures[slot]) {
            pass.BeginCleared(videoFramebuffer, ring);
            pass.Bind({currentOutput});
            pass.Draw(kPairVideoOutput);
        }
    }
}
