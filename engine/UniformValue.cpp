#include "engine/UniformValue.h"

#include "gpu/Shader.h"

void ApplyUniforms(QV::Graphics::IShaderProgram& program, const UniformList& uniforms) {
    for (const sUniformValue& u : uniforms) {
        switch (u.count) {
        case 1: program.SetUniform1f(u.name, u.v[0]); break;
        case 2: program.SetUniform2f(u.name, {u.v[0], u.v[1]}); break;
        case 3: program.SetUniform3f(u.name, {u.v[0], u.v[1], u.v[2]}); break;
        default: program.SetUniform4f(u.name, {u.v[0], u.v[1], u.v[2], u.v[3]}); break;
        }
    }
}
