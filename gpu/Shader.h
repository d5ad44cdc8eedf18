#pragma once
// GLSL programs and their uniforms. Programs are made through the device's shader manager
// (IDevice::GetShader()->CreateProgram()), built once from vertex and fragment text, and fed
// through setters by uniform name at any time: a setter makes no GL call; values that differ
// from what GL holds are uploaded when the program is next used for a draw.
#include <cstdint>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "gpu/Math.h"

namespace QV::Graphics {

class CShaderProgram;

// A generic vertex attribute bound to a location before linking.
class CVertexAttribute {
public:
    CVertexAttribute(int32_t location_, std::string name_) : location(location_), name(std::move(name_)) {}
    CVertexAttribute(const CVertexAttribute&) = default;
    CVertexAttribute& operator=(const CVertexAttribute&) = default;
    virtual ~CVertexAttribute() = default;

    int32_t location;
    std::string name;
};

class CUniform {
public:
    CUniform(std::string name_, int32_t location_) : name(std::move(name_)), location(location_) {}
    virtual ~CUniform() = default;
    // Sends the pending value when it is dirty.
    virtual void Upload() = 0;

    std::string name;
    int32_t location;
    bool dirty = false;
};

class CUniform1f : public CUniform {
public:
    using CUniform::CUniform;
    void Upload() override;
    float uploaded = 0.0f;
    float pending = 3.4028235e38f;
};

class CUniform2f : public CUniform {
public:
    using CUniform::CUniform;
    void Upload() override;
    QV::Math::CVector2<float> uploaded{0, 0};
    QV::Math::CVector2<float> pending{3.4028235e38f, 3.4028235e38f};
};

class CUniform3f : public CUniform {
public:
    using CUniform::CUniform;
    void Upload() override;
    QV::Math::CVector3<float> uploaded{0, 0, 0};
    QV::Math::CVector3<float> pending{3.4028235e38f, 3.4028235e38f, 3.4028235e38f};
};

class CUniform4f : public CUniform {
public:
    using CUniform::CUniform;
    void Upload() override;
    QV::Math::CVector4<float> uploaded{0, 0, 0, 0};
    QV::Math::CVector4<float> pending{3.4028235e38f, 3.4028235e38f, 3.4028235e38f, 3.4028235e38f};
};

class CUniformSampler : public CUniform {
public:
    using CUniform::CUniform;
    void Upload() override;
    int32_t uploaded = 0;
    int32_t pending = 2147483647;
};

class CUniformMatrix3fv : public CUniform {
public:
    using CUniform::CUniform;
    void Upload() override;
    // Returns whether the value differs from what GL holds (the first set always does).
    bool SetValue(int count, bool transpose, const QV::Math::CMatrix3<float>* values);
    std::vector<QV::Math::CMatrix3<float>> uploaded;
    bool uploadedTranspose = false;
    std::vector<QV::Math::CMatrix3<float>> pending;
    bool pendingTranspose = false;
};

class CUniformMatrix4fv : public CUniform {
public:
    using CUniform::CUniform;
    void Upload() override;
    bool SetValue(int count, bool transpose, const QV::Math::CMatrix4<float>* values);
    std::vector<QV::Math::CMatrix4<float>> uploaded;
    bool uploadedTranspose = false;
    std::vector<QV::Math::CMatrix4<float>> pending;
    bool pendingTranspose = false;
};

class IShaderProgram {
public:
    virtual ~IShaderProgram() = default;
    // Setters by the uniform's name as GL reports it ("uKernel[0]" for an array). A name the
    // program does not have as a uniform of that type (not built, or optimised away) is ignored.
    virtual void SetUniformMatrix3fv(const std::string& name, int count, bool transpose,
                                     const QV::Math::CMatrix3<float>* values) = 0;
    virtual void SetUniformMatrix4fv(const std::string& name, int count, bool transpose,
                                     const QV::Math::CMatrix4<float>* values) = 0;
    virtual void SetUniformSampler(const std::string& name, int unit) = 0;
    virtual void SetUniform1f(const std::string& name, float value) = 0;
    virtual void SetUniform2f(const std::string& name, const QV::Math::CVector2<float>& value) = 0;
    virtual void SetUniform3f(const std::string& name, const QV::Math::CVector3<float>& value) = 0;
    virtual void SetUniform4f(const std::string& name, const QV::Math::CVector4<float>& value) = 0;
    // Compiles, binds the attribute locations, links and enumerates the active uniforms. True at
    // once when already built. On failure the compile or link log goes to standard error and the
    // program stays unbuilt (drawing with it is skipped).
    virtual bool Build(const std::ostringstream& vertex, const std::string& fragment,
                       const std::vector<CVertexAttribute>& attributes) = 0;
    virtual bool Build(const std::string& vertex, const std::ostringstream& fragment,
                       const std::vector<CVertexAttribute>& attributes) = 0;
    virtual bool Build(const std::ostringstream& vertex, const std::ostringstream& fragment,
                       const std::vector<CVertexAttribute>& attributes) = 0;
    virtual bool Build(const std::string& vertex, const std::string& fragment,
                       const std::vector<CVertexAttribute>& attributes) = 0;
    virtual bool IsBuilt() const = 0;
};

class CShaderProgram : public IShaderProgram {
public:
    CShaderProgram() = default;
    ~CShaderProgram() override;
    CShaderProgram(const CShaderProgram&) = delete;
    CShaderProgram& operator=(const CShaderProgram&) = delete;

    void SetUniformMatrix3fv(const std::string& name, int count, bool transpose,
                             const QV::Math::CMatrix3<float>* values) override;
    void SetUniformMatrix4fv(const std::string& name, int count, bool transpose,
                             const QV::Math::CMatrix4<float>* values) override;
    void SetUniformSampler(const std::string& name, int unit) override;
    void SetUniform1f(const std::string& name, float value) override;
    void SetUniform2f(const std::string& name, const QV::Math::CVector2<float>& value) override;
    void SetUniform3f(const std::string& name, const QV::Math::CVector3<float>& value) override;
    void SetUniform4f(const std::string& name, const QV::Math::CVector4<float>& value) override;
    bool Build(const std::ostringstream& vertex, const std::string& fragment,
               const std::vector<CVertexAttribute>& attributes) override;
    bool Build(const std::string& vertex, const std::ostringstream& fragment,
               const std::vector<CVertexAttribute>& attributes) override;
    bool Build(const std::ostringstream& vertex, const std::ostringstream& fragment,
               const std::vector<CVertexAttribute>& attributes) override;
    bool Build(const std::string& vertex, const std::string& fragment,
               const std::vector<CVertexAttribute>& attributes) override;
    bool IsBuilt() const override { return program != 0; }

    bool CompileShader(uint32_t type, const std::string& text, uint32_t& shader);
    void MarkDirty(CUniform* uniform, bool changed);
    void FlushDirtyUniforms();

    uint32_t GetProgram() const { return program; }
    size_t GetDirtyCount() const { return dirtyUniforms.size(); }
    // The uniform objects by name (null when the program has none of that type).
    CUniform* FindUniform(const std::string& name);

private:
    template <typename Map, typename Value>
    void SetScalar(Map& map, const std::string& name, const Value& value);

    uint32_t program = 0;
    uint32_t vertexShader = 0;
    uint32_t fragmentShader = 0;
    std::map<int32_t, CUniform*> dirtyUniforms;
    std::map<std::string, CUniformMatrix3fv> uniformsMatrix3fv;
    std::map<std::string, CUniformMatrix4fv> uniformsMatrix4fv;
    std::map<std::string, CUniformSampler> uniformsSampler;
    std::map<std::string, CUniform1f> uniforms1f;
    std::map<std::string, CUniform2f> uniforms2f;
    std::map<std::string, CUniform3f> uniforms3f;
    std::map<std::string, CUniform4f> uniforms4f;
};

class IShader {
public:
    virtual ~IShader() = default;
    virtual IShaderProgram* CreateProgram() = 0;
    // Unbinds it when it is the bound program, then destroys it. Null is ignored.
    virtual void DeleteProgram(IShaderProgram* program) = 0;
    virtual void UnbindProgram() = 0;
    virtual void ReleaseCompiler() = 0;
    // GL_MAX_VARYING_VECTORS x 4.
    virtual int32_t GetMaxVaryingComponents() const = 0;
    virtual bool HasFragmentHighPrecision() const = 0;
};

class CShader : public IShader {
public:
    CShader() = default;
    IShaderProgram* CreateProgram() override;
    void DeleteProgram(IShaderProgram* program) override;
    void UnbindProgram() override;
    void ReleaseCompiler() override;
    int32_t GetMaxVaryingComponents() const override { return maxVaryingComponents; }
    bool HasFragmentHighPrecision() const override { return fragmentHighPrecision; }

    void QueryLimits();
    // Binds the program when it is not the bound one and uploads its changed uniforms. False,
    // with nothing done, for a program that is not built; null unbinds and is true.
    bool UseProgram(IShaderProgram* program);
    IShaderProgram* GetCurrentProgram() const { return currentProgram; }

private:
    CShaderProgram* currentProgram = nullptr;
    int32_t maxVaryingComponents = 0;
    bool fragmentHighPrecision = false;
};

}  // namespace QV::Graphics
