#pragma once
// A uniform value as a processing stage states it: the uniform's name and one to four floats.
// Each stage lists the values of the uniforms its current text declares; the program builder
// sets that list on a new program and a live parameter change sets the same list again, so the
// two cannot disagree.

#include <cstdint>
#include <string>
#include <vector>

#include "gpu/Math.h"

namespace QV::Graphics {
class IShaderProgram;
}

struct sUniformValue {
    std::string name;
    int32_t count;  // 1 to 4
    float v[4];

    static sUniformValue Of(std::string name, float x) { return {std::move(name), 1, {x, 0, 0, 0}}; }
    static sUniformValue Of(std::string name, const QV::Math::CVector2<float>& x) {
        return {std::move(name), 2, {x.x, x.y, 0, 0}};
    }
    static sUniformValue Of(std::string name, const QV::Math::CVector3<float>& x) {
        return {std::move(name), 3, {x.x, x.y, x.z, 0}};
    }
    static sUniformValue Of(std::string name, const QV::Math::CVector4<float>& x) {
        return {std::move(name), 4, {x.x, x.y, x.z, x.w}};
    }
};

using UniformList = std::vector<sUniformValue>;

// Sets every value of the list on the program (names the program lacks are ignored by it).
void ApplyUniforms(QV::Graphics::IShaderProgram& program, const UniformList& uniforms);
