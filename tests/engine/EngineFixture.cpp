#include "EngineFixture.h"

#include <sstream>

#include "gpu/shadersource/ShaderSource.h"
#include "platform/opengles/GLES.h"

using namespace QV::Graphics;

namespace {

struct UniformDecl {
    const char* name;
    int components;
};

const UniformDecl kUniforms[] = {
    {"uTemperature", 1},
    {"uExposure", 1},
    {"uFilmicStrength", 1},
    {"uColorCorrectionStrength", 1},
    {"uPouliSaturationExponent", 1},
    {"uContrastBasedOnBothBalance", 1},
    {"uToneMapStrength", 1},
    {"uPhotoFilterStrength", 1},
    {"uExponentialBrightness", 1},
    {"uExponentialBrightnessStrength", 1},
    {"uExponentialSaturationStrength", 1},
    {"uSaturationStrength", 1},
    {"uSaturationContrastStrength", 1},
    {"uContrastStrength", 1},
    {"uVibrancyStrength", 1},
    {"uEffectStrength", 1},
    {"uShadowsStrength", 2},
    {"uHighlightsStrength", 2},
    {"uBrightnessStrength", 2},
    {"uColorCorrectionCIE", 2},
    {"uVignetteRange", 2},
    {"uPhotoFilterColor", 3},
    {"uSplit", 4},
};

std::string FragmentText() {
    static const char* types[] = {"", "float", "vec2", "vec3", "vec4"};
    std::ostringstream text;
    text << "precision highp float;\n";
    for (const UniformDecl& u : kUniforms) text << "uniform " << types[u.components] << " " << u.name << ";\n";
    text << "void main()\n{\n    float s = 0.0;\n";
    for (const UniformDecl& u : kUniforms)
        text << "    s += "
             << (u.components == 1 ? std::string(u.name)
                                   : "dot(" + std::string(u.name) + ", " + types[u.components] + "(1.0))")
             << ";\n";
    text << "    gl_FragColor = vec4(s);\n}\n";
    return text.str();
}

void SetSentinels(IShaderProgram* program) {
    for (const UniformDecl& u : kUniforms) {
        const float s = EngineTest::kSentinel;
        switch (u.components) {
        case 1: program->SetUniform1f(u.name, s); break;
        case 2: program->SetUniform2f(u.name, {s, s}); break;
        case 3: program->SetUniform3f(u.name, {s, s, s}); break;
        default: program->SetUniform4f(u.name, {s, s, s, s}); break;
        }
    }
}

}  // namespace

void EngineTest::SetUp() {
    device = CDevice::Create(nullptr, true, false, false);
    ASSERT_NE(device, nullptr) << "no OpenGL ES 2 device";
    engine = std::make_unique<AmbrelGraphicsController>(TAVORIN_RESOURCE_DIR);
}

void EngineTest::TearDown() {
    if (engine) ReclaimPrograms();
    for (IShaderProgram* program : pool) device->GetShader()->DeleteProgram(program);
    pool.clear();
    engine.reset();
    EXPECT_FALSE(device && device->CheckError());
    device.reset();
}

void EngineTest::Remake() {
    ReclaimPrograms();
    engine = std::make_unique<AmbrelGraphicsController>(TAVORIN_RESOURCE_DIR);
}

IShaderProgram* EngineTest::TakeProgram() {
    if (!pool.empty()) {
        IShaderProgram* program = pool.back();
        pool.pop_back();
        return program;
    }
    IShaderProgram* program = device->GetShader()->CreateProgram();
    EXPECT_TRUE(
        program->Build(ShaderSource::DefaultVertexShader(2), FragmentText(), {CVertexAttribute(0, "vaPosition")}));
    return program;
}

void EngineTest::ReclaimPrograms() {
    for (CShaderSetsShaderProgram& pair : engine->shaderSets.pairs)
        for (IShaderProgram*& program : pair.programs)
            if (program) {
                pool.push_back(program);
                program = nullptr;
            }
}

void EngineTest::FillSlots() {
    auto* shader = static_cast<CShader*>(device->GetShader());
    for (CShaderSetsShaderProgram& pair : engine->shaderSets.pairs)
        for (IShaderProgram*& program : pair.programs) {
            if (!program) program = TakeProgram();
            SetSentinels(program);
            shader->UseProgram(program);  // uploads the sentinels
        }
    shader->UnbindProgram();
    engine->shaderSets.stale[0] = engine->shaderSets.stale[1] = false;
}

std::set<int32_t> EngineTest::EmptyPairs() const {
    std::set<int32_t> empty;
    for (int32_t pair = 0; pair < kProgramPairCount; ++pair)
        if (!engine->shaderSets[pair][0] && !engine->shaderSets[pair][1]) empty.insert(pair);
    return empty;
}

std::vector<float> EngineTest::ReadUniform(IShaderProgram* program, const std::string& name) {
    auto* shader = static_cast<CShader*>(device->GetShader());
    shader->UseProgram(program);  // uploads what the engine set
    const GLuint id = static_cast<CShaderProgram*>(program)->GetProgram();
    float values[4] = {};
    glGetUniformfv(id, glGetUniformLocation(id, name.c_str()), values);
    shader->UnbindProgram();
    for (const UniformDecl& u : kUniforms)
        if (name == u.name) return std::vector<float>(values, values + u.components);
    ADD_FAILURE() << "unknown uniform " << name;
    return {};
}

std::vector<EngineTest::Pushed> EngineTest::PushedUniforms() {
    std::vector<Pushed> pushed;
    for (int32_t pair = 0; pair < kProgramPairCount; ++pair) {
        IShaderProgram* first = engine->shaderSets[pair][0];
        IShaderProgram* second = engine->shaderSets[pair][1];
        if (!first || !second) continue;
        for (const UniformDecl& u : kUniforms) {
            const std::vector<float> a = ReadUniform(first, u.name);
            const std::vector<float> b = ReadUniform(second, u.name);
            const bool changedA = a[0] != kSentinel, changedB = b[0] != kSentinel;
            EXPECT_EQ(changedA, changedB) << u.name << " set on one variant only of pair " << pair;
            if (changedA && changedB) pushed.push_back({pair, u.name, a});
        }
    }
    return pushed;
}
