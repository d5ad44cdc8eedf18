#pragma once
// Pieces shared by the program texts of this folder (not part of the generator's interface).
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace QV::Graphics::ShaderSource::Detail {

// A weight or offset narrowed to float and written as a GLSL literal.
std::string Lit(double value);

// Gaussian weights of taps taps, or std::invalid_argument when none exist.
std::vector<double> GaussianWeightsOrThrow(int32_t taps, double sigma, double spacing);

// The vertex shader of a separable pass: vTexture0 at the pixel, taps 1 and 2 one texel either
// side along the axis, the rest written by WriteTapOffsets.
void WriteSeparableVertexShader(std::ostream& out, int32_t taps, bool vertical, int32_t varyingCap,
                                int32_t precision, bool clipSpaceCoordinates);

// "precision <name> float;\n".
std::string PrecisionLine(int32_t precision);

}  // namespace QV::Graphics::ShaderSource::Detail
