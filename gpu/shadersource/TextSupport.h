#pragma once
// Pieces shared by the program texts of this folder (not part of the generator's interface).
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace QV::Graphics::ShaderSource::Detail {

// The fixed nine-tap kernel of the range-weighted blurs (centre 0.18, then 0.15, 0.12, 0.09 and
// 0.05 at one to four taps out); it sums to 1.
inline const std::vector<double> kFixedRangeKernel = {0.05, 0.09, 0.12, 0.15, 0.18, 0.15, 0.12, 0.09, 0.05};

// A weight or offset narrowed to float and written as a GLSL literal.
std::string Lit(double value);

// Gaussian weights of taps taps, or std::invalid_argument when none exist.
std::vector<double> GaussianWeightsOrThrow(int32_t taps, double sigma, double spacing);

// The vertex shader of a separable pass: vTexture0 at the pixel, taps 1 and 2 one texel either
// side along the axis, the rest written by WriteTapOffsets.
void WriteSeparableVertexShader(std::ostream& out, int32_t taps, bool vertical, int32_t varyingCap, int32_t precision,
                                bool clipSpaceCoordinates);

// "precision <name> float;\n".
std::string PrecisionLine(int32_t precision);

// The head every generated vertex shader shares, through the gl_Position line: precision, the
// matrix uniform, the shader's own uniform declarations (whole lines), the position attribute,
// `varyings` texture-coordinate varyings and the opening of main.
void WriteVertexHead(std::ostream& out, int32_t precision, const std::string& uniforms, int32_t varyings,
                     int32_t varyingCap);

}  // namespace QV::Graphics::ShaderSource::Detail
