#pragma once
// Constants the shader source generator and its program builders share.
#include <string>

#include "gpu/Math.h"

namespace QV::Graphics {

// GLSL float precision a program is generated with.
enum ePrecision : int32_t { PRECISION_LOW = 0, PRECISION_MEDIUM = 1, PRECISION_HIGH = 2 };

namespace ShaderSource {

// Maps the unit square [0, 1]^2 onto clip space [-1, 1]^2 and negates z; equals
// CMatrix4<float>::Ortho(0, 1, 0, 1, -1, 1).
inline constexpr QV::Math::CMatrix4<float> UnitSquareToClipMatrix(2, 0, 0, -1, 0, 2, 0, -1, 0, 0, -1, 0, 0, 0, 0, 1);
inline constexpr QV::Math::CMatrix4<float> IdentityMatrix = QV::Math::CMatrix4<float>::Identity();
// Indexed by ePrecision: "lowp", "mediump", "highp". Inline, so that it is initialised before
// any static object of a file that includes this header.
inline const std::string PrecisionNames[3] = {"lowp", "mediump", "highp"};

}  // namespace ShaderSource
}  // namespace QV::Graphics
