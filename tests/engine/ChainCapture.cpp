#include "engine/ChainCapture.h"

#include <algorithm>
#include <string>

#include "engine/AmbrelGraphicsController.h"
#include "engine/EnginePrograms.h"
#include "engine/RenderPasses.h"
#include "gpu/Device.h"
#include "gpu/Framebuffer.h"
#include "gpu/Texture.h"

namespace chainref {

Plane ReadTexture(QV::Graphics::IDevice& device, QV::Graphics::ITexture2D* texture) {
    using namespace QV::Graphics;
    if (!texture) return {};
    const int w = texture->GetWidth(), h = texture->GetHeight();
    const eTextureFormat format = texture->GetFormat();
    const auto* made = dynamic_cast<const CTexture2D*>(texture);
    const bool half = made && made->GetPixelType() == PIXEL_TYPE_HALF_FLOAT;
    const int channels = !half ? 4 : format == FORMAT_RG ? 2 : format == FORMAT_RED ? 1 : 4;
    IFramebuffer* framebuffers = device.GetFramebuffer();
    IFramebufferObject* framebuffer = framebuffers->CreateFramebufferObject();
    framebuffer->AttachTexture(ATTACHMENT_COLOR0, texture);
    framebuffers->BindFramebufferObject(framebuffer);
    Plane out(w, h, channels);
    const size_t count = static_cast<size_t>(w) * h * 4;
    bool read;
    if (!half) {
        // Read as RGBA, the channels come in that order whatever the upload's order was.
        std::vector<uint8_t> pixels(count);
        read = framebuffers->ReadPixels(0, 0, w, h, FORMAT_RGBA, PIXEL_TYPE_UNSIGNED_BYTE, 1, pixels.data());
        for (size_t i = 0; i < count; ++i) out.values[i] = pixels[i] / 255.0;
    } else {
        std::vector<float> pixels(count);
        read = framebuffers->ReadPixels(0, 0, w, h, FORMAT_RGBA, PIXEL_TYPE_HALF_FLOAT, 4, pixels.data());
        for (size_t i = 0, j = 0; i < count; i += 4)
            for (int c = 0; c < channels; ++c) out.values[j++] = pixels[i + c];
    }
    framebuffers->BindFramebufferObject(nullptr);
    framebuffers->DeleteFramebufferObject(framebuffer);
    return read ? out : Plane();
}

CapturedChain Capture(AmbrelGraphicsController& engine, QV::Graphics::IDevice& device) {
    const int boxTaps = BoxMeanTapCount(engine.shaderSets.filterScales[engine.FilterScaleVariant()]);
    CapturedChain c;
    const int levels = ContrastLevelCount(engine);
    const bool toneMappingOn = engine.toneMapping.p > 2.4f;
    c.input = ReadTexture(device, engine.WorkingPicture());
    c.gaussian.resize(static_cast<size_t>(levels));
    for (int k = 1; k < levels; ++k) c.gaussian[k] = ReadTexture(device, engine.levelNextTextures[k - 1]).Channel(0);
    for (int k = 0; k + 1 < levels; ++k) {
        c.bands.push_back(k == 0 && toneMappingOn ? Plane()
                                                  : ReadTexture(device, engine.levelPairTextures[k][1]).Channel(0));
        c.boxSums.push_back(ReadTexture(device, engine.levelPairTextures[k][0]));
        c.deviation.push_back(BoxDeviation(c.boxSums.back(), boxTaps));
        c.reconstructed.push_back(ReadTexture(device, engine.levelTextures[k]));
    }
    c.brightnessStatistic = ReadTexture(device, engine.unitTextures[0]).at(0, 0);
    c.contrastK = ReadTexture(device, engine.unitTextures[2]).at(0, 0);
    c.base = ReadTexture(device, engine.coarseTextures[std::clamp(engine.filterScaleHalvings, 0, 3)]);
    c.corrected = ReadTexture(device, engine.outputTextures[0]);
    return c;
}

std::vector<StageDifference> CompareStages(const CapturedChain& c, const ChainParameters& p) {
    std::vector<StageDifference> out;
    const auto add = [&](const std::string& stage, const Plane& engineValues, const Plane& reference, int channel = 0) {
        if (engineValues.width && engineValues.width == reference.width && engineValues.height == reference.height)
            out.push_back({stage, Compare(engineValues, reference, channel)});
    };
    const int L = p.levels;
    const Kernel kernel = LinearKernel(p.taps, p.kernelScale);
    for (int k = 1; k < L; ++k)
        add("Gaussian level " + std::to_string(k), c.gaussian[k],
            GaussianLevel(k == 1 ? c.input : c.gaussian[k - 1], k == 1 ? 3 : 0, kernel, p.sizes[k][0], p.sizes[k][1]));
    for (int k = 0; k + 1 < L; ++k) {
        const Plane& finer = k == 0 ? c.input : c.gaussian[k];
        const int channel = k == 0 ? 3 : 0;
        add("band " + std::to_string(k), c.bands[k], Band(finer, channel, c.gaussian[k + 1], kernel));
        const Plane sums = BoxSums(finer, channel, p.boxTaps, p.boxShift);
        for (int ch = 0; ch < 2; ++ch)
            add("box sums " + std::to_string(k) + (ch ? " of squares" : ""), c.boxSums[k], sums, ch);
    }
    add("base", c.base,
        Base(c.gaussian[L - 1], c.brightnessStatistic, p.brightness, p.brightnessUniforms, c.base.width,
             c.base.height));
    const Plane* guide = p.combine.basedOn == 3 ? nullptr : &c.gaussian[L - 1];
    for (int i = L - 2, j = 0; i >= 0; --i, ++j) {
        const Plane& coarser = i == L - 2 ? c.base : c.reconstructed[i + 1];
        if (c.bands[i].width) {
            add("level " + std::to_string(i), c.reconstructed[i],
                CombineLevel(coarser, c.bands[i], c.deviation[i], guide, c.contrastK, kernel, p.combine,
                             p.LevelUniforms(j)));
            continue;
        }
        // Level 0 holds the tone-mapped luminance, and its band is gone (the tone mapping's
        // scratch): the two together, the band the reference's from the input.
        const Plane band = Band(c.input, 3, c.gaussian[1], kernel);
        add("level 0 and tone mapping", c.reconstructed[0],
            ToneMapping(
                CombineLevel(coarser, band, c.deviation[0], guide, c.contrastK, kernel, p.combine, p.LevelUniforms(j)),
                p.toneMappingWeights));
    }
    const Plane corrected =
        Stored(ColorCorrection(c.input, c.reconstructed[0], p.colorCorrection, p.colorCorrectionUniforms), false);
    for (int ch = 0; ch < 3; ++ch) add("colour correction " + std::string(1, "RGB"[ch]), c.corrected, corrected, ch);
    return out;
}

}  // namespace chainref
