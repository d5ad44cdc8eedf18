#pragma once
// A current offscreen device, with helpers to build programs, a unit quad and a texture target.
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "gpu/Device.h"
#include "gpu/GLCall.h"
#include "gpu/ShaderConstants.h"
#include "platform/opengles/GLES.h"

namespace QVTest {

using namespace QV::Graphics;

inline const std::string kQuadVertex =
    "precision highp float;\n"
    "uniform mat4 uModelViewProjectionMatrix;\n"
    "attribute vec3 vaPosition;\n"
    "varying vec2 vTexture0;\n"
    "void main()\n"
    "{\n"
    "    gl_Position = uModelViewProjectionMatrix * vec4(vaPosition, 1.0);\n"
    "    vTexture0 = vaPosition.xy;\n"
    "}\n";

inline std::string Fragment(const std::string& body, const std::string& declarations = "") {
    return "precision mediump float;\nvarying vec2 vTexture0;\n" + declarations + "void main()\n{\n" + body + "}\n";
}

class DeviceTest : public ::testing::Test {
protected:
    void SetUp() override { CreateDevice(nullptr); }
    void TearDown() override { Destroy(); }

    void CreateDevice(CAEAGLLayer* layer, bool depth = false) {
        Destroy();
        device = CDevice::Create(layer, true, depth, false);
        ASSERT_NE(device, nullptr) << "no OpenGL ES 2 context";
    }

    void Destroy() {
        if (!device) return;
        device->MakeCurrent();
        for (IShaderProgram* p : programs) device->GetShader()->DeleteProgram(p);
        for (ITexture2D* t : textures) device->GetTexture()->DeleteTexture(t);
        for (IFramebufferObject* f : framebuffers) device->GetFramebuffer()->DeleteFramebufferObject(f);
        for (IVertexArrayObject* o : objects) device->GetVertexArray()->DeleteVertexArrayObject(o);
        for (IVertexBuffer* b : buffers) device->GetVertexArray()->DeleteVertexBuffer(b);
        for (IIndexBuffer* b : indexBuffers) device->GetVertexArray()->DeleteIndexBuffer(b);
        programs.clear(), textures.clear(), framebuffers.clear(), objects.clear(), buffers.clear(),
            indexBuffers.clear();
        device.reset();
    }

    // A built program over the unit quad, its matrix set to fill the target.
    IShaderProgram* Program(const std::string& fragment, const std::string& vertex = kQuadVertex) {
        IShaderProgram* p = device->GetShader()->CreateProgram();
        programs.push_back(p);
        p->Build(vertex, fragment, {CVertexAttribute(0, "vaPosition")});
        p->SetUniformMatrix4fv("uModelViewProjectionMatrix", 1, false, &ShaderSource::UnitSquareToClipMatrix);
        return p;
    }

    IVertexBuffer* Buffer(const std::vector<float>& xyz) {
        IVertexBuffer* b =
            device->GetVertexArray()->CreateVertexBuffer(true, static_cast<uint32_t>(xyz.size() / 3), 12, xyz.data());
        buffers.push_back(b);
        return b;
    }

    // The unit square as a triangle strip at attribute 0.
    IVertexArrayObject* Quad() {
        IVertexArrayObject* o = device->GetVertexArray()->CreateVertexArrayObject();
        objects.push_back(o);
        o->SetAttribute(Buffer({0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1, 0}), 0, 3, DATA_TYPE_FLOAT, false, 12, 0);
        return o;
    }

    ITexture2D* Texture(int32_t w, int32_t h, const void* pixels = nullptr, eTextureFormat pixelFormat = FORMAT_RGBA,
                        CTextureTemplate t = CTextureTemplate(FILTER_NEAREST, FILTER_NEAREST, WRAP_CLAMP_TO_EDGE,
                                                              WRAP_CLAMP_TO_EDGE)) {
        ITexture2D* tex = device->GetTexture()->CreateTexture(t, w, h, FORMAT_RGBA, pixelFormat,
                                                              PIXEL_TYPE_UNSIGNED_BYTE, 1, false, false, pixels);
        if (tex) textures.push_back(tex);
        return tex;
    }

    // A framebuffer object drawing into a new w x h RGBA texture, bound, viewport set.
    IFramebufferObject* Target(int32_t w, int32_t h) {
        IFramebufferObject* f = device->GetFramebuffer()->CreateFramebufferObject();
        framebuffers.push_back(f);
        f->AttachTexture(ATTACHMENT_COLOR0, Texture(w, h));
        device->GetFramebuffer()->BindFramebufferObject(f);
        device->SetViewport(0, 0, w, h);
        return f;
    }

    std::vector<uint8_t> Read(int32_t w, int32_t h, eTextureFormat format = FORMAT_RGBA) {
        std::vector<uint8_t> pixels(static_cast<size_t>(w) * h * 4, 0xEE);
        EXPECT_TRUE(
            device->GetFramebuffer()->ReadPixels(0, 0, w, h, format, PIXEL_TYPE_UNSIGNED_BYTE, 1, pixels.data()));
        return pixels;
    }

    std::unique_ptr<IDevice> device;
    std::vector<IShaderProgram*> programs;
    std::vector<ITexture2D*> textures;
    std::vector<IFramebufferObject*> framebuffers;
    std::vector<IVertexArrayObject*> objects;
    std::vector<IVertexBuffer*> buffers;
    std::vector<IIndexBuffer*> indexBuffers;
};

// Runs with the driver's extension list replaced, for contexts made meanwhile.
struct ExtensionsOverride {
    explicit ExtensionsOverride(std::string list) { platform::EAGLContext::setExtensionsOverride(std::move(list)); }
    ~ExtensionsOverride() { platform::EAGLContext::setExtensionsOverride(std::nullopt); }
};

// The driver's list without the given names.
inline std::string DriverExtensionsWithout(const std::vector<std::string>& names) {
    auto context = platform::EAGLContext::initWithAPI(platform::EAGLRenderingAPI::OpenGLES2);
    std::string out;
    std::istringstream words(context->extensions());
    for (std::string word; words >> word;) {
        bool drop = false;
        for (const std::string& n : names) drop = drop || n == word;
        if (!drop) out += (out.empty() ? "" : " ") + word;
    }
    return out;
}

}  // namespace QVTest
