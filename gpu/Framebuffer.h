#pragma once
// Render targets: renderbuffers, the colour buffer whose storage is the on-screen layer,
// framebuffer objects that queue attachment requests until they are bound, and the framebuffer
// manager that binds them, deletes them and reads pixels back.
#include <cstdint>
#include <vector>

#include "gpu/GLEnums.h"
#include "platform/opengles/CAEAGLLayer.h"
#include "platform/opengles/EAGLContext.h"

namespace QV::Graphics {

using platform::CAEAGLLayer;
using platform::EAGLContext;

class ITexture2D;

// The width and height GL reports for the renderbuffer bound to GL_RENDERBUFFER.
void GetBoundRenderbufferSize(int32_t& width, int32_t& height);

class IRenderbuffer {
public:
    virtual ~IRenderbuffer() = default;
    // New storage of the given size (a new GL name each time); leaves it bound.
    virtual void AllocateStorage(int32_t width, int32_t height) = 0;
    virtual int32_t GetWidth() const = 0;
    virtual int32_t GetHeight() const = 0;
    virtual uint32_t GetName() const = 0;
};

class CRenderbuffer : public IRenderbuffer {
public:
    // Without GL_OES_rgb8_rgba8 on the current device, RGB8 falls back to RGB565 and RGBA8 to
    // RGB5_A1.
    explicit CRenderbuffer(eRenderbufferFormat format);
    ~CRenderbuffer() override;
    CRenderbuffer(const CRenderbuffer&) = delete;
    CRenderbuffer& operator=(const CRenderbuffer&) = delete;

    void AllocateStorage(int32_t width, int32_t height) override;
    int32_t GetWidth() const override { return width; }
    int32_t GetHeight() const override { return height; }
    uint32_t GetName() const override { return renderbuffer; }
    eRenderbufferFormat GetFormat() const { return format; }

private:
    uint32_t renderbuffer = 0;
    eRenderbufferFormat format;
    int32_t width = 0;
    int32_t height = 0;
};

class IIPhoneColorBufferRenderbuffer {
public:
    virtual ~IIPhoneColorBufferRenderbuffer() = default;
    // Takes storage from the layer and reads the size GL gives it; leaves it bound.
    virtual void AllocateStorage(EAGLContext* context, CAEAGLLayer* layer) = 0;
    virtual int32_t GetWidth() const = 0;
    virtual int32_t GetHeight() const = 0;
    virtual void Bind() = 0;
    // Presents whatever renderbuffer is bound to GL_RENDERBUFFER.
    virtual void Present(EAGLContext* context) = 0;
    virtual uint32_t GetName() const = 0;
};

class CIPhoneColorBufferRenderbuffer : public IIPhoneColorBufferRenderbuffer {
public:
    explicit CIPhoneColorBufferRenderbuffer(EAGLContext* context);
    ~CIPhoneColorBufferRenderbuffer() override;
    CIPhoneColorBufferRenderbuffer(const CIPhoneColorBufferRenderbuffer&) = delete;
    CIPhoneColorBufferRenderbuffer& operator=(const CIPhoneColorBufferRenderbuffer&) = delete;

    void AllocateStorage(EAGLContext* context, CAEAGLLayer* layer) override;
    int32_t GetWidth() const override { return width; }
    int32_t GetHeight() const override { return height; }
    void Bind() override;
    void Present(EAGLContext* context) override;
    uint32_t GetName() const override { return renderbuffer; }

    // Gives the layer's storage up and deletes the GL name; the size is kept.
    void Release();

private:
    EAGLContext* context;  // not owned
    uint32_t renderbuffer = 0;
    int32_t width = 0;
    int32_t height = 0;
};

class IFramebufferObject {
public:
    virtual ~IFramebufferObject() = default;
    // Requests; issued at once while the object is bound, else at its next bind. Always true.
    virtual bool AttachRenderbuffer(eAttachment point, IRenderbuffer* renderbuffer) = 0;
    virtual bool AttachColorBuffer(IIPhoneColorBufferRenderbuffer* colourBuffer) = 0;
    virtual bool AttachTexture(eAttachment point, ITexture2D* texture) = 0;
    virtual bool Detach(eAttachment point) = 0;
};

class CFramebufferObject : public IFramebufferObject {
public:
    // Generates the GL name; the device's context must be current.
    CFramebufferObject();
    ~CFramebufferObject() override;
    CFramebufferObject(const CFramebufferObject&) = delete;
    CFramebufferObject& operator=(const CFramebufferObject&) = delete;

    bool AttachRenderbuffer(eAttachment point, IRenderbuffer* renderbuffer) override;
    bool AttachColorBuffer(IIPhoneColorBufferRenderbuffer* colourBuffer) override;
    bool AttachTexture(eAttachment point, ITexture2D* texture) override;
    bool Detach(eAttachment point) override;

    // Only the framebuffer manager calls these two.
    bool Bind(bool bound);
    bool ReadPixels(int32_t x, int32_t y, int32_t width, int32_t height, eTextureFormat format, ePixelType type,
                    int32_t packAlignment, void* pixels);

    void ApplyAttachments();
    void RemovePendingAttachment(eAttachment point);
    void DetachPoint(eAttachment point);

    uint32_t GetName() const { return framebuffer; }
    bool IsBound() const { return bound; }
    int32_t GetColorWidth() const { return colorWidth; }
    int32_t GetColorHeight() const { return colorHeight; }
    // What GL holds at a point: 0 a texture, 1 a renderbuffer, 2 nothing.
    int32_t GetAttachmentState(eAttachment point) const { return attachmentState[point]; }
    size_t GetPendingCount() const { return pending.size(); }

private:
    struct Attachment {
        bool attach;
        eAttachment point;
        IRenderbuffer* renderbuffer;
        ITexture2D* texture;
        IIPhoneColorBufferRenderbuffer* colorBuffer;
    };
    static bool ValidPoint(eAttachment point) { return point >= 0 && point <= 2; }
    bool QueueAttachment(const Attachment& request);

    std::vector<Attachment> pending;
    int32_t attachmentState[3] = {2, 2, 2};
    bool bound = false;
    uint32_t framebuffer = 0;
    int32_t colorWidth = 0;
    int32_t colorHeight = 0;
};

class IFramebuffer {
public:
    virtual ~IFramebuffer() = default;
    virtual IRenderbuffer* CreateRenderbuffer(eRenderbufferFormat format) = 0;
    virtual IIPhoneColorBufferRenderbuffer* CreateColorBufferRenderbuffer(EAGLContext* context) = 0;
    virtual IFramebufferObject* CreateFramebufferObject() = 0;
    // Deletes it with it bound (so that its points are detached), then binds again what was
    // bound before (the default framebuffer when that was the deleted one).
    virtual void DeleteFramebufferObject(IFramebufferObject* object) = 0;
    // Null binds the default framebuffer. Always true.
    virtual bool BindFramebufferObject(IFramebufferObject* object) = 0;
    // Reads the whole colour attachment, or a rectangle of it, of the bound object. False with
    // nothing bound, a null destination or a rectangle that leaves the attachment.
    virtual bool ReadPixels(eTextureFormat format, ePixelType type, int32_t packAlignment, void* pixels) = 0;
    virtual bool ReadPixels(int32_t x, int32_t y, int32_t width, int32_t height, eTextureFormat format, ePixelType type,
                            int32_t packAlignment, void* pixels) = 0;
};

class CFramebuffer : public IFramebuffer {
public:
    CFramebuffer() = default;
    IRenderbuffer* CreateRenderbuffer(eRenderbufferFormat format) override;
    IIPhoneColorBufferRenderbuffer* CreateColorBufferRenderbuffer(EAGLContext* context) override;
    IFramebufferObject* CreateFramebufferObject() override;
    void DeleteFramebufferObject(IFramebufferObject* object) override;
    bool BindFramebufferObject(IFramebufferObject* object) override;
    bool ReadPixels(eTextureFormat format, ePixelType type, int32_t packAlignment, void* pixels) override;
    bool ReadPixels(int32_t x, int32_t y, int32_t width, int32_t height, eTextureFormat format, ePixelType type,
                    int32_t packAlignment, void* pixels) override;

    IFramebufferObject* GetBoundFramebufferObject() const { return boundObject; }
    int32_t GetPackAlignment() const { return packAlignment; }
    void SetPackAlignment(int32_t alignment);

private:
    int32_t packAlignment = 4;
    IFramebufferObject* boundObject = nullptr;
};

}  // namespace QV::Graphics
