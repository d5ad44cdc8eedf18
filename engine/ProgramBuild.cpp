#include "engine/ProgramBuild.h"

#include <cstdio>
#include <exception>
#include <vector>

#include "gpu/Device.h"
#include "gpu/ShaderConstants.h"
#include "gpu/shadersource/ShaderSource.h"

using namespace QV::Graphics;

IShaderProgram* BuildEngineProgram(IShaderProgram*& slot, int32_t precision,
                                   const std::function<std::string()>& writeFragment, const char* what)
{
    IDevice* device = CDevice::GetCurrentDevice();
    if (!device) {
        std::fprintf(stderr, "%s program: no current graphics device\n", what);
        return nullptr;
    }
    std::string fragment;
    try {
        fragment = writeFragment();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s program not built: %s\n", what, error.what());
    }
    IShaderProgram* program = device->GetShader()->CreateProgram();
    slot = program;
    if (fragment.empty())
        return program;
    static const std::vector<CVertexAttribute> attributes{CVertexAttribute(0, "vaPosition")};
    if (!program->Build(ShaderSource::DefaultVertexShader(precision), fragment, attributes)) {
        std::fprintf(stderr, "%s program failed to build; its pass is skipped\n", what);
        return program;
    }
    static const QV::Math::CMatrix4<float> projection = ShaderSource::UnitSquareToClipMatrix;
    program->SetUniformMatrix4fv("uModelViewProjectionMatrix", 1, false, &projection);
    program->SetUniformSampler("img0", 0);
    return program;
}
