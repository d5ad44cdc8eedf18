#include "gpu/Framebuffer.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#include "gpu/Device.h"
#include "gpu/GLCall.h"
#include "platform/opengles/GLES.h"

namespace QV::Graphics {

void GetBoundRenderbufferSize(int32_t& width, int32_t& height) {
    QV_GL(glGetRenderbufferParameteriv, static_cast<GLenum>(GL_RENDERBUFFER),
          static_cast<GLenum>(GL_RENDERBUFFER_WIDTH), &width);
    QV_GL(glGetRenderbufferParameteriv, static_cast<GLenum>(GL_RENDERBUFFER),
          static_cast<GLenum>(GL_RENDERBUFFER_HEIGHT), &height);
}

// ---- CRenderbuffer ----

CRenderbuffer::CRenderbuffer(eRenderbufferFormat format_) : format(format_) {
    IDevice* device = CDevice::GetCurrentDevice();
    if (device && !device->HasRgb8Rgba8()) {
        if (format == RENDERBUFFER_RGB8_OES) format = RENDERBUFFER_RGB565;
        else if (format == RENDERBUFFER_RGBA8_OES) format = RENDERBUFFER_RGB5_A1;
    }
}

CRenderbuffer::~CRenderbuffer() {
    if (renderbuffer) QV_GL(glDeleteRenderbuffers, 1, &renderbuffer);
}

void CRenderbuffer::AllocateStorage(int32_t w, int32_t h) {
    if (renderbuffer) QV_GL(glDeleteRenderbuffers, 1, &renderbuffer);
    renderbuffer = 0;
    QV_GL(glGenRenderbuffers, 1, &renderbuffer);
    QV_GL(glBindRenderbuffer, static_cast<GLenum>(GL_RENDERBUFFER), renderbuffer);
    GLenum glFormat = ConvertRenderbufferFormat(format);
    if (glFormat != 0) QV_GL(glRenderbufferStorage, static_cast<GLenum>(GL_RENDERBUFFER), glFormat, w, h);
    width = w;
    height = h;
}

// ---- CIPhoneColorBufferRenderbuffer ----

CIPhoneColorBufferRenderbuffer::CIPhoneColorBufferRenderbuffer(EAGLContext* context_) : context(context_) {}

CIPhoneColorBufferRenderbuffer::~CIPhoneColorBufferRenderbuffer() { Release(); }

void CIPhoneColorBufferRenderbuffer::AllocateStorage(EAGLContext* ctx, CAEAGLLayer* layer) {
    Release();
    QV_GL(glGenRenderbuffers, 1, &renderbuffer);
    QV_GL(glBindRenderbuffer, static_cast<GLenum>(GL_RENDERBUFFER), renderbuffer);
    if (ctx) ctx->renderbufferStorage(GL_RENDERBUFFER, layer);
    GetBoundRenderbufferSize(width, height);
}

void CIPhoneColorBufferRenderbuffer::Release() {
    if (!renderbuffer) return;
    // Untie the layer from this renderbuffer (bound for the moment), then delete it.
    GLint previous = 0;
    glGetIntegerv(GL_RENDERBUFFER_BINDING, &previous);
    glBindRenderbuffer(GL_RENDERBUFFER, renderbuffer);
    if (context) context->renderbufferStorage(GL_RENDERBUFFER, nullptr);
    glBindRenderbuffer(GL_RENDERBUFFER,
                       static_cast<GLuint>(previous) == renderbuffer ? 0 : static_cast<GLuint>(previous));
    QV_GL(glDeleteRenderbuffers, 1, &renderbuffer);
    renderbuffer = 0;
}

void CIPhoneColorBufferRenderbuffer::Bind() {
    if (renderbuffer) QV_GL(glBindRenderbuffer, static_cast<GLenum>(GL_RENDERBUFFER), renderbuffer);
}

void CIPhoneColorBufferRenderbuffer::Present(EAGLContext* ctx) {
    if (ctx) ctx->presentRenderbuffer(GL_RENDERBUFFER);
}

// ---- CFramebufferObject ----

CFramebufferObject::CFramebufferObject() { QV_GL(glGenFramebuffers, 1, &framebuffer); }

CFramebufferObject::~CFramebufferObject() {
    DetachPoint(ATTACHMENT_COLOR0);
    DetachPoint(ATTACHMENT_DEPTH);
    DetachPoint(ATTACHMENT_STENCIL);
    QV_GL(glDeleteFramebuffers, 1, &framebuffer);
}

bool CFramebufferObject::AttachRenderbuffer(eAttachment point, IRenderbuffer* renderbuffer) {
    return QueueAttachment({true, point, renderbuffer, nullptr, nullptr});
}

// A request for a point replaces the one queued for it before.
bool CFramebufferObject::QueueAttachment(const Attachment& request) {
    if (!ValidPoint(request.point)) return true;
    RemovePendingAttachment(request.point);
    pending.push_back(request);
    ApplyAttachments();
    return true;
}

bool CFramebufferObject::AttachColorBuffer(IIPhoneColorBufferRenderbuffer* colourBuffer) {
    auto it = std::find_if(pending.begin(), pending.end(),
                           [&](const Attachment& a) { return a.colorBuffer == colourBuffer; });
    if (it != pending.end()) pending.erase(it);
    pending.push_back({true, ATTACHMENT_COLOR0, nullptr, nullptr, colourBuffer});
    ApplyAttachments();
    return true;
}

bool CFramebufferObject::AttachTexture(eAttachment point, ITexture2D* texture) {
    return QueueAttachment({true, point, nullptr, texture, nullptr});
}

bool CFramebufferObject::Detach(eAttachment point) {
    if (!ValidPoint(point)) return true;
    pending.push_back({false, point, nullptr, nullptr, nullptr});
    ApplyAttachments();
    return true;
}

void CFramebufferObject::RemovePendingAttachment(eAttachment point) {
    auto it =
        std::find_if(pending.begin(), pending.end(), [&](const Attachment& a) { return a.attach && a.point == point; });
    if (it != pending.end()) pending.erase(it);
}

void CFramebufferObject::ApplyAttachments() {
    if (!bound) return;
    for (const Attachment& a : pending) {
        GLenum point = ConvertAttachment(a.point);
        if (!a.attach) {
            DetachPoint(a.point);
        } else if (a.texture) {
            if (IDevice* device = CDevice::GetCurrentDevice()) device->GetTexture()->PrepareStorage(a.texture);
            QV_GL(glFramebufferTexture2D, static_cast<GLenum>(GL_FRAMEBUFFER), point,
                  static_cast<GLenum>(GL_TEXTURE_2D), a.texture->GetName(), 0);
            attachmentState[a.point] = 0;
            if (a.point == ATTACHMENT_COLOR0) {
                colorWidth = a.texture->GetWidth();
                colorHeight = a.texture->GetHeight();
            }
        } else if (a.renderbuffer) {
            QV_GL(glFramebufferRenderbuffer, static_cast<GLenum>(GL_FRAMEBUFFER), point,
                  static_cast<GLenum>(GL_RENDERBUFFER), a.renderbuffer->GetName());
            attachmentState[a.point] = 1;
            if (a.point == ATTACHMENT_COLOR0) {
                colorWidth = a.renderbuffer->GetWidth();
                colorHeight = a.renderbuffer->GetHeight();
            }
        } else if (a.colorBuffer) {
            QV_GL(glFramebufferRenderbuffer, static_cast<GLenum>(GL_FRAMEBUFFER),
                  static_cast<GLenum>(GL_COLOR_ATTACHMENT0), static_cast<GLenum>(GL_RENDERBUFFER),
                  a.colorBuffer->GetName());
            attachmentState[a.point] = 1;
            colorWidth = a.colorBuffer->GetWidth();
            colorHeight = a.colorBuffer->GetHeight();
        }
    }
    pending.clear();
}

void CFramebufferObject::DetachPoint(eAttachment point) {
    if (!ValidPoint(point)) return;
    GLenum glPoint = ConvertAttachment(point);
    if (attachmentState[point] == 1)
        QV_GL(glFramebufferRenderbuffer, static_cast<GLenum>(GL_FRAMEBUFFER), glPoint,
              static_cast<GLenum>(GL_RENDERBUFFER), 0u);
    else if (attachmentState[point] == 0)
        QV_GL(glFramebufferTexture2D, static_cast<GLenum>(GL_FRAMEBUFFER), glPoint, static_cast<GLenum>(GL_TEXTURE_2D),
              0u, 0);
    attachmentState[point] = 2;
    if (point == ATTACHMENT_COLOR0) colorWidth = colorHeight = 0;
}

bool CFramebufferObject::Bind(bool b) {
    if (b == bound) return true;
    bound = b;
    if (bound) {
        QV_GL(glBindFramebuffer, static_cast<GLenum>(GL_FRAMEBUFFER), framebuffer);
        ApplyAttachments();
    }
    return true;
}

bool CFramebufferObject::ReadPixels(int32_t x, int32_t y, int32_t w, int32_t h, eTextureFormat format, ePixelType type,
                                    int32_t packAlignment, void* pixels) {
    if (!pixels) return false;
    bool common = format == FORMAT_ALPHA || format == FORMAT_RGB || format == FORMAT_RGBA || format == FORMAT_BGRA;
    if (!common && attachmentState[ATTACHMENT_COLOR0] == 2) return false;
    if (x < 0 || y < 0 || w < 1 || h < 1) return false;
    if (static_cast<int64_t>(x) + w > colorWidth || static_cast<int64_t>(y) + h > colorHeight) return false;
    GLenum glFormat = ConvertPixelFormat(format), glType = ConvertReadPixelType(type);
    if (glFormat == 0 || glType == 0) return false;
    IDevice* device = CDevice::GetCurrentDevice();
    if (device) static_cast<CFramebuffer*>(device->GetFramebuffer())->SetPackAlignment(packAlignment);
    // Without GL_EXT_read_format_bgra the driver refuses BGRA reads and leaves the caller's
    // buffer untouched; RGBA bytes with red and blue exchanged are the same pixels.
    const bool swapRedBlue =
        format == FORMAT_BGRA && type == PIXEL_TYPE_UNSIGNED_BYTE && device && !device->HasReadFormatBgra();
    if (swapRedBlue) glFormat = GL_RGBA;
    QV_GL(glReadPixels, x, y, w, h, glFormat, glType, pixels);
    if (swapRedBlue) {
        const size_t alignment = packAlignment > 0 ? static_cast<size_t>(packAlignment) : 1;
        const size_t row = (static_cast<size_t>(w) * 4 + alignment - 1) / alignment * alignment;
        for (int32_t r = 0; r < h; ++r) {
            uint8_t* p = static_cast<uint8_t*>(pixels) + row * static_cast<size_t>(r);
            for (int32_t c = 0; c < w; ++c, p += 4) std::swap(p[0], p[2]);
        }
    }
    return true;
}

// ---- CFramebuffer ----

IRenderbuffer* CFramebuffer::CreateRenderbuffer(eRenderbufferFormat format) { return new CRenderbuffer(format); }

IIPhoneColorBufferRenderbuffer* CFramebuffer::CreateColorBufferRenderbuffer(EAGLContext* context) {
    return new CIPhoneColorBufferRenderbuffer(context);
}

IFramebufferObject* CFramebuffer::CreateFramebufferObject() { return new CFramebufferObject(); }

void CFramebuffer::DeleteFramebufferObject(IFramebufferObject* object) {
    IFramebufferObject* previous = boundObject == object ? nullptr : boundObject;
    BindFramebufferObject(object);
    if (boundObject) {
        delete boundObject;
        boundObject = nullptr;
    }
    if (previous) BindFramebufferObject(previous);
    else QV_GL(glBindFramebuffer, static_cast<GLenum>(GL_FRAMEBUFFER), 0u);
}

bool CFramebuffer::BindFramebufferObject(IFramebufferObject* object) {
    if (object) {
        if (object == boundObject) return true;
        if (boundObject) static_cast<CFramebufferObject*>(boundObject)->Bind(false);
        static_cast<CFramebufferObject*>(object)->Bind(true);
        boundObject = object;
    } else if (boundObject) {
        static_cast<CFramebufferObject*>(boundObject)->Bind(false);
        QV_GL(glBindFramebuffer, static_cast<GLenum>(GL_FRAMEBUFFER), 0u);
        boundObject = nullptr;
    }
    return true;
}

bool CFramebuffer::ReadPixels(eTextureFormat format, ePixelType type, int32_t alignment, void* pixels) {
    auto* o = static_cast<CFramebufferObject*>(boundObject);
    if (!o) return false;
    return o->ReadPixels(0, 0, o->GetColorWidth(), o->GetColorHeight(), format, type, alignment, pixels);
}

bool CFramebuffer::ReadPixels(int32_t x, int32_t y, int32_t w, int32_t h, eTextureFormat format, ePixelType type,
                              int32_t alignment, void* pixels) {
    auto* o = static_cast<CFramebufferObject*>(boundObject);
    if (!o) return false;
    return o->ReadPixels(x, y, w, h, format, type, alignment, pixels);
}

void CFramebuffer::SetPackAlignment(int32_t alignment) {
    if (alignment == packAlignment) return;
    QV_GL(glPixelStorei, static_cast<GLenum>(GL_PACK_ALIGNMENT), alignment);
    packAlignment = alignment;
}

}  // namespace QV::Graphics
