#pragma once
// The shader source generator: free functions that write the GLSL ES 1.0 text of the engine's
// programs at run time. Every shader starts with "precision <name> float;", statements stand one
// to a line indented by four spaces, and every number goes through WriteFloatLiteral (C locale,
// whatever the user's locale). None of these functions touches GL.
#include <cstdint>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "gpu/Math.h"
#include "gpu/ShaderConstants.h"

namespace QV::Graphics::ShaderSource {

// Thrown when a number that cannot be written as a GLSL float (NaN, infinity) reaches the text.
// A program builder that meets it leaves an unbuilt program in its slot instead of handing GL
// invalid text; callers keep their parameters finite.
class NonFiniteLiteral : public std::invalid_argument {
public:
    explicit NonFiniteLiteral(float value);
    float value() const { return value_; }

private:
    float value_;
};

// The precision name ("lowp", "mediump", "highp") of ePrecision 0, 1 or 2; callers pass the
// precision as a plain integer as often as the enumeration.
const std::string& PrecisionName(int32_t precision);

// The fixed vertex shaders: highp for every precision but 1 (mediump). The default one passes
// vaPosition.xy as vTexture0; the clip-space one derives vTexture0 from gl_Position.
const std::string& DefaultVertexShader(int32_t precision);
const std::string& ClipSpaceVertexShader(int32_t precision);

// General notation with six significant digits; ".0" is appended when the text would read as an
// integer. Throws NonFiniteLiteral for NaN and infinities.
std::string WriteFloatLiteral(float value);

// Declares min(taps, cap) texture-coordinate varyings, preceded by the inverse-dimension uniform
// when the taps exceed the cap and declareInverseDimension is set (fragment side).
void WriteVaryingDeclarations(int32_t taps, bool declareInverseDimension, int32_t varyingCap, std::ostream& out);

// GLSL type and swizzle of a fetch from a texture of the given eTextureFormat; formats without
// one leave both strings as they were.
void GlslTypeForFormat(int32_t format, std::string& type, std::string& swizzle);
// 3 and 4 read "vec3" ".rgb", 5 reads "vec4" whole; other values leave both unchanged.
void GlslTypeForChannels(int32_t channels, std::string& type, std::string& swizzle);

// The statement replacing the vec3 variable by its saturation-adjusted value (1 keeps it).
std::string WriteMatrixMultiply(const std::string& variable, float saturation);

// Vertex-side tap coordinates for taps 3 and up (the builder writes taps 0 to 2).
void WriteTapOffsets(int32_t taps, bool vertical, int32_t varyingCap, std::ostream& out);
void WriteScaledTapOffsets(int32_t taps, const std::vector<double>& offsets, bool vertical, int32_t varyingCap,
                           std::ostream& out);

// Fragment-side fetches of taps 3 and up, into locals named prefix + tap index.
void WriteTapFetchesWithPrefix(int32_t taps, int32_t imageIndex, const std::string& prefix, bool vertical,
                               int32_t format, int32_t varyingCap, std::ostream& out);
void WriteTapFetches(int32_t taps, bool vertical, int32_t format, int32_t varyingCap, std::ostream& out);
void WriteScaledTapFetchesWithPrefix(int32_t taps, const std::vector<double>& offsets, int32_t imageIndex,
                                     const std::string& prefix, bool vertical, int32_t format, int32_t varyingCap,
                                     std::ostream& out);
void WriteScaledTapFetches(int32_t taps, const std::vector<double>& offsets, bool vertical, int32_t format,
                           int32_t varyingCap, std::ostream& out);

// A GLSL function turning 2, 3 or 4 (any other count) big-endian bytes back into a float, scaled
// into [low, high] unless the range is (0, 1) or empty.
std::string WriteUnpackFunctions(int32_t byteCount, const QV::Math::CVector2<float>& range, const std::string& suffix);
std::string WriteUnpackFunctions(int32_t byteCount, float low, float high, const std::string& suffix);
// A GLSL function storing a vec2 in [low, high] as two 16-bit numbers in the four channels.
std::string WritePackFunctions(const QV::Math::CVector2<float>& range, const std::string& suffix);
std::string WritePackFunctions(float low, float high, const std::string& suffix);

// Smoothstep statements declaring the float result (two lines each).
std::string WriteSmoothStepScaleBias(const std::string& x, const std::string& result, float lowerEdge, float upperEdge);
std::string WriteSmoothStep(const std::string& upperEdge, const std::string& x, const std::string& result,
                            float lowerEdge);
std::string WriteSmoothStepReciprocal(const std::string& lowerEdge, const std::string& inverseWidth,
                                      const std::string& x, const std::string& result);

// A levels ramp: 0 at min(a, b), 0.5 at the fraction m between the edges, 1 at max(a, b),
// clamped and assigned to result. Empty for the identity ramp (0, 0.5, 1).
std::string WriteLinearRampMinMax(const std::string& x, const std::string& result, float a, float m, float b);

}  // namespace QV::Graphics::ShaderSource
