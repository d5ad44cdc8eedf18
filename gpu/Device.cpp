#include "gpu/Device.h"

#include <cstdio>

#include "gpu/GLCall.h"
#include "platform/opengles/GLES.h"
#include "platform/opengles/GLExtensions.h"

namespace QV::Graphics {
namespace {
// The current device of each thread.
thread_local CDevice* tCurrentDevice = nullptr;
}  // namespace

// ---- capabilities ----

void CDeviceCapabilities::Initialize() {
    EAGLContext* context = EAGLContext::currentContext();
    const std::string extensions = context ? context->extensions() : std::string();
    bool* flags[] = {&discardFramebuffer, &rgb8Rgba8,
                     &textureHalfFloat,   &colorBufferHalfFloat,
                     &textureRg,          &textureHalfFloatLinear,
                     &blendMinMax,        &shaderFramebufferFetch,
                     &textureStorage,     &readFormatBgra,
                     &debugMarker,        &debugLabel};
    static const char* const names[] = {"GL_EXT_discard_framebuffer", "GL_OES_rgb8_rgba8",
                                        "GL_OES_texture_half_float",  "GL_EXT_color_buffer_half_float",
                                        "GL_EXT_texture_rg",          "GL_OES_texture_half_float_linear",
                                        "GL_EXT_blend_minmax",        "GL_EXT_shader_framebuffer_fetch",
                                        "GL_EXT_texture_storage",     "GL_EXT_read_format_bgra",
                                        "GL_EXT_debug_marker",        "GL_EXT_debug_label"};
    for (size_t i = 0; i < std::size(flags); ++i) *flags[i] = HasExtension(names[i], extensions);
}

bool CDeviceCapabilities::HasExtension(const std::string& name, const std::string& extensions) {
    if (name.empty()) return true;
    size_t position = 0;
    while (true) {
        size_t p = extensions.find(name, position);
        if (p == std::string::npos) return false;
        bool startsWord = p == 0 || extensions[p - 1] == ' ';
        size_t end = p + name.size();
        bool endsWord = end == extensions.size() || extensions[end] == ' ';
        if (startsWord && endsWord) return true;
        position = p + 1;
    }
}

// ---- creation and the current device ----

std::unique_ptr<IDevice> CDevice::Create(CAEAGLLayer* layer, bool opaque, bool depthBuffer, bool retainedBacking) {
    return CreateShared(layer, opaque, depthBuffer, retainedBacking, nullptr);
}

std::unique_ptr<IDevice> CDevice::CreateShared(CAEAGLLayer* layer, bool opaque, bool depthBuffer, bool retainedBacking,
                                               CDevice* shareWith) {
    std::unique_ptr<CDevice> device(new CDevice(layer, opaque, depthBuffer, retainedBacking, shareWith));
    if (!device->context) return nullptr;
    return device;
}

IDevice* CDevice::GetCurrentDevice() { return tCurrentDevice; }
void CDevice::SetCurrentDevice(CDevice* device) { tCurrentDevice = device; }

CDevice::CDevice(CAEAGLLayer* layer_, bool opaque, bool depthBuffer, bool retainedBacking, CDevice* shareWith)
    : depthBufferWanted(depthBuffer), layer(layer_) {
    if (layer) {
        layer->setOpaque(opaque);
        platform::EAGLDrawableProperties properties;
        properties.retainedBacking = retainedBacking;
        properties.colorFormat = platform::kEAGLColorFormatRGBA8;
        layer->setDrawableProperties(properties);
    }
    context = EAGLContext::initWithAPI(platform::EAGLRenderingAPI::OpenGLES2,
                                       shareWith && shareWith->context ? shareWith->context->sharegroup() : nullptr);
    if (!context) return;  // Create reports the failure
    clearColor.Set(0, 0, 0, 0);
    for (int32_t& v : viewport) v = 0;
    MakeCurrent();
    capabilities.Initialize();
    texture.Initialize(context.get());
    vertexArray.QueryLimits();
    shader.QueryLimits();
}

CDevice::~CDevice() {
    if (!context) return;
    ReleaseOnScreenBuffers();
    // The texture cache deletes its GL names while the context is still current.
    MakeCurrent();
    texture.ReleaseTextureCache();
    ReleaseCurrent();
}

bool CDevice::MakeCurrent() {
    if (!context) return false;
    if (EAGLContext::currentContext() == context.get()) return true;
    if (!EAGLContext::setCurrentContext(context.get())) return false;
    SetCurrentDevice(this);
    return true;
}

void CDevice::ReleaseCurrent() {
    if (!context || EAGLContext::currentContext() != context.get()) return;
    SetCurrentDevice(nullptr);
    EAGLContext::setCurrentContext(nullptr);
}

void CDevice::Finish() { QV_GL(glFinish); }
void CDevice::Flush() { QV_GL(glFlush); }

// ---- on-screen buffers ----

void CDevice::CreateOnScreenBuffers() {
    if (!layer || onScreenFramebufferObject) return;
    MakeCurrent();
    framebuffer.BindFramebufferObject(nullptr);
    onScreenFramebufferObject = framebuffer.CreateFramebufferObject();
    onScreenColorBuffer = framebuffer.CreateColorBufferRenderbuffer(context.get());
    onScreenColorBuffer->AllocateStorage(context.get(), layer);
    onScreenFramebufferObject->AttachColorBuffer(onScreenColorBuffer);
    for (int32_t& v : viewport) v = 0;
    if (depthBufferWanted) {
        onScreenDepthBuffer = framebuffer.CreateRenderbuffer(RENDERBUFFER_DEPTH_COMPONENT16);
        onScreenDepthBuffer->AllocateStorage(onScreenColorBuffer->GetWidth(), onScreenColorBuffer->GetHeight());
        onScreenFramebufferObject->AttachRenderbuffer(ATTACHMENT_DEPTH, onScreenDepthBuffer);
        onScreenColorBuffer->Bind();
    }
}

void CDevice::ReleaseOnScreenBuffers() {
    MakeCurrent();
    // Deleting the framebuffer object detaches its points, so the buffers go after it.
    if (onScreenFramebufferObject) framebuffer.DeleteFramebufferObject(onScreenFramebufferObject);
    onScreenFramebufferObject = nullptr;
    delete onScreenColorBuffer;
    onScreenColorBuffer = nullptr;
    delete onScreenDepthBuffer;
    onScreenDepthBuffer = nullptr;
}

void CDevice::ValidateOnScreenBuffers() {
    if (!onScreenColorBuffer) return;
    MakeCurrent();
    int32_t width = 0, height = 0;
    GetBoundRenderbufferSize(width, height);
    if (width != onScreenColorBuffer->GetWidth() || height != onScreenColorBuffer->GetHeight())
        ReleaseOnScreenBuffers();
}

void CDevice::RecreateOnScreenBuffers() {
    if (!onScreenColorBuffer || !onScreenFramebufferObject) return;
    ReleaseOnScreenBuffers();
    CreateOnScreenBuffers();
}

void CDevice::Present() {
    if (onScreenColorBuffer) onScreenColorBuffer->Present(context.get());
}

void CDevice::BindOnScreenFramebuffer() {
    if (!onScreenFramebufferObject) CreateOnScreenBuffers();
    if (!onScreenFramebufferObject) return;
    framebuffer.BindFramebufferObject(onScreenFramebufferObject);
}

int32_t CDevice::GetOnScreenWidth() const { return onScreenColorBuffer ? onScreenColorBuffer->GetWidth() : 0; }

int32_t CDevice::GetOnScreenHeight() const { return onScreenColorBuffer ? onScreenColorBuffer->GetHeight() : 0; }

// ---- shadowed state ----

void CDevice::SetClearColor(float r, float g, float b, float a) {
    QV::Math::CVector4<float> colour(r, g, b, a);
    if (!(colour != clearColor)) return;
    QV_GL(glClearColor, r, g, b, a);
    clearColor = colour;
}

void CDevice::SetClearColor(const QV::Math::CVector4<float>& c) { SetClearColor(c.x, c.y, c.z, c.w); }

void CDevice::Clear(bool colour, bool depth) {
    GLbitfield mask = (colour ? GL_COLOR_BUFFER_BIT : 0u) | (depth ? GL_DEPTH_BUFFER_BIT : 0u);
    if (scissorTest.IsEnabled()) {
        scissorTest.SetEnabled(false);
        QV_GL(glClear, mask);
        scissorTest.SetEnabled(true);
    } else {
        QV_GL(glClear, mask);
    }
}

void CDevice::SetViewport(int32_t x, int32_t y, int32_t width, int32_t height) {
    if (UpdateRectangleShadow(viewport, x, y, width, height)) QV_GL(glViewport, x, y, width, height);
}

void CDevice::SetViewport(const int32_t r[4]) { SetViewport(r[0], r[1], r[2], r[3]); }

// ---- drawing ----

void CDevice::EnableAttributeArrays(uint32_t mask) {
    if (mask == enabledAttributeArrays) return;
    for (uint32_t i = 0; i < 32; ++i)
        if ((mask & (1u << i)) && !(enabledAttributeArrays & (1u << i))) QV_GL(glEnableVertexAttribArray, i);
    for (uint32_t i = 0; i < 32; ++i)
        if ((enabledAttributeArrays & (1u << i)) && !(mask & (1u << i))) QV_GL(glDisableVertexAttribArray, i);
    enabledAttributeArrays = mask;
}

CVertexArrayObject* CDevice::PrepareDraw(IShaderProgram* program, IVertexArrayObject* vertices) {
    // Drawing with whatever program happens to be bound would put garbage on screen.
    if (!program || !vertices || !shader.UseProgram(program)) return nullptr;
    auto* object = static_cast<CVertexArrayObject*>(vertices);
    EnableAttributeArrays(object->GetEnableMask());
    return object;
}

void CDevice::Draw(IShaderProgram* program, IVertexArrayObject* vertices, ePrimitive primitive) {
    if (CVertexArrayObject* object = PrepareDraw(program, vertices)) object->Draw(primitive);
}

void CDevice::DrawRange(IShaderProgram* program, IVertexArrayObject* vertices, ePrimitive primitive, int32_t first,
                        int32_t count) {
    if (CVertexArrayObject* object = PrepareDraw(program, vertices)) object->DrawRange(primitive, first, count);
}

void CDevice::InsertEventMarker(const std::string& marker) {
    if (!capabilities.debugMarker || marker.empty()) return;
    QV_GL(platform::gles::InsertEventMarkerEXT, 0, marker.c_str());
}

bool CDevice::CheckError() {
    GLenum code = QV_GL(glGetError);
    if (code == GL_NO_ERROR) return false;
    std::printf("glGetError(): %d, x%x\n", static_cast<int>(code), static_cast<unsigned>(code));
    std::fflush(stdout);
    return true;
}

}  // namespace QV::Graphics
