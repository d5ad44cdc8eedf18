#include "gpu/Shader.h"

#include <cstdio>
#include <vector>

#include "gpu/GLCall.h"
#include "platform/opengles/GLES.h"

namespace QV::Graphics {
namespace {

// The compile or link log, so that a broken generated program can be diagnosed.
void PrintLog(const char* what, GLuint object, bool isProgram) {
    GLint length = 0;
    if (isProgram) QV_GL(glGetProgramiv, object, GL_INFO_LOG_LENGTH, &length);
    else QV_GL(glGetShaderiv, object, GL_INFO_LOG_LENGTH, &length);
    std::vector<char> log(static_cast<size_t>(length > 1 ? length : 1), '\0');
    if (length > 1) {
        if (isProgram) QV_GL(glGetProgramInfoLog, object, length, nullptr, log.data());
        else QV_GL(glGetShaderInfoLog, object, length, nullptr, log.data());
    }
    std::fprintf(stderr, "%s failed:\n%s\n", what, log.data());
}

const char* ShaderKind(uint32_t type) {
    return type == GL_VERTEX_SHADER ? "Vertex shader compilation" : "Fragment shader compilation";
}

}  // namespace

// ---- uniforms ----

namespace {
// Sends the pending value when it is dirty; it becomes what GL holds.
template <typename Uniform, typename Send>
void UploadPending(Uniform& u, Send send) {
    if (!u.dirty) return;
    u.dirty = false;
    u.uploaded = u.pending;
    send(u.location, u.pending);
}
}  // namespace

void CUniform1f::Upload() {
    UploadPending(*this, [](GLint at, float v) { QV_GL(glUniform1f, at, v); });
}
void CUniform2f::Upload() {
    UploadPending(*this, [](GLint at, const auto& v) { QV_GL(glUniform2f, at, v.x, v.y); });
}
void CUniform3f::Upload() {
    UploadPending(*this, [](GLint at, const auto& v) { QV_GL(glUniform3f, at, v.x, v.y, v.z); });
}
void CUniform4f::Upload() {
    UploadPending(*this, [](GLint at, const auto& v) { QV_GL(glUniform4f, at, v.x, v.y, v.z, v.w); });
}
void CUniformSampler::Upload() {
    UploadPending(*this, [](GLint at, int32_t unit) { QV_GL(glUniform1i, at, unit); });
}

namespace {
template <typename Matrix>
bool SetMatrixValue(std::vector<Matrix>& uploaded, bool uploadedTranspose, std::vector<Matrix>& pending,
                    bool& pendingTranspose, bool& dirty, int count, bool transpose, const Matrix* values) {
    if (count < 0 || (count > 0 && !values)) count = 0;
    bool changed = uploaded.empty() || transpose != uploadedTranspose || static_cast<size_t>(count) != uploaded.size();
    for (int i = 0; !changed && i < count; ++i) changed = values[i] != uploaded[i];
    pending.assign(values, values + count);
    pendingTranspose = transpose;
    dirty = changed;
    return changed;
}
}  // namespace

bool CUniformMatrix3fv::SetValue(int count, bool transpose, const QV::Math::CMatrix3<float>* values) {
    return SetMatrixValue(uploaded, uploadedTranspose, pending, pendingTranspose, dirty, count, transpose, values);
}

bool CUniformMatrix4fv::SetValue(int count, bool transpose, const QV::Math::CMatrix4<float>* values) {
    return SetMatrixValue(uploaded, uploadedTranspose, pending, pendingTranspose, dirty, count, transpose, values);
}

namespace {
template <typename Uniform, typename Send>
void UploadMatrices(Uniform& u, const char* name, Send send) {
    if (!u.dirty) return;
    u.dirty = false;
    u.uploaded = u.pending;
    u.uploadedTranspose = u.pendingTranspose;
    CallGL(name, send, u.location, static_cast<GLsizei>(u.pending.size()), static_cast<GLboolean>(u.pendingTranspose),
           u.pending.empty() ? nullptr : static_cast<const GLfloat*>(u.pending[0].m));
}
}  // namespace

void CUniformMatrix3fv::Upload() { UploadMatrices(*this, "glUniformMatrix3fv", glUniformMatrix3fv); }
void CUniformMatrix4fv::Upload() { UploadMatrices(*this, "glUniformMatrix4fv", glUniformMatrix4fv); }

// ---- programs ----

CShaderProgram::~CShaderProgram() {
    if (vertexShader) QV_GL(glDeleteShader, vertexShader);
    if (fragmentShader) QV_GL(glDeleteShader, fragmentShader);
    if (program) QV_GL(glDeleteProgram, program);
}

template <typename Map, typename Value>
void CShaderProgram::SetScalar(Map& map, const std::string& name, const Value& value) {
    auto it = map.find(name);
    if (it == map.end()) return;  // not a uniform of this type in the built program
    auto& uniform = it->second;
    bool changed = value != uniform.uploaded;
    uniform.dirty = changed;
    uniform.pending = value;
    MarkDirty(&uniform, changed);
}

void CShaderProgram::SetUniformMatrix3fv(const std::string& name, int count, bool transpose,
                                         const QV::Math::CMatrix3<float>* values) {
    auto it = uniformsMatrix3fv.find(name);
    if (it == uniformsMatrix3fv.end()) return;
    MarkDirty(&it->second, it->second.SetValue(count, transpose, values));
}

void CShaderProgram::SetUniformMatrix4fv(const std::string& name, int count, bool transpose,
                                         const QV::Math::CMatrix4<float>* values) {
    auto it = uniformsMatrix4fv.find(name);
    if (it == uniformsMatrix4fv.end()) return;
    MarkDirty(&it->second, it->second.SetValue(count, transpose, values));
}

void CShaderProgram::SetUniformSampler(const std::string& name, int unit) {
    SetScalar(uniformsSampler, name, static_cast<int32_t>(unit));
}
void CShaderProgram::SetUniform1f(const std::string& name, float value) { SetScalar(uniforms1f, name, value); }
void CShaderProgram::SetUniform2f(const std::string& name, const QV::Math::CVector2<float>& value) {
    SetScalar(uniforms2f, name, value);
}
void CShaderProgram::SetUniform3f(const std::string& name, const QV::Math::CVector3<float>& value) {
    SetScalar(uniforms3f, name, value);
}
void CShaderProgram::SetUniform4f(const std::string& name, const QV::Math::CVector4<float>& value) {
    SetScalar(uniforms4f, name, value);
}

bool CShaderProgram::Build(const std::ostringstream& vertex, const std::string& fragment,
                           const std::vector<CVertexAttribute>& attributes) {
    return Build(vertex.str(), fragment, attributes);
}
bool CShaderProgram::Build(const std::string& vertex, const std::ostringstream& fragment,
                           const std::vector<CVertexAttribute>& attributes) {
    return Build(vertex, fragment.str(), attributes);
}
bool CShaderProgram::Build(const std::ostringstream& vertex, const std::ostringstream& fragment,
                           const std::vector<CVertexAttribute>& attributes) {
    return Build(vertex.str(), fragment.str(), attributes);
}

bool CShaderProgram::Build(const std::string& vertex, const std::string& fragment,
                           const std::vector<CVertexAttribute>& attributes) {
    if (program) return true;
    if (vertex.empty() || fragment.empty()) return false;
    // A retry after a failed build compiles afresh.
    if (vertexShader) QV_GL(glDeleteShader, vertexShader), vertexShader = 0;
    if (fragmentShader) QV_GL(glDeleteShader, fragmentShader), fragmentShader = 0;
    if (!CompileShader(GL_VERTEX_SHADER, vertex, vertexShader)) return false;
    if (!CompileShader(GL_FRAGMENT_SHADER, fragment, fragmentShader)) return false;
    GLuint p = QV_GL(glCreateProgram);
    if (p == 0) return false;
    QV_GL(glAttachShader, p, vertexShader);
    QV_GL(glAttachShader, p, fragmentShader);
    for (const CVertexAttribute& a : attributes)
        QV_GL(glBindAttribLocation, p, static_cast<GLuint>(a.location), a.name.c_str());
    QV_GL(glLinkProgram, p);
    GLint linked = 0;
    QV_GL(glGetProgramiv, p, GL_LINK_STATUS, &linked);
    if (!linked) {
        PrintLog("Program link", p, true);
        QV_GL(glDeleteProgram, p);
        return false;
    }
    GLint count = 0;
    QV_GL(glGetProgramiv, p, GL_ACTIVE_UNIFORMS, &count);
    for (GLint i = 0; i < count; ++i) {
        char nameBuffer[128] = {};
        GLint arraySize = 0;
        GLenum type = 0;
        QV_GL(glGetActiveUniform, p, static_cast<GLuint>(i), static_cast<GLsizei>(127), nullptr, &arraySize, &type,
              nameBuffer);
        std::string name(nameBuffer);
        GLint location = QV_GL(glGetUniformLocation, p, nameBuffer);
        switch (type) {
        case GL_FLOAT: uniforms1f.try_emplace(name, name, location); break;
        case GL_FLOAT_VEC2: uniforms2f.try_emplace(name, name, location); break;
        case GL_FLOAT_VEC3: uniforms3f.try_emplace(name, name, location); break;
        case GL_FLOAT_VEC4: uniforms4f.try_emplace(name, name, location); break;
        case GL_FLOAT_MAT3: uniformsMatrix3fv.try_emplace(name, name, location); break;
        case GL_FLOAT_MAT4: uniformsMatrix4fv.try_emplace(name, name, location); break;
        case GL_SAMPLER_2D: uniformsSampler.try_emplace(name, name, location); break;
        default: break;  // int, bool, mat2 and cube samplers are not settable
        }
    }
    program = p;
    return true;
}

bool CShaderProgram::CompileShader(uint32_t type, const std::string& text, uint32_t& shader) {
    if (program) return false;
    GLuint s = QV_GL(glCreateShader, static_cast<GLenum>(type));
    if (s == 0) return false;
    const char* source = text.c_str();
    QV_GL(glShaderSource, s, static_cast<GLsizei>(1), &source, nullptr);
    QV_GL(glCompileShader, s);
    GLint compiled = 0;
    QV_GL(glGetShaderiv, s, GL_COMPILE_STATUS, &compiled);
    if (!compiled) {
        PrintLog(ShaderKind(type), s, false);
        QV_GL(glDeleteShader, s);
        return false;
    }
    shader = s;
    return true;
}

void CShaderProgram::MarkDirty(CUniform* uniform, bool changed) {
    if (changed) dirtyUniforms.try_emplace(uniform->location, uniform);
    else dirtyUniforms.erase(uniform->location);
}

void CShaderProgram::FlushDirtyUniforms() {
    if (dirtyUniforms.empty()) return;
    for (auto& [location, uniform] : dirtyUniforms) uniform->Upload();
    dirtyUniforms.clear();
}

CUniform* CShaderProgram::FindUniform(const std::string& name) {
    auto find = [&](auto& map) -> CUniform* {
        auto it = map.find(name);
        return it == map.end() ? nullptr : &it->second;
    };
    for (CUniform* u : {find(uniformsMatrix3fv), find(uniformsMatrix4fv), find(uniformsSampler), find(uniforms1f),
                        find(uniforms2f), find(uniforms3f), find(uniforms4f)})
        if (u) return u;
    return nullptr;
}

// ---- manager ----

IShaderProgram* CShader::CreateProgram() { return new CShaderProgram(); }

void CShader::DeleteProgram(IShaderProgram* program) {
    if (!program) return;
    if (program == currentProgram) {
        currentProgram = nullptr;
        QV_GL(glUseProgram, 0u);
    }
    delete program;
}

void CShader::UnbindProgram() {
    if (!currentProgram) return;
    currentProgram = nullptr;
    QV_GL(glUseProgram, 0u);
}

void CShader::ReleaseCompiler() {
    UnbindProgram();
    QV_GL(glReleaseShaderCompiler);
}

void CShader::QueryLimits() {
    GLint varyings = 0;
    QV_GL(glGetIntegerv, GL_MAX_VARYING_VECTORS, &varyings);
    maxVaryingComponents = varyings * 4;
    GLint range[2] = {0, 0};
    GLint precision = 0;
    QV_GL(glGetShaderPrecisionFormat, GL_FRAGMENT_SHADER, GL_HIGH_FLOAT, range, &precision);
    fragmentHighPrecision = precision > 0;
}

bool CShader::UseProgram(IShaderProgram* program) {
    if (!program) {
        UnbindProgram();
        return true;
    }
    auto* p = static_cast<CShaderProgram*>(program);
    if (p->GetProgram() == 0) return false;
    if (p != currentProgram) {
        QV_GL(glUseProgram, p->GetProgram());
        currentProgram = p;
    }
    p->FlushDirtyUniforms();
    return true;
}

}  // namespace QV::Graphics
