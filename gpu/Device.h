#pragma once
// The root of the GPU layer: one OpenGL ES 2 context with its extension flags, the managers
// through which every GPU object is made (shaders, vertex data, textures, framebuffers), the
// shadowed render state, the on-screen buffers of a CAEAGLLayer and the draw calls.
//
//   auto device = QV::Graphics::CDevice::Create(layer, true, false, false);  // or nullptr layer
//   device->MakeCurrent();
//   IDevice* d = QV::Graphics::CDevice::GetCurrentDevice();  // how everything else reaches it
#include <cstdint>
#include <memory>
#include <string>

#include "gpu/Framebuffer.h"
#include "gpu/GLEnums.h"
#include "gpu/Math.h"
#include "gpu/RenderState.h"
#include "gpu/Shader.h"
#include "gpu/Texture.h"
#include "gpu/VertexArray.h"
#include "platform/opengles/CAEAGLLayer.h"
#include "platform/opengles/EAGLContext.h"

namespace QV::Graphics {

class CDeviceCapabilities {
public:
    virtual ~CDeviceCapabilities() = default;

    // Reads the current context's extension list once and sets the flags.
    void Initialize();
    // Whether `name` stands in the space-separated list as a whole word (an empty name does).
    static bool HasExtension(const std::string& name, const std::string& extensions);

    bool discardFramebuffer = false;
    bool rgb8Rgba8 = false;
    bool textureHalfFloat = false;
    bool colorBufferHalfFloat = false;
    bool textureRg = false;
    bool textureHalfFloatLinear = false;
    bool blendMinMax = false;
    bool shaderFramebufferFetch = false;
    bool textureStorage = false;
    bool readFormatBgra = false;
    bool debugMarker = false;
    bool debugLabel = false;
};

class IDevice {
public:
    virtual ~IDevice() = default;
    virtual bool MakeCurrent() = 0;
    virtual void ReleaseCurrent() = 0;
    virtual void Finish() = 0;
    virtual void Flush() = 0;
    // Drops the on-screen buffers when the bound renderbuffer's size no longer matches them
    // (the next BindOnScreenFramebuffer makes them again at the layer's size).
    virtual void ValidateOnScreenBuffers() = 0;
    virtual void RecreateOnScreenBuffers() = 0;
    // Hands the on-screen colour buffer's pixels to the layer.
    virtual void Present() = 0;
    // Binds the framebuffer that draws into the layer, creating it on first use.
    virtual void BindOnScreenFramebuffer() = 0;
    virtual void SetClearColor(float r, float g, float b, float a) = 0;
    virtual void SetClearColor(const QV::Math::CVector4<float>& colour) = 0;
    virtual const QV::Math::CVector4<float>& GetClearColor() const = 0;
    // Clears the whole framebuffer (the scissor test is switched off around it).
    virtual void Clear(bool colour, bool depth) = 0;
    virtual int32_t GetOnScreenWidth() const = 0;
    virtual int32_t GetOnScreenHeight() const = 0;
    virtual void SetViewport(int32_t x, int32_t y, int32_t width, int32_t height) = 0;
    virtual void SetViewport(const int32_t rectangle[4]) = 0;
    // {x, y, width, height}
    virtual const int32_t* GetViewport() const = 0;
    virtual IShader* GetShader() = 0;
    virtual IVertexArray* GetVertexArray() = 0;
    virtual ITexture* GetTexture() = 0;
    virtual ICulling* GetCulling() = 0;
    virtual IDepthTest* GetDepthTest() = 0;
    virtual IBlending* GetBlending() = 0;
    virtual IFramebuffer* GetFramebuffer() = 0;
    virtual IScissorTest* GetScissorTest() = 0;
    // Binds the program (uploading its changed uniforms), enables the object's attribute arrays
    // and draws all of its vertices or indices. Skipped when the program is null or not built.
    virtual void Draw(IShaderProgram* program, IVertexArrayObject* vertices, ePrimitive primitive) = 0;
    virtual void DrawRange(IShaderProgram* program, IVertexArrayObject* vertices, ePrimitive primitive, int32_t first,
                           int32_t count) = 0;
    virtual void InsertEventMarker(const std::string& marker) = 0;
    // Reads one GL error; prints "glGetError(): %d, x%x\n" and returns true when there was one.
    virtual bool CheckError() = 0;
    virtual bool HasDiscardFramebuffer() const = 0;
    virtual bool HasRgb8Rgba8() const = 0;
    virtual bool HasTextureHalfFloat() const = 0;
    virtual bool HasColorBufferHalfFloat() const = 0;
    virtual bool HasTextureRg() const = 0;
    virtual bool HasTextureHalfFloatLinear() const = 0;
    virtual bool HasBlendMinMax() const = 0;
    virtual bool HasShaderFramebufferFetch() const = 0;
    virtual bool HasTextureStorage() const = 0;
    virtual bool HasReadFormatBgra() const = 0;
    virtual bool HasDebugMarker() const = 0;
    virtual bool HasDebugLabel() const = 0;
    // The device's context (for the texture cache and the layer).
    virtual EAGLContext* GetContext() const = 0;
};

class CDevice : public IDevice {
public:
    // A device drawing into `layer` (null for an offscreen device: it draws only into
    // framebuffer objects). The device is current on the calling thread afterwards. Null when no
    // OpenGL ES 2 context can be made.
    static std::unique_ptr<IDevice> Create(CAEAGLLayer* layer, bool opaque, bool depthBuffer, bool retainedBacking);
    // The same, sharing textures, buffers and programs with `shareWith`'s context.
    static std::unique_ptr<IDevice> CreateShared(CAEAGLLayer* layer, bool opaque, bool depthBuffer,
                                                 bool retainedBacking, CDevice* shareWith);

    // The device current on the calling thread, or null.
    static IDevice* GetCurrentDevice();
    static void SetCurrentDevice(CDevice* device);

    ~CDevice() override;
    CDevice(const CDevice&) = delete;
    CDevice& operator=(const CDevice&) = delete;

    bool MakeCurrent() override;
    void ReleaseCurrent() override;
    void Finish() override;
    void Flush() override;
    void ValidateOnScreenBuffers() override;
    void RecreateOnScreenBuffers() override;
    void Present() override;
    void BindOnScreenFramebuffer() override;
    void SetClearColor(float r, float g, float b, float a) override;
    void SetClearColor(const QV::Math::CVector4<float>& colour) override;
    const QV::Math::CVector4<float>& GetClearColor() const override { return clearColor; }
    void Clear(bool colour, bool depth) override;
    int32_t GetOnScreenWidth() const override;
    int32_t GetOnScreenHeight() const override;
    void SetViewport(int32_t x, int32_t y, int32_t width, int32_t height) override;
    void SetViewport(const int32_t rectangle[4]) override;
    const int32_t* GetViewport() const override { return viewport; }
    IShader* GetShader() override { return &shader; }
    IVertexArray* GetVertexArray() override { return &vertexArray; }
    ITexture* GetTexture() override { return &texture; }
    ICulling* GetCulling() override { return &culling; }
    IDepthTest* GetDepthTest() override { return &depthTest; }
    IBlending* GetBlending() override { return &blending; }
    IFramebuffer* GetFramebuffer() override { return &framebuffer; }
    IScissorTest* GetScissorTest() override { return &scissorTest; }
    void Draw(IShaderProgram* program, IVertexArrayObject* vertices, ePrimitive primitive) override;
    void DrawRange(IShaderProgram* program, IVertexArrayObject* vertices, ePrimitive primitive, int32_t first,
                   int32_t count) override;
    void InsertEventMarker(const std::string& marker) override;
    bool CheckError() override;
    bool HasDiscardFramebuffer() const override { return capabilities.discardFramebuffer; }
    bool HasRgb8Rgba8() const override { return capabilities.rgb8Rgba8; }
    bool HasTextureHalfFloat() const override { return capabilities.textureHalfFloat; }
    bool HasColorBufferHalfFloat() const override { return capabilities.colorBufferHalfFloat; }
    bool HasTextureRg() const override { return capabilities.textureRg; }
    bool HasTextureHalfFloatLinear() const override { return capabilities.textureHalfFloatLinear; }
    bool HasBlendMinMax() const override { return capabilities.blendMinMax; }
    bool HasShaderFramebufferFetch() const override { return capabilities.shaderFramebufferFetch; }
    bool HasTextureStorage() const override { return capabilities.textureStorage; }
    bool HasReadFormatBgra() const override { return capabilities.readFormatBgra; }
    bool HasDebugMarker() const override { return capabilities.debugMarker; }
    bool HasDebugLabel() const override { return capabilities.debugLabel; }
    EAGLContext* GetContext() const override { return context.get(); }

    void CreateOnScreenBuffers();
    void ReleaseOnScreenBuffers();
    void EnableAttributeArrays(uint32_t mask);

    uint32_t GetEnabledAttributeArrays() const { return enabledAttributeArrays; }
    IFramebufferObject* GetOnScreenFramebufferObject() const { return onScreenFramebufferObject; }
    CAEAGLLayer* GetLayer() const { return layer; }

private:
    CDevice(CAEAGLLayer* layer, bool opaque, bool depthBuffer, bool retainedBacking, CDevice* shareWith);
    // Binds the program (uploading its changed uniforms) and enables the object's attribute
    // arrays; null, with nothing drawn, when either is missing or the program is not built.
    CVertexArrayObject* PrepareDraw(IShaderProgram* program, IVertexArrayObject* vertices);

    CDeviceCapabilities capabilities;
    CShader shader;
    CVertexArray vertexArray;
    CTexture texture;
    CCulling culling;
    CDepthTest depthTest;
    CBlending blending;
    CFramebuffer framebuffer;
    CScissorTest scissorTest;
    QV::Math::CVector4<float> clearColor{0, 0, 0, 0};
    uint32_t enabledAttributeArrays = 0;
    int32_t viewport[4] = {0, 0, 0, 0};
    bool depthBufferWanted;
    std::unique_ptr<EAGLContext> context;
    CAEAGLLayer* layer;  // not owned
    IFramebufferObject* onScreenFramebufferObject = nullptr;
    IIPhoneColorBufferRenderbuffer* onScreenColorBuffer = nullptr;
    IRenderbuffer* onScreenDepthBuffer = nullptr;
};

}  // namespace QV::Graphics
