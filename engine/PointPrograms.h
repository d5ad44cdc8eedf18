#pragma once
// The single-tap programs: each reads one texel per input at the fragment's own coordinate and
// writes one value to all four channels. Red-to-gray copies the red channel (pair 22); the point
// pass is the squared difference of two images (pair 23), the contrast factor k of one image
// (pair 24) or the automatic alpha (built only on request; no pass draws it).
//
// Their texts depend on nothing but the variant's precision, so a filled slot is left alone,
// uniforms included. A program that fails to build is logged and left unbuilt in its slot; its
// pass is skipped.

#include <cstdint>
#include <string>

struct sProgramContext;

namespace QV::Graphics {
class IShaderProgram;
}

enum ePointPassKind : int32_t {
    kPointPassSquaredDifference = 0,  // (img0 red or alpha - img1 red)²
    kPointPassContrastFactor = 1,     // 2.5079 - 1.6366 sqrt(red)
    kPointPassAutomaticAlpha = 2,     // 1 - red^0.272823, shaped by uAutomaticAlphaStrength
};

std::string RedToGrayFragment(int32_t precision);
// Throws std::invalid_argument for a kind other than the three above.
std::string PointPassFragment(int32_t kind, bool alphaChannel, int32_t img0Precision, int32_t img1Precision,
                              int32_t precision);

// Red into every channel two pyramid levels down in one pass, "uIntermediateSize" the size of
// the level between: the same value as two red-to-gray passes, without storing that level.
std::string TwoLevelGrayReductionFragment(int32_t precision);

// The programs in the context's precision.
void BuildRedToGrayProgram(const sProgramContext& context, QV::Graphics::IShaderProgram*& slot);
void BuildTwoLevelGrayReductionProgram(const sProgramContext& context, QV::Graphics::IShaderProgram*& slot);
void BuildPointPassProgram(const sProgramContext& context, QV::Graphics::IShaderProgram*& slot, int32_t kind,
                           bool alphaChannel, int32_t img0Precision, int32_t img1Precision);
// Pairs 23 (squared difference of the alpha channel, lowp img0, mediump img1) and 24 (the
// contrast factor, mediump img0) of the context's program variant.
void BuildPointPassPrograms(const sProgramContext& context);
