#include "gpu/Texture.h"

#include <cmath>
#include <cstdio>

#include "gpu/Device.h"
#include "gpu/GLCall.h"
#include "platform/opengles/GLES.h"
#include "platform/opengles/GLExtensions.h"

namespace QV::Graphics {
namespace {

// Sampling state that matches no enumeration, so that every field of a cached texture's
// template is issued at its first bind and again after each new pixel buffer.
const CTextureTemplate kUnknownTemplate(6, 2, 3, 3);

bool FormatsAccepted(eTextureFormat internalFormat, eTextureFormat pixelFormat, ePixelType type) {
    return ConvertInternalFormat(internalFormat) != 0 && ConvertPixelFormat(pixelFormat) != 0 &&
           ConvertPixelType(type) != 0;
}

// Runs work with `texture` (or nothing) bound on unit 0, then binds back what unit 0 held.
template <typename Work>
void OnUnitZero(CTexture& textures, ITexture2D* texture, Work work) {
    ITexture2D* remembered = textures.GetBoundTexture(0);
    textures.BindTexture(0, texture);
    work();
    textures.BindTexture(0, remembered);
}

}  // namespace

// ---- CTexture2D ----

CTexture2D::CTexture2D(CTexture* manager_, const CTextureTemplate& textureTemplate, int32_t width_, int32_t height_,
                       eTextureFormat internalFormat_, eTextureFormat pixelFormat_, ePixelType pixelType_,
                       bool mipmapped_, bool immutableStorage_)
    : requestedTemplate(textureTemplate),
      width(width_),
      height(height_),
      internalFormat(internalFormat_),
      pixelFormat(pixelFormat_),
      pixelType(pixelType_),
      mipmapped(mipmapped_),
      immutableStorage(immutableStorage_),
      manager(manager_) {}

CTexture2D::~CTexture2D() {
    if (texture && !IsCached()) QV_GL(glDeleteTextures, 1, &texture);
}

void CTexture2D::SetTemplate(const CTextureTemplate& textureTemplate) {
    // Immutable storage keeps the sampling it was made with, also when its storage (and with
    // it that sampling) reaches GL only at the first bind.
    if (immutableStorage) return;
    requestedTemplate = textureTemplate;
    templateDirty = requestedTemplate != appliedTemplate;
}

void CTexture2D::AllocateStorage() {
    if (immutableStorage) {
        int32_t levels = 1;
        if (mipmapped) levels = static_cast<int32_t>(std::floor(std::log2(std::max(width, height)))) + 1;
        glInternalFormat = ConvertSizedFormat(pixelFormat, pixelType);
        QV_GL(platform::gles::TexStorage2DEXT, static_cast<GLenum>(GL_TEXTURE_2D), levels,
              static_cast<GLenum>(glInternalFormat), width, height);
        ApplyTemplate();
    } else {
        glInternalFormat = ConvertInternalFormat(internalFormat);
        // Some drivers take BGRA data only into a BGRA texture.
        if (pixelFormat == FORMAT_BGRA && internalFormat == FORMAT_RGBA && manager && !manager->AcceptsBgraIntoRgba())
            glInternalFormat = GL_BGRA_EXT;
        QV_GL(glTexImage2D, static_cast<GLenum>(GL_TEXTURE_2D), 0, static_cast<GLint>(glInternalFormat), width, height,
              0, static_cast<GLenum>(ConvertPixelFormat(pixelFormat)), static_cast<GLenum>(ConvertPixelType(pixelType)),
              static_cast<const void*>(nullptr));
    }
    if (mipmapped) QV_GL(glGenerateMipmap, static_cast<GLenum>(GL_TEXTURE_2D));
}

void CTexture2D::ApplyTemplate() {
    auto apply = [](int32_t requested, int32_t& applied, GLenum parameter, uint32_t value) {
        if (requested == applied) return;
        if (value != 0)
            QV_GL(glTexParameteri, static_cast<GLenum>(GL_TEXTURE_2D), parameter, static_cast<GLint>(value));
        applied = requested;
    };
    const CTextureTemplate& r = requestedTemplate;
    CTextureTemplate& a = appliedTemplate;
    apply(r.minFilter, a.minFilter, GL_TEXTURE_MIN_FILTER, ConvertMinFilter(static_cast<eTextureFilter>(r.minFilter)));
    apply(r.magFilter, a.magFilter, GL_TEXTURE_MAG_FILTER, ConvertMagFilter(static_cast<eTextureFilter>(r.magFilter)));
    apply(r.wrapS, a.wrapS, GL_TEXTURE_WRAP_S, ConvertTextureWrap(static_cast<eTextureWrap>(r.wrapS)));
    apply(r.wrapT, a.wrapT, GL_TEXTURE_WRAP_T, ConvertTextureWrap(static_cast<eTextureWrap>(r.wrapT)));
    templateDirty = false;
}

void CTexture2D::UpdateSubImage(int32_t x, int32_t y, int32_t w, int32_t h, int32_t alignment, const void* pixels) {
    if (!pixels || x < 0 || y < 0 || w < 0 || h < 0) return;
    if (static_cast<int64_t>(x) + w > width || static_cast<int64_t>(y) + h > height) return;
    if (!FormatsAccepted(internalFormat, pixelFormat, pixelType)) return;
    if (manager) manager->SetUnpackAlignment(alignment);
    QV_GL(glTexSubImage2D, static_cast<GLenum>(GL_TEXTURE_2D), 0, x, y, w, h,
          static_cast<GLenum>(ConvertPixelFormat(pixelFormat)), static_cast<GLenum>(ConvertPixelType(pixelType)),
          pixels);
    if (mipmapped) QV_GL(glGenerateMipmap, static_cast<GLenum>(GL_TEXTURE_2D));
}

// ---- CCachedTexture2D ----

CCachedTexture2D::CCachedTexture2D(CTexture* manager_, const CTextureTemplate& textureTemplate, int32_t width_,
                                   int32_t height_, eTextureFormat internalFormat_, eTextureFormat pixelFormat_,
                                   ePixelType pixelType_)
    : CTexture2D(manager_, textureTemplate, width_, height_, internalFormat_, pixelFormat_, pixelType_, false, false) {
    appliedTemplate = kUnknownTemplate;
    cache = manager_ ? manager_->GetTextureCache() : nullptr;
}

CCachedTexture2D::~CCachedTexture2D() { ReleaseImage(); }

void CCachedTexture2D::SetPixelBuffer(const CVPixelBufferRef& pixelBuffer) {
    if (!pixelBuffer) return;
    ReleaseImage();
    CVOpenGLESTextureRef made;
    platform::CVReturn result = platform::CVOpenGLESTextureCacheCreateTextureFromImage(
        cache, pixelBuffer, GL_TEXTURE_2D, static_cast<int>(ConvertInternalFormat(internalFormat)), width, height,
        ConvertPixelFormat(pixelFormat), ConvertPixelType(pixelType), 0, &made);
    if (result == platform::kCVReturnSuccess && made) {
        image = std::move(made);
        texture = platform::CVOpenGLESTextureGetName(image);
        appliedTemplate = kUnknownTemplate;
        templateDirty = true;
    } else {
        texture = 0;
    }
}

void CCachedTexture2D::ReleaseImage() {
    if (!image) return;
    if (manager) manager->UnbindEverywhere(this);
    texture = 0;
    image.reset();
}

// ---- CTexture ----

CTexture::~CTexture() = default;

void CTexture::Initialize(EAGLContext* context_) {
    QV_GL(glGetIntegerv, static_cast<GLenum>(GL_MAX_COMBINED_TEXTURE_IMAGE_UNITS), &maxTextureUnits);
    QV_GL(glGetIntegerv, static_cast<GLenum>(GL_MAX_TEXTURE_SIZE), &maxTextureSize);
    boundTextures.assign(static_cast<size_t>(maxTextureUnits > 0 ? maxTextureUnits : 0), nullptr);
    context = context_;
}

ITexture2D* CTexture::GetBoundTexture(uint32_t unit) const {
    return unit < boundTextures.size() ? boundTextures[unit] : nullptr;
}

void CTexture::SetUnpackAlignment(int32_t alignment) {
    if (alignment == unpackAlignment) return;
    QV_GL(glPixelStorei, static_cast<GLenum>(GL_UNPACK_ALIGNMENT), alignment);
    unpackAlignment = alignment;
}

bool CTexture::AcceptsBgraIntoRgba() {
    if (bgraIntoRgba < 0) bgraIntoRgba = platform::gles::AcceptsBgraIntoRgba() ? 1 : 0;
    return bgraIntoRgba == 1;
}

ITexture2D* CTexture::CreateTexture(const CTextureTemplate& textureTemplate, int32_t width, int32_t height,
                                    eTextureFormat internalFormat, eTextureFormat pixelFormat, ePixelType type,
                                    int32_t unpackAlignment_, bool mipmapped, bool immutableStorage,
                                    const void* pixels) {
    if (maxTextureSize < width || maxTextureSize < height || width < 1 || height < 1) return nullptr;
    if (!FormatsAccepted(internalFormat, pixelFormat, type)) return nullptr;
    IDevice* device = CDevice::GetCurrentDevice();
    bool immutable = immutableStorage && device && device->HasTextureStorage();
    if (immutable && ConvertSizedFormat(pixelFormat, type) == 0) return nullptr;
    auto* t =
        new CTexture2D(this, textureTemplate, width, height, internalFormat, pixelFormat, type, mipmapped, immutable);
    GLuint name = 0;
    QV_GL(glGenTextures, 1, &name);
    t->texture = name;
    // Storage waits for the first bind or attachment: a software driver allocates and clears
    // every texture's memory at once, and a render made of many working textures touches only
    // those its style uses (a photo's strips use fewer than the preview made).
    t->storagePending = pixels == nullptr;
    if (pixels)
        OnUnitZero(*this, t, [&] {
            t->AllocateStorage();
            t->UpdateSubImage(0, 0, width, height, unpackAlignment_, pixels);
        });
    return t;
}

ITexture2D* CTexture::CreateCachedTexture(const CTextureTemplate& textureTemplate, int32_t width, int32_t height,
                                          eTextureFormat internalFormat, eTextureFormat pixelFormat, ePixelType type,
                                          int32_t, bool, bool, const void*, const CVPixelBufferRef& pixelBuffer) {
    if (maxTextureSize < width || maxTextureSize < height) return nullptr;
    if (!FormatsAccepted(internalFormat, pixelFormat, type)) return nullptr;
    EnsureTextureCache();
    auto* t = new CCachedTexture2D(this, textureTemplate, width, height, internalFormat, pixelFormat, type);
    t->SetPixelBuffer(pixelBuffer);
    return t;
}

void CTexture::UpdateTexture(ITexture2D* texture, int32_t, int32_t, int32_t width, int32_t height, int32_t alignment,
                             const void* pixels) {
    if (!texture) return;
    OnUnitZero(*this, texture,
               [&] { static_cast<CTexture2D*>(texture)->UpdateSubImage(0, 0, width, height, alignment, pixels); });
}

void CTexture::UpdateCachedTexture(ITexture2D* texture, const CVPixelBufferRef& pixelBuffer) {
    if (!texture || !texture->IsCached()) return;
    OnUnitZero(*this, nullptr, [&] { static_cast<CCachedTexture2D*>(texture)->SetPixelBuffer(pixelBuffer); });
}

void CTexture::DeleteTexture(ITexture2D* texture) {
    if (!texture) return;
    UnbindEverywhere(texture);
    delete texture;
}

void CTexture::UnbindEverywhere(ITexture2D* texture) {
    for (uint32_t unit = 0; unit < boundTextures.size(); ++unit)
        if (boundTextures[unit] == texture) BindTexture(unit, nullptr);
}

void CTexture::BindTexture(uint32_t unit, ITexture2D* texture) {
    if (unit >= boundTextures.size()) return;
    auto activate = [&] {
        if (activeUnit != static_cast<int32_t>(unit)) {
            QV_GL(glActiveTexture, static_cast<GLenum>(GL_TEXTURE0 + unit));
            activeUnit = static_cast<int32_t>(unit);
        }
    };
    if (!texture) {
        if (!boundTextures[unit]) return;
        activate();
        QV_GL(glBindTexture, static_cast<GLenum>(GL_TEXTURE_2D), 0u);
        boundTextures[unit] = nullptr;
        return;
    }
    auto* t = static_cast<CTexture2D*>(texture);
    if (boundTextures[unit] == texture && !t->IsTemplateDirty()) return;
    activate();
    if (boundTextures[unit] != texture) {
        QV_GL(glBindTexture, static_cast<GLenum>(GL_TEXTURE_2D), t->GetName());
        boundTextures[unit] = texture;
    }
    if (t->storagePending) {
        t->storagePending = false;
        t->AllocateStorage();
    }
    if (t->IsTemplateDirty()) t->ApplyTemplate();
}

void CTexture::PrepareStorage(ITexture2D* texture) {
    if (!texture || texture->IsCached() || !static_cast<CTexture2D*>(texture)->IsStoragePending()) return;
    OnUnitZero(*this, texture, [] {});
}

void CTexture::FlushCache() {
    if (textureCache) platform::CVOpenGLESTextureCacheFlush(textureCache, 0);
}

void CTexture::ReleaseTextureCache() {
    FlushCache();
    textureCache.reset();
}

void CTexture::EnsureTextureCache() {
    if (textureCache) return;
    platform::CVReturn result = platform::CVOpenGLESTextureCacheCreate(context, &textureCache);
    if (result != platform::kCVReturnSuccess || !textureCache) {
        std::printf("CVOpenGLESTextureCacheCreate: %i", result);
        std::fflush(stdout);
    }
}

// ---- size rule ----

namespace {
bool IsPowerOfTwo(int32_t v) { return v > 0 && (v & (v - 1)) == 0; }
bool IsTiny(int32_t v) { return v == 1 || v == 2 || v == 4 || v == 8; }
}  // namespace

bool IsTextureSizeAllowed(int32_t w, int32_t h) {
    return w == h || w < 1 || h < 1 || (w >= 16 && h >= 16) || !IsPowerOfTwo(w) || !IsPowerOfTwo(h) ||
           (!IsTiny(w) && !IsTiny(h)) || static_cast<int64_t>(h) == 2 * int64_t(w);
}

bool AdjustTextureSize(int32_t w, int32_t h, int32_t& wOut, int32_t& hOut) {
    if (IsTextureSizeAllowed(w, h)) {
        wOut = w;
        hOut = h;
        return true;
    }
    if (w >= h) {
        wOut = w;
        hOut = h + 1;
        if (!IsTextureSizeAllowed(w, h + 1)) wOut = w + 1, hOut = h;
    } else {
        wOut = w + 1;
        hOut = h;
        if (!IsTextureSizeAllowed(w + 1, h)) wOut = w, hOut = h + 1;
    }
    return false;
}

}  // namespace QV::Graphics
