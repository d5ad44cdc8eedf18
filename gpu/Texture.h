#pragma once
// 2D textures, textures over camera/video pixel buffers, the per-unit binding shadow and the
// texture size rule. Textures are created and deleted through the device's texture manager
// (IDevice::GetTexture); every glTex* call works on the texture bound to the active unit.
#include <cstdint>
#include <vector>

#include "gpu/GLEnums.h"
#include "platform/corevideo/CVOpenGLESTextureCache.h"
#include "platform/corevideo/CVPixelBuffer.h"
#include "platform/opengles/EAGLContext.h"

namespace QV::Graphics {

using platform::CVOpenGLESTextureCacheRef;
using platform::CVOpenGLESTextureRef;
using platform::CVPixelBufferRef;
using platform::EAGLContext;

class CTexture;

// How a texture is sampled.
class CTextureTemplate {
public:
    CTextureTemplate() = default;
    CTextureTemplate(int32_t minFilter_, int32_t magFilter_, int32_t wrapS_, int32_t wrapT_)
        : minFilter(minFilter_), magFilter(magFilter_), wrapS(wrapS_), wrapT(wrapT_) {}
    CTextureTemplate(const CTextureTemplate&) = default;
    CTextureTemplate& operator=(const CTextureTemplate&) = default;
    virtual ~CTextureTemplate() = default;

    bool operator==(const CTextureTemplate& o) const {
        return minFilter == o.minFilter && magFilter == o.magFilter && wrapS == o.wrapS && wrapT == o.wrapT;
    }
    bool operator!=(const CTextureTemplate& o) const { return !(*this == o); }

    int32_t minFilter = FILTER_NEAREST_MIPMAP_LINEAR;  // eTextureFilter
    int32_t magFilter = FILTER_LINEAR;                 // eTextureFilter
    int32_t wrapS = WRAP_REPEAT;                       // eTextureWrap
    int32_t wrapT = WRAP_REPEAT;                       // eTextureWrap
};

class ITexture2D {
public:
    virtual ~ITexture2D() = default;
    // Takes the sampling description; it reaches GL at the next bind (never for a texture with
    // immutable storage, whose sampling stays as created).
    virtual void SetTemplate(const CTextureTemplate& textureTemplate) = 0;
    // The sampling state GL holds.
    virtual const CTextureTemplate& GetTemplate() const = 0;
    virtual int32_t GetWidth() const = 0;
    virtual int32_t GetHeight() const = 0;
    // The pixel format (eTextureFormat).
    virtual eTextureFormat GetFormat() const = 0;
    virtual bool IsCached() const = 0;
    // GL texture name (0 when none).
    virtual uint32_t GetName() const = 0;
};

class CTexture2D : public ITexture2D {
public:
    CTexture2D(CTexture* manager, const CTextureTemplate& textureTemplate, int32_t width, int32_t height,
               eTextureFormat internalFormat, eTextureFormat pixelFormat, ePixelType pixelType, bool mipmapped,
               bool immutableStorage);
    ~CTexture2D() override;
    CTexture2D(const CTexture2D&) = delete;
    CTexture2D& operator=(const CTexture2D&) = delete;

    void SetTemplate(const CTextureTemplate& textureTemplate) override;
    const CTextureTemplate& GetTemplate() const override { return appliedTemplate; }
    int32_t GetWidth() const override { return width; }
    int32_t GetHeight() const override { return height; }
    eTextureFormat GetFormat() const override { return pixelFormat; }
    bool IsCached() const override { return false; }
    uint32_t GetName() const override { return texture; }

    // Storage for the texture bound to the active unit (immutable when asked for and offered).
    void AllocateStorage();
    // Issues the requested sampling fields that differ from what GL holds.
    void ApplyTemplate();
    // Uploads a rectangle of pixels; ignored when it leaves the texture or there are none.
    void UpdateSubImage(int32_t x, int32_t y, int32_t width, int32_t height, int32_t alignment, const void* pixels);

    bool IsTemplateDirty() const { return templateDirty; }
    // Made without pixels and not yet bound or drawn into: no storage yet (see CreateTexture).
    bool IsStoragePending() const { return storagePending; }
    bool HasImmutableStorage() const { return immutableStorage; }
    bool IsMipmapped() const { return mipmapped; }
    eTextureFormat GetInternalFormat() const { return internalFormat; }
    ePixelType GetPixelType() const { return pixelType; }
    // The GL internal format the storage really has (BGRA where the driver takes BGRA data
    // only into a BGRA texture).
    uint32_t GetGLInternalFormat() const { return glInternalFormat; }

protected:
    friend class CTexture;
    CTextureTemplate appliedTemplate;
    CTextureTemplate requestedTemplate;
    uint32_t texture = 0;
    int32_t width = 0;
    int32_t height = 0;
    eTextureFormat internalFormat = FORMAT_RGBA;
    eTextureFormat pixelFormat = FORMAT_RGBA;
    ePixelType pixelType = PIXEL_TYPE_UNSIGNED_BYTE;
    bool mipmapped = false;
    bool immutableStorage = false;
    bool templateDirty = true;
    bool storagePending = false;
    uint32_t glInternalFormat = 0;
    CTexture* manager = nullptr;  // not owned
};

// A texture over a pixel buffer through the texture cache; its GL name belongs to the cache's
// texture and is never deleted here.
class CCachedTexture2D : public CTexture2D {
public:
    CCachedTexture2D(CTexture* manager, const CTextureTemplate& textureTemplate, int32_t width, int32_t height,
                     eTextureFormat internalFormat, eTextureFormat pixelFormat, ePixelType pixelType);
    ~CCachedTexture2D() override;

    bool IsCached() const override { return true; }

    // Makes the texture show the given buffer (nothing for null).
    void SetPixelBuffer(const CVPixelBufferRef& pixelBuffer);
    // Unbinds the texture everywhere and lets the cache's texture go.
    void ReleaseImage();

private:
    CVOpenGLESTextureRef image;
    CVOpenGLESTextureCacheRef cache;
};

class ITexture {
public:
    virtual ~ITexture() = default;
    // A new texture, or null when a side exceeds the maximum texture size or the formats have
    // no GL value. `pixels` fills it; without them its storage (and its sampling state) reaches
    // GL at its first bind or attachment, and a texture never used costs no memory.
    virtual ITexture2D* CreateTexture(const CTextureTemplate& textureTemplate, int32_t width, int32_t height,
                                      eTextureFormat internalFormat, eTextureFormat pixelFormat, ePixelType type,
                                      int32_t unpackAlignment, bool mipmapped, bool immutableStorage,
                                      const void* pixels) = 0;
    // A texture over a pixel buffer (of the given size); null as CreateTexture.
    virtual ITexture2D* CreateCachedTexture(const CTextureTemplate& textureTemplate, int32_t width, int32_t height,
                                            eTextureFormat internalFormat, eTextureFormat pixelFormat, ePixelType type,
                                            int32_t unpackAlignment, bool mipmapped, bool immutableStorage,
                                            const void* pixels, const CVPixelBufferRef& pixelBuffer) = 0;
    // Uploads width x height pixels at the origin; the two integers after the texture are not
    // used. Unit 0's binding is restored.
    virtual void UpdateTexture(ITexture2D* texture, int32_t, int32_t, int32_t width, int32_t height,
                               int32_t unpackAlignment, const void* pixels) = 0;
    virtual void UpdateCachedTexture(ITexture2D* texture, const CVPixelBufferRef& pixelBuffer) = 0;
    // Unbinds it from every unit, then destroys it. Null is ignored.
    virtual void DeleteTexture(ITexture2D* texture) = 0;
    // Binds (or with null unbinds) a unit, skipping what is already so. Units at or above
    // GetMaxTextureUnits are ignored. A texture made without pixels gets its storage here.
    virtual void BindTexture(uint32_t unit, ITexture2D* texture) = 0;
    // Gives a texture made without pixels its storage now (before it is attached for drawing
    // into); unit 0's binding is restored.
    virtual void PrepareStorage(ITexture2D* texture) = 0;
    virtual int32_t GetMaxTextureUnits() const = 0;
    virtual int32_t GetMaxTextureSize() const = 0;
    virtual void FlushCache() = 0;
};

class CTexture : public ITexture {
public:
    CTexture() = default;
    ~CTexture() override;
    CTexture(const CTexture&) = delete;
    CTexture& operator=(const CTexture&) = delete;

    ITexture2D* CreateTexture(const CTextureTemplate& textureTemplate, int32_t width, int32_t height,
                              eTextureFormat internalFormat, eTextureFormat pixelFormat, ePixelType type,
                              int32_t unpackAlignment, bool mipmapped, bool immutableStorage,
                              const void* pixels) override;
    ITexture2D* CreateCachedTexture(const CTextureTemplate& textureTemplate, int32_t width, int32_t height,
                                    eTextureFormat internalFormat, eTextureFormat pixelFormat, ePixelType type,
                                    int32_t unpackAlignment, bool mipmapped, bool immutableStorage, const void* pixels,
                                    const CVPixelBufferRef& pixelBuffer) override;
    void UpdateTexture(ITexture2D* texture, int32_t, int32_t, int32_t width, int32_t height, int32_t unpackAlignment,
                       const void* pixels) override;
    void UpdateCachedTexture(ITexture2D* texture, const CVPixelBufferRef& pixelBuffer) override;
    void DeleteTexture(ITexture2D* texture) override;
    void BindTexture(uint32_t unit, ITexture2D* texture) override;
    void PrepareStorage(ITexture2D* texture) override;
    int32_t GetMaxTextureUnits() const override { return maxTextureUnits; }
    int32_t GetMaxTextureSize() const override { return maxTextureSize; }
    void FlushCache() override;

    // Reads the limits; called once by the device with its context current.
    void Initialize(EAGLContext* context);
    // Creates the texture cache when there is none; prints why when that fails.
    void EnsureTextureCache();
    void UnbindEverywhere(ITexture2D* texture);
    // Lets the texture cache go (the device does so before its context goes).
    void ReleaseTextureCache();

    // Shadows the texture objects consult.
    int32_t GetActiveUnit() const { return activeUnit; }
    ITexture2D* GetBoundTexture(uint32_t unit) const;
    int32_t GetUnpackAlignment() const { return unpackAlignment; }
    void SetUnpackAlignment(int32_t alignment);
    const CVOpenGLESTextureCacheRef& GetTextureCache() const { return textureCache; }
    // Whether the driver takes BGRA data into an RGBA texture (asked once, on first need).
    bool AcceptsBgraIntoRgba();
    // Tells the manager the answer instead (a driver that refuses, in tests).
    void SetAcceptsBgraIntoRgba(bool accepts) { bgraIntoRgba = accepts ? 1 : 0; }

private:
    int32_t activeUnit = -1;
    std::vector<ITexture2D*> boundTextures;
    int32_t maxTextureUnits = 0;
    int32_t maxTextureSize = 0;
    int32_t unpackAlignment = 4;
    EAGLContext* context = nullptr;  // not owned
    CVOpenGLESTextureCacheRef textureCache;
    int bgraIntoRgba = -1;  // unknown
};

// The engine's size rule for its input textures: false for two different powers of two, one
// of them below 16 and one of them 1, 2, 4 or 8, unless the height is twice the width.
bool IsTextureSizeAllowed(int32_t width, int32_t height);
// An allowed size at or just above the given one; false when it had to change it.
bool AdjustTextureSize(int32_t width, int32_t height, int32_t& widthOut, int32_t& heightOut);

}  // namespace QV::Graphics
