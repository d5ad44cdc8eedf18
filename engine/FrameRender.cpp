// One frame of the engine: the rebuild of what is stale, the input pass, the optional
// structure-tensor and noise-reduction passes, the contrast stage of the style, the hand-over to
// the recorder, the present and the frame-rate tick. Also the output matrices.

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "engine/AmbrelGraphicsController.h"
#include "engine/EnginePrograms.h"
#include "engine/RenderPasses.h"
#include "gpu/Device.h"
#include "gpu/Shader.h"
#include "gpu/shadersource/ProgramBuilders.h"

using namespace QV::Graphics;
using QV::Math::CMatrix4;
using QV::Math::CVector2;
using QV::Math::CVector3;

// --- Noise reduction and structure tensor ------------------------------------------------

bool StructureTensorNeeded(const sEngineSettings& settings) {
    const eNoiseReductionType type = settings.noiseReduction.type;
    return settings.smoothing.type == eGaussianType::FlowField || settings.smoothing.lineIntegral ||
           (NoiseReductionRuns(settings) && type != eNoiseReductionType::IsotropicGPUImage);
}

int32_t InputProgramPair(const sEngineSettings& settings) {
    if (NoiseReductionRuns(settings) && settings.noiseReduction.type == eNoiseReductionType::IsotropicGPUImage &&
        !StructureTensorNeeded(settings))
        return 6;
    switch (settings.colorCorrection.method) {
    case eColorCorrectionMethod::Lab0:
    case eColorCorrectionMethod::Yxy:
    case eColorCorrectionMethod::Lab1: return 4;
    case eColorCorrectionMethod::Lab2: return 5;
    default: return 3;
    }
}

namespace {

bool IsIdentity(const CMatrix4<float>& m) {
    const CMatrix4<float> identity = CMatrix4<float>::Identity();
    return std::equal(std::begin(m.m), std::end(m.m), std::begin(identity.m));
}

// Whether the input pass reads the input only at its texel centres: the whole input drawn at
// its own size, turned or mirrored at most, nothing zoomed (a photo's preview frame, the strips
// of a full-resolution render). A camera frame is scaled to the view and read filtered.
bool InputReadAtTexelCentres(const AmbrelGraphicsController& e) {
    const QV::Graphics::ITexture2D* input = e.inputTextures[e.inputIndex].texture;
    if (!input || input->IsCached() || e.levelWidths.empty() || e.inputOrientation < 0 || e.inputOrientation > 7)
        return false;
    const sInputGeometry& g = e.inputGeometry;
    const bool wholeInput = g.cropX == 0 && g.cropY == 0 && g.cropWidth == g.inputWidth &&
                            g.cropHeight == g.inputHeight && !g.cropWidthLessOne;
    const bool upright = IsUpright(e.inputOrientation);
    const int32_t w = upright ? g.inputWidth : g.inputHeight, h = upright ? g.inputHeight : g.inputWidth;
    return wholeInput && e.levelWidths[0] == w && e.levelHeights[0] == h && IsIdentity(e.outputMatrix) &&
           (!e.ZoomAndSplitApply() || IsIdentity(e.zoomMatrix));
}

}  // namespace

// --- Frame -------------------------------------------------------------------------------

// Where a frame goes: to the recorder, to the screen, and whether the last pass may draw
// straight to the screen instead of through an output texture.
struct sFrameDelivery {
    bool recording = false;
    bool present = true;
    bool directOutput = false;
};

void AmbrelGraphicsController::RenderFrame() {
    if (!inputTextures[0].texture || !frameDirty) return;
    if (!RestoreWorkingTextures()) return;
    if (matricesDirty) ComputeOutputMatrices();
    RebuildStalePrograms();
    MarkRoad(kMarkFrameBegun);

    const sFrameDelivery delivery = FrameDelivery();
    sPassContext pass(*this);
    pass.device->MakeCurrent();
    const bool recordThisFrame = delivery.recording && AdvanceRecordingRing();
    frameDirty = false;
    lastRenderTarget = Target();
    pass.device->SetViewport(0, 0, levelWidths[0], levelHeights[0]);

    RenderFramePasses(pass, delivery);

    pass.scissor->SetEnabled(false);
    pass.device->GetShader()->UnbindProgram();
    if (recordThisFrame) RecordFrame();
    if (delivery.present) pass.device->Present();
    else pass.device->Flush();
    MarkRoad(kMarkPresented);
    frameRate.Tick();
}

// Working textures freed while in the background (or never made) are made again at the stored
// geometry before anything draws into them. False, with the frame given up, when they cannot be.
bool AmbrelGraphicsController::RestoreWorkingTextures() {
    if (workTextures[0] && !levelFramebuffers.empty()) return true;
    ComputeInputGeometry(inputGeometry);
    CreateTextures(inputGeometry.inputWidth, inputGeometry.inputHeight);
    matricesDirty = true;
    if (workTextures[0] && !levelFramebuffers.empty()) return true;
    std::fprintf(stderr, "frame not rendered: the working textures of %d x %d could not be made\n",
                 levelWidths.empty() ? 0 : levelWidths[0], levelHeights.empty() ? 0 : levelHeights[0]);
    frameDirty = false;
    return false;
}

// Programs released by a parameter change, or written for another filter scale, are built
// again before the frame draws with them.
void AmbrelGraphicsController::RebuildStalePrograms() {
    const sFilterScale& record = shaderSets.filterScales[FilterScaleVariant()];
    if (!shaderSets.stale[FilterScaleVariant()] && EffectiveRequestedScale(baseFilterScale) == record.requestedScale &&
        baseFilterScale.scale == record.scale && baseFilterScale.extra == record.extra)
        return;
    UpdateFilterScale();
    BuildPrograms();
    // Input programs made just now have not seen the output matrices yet.
    ApplyInputProjection();
}

sFrameDelivery AmbrelGraphicsController::FrameDelivery() const {
    const bool idle = videoRecording.mode == eRecordingMode::Idle;
    sFrameDelivery delivery;
    delivery.recording = !idle;
    if (idle && Target() != kRenderTargetScreen)
        delivery.present = frameDivider != 0 && frameRate.GetTickCount() % static_cast<uint64_t>(frameDivider) == 0;
    delivery.directOutput = reducedProcessing && idle && Target() != kRenderTargetOffscreen;
    return delivery;
}

// Moves the recording ring on by a frame; true when this frame is the one handed to the
// recorder. The warm-up counts only once the ring is full, so the first frame handed over is the
// one drawn when the count passed -1, whose time is the recording's start.
bool AmbrelGraphicsController::AdvanceRecordingRing() {
    sVideoRecording& r = videoRecording;
    bool recordThisFrame = false;
    if (r.ringActive) {
        if (r.pendingFrames >= 0) recordThisFrame = true;
        else ++r.pendingFrames;
    } else if (r.ringIndex == r.latency) {
        r.ringActive = true;
    }
    r.frameTimeIndex = ((r.frameTimeIndex + 1) % 5 + 5) % 5;
    r.ringIndex = ((r.ringIndex + 1) % 4 + 4) % 4;
    if (r.pendingFrames == -1) r.startTime = inputTextures[inputIndex].time;
    return recordThisFrame;
}

// The order of the passes: from the kept result, only the passes every style ends with; else
// the input, the flow field and the noise filter where they run, then the style's contrast
// chain or its output.
void AmbrelGraphicsController::RenderFramePasses(sPassContext& pass, const sFrameDelivery& delivery) {
    if (styleStageMode == eStyleStageMode::RenderFromKept) {
        const bool colorProgram = shaderSets[kPairColorAdjustment][ProgramVariant()] != nullptr;
        ITexture2D* const outputs[2] = {outputTextures[0], outputTextures[1]};
        RenderStylePasses(delivery.recording, delivery.present, delivery.directOutput,
                          smoothing.type != eGaussianType::None, smoothing.lineIntegral, colorProgram, 0, outputs);
        return;
    }
    RenderInputPass(pass);
    if (StructureTensorNeeded(*this)) RenderFlowField(pass);
    if (NoiseReductionRuns(*this)) RenderNoiseReduction(pass);
    if (luminanceStyle == eLuminanceStyle::CIE)
        RenderCIEContrast(delivery.recording, delivery.present, delivery.directOutput);
    else RenderWithoutContrast(pass, delivery);
}

// The input into A through the input program of the frame's colour space.
void AmbrelGraphicsController::RenderInputPass(sPassContext& pass) {
    noiseFiltered = false;
    ITexture2D* input = inputTextures[inputIndex].texture;
    pass.BeginCleared(levelFramebuffers[0], workTextures[0]);
    const sUnfilteredReads centres({InputReadAtTexelCentres(*this) ? input : nullptr});
    pass.Bind({input});
    pass.Draw(InputProgramPair(*this));
}

// The structure-tensor passes over a level-1 copy of the picture as it stands (the input
// programs would apply the input's orientation and flip a second time). Where only some rows
// are kept, only the noise filter reads the field (smoothing and the line integral keep every
// row): the passes draw the rows its own rows read, and the reach of the tensor's smoothing.
void AmbrelGraphicsController::RenderFlowField(sPassContext& pass) {
    const int32_t kept = KeptRowsMargin();
    int32_t margin = 0;
    if (kept > 0) {
        const sFilterScale& record = shaderSets.filterScales[FilterScaleVariant()];
        margin =
            (kept + 2 * NoiseReductionReach(noiseReduction, record) + 1) / 2 + 2 * (record.KernelByScale(5) / 2) + 4;
    }
    // The tensor pass driver below draws with the same rows, into textures of the same height.
    pass.BeginKept(levelFramebuffers[ClampLevel(1)], halfColorTexture, margin);
    pass.Bind({workTextures[0]});
    pass.Draw(kPairCopy);
    const CVector2<float>& texel1 = levelTexelSizes[ClampLevel(1)];
    // The tensor pass driver draws unchecked: without its programs (a failed build) or
    // textures the flow field keeps its last contents.
    if (halfColorTexture && FlowFieldTexture() && pass.Program(kPairGradient0) && pass.Program(kPairTensorSmoothing) &&
        pass.Program(kPairTensorEigen))
        RenderStructureTensorPasses(pass.device, pass.framebuffers, pass.textures, pass.Program(kPairGradient0),
                                    pass.Program(kPairTensorSmoothing), pass.Program(kPairTensorEigen), nullptr,
                                    quadVertexArray, nullptr, &texel1, &texel1, false, levelFramebuffers[ClampLevel(1)],
                                    halfColorTexture, FlowFieldTexture(), halfColorTexture);
    pass.AllRows();
    // The tensor passes are drawn by the driver, unseen by the observer: charged together here
    // rather than to the next pass.
    ObservePass(kPairTensorEigen, levelWidths[ClampLevel(1)], levelHeights[ClampLevel(1)]);
    pass.device->SetViewport(0, 0, levelWidths[0], levelHeights[0]);
}

// The styles without a contrast chain: the picture copied opaque, straight to the screen when
// nothing follows, else into the first output and on through the passes every style ends with
// (with the colour adjustment only under "None with Color Adjustments").
void AmbrelGraphicsController::RenderWithoutContrast(sPassContext& pass, const sFrameDelivery& delivery) {
    ITexture2D* a = WorkingPicture();
    currentOutput = a;
    const bool styleColor = luminanceStyle == eLuminanceStyle::NoneWithColorAdjustments;
    if (delivery.directOutput && styleStageMode != eStyleStageMode::RenderAndKeep &&
        (!styleColor || StylePassesIdle(*this))) {
        pass.BeginScreen(outputViewport);
        pass.Bind({a});
        pass.Draw(kPairOpaqueCopy);
        return;
    }
    // A full-resolution frame with nothing after the input is read back from A itself: the copy
    // would only make its alpha opaque, which the read-back does for far less than a pass.
    if (OpaqueReadBack() && !styleColor && !delivery.recording && !delivery.present &&
        styleStageMode != eStyleStageMode::RenderAndKeep)
        return;
    ITexture2D* const outputs[2] = {outputTextures[0], outputTextures[1]};
    pass.Begin(levelFramebuffers[0], outputs[0]);
    {
        // The output has A's size: every read lies on a texel centre.
        const sUnfilteredReads centres({a});
        pass.Bind({a});
        pass.Draw(kPairOpaqueCopy);
    }
    currentOutput = outputs[0];
    if (styleColor) {
        const bool colorProgram = shaderSets[kPairColorAdjustment][ProgramVariant()] != nullptr;
        RenderStylePasses(delivery.recording, delivery.present, delivery.directOutput,
                          smoothing.type != eGaussianType::None, smoothing.lineIntegral, colorProgram, 1, outputs);
    } else {
        RenderStylePasses(delivery.recording, delivery.present, delivery.directOutput, false, false, false, 1, outputs);
    }
}

// Two passes through the level-0 framebuffer object: A → the half-float pair where the device
// has one (the frame's working picture is then the second), else A → spare → A. Where only some
// rows are kept, the filter draws the rows that lead to them; the border's rows, which only the
// Gaussian pyramid reads (and blurs far beyond the filter's reach), are taken from A unfiltered.
void AmbrelGraphicsController::RenderNoiseReduction(sPassContext& pass) {
    CreateNoiseTextures();
    ITexture2D* a = workTextures[0];
    const bool halfFloat = noiseTextures[1] != nullptr;
    ITexture2D* spare = halfFloat ? noiseTextures[0].get() : outputTextures[1].get();
    ITexture2D* result = halfFloat ? noiseTextures[1].get() : a;
    const CVector2<float>& texel = levelTexelSizes[0];
    const sNoiseReduction& nr = noiseReduction;
    int32_t first = kPairNoiseBilateral;
    if (nr.type == eNoiseReductionType::FlowFieldGPUImage) first = kPairNoiseFlowFieldGPUImage;
    else if (nr.type == eNoiseReductionType::IsotropicGPUImage) first = kPairNoiseIsotropicGPUImage;
    // The border's rows come from A only where A's alpha holds the luminance the filter's last
    // pass writes (the input program of the colour-correction method's colour space).
    const bool sameLuminance =
        InputProgramPair(*this) == kPairInputFirst + NoiseReductionVerticalLuminanceMode(colorCorrection.method);
    const int32_t kept = sameLuminance ? KeptRowsMargin() : 0;
    const int32_t reach = kept > 0 ? NoiseReductionReach(nr, shaderSets.filterScales[FilterScaleVariant()]) : 0;
    for (int32_t step = 0; step < 2; ++step) {
        IShaderProgram* program = pass.Program(first + step);
        ITexture2D* source = step == 0 ? a : spare;
        ITexture2D* target = step == 0 ? spare : result;
        pass.BeginKept(levelFramebuffers[0], target, kept > 0 ? kept + (2 - step) * reach : 0);
        if (nr.type == eNoiseReductionType::IsotropicGPUImage) {
            pass.Bind({source});
        } else {
            pass.Bind({source, FlowFieldTexture()});
        }
        if (program) ApplyUniforms(*program, NoiseReductionUniforms(nr, texel, step));
        pass.Draw(first + step);
    }
    if (kept > 0 && result != a) {
        const auto [filteredFirst, filteredLast] = pass.KeptRowSpan(result, kept + reach);
        for (const auto& [rowsFirst, rowsLast] :
             {std::pair(0, filteredFirst), std::pair(filteredLast, result->GetHeight())})
            if (rowsFirst < rowsLast) {
                pass.BeginRows(levelFramebuffers[0], result, rowsFirst, rowsLast);
                pass.Bind({a});
                pass.Draw(kPairCopy);
            }
    }
    pass.AllRows();
    noiseFiltered = halfFloat;
}

QV::Graphics::ITexture2D* AmbrelGraphicsController::FlowFieldTexture() const { return levelColorTextures[1]; }

QV::Graphics::ITexture2D* AmbrelGraphicsController::WorkingPicture() const {
    return noiseFiltered && noiseTextures[1] ? noiseTextures[1].get() : workTextures[0].get();
}

void AmbrelGraphicsController::ComputeOutputMatrices() {
    frameDirty = true;
    matricesDirty = false;
    const sFrameTime& time = inputTextures[inputIndex].time;
    const CMatrix4<float> upright = CMatrix4<float>::Ortho(0, 1, 0, 1, -1, 1);
    const CMatrix4<float> mirrored = CMatrix4<float>::Ortho(1, 0, 0, 1, -1, 1);
    CMatrix4<float> p;
    if (frontFacing) {
        p = upright;
    } else if (videoRecording.mode == eRecordingMode::RealTime) {
        p = mirrored;
    } else if (time.value == 0) {
        p = upright;
    } else if (Target() == kRenderTargetScreen) {
        p = mirrored;
    } else if (time == matricesTime) {
        return;
    } else {
        p = landscape ? CMatrix4<float>::Ortho(1, 0, 1, 0, -1, 1) : upright;
        matricesTime = time;
    }
    inputProjection = p * (outputMatrix * (ZoomAndSplitApply() ? zoomMatrix : CMatrix4<float>::Identity()) *
                           (CMatrix4<float>::Translation(0, 1, 0) * CMatrix4<float>::Scale(1, -1, 1)));
    ApplyInputProjection();
    ApplyScreenOutputMatrix();
}

void AmbrelGraphicsController::ApplyInputProjection() {
    for (int32_t pair = kPairInputFirst; pair <= kPairInputFirst + 3; ++pair)
        if (IShaderProgram* program = shaderSets[pair][ProgramVariant()])
            program->SetUniformMatrix4fv("uModelViewProjectionMatrix", 1, false, &inputProjection);
}

bool AmbrelGraphicsController::RecordFrame() {
    sVideoRecording& r = videoRecording;
    if (r.mode == eRecordingMode::RealTime) {
        if (r.recorder) r.recorder->recordFrame();
        return true;
    }
    if (r.mode == eRecordingMode::VideoAsset) {
        // A buffer the frame cannot be read into (a stride below the frame's row) is reported,
        // not passed on as a delivered frame.
        if (r.outputPixels && !ReadOutputFrame(r.outputPixels, r.outputBytesPerRow)) return false;
        if (r.outputTime) *r.outputTime = r.FrameTimeAt(r.frameTimeIndex - 2);
        return true;
    }
    return false;
}

void AmbrelGraphicsController::DrawBlackImage() {
    static const uint8_t black[16] = {0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255};
    SetInputPixels(sFrameTime::Make(0, 60), sInputGeometry::Whole(2, 2), 0, kPixelFormatBGRA, black);
    const eLuminanceStyle style = luminanceStyle;
    luminanceStyle = eLuminanceStyle::None;
    RenderFrame();
    luminanceStyle = style;
    frameDirty = true;
    matricesDirty = true;
    shaderSets.MarkStale();
}

// --- Screen output -----------------------------------------------------------------------

void AmbrelGraphicsController::SetOutputOrientation(int32_t width, int32_t height, int64_t orientation) {
    const float pi = static_cast<float>(3.141592653589793);
    float angle;
    if (height < width) angle = (orientation == 0 || orientation == 2) ? pi / 2 : -pi / 2;
    else angle = (orientation == 1 || orientation == 3) ? pi : 0.0f;
    SetOutputRotation(angle);
}

void AmbrelGraphicsController::SetOutputRotation(float angle) {
    if (angle == copyRotation) return;
    copyRotation = angle;
    ApplyScreenOutputMatrix();
}

// The screen pass draws with the view rectangle as viewport: the picture, turned by the output
// rotation, is fitted into the view keeping its aspect ratio and centred on the display
// rectangle.
void AmbrelGraphicsController::ApplyScreenOutputMatrix() {
    IShaderProgram* program = shaderSets[kPairScreenOutput][ProgramVariant()];
    if (!program) return;
    const float viewW = static_cast<float>(viewRect[2]), viewH = static_cast<float>(viewRect[3]);
    const float displayW = static_cast<float>(std::max(outputViewport[2], 1));
    const float displayH = static_cast<float>(std::max(outputViewport[3], 1));
    const float c = std::fabs(std::cos(copyRotation)), s = std::fabs(std::sin(copyRotation));
    // Extents of the turned picture at scale 1, then the largest scale that fits the view.
    const float extentW = c * displayW + s * displayH, extentH = s * displayW + c * displayH;
    const float fit = std::min({viewW / extentW, viewH / extentH, 1.0f});
    const float centreX = static_cast<float>(outputViewport[0] - viewRect[0]) + displayW * 0.5f;
    const float centreY = static_cast<float>(outputViewport[1] - viewRect[1]) + displayH * 0.5f;
    const CMatrix4<float> m =
        CMatrix4<float>::Ortho(0, viewW, 0, viewH, -1, 1) * CMatrix4<float>::Translation(centreX, centreY, 0) *
        CMatrix4<float>::Scale(fit, fit, 1) * CMatrix4<float>::Rotation(copyRotation, CVector3<float>(0, 0, 1)) *
        CMatrix4<float>::Scale(displayW, displayH, 1) * CMatrix4<float>::Translation(-0.5f, -0.5f, 0);
    program->SetUniformMatrix4fv("uModelViewProjectionMatrix", 1, false, &m);
}

// --- Levels ------------------------------------------------------------------------------

int32_t AmbrelGraphicsController::ClampLevel(int32_t level) const {
    const int32_t count = static_cast<int32_t>(levelWidths.size());
    if (count == 0) return 0;
    return std::clamp(level, 0, count - 1);
}

std::vector<float> AmbrelGraphicsController::ContrastLevelStrengths() const {
    const int32_t levels = std::clamp(levelCount, 2, 7);
    const int32_t count = levels - 1;  // levels L − 2 down to 0
    std::vector<float> strengths(count);
    const float level0 = cie.levelContrastStrengths[0], level1 = cie.levelContrastStrengths[1],
                level2 = cie.levelContrastStrengths[2];
    if (cie.contrastEquation != eContrastEquation::Paper) {
        for (int32_t j = 0; j < count; ++j) strengths[j] = j == 0 ? level2 : j == 1 ? level1 : level0;
        return strengths;
    }
    const int32_t n = std::max((levels - 1) - filterScaleHalvings, 2);
    const float inv = 1.0f / static_cast<float>(n);
    const float w = inv + cie.haloMaximumWidth * (1.0f - inv);
    const float kk = cie.contrastK;
    const float k = kk < 0.5f ? 2.0f * kk : (kk - 0.5f) * 6.0f + 1.0f;
    strengths[0] = w * k * level2;
    for (int32_t j = 0; j + 1 < count; ++j) {
        const int32_t f = std::min(2 + j, n);
        const float s = k * (w + (1.0f - w) / static_cast<float>(n - 1) * static_cast<float>(f - 1));
        strengths[j + 1] = s * (j == 0 ? level1 : level0);
    }
    return strengths;
}
