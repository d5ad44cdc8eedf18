// Making an engine program in its slot, and the slots of the program context.

#include "engine/ProgramBuild.h"

#include <cstdio>
#include <exception>
#include <vector>

#include "engine/ShaderSets.h"
#include "gpu/Device.h"
#include "gpu/ShaderConstants.h"
#include "gpu/shadersource/ShaderSource.h"

using namespace QV::Graphics;

IShaderProgram* BuildEngineProgram(IShaderProgram*& slot, const std::function<sProgramText()>& write,
                                   const char* what) {
    IDevice* device = CDevice::GetCurrentDevice();
    if (!device) {
        std::fprintf(stderr, "%s program: no current graphics device\n", what);
        return nullptr;
    }
    sProgramText text;
    bool written = true;
    try {
        text = write();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s program not built: %s\n", what, error.what());
        written = false;
    }
    IShaderProgram* program = device->GetShader()->CreateProgram();
    slot = program;
    if (!written || text.fragment.empty()) return program;
    static const std::vector<CVertexAttribute> attributes{CVertexAttribute(0, "vaPosition")};
    if (!program->Build(text.vertex, text.fragment, attributes)) {
        std::fprintf(stderr, "%s program failed to build; its pass is skipped\n", what);
        return program;
    }
    static const QV::Math::CMatrix4<float> projection = ShaderSource::UnitSquareToClipMatrix;
    program->SetUniformMatrix4fv("uModelViewProjectionMatrix", 1, false, &projection);
    program->SetUniformSampler("img0", 0);
    return program;
}

IShaderProgram* BuildEngineProgram(IShaderProgram*& slot, int32_t precision,
                                   const std::function<std::string()>& writeFragment, const char* what) {
    return BuildEngineProgram(
        slot,
        [&] {
            return sProgramText{ShaderSource::DefaultVertexShader(precision), writeFragment()};
        },
        what);
}

IShaderProgram*& sProgramContext::Slot(int32_t pair) const { return shaderSets[pair][variant]; }
