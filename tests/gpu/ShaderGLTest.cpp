// Programs and uniforms: lazy uploads, the bound-program shadow, failed builds.
#include <limits>

#include "gpu/DeviceFixture.h"

using namespace QVTest;
using QV::Math::CMatrix3;
using QV::Math::CMatrix4;
using QV::Math::CVector2;
using QV::Math::CVector3;
using QV::Math::CVector4;

namespace {

const std::string kManyUniforms = Fragment(
    "    vec3 m = uN * vec3(uA, uB.x, uC.y);\n"
    "    gl_FragColor = uD + vec4(m, float(uI)) + texture2D(img0, vTexture0) + texture2D(img1, vTexture0);\n",
    "uniform float uA;\nuniform vec2 uB;\nuniform vec3 uC;\nuniform vec4 uD;\nuniform mat3 uN;\n"
    "uniform int uI;\nuniform sampler2D img0;\nuniform sampler2D img1;\n");

class ShaderTest : public DeviceTest {
protected:
    CShader* Shader() { return static_cast<CShader*>(device->GetShader()); }
    CShaderProgram* Many() { return static_cast<CShaderProgram*>(Program(kManyUniforms)); }
};

}  // namespace

TEST_F(ShaderTest, FloatUniformsUploadLazilyAndOnlyWhenChanged) {
    CShaderProgram* p = Many();
    ASSERT_TRUE(p->IsBuilt());
    Shader()->UseProgram(p);  // binds it and uploads the matrix
    struct Step {
        const char* what;
        std::function<void()> set;
        size_t uploads;
    };
    float nan = std::numeric_limits<float>::quiet_NaN();
    const Step steps[] = {
        {"0.0 is what GL holds", [&] { p->SetUniform1f("uA", 0.0f); }, 0},
        {"0.5", [&] { p->SetUniform1f("uA", 0.5f); }, 1},
        {"0.5 twice", [&] { p->SetUniform1f("uA", 0.25f), p->SetUniform1f("uA", 0.25f); }, 1},
        {"set and set back", [&] { p->SetUniform1f("uA", 0.75f), p->SetUniform1f("uA", 0.25f); }, 0},
        {"NaN", [&] { p->SetUniform1f("uA", nan); }, 1},
        {"NaN again", [&] { p->SetUniform1f("uA", nan); }, 1},
        {"vec2", [&] { p->SetUniform2f("uB", CVector2<float>(1, 2)); }, 1},
        {"vec2 same", [&] { p->SetUniform2f("uB", CVector2<float>(1, 2)); }, 0},
        {"vec3 one component", [&] { p->SetUniform3f("uC", CVector3<float>(0, 1, 0)); }, 1},
        {"vec4 zero", [&] { p->SetUniform4f("uD", CVector4<float>(0, 0, 0, 0)); }, 0},
        {"sampler 0", [&] { p->SetUniformSampler("img0", 0); }, 0},
        {"sampler 3", [&] { p->SetUniformSampler("img0", 3); }, 1},
        {"unknown name", [&] { p->SetUniform1f("uNoSuchThing", 1.0f); }, 0},
        {"wrong type", [&] { p->SetUniform2f("uA", CVector2<float>(1, 1)); }, 0},
        {"int uniform", [&] { p->SetUniformSampler("uI", 2); }, 0},
    };
    for (const Step& step : steps) {
        GLCallLog log;
        step.set();
        EXPECT_EQ(log.Count(), 0u) << step.what << ": setters make no GL call";
        Shader()->UseProgram(p);
        EXPECT_EQ(log.Count(), step.uploads) << step.what;
        EXPECT_EQ(log.Count("glUseProgram"), 0u) << "the program stays bound";
    }
}

TEST_F(ShaderTest, MatricesUploadOnFirstSetAndOnAnyDifference) {
    CShaderProgram* p = Many();
    Shader()->UseProgram(p);
    CMatrix3<float> zero[2];
    for (auto& m : zero)
        for (float& v : m.m) v = 0;
    CMatrix3<float> other = zero[0];
    other.m[4] = 1;
    struct Step {
        const char* what;
        int count;
        bool transpose;
        const CMatrix3<float>* values;
        size_t uploads;
    };
    const Step steps[] = {
        {"first set, even all zero", 1, false, zero, 1},
        {"same again", 1, false, zero, 0},
        {"other transpose flag", 1, true, zero, 1},
        {"back to untransposed", 1, false, zero, 1},
        {"another count", 2, false, zero, 1},
        {"another element", 1, false, &other, 1},
    };
    for (const Step& s : steps) {
        GLCallLog log;
        p->SetUniformMatrix3fv("uN", s.count, s.transpose, s.values);
        Shader()->UseProgram(p);
        EXPECT_EQ(log.Count("glUniformMatrix3fv"), s.uploads) << s.what;
    }
}

TEST_F(ShaderTest, UploadsGoOutInLocationOrder) {
    CShaderProgram* p = Many();
    Shader()->UseProgram(p);
    GLuint name = p->GetProgram();
    p->SetUniform4f("uD", CVector4<float>(1, 1, 1, 1));
    p->SetUniform1f("uA", 1);
    p->SetUniform3f("uC", CVector3<float>(1, 1, 1));
    GLCallLog log;
    Shader()->UseProgram(p);
    ASSERT_EQ(log.Count(), 3u);
    std::vector<std::pair<GLint, std::string>> expected = {{glGetUniformLocation(name, "uD"), "glUniform4f"},
                                                           {glGetUniformLocation(name, "uA"), "glUniform1f"},
                                                           {glGetUniformLocation(name, "uC"), "glUniform3f"}};
    std::sort(expected.begin(), expected.end());
    for (size_t i = 0; i < 3; ++i)
        EXPECT_EQ(log.Calls()[i].rfind(expected[i].second + "(" + std::to_string(expected[i].first) + ",", 0), 0u)
            << log.Calls()[i];
}

TEST_F(ShaderTest, BoundProgramShadow) {
    CShaderProgram* a = Many();
    IShaderProgram* unbuilt = device->GetShader()->CreateProgram();
    programs.push_back(unbuilt);
    GLCallLog log;
    EXPECT_TRUE(Shader()->UseProgram(nullptr));
    EXPECT_EQ(log.Count(), 0u) << "nothing bound, nothing to unbind";
    EXPECT_FALSE(Shader()->UseProgram(unbuilt));
    EXPECT_FALSE(Shader()->UseProgram(unbuilt));
    EXPECT_EQ(log.Count(), 0u);
    EXPECT_TRUE(Shader()->UseProgram(a));
    EXPECT_TRUE(Shader()->UseProgram(a));
    EXPECT_EQ(log.Count("glUseProgram"), 1u);
    log.Clear();
    device->GetShader()->DeleteProgram(a);
    programs.erase(std::find(programs.begin(), programs.end(), a));
    ASSERT_GE(log.Count(), 2u);
    EXPECT_EQ(log.Calls()[0], "glUseProgram(0)") << "unbound before it is destroyed";
    EXPECT_EQ(Shader()->GetCurrentProgram(), nullptr);
    log.Clear();
    device->GetShader()->DeleteProgram(nullptr);
    device->GetShader()->UnbindProgram();
    EXPECT_EQ(log.Count(), 0u);
}

TEST_F(ShaderTest, BuildRules) {
    IShaderProgram* p = device->GetShader()->CreateProgram();
    programs.push_back(p);
    {
        GLCallLog log;
        EXPECT_FALSE(p->Build(kQuadVertex, std::string(), {CVertexAttribute(0, "vaPosition")}));
        EXPECT_EQ(log.Count(), 0u) << "empty text creates no GL object";
    }
    std::ostringstream fragment;
    fragment << Fragment("    gl_FragColor = vec4(1.0);\n");
    EXPECT_TRUE(p->Build(kQuadVertex, fragment, {CVertexAttribute(0, "vaPosition")}));
    GLCallLog log;
    EXPECT_TRUE(p->Build("garbage", "garbage", {}));
    EXPECT_EQ(log.Count(), 0u) << "a built program ignores further builds";
    EXPECT_GT(device->GetShader()->GetMaxVaryingComponents(), 0);

    // A failed build may be followed by another on the same object, which then succeeds.
    IShaderProgram* retried = device->GetShader()->CreateProgram();
    programs.push_back(retried);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(retried->Build(kQuadVertex, Fragment("    gl_FragColor = vec4(missing);\n"),
                                {CVertexAttribute(0, "vaPosition")}));
    testing::internal::GetCapturedStderr();
    EXPECT_FALSE(retried->IsBuilt());
    EXPECT_TRUE(
        retried->Build(kQuadVertex, Fragment("    gl_FragColor = vec4(0.5);\n"), {CVertexAttribute(0, "vaPosition")}));
    EXPECT_TRUE(static_cast<CShader*>(device->GetShader())->UseProgram(retried));
    EXPECT_EQ(device->GetShader()->GetMaxVaryingComponents() % 4, 0);
}

TEST_F(ShaderTest, FailedBuildPrintsItsLogAndItsDrawsAreSkipped) {
    IShaderProgram* good = Program(Fragment("    gl_FragColor = vec4(1.0, 0.0, 0.0, 1.0);\n"));
    IVertexArrayObject* quad = Quad();
    Target(2, 2);
    device->SetClearColor(0, 0, 0, 0);
    device->Clear(true, false);
    device->Draw(good, quad, PRIMITIVE_TRIANGLE_STRIP);  // leaves `good` bound

    testing::internal::CaptureStderr();
    IShaderProgram* broken = Program(Fragment("    gl_FragColor = vec4(undeclared);\n"));
    std::string log = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(broken->IsBuilt());
    EXPECT_NE(log.find("Fragment shader compilation failed"), std::string::npos) << log;
    EXPECT_NE(log.find("undeclared"), std::string::npos) << log;

    testing::internal::CaptureStderr();
    IShaderProgram* unlinked =
        Program(Fragment("    gl_FragColor = vec4(vMissing, 0.0, 1.0);\n", "varying vec2 vMissing;\n"));
    log = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(unlinked->IsBuilt());
    EXPECT_NE(log.find("Program link failed"), std::string::npos) << log;

    device->SetClearColor(0, 0, 1, 1);
    device->Clear(true, false);
    GLCallLog calls;
    device->Draw(broken, quad, PRIMITIVE_TRIANGLE_STRIP);
    device->DrawRange(unlinked, quad, PRIMITIVE_TRIANGLE_STRIP, 0, 4);
    device->Draw(nullptr, quad, PRIMITIVE_TRIANGLE_STRIP);
    EXPECT_EQ(calls.Count(), 0u);
    std::vector<uint8_t> pixels = Read(2, 2);
    EXPECT_EQ(pixels[0], 0) << "nothing was drawn with the program left bound";
    EXPECT_EQ(pixels[2], 255);
}
