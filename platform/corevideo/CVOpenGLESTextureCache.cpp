#include "platform/corevideo/CVOpenGLESTextureCache.h"

#include <cstring>
#include <vector>

#include "platform/opengles/GLES.h"
#include "platform/opengles/GLExtensions.h"

namespace platform {

// What a cache and its textures share: the sharegroup the names live in and the names of
// released textures waiting for the next flush.
struct CVOpenGLESTextureCachePool {
    struct Released {
        GLuint name;
        int width, height, internalFormat;
    };
    std::shared_ptr<EAGLSharegroup> group;
    std::vector<Released> released;
    bool cacheAlive = true;

    bool GroupIsCurrent() const {
        EAGLContext* current = EAGLContext::currentContext();
        return current && current->sharegroup() == group;
    }
    void DeleteReleased() {
        if (released.empty() || !GroupIsCurrent()) return;
        std::vector<GLuint> names;
        for (const Released& r : released) names.push_back(r.name);
        glDeleteTextures(static_cast<GLsizei>(names.size()), names.data());
        released.clear();
    }
    // A released texture of this size and format, taken out of the list; 0 when there is none.
    GLuint TakeReleased(int width, int height, int internalFormat) {
        for (auto it = released.begin(); it != released.end(); ++it)
            if (it->width == width && it->height == height && it->internalFormat == internalFormat) {
                const GLuint name = it->name;
                released.erase(it);
                return name;
            }
        return 0;
    }
};

struct CVOpenGLESTextureCacheAccess {
    static CVOpenGLESTextureCacheRef MakeCache(EAGLContext* context) {
        CVOpenGLESTextureCacheRef cache(new CVOpenGLESTextureCache());
        cache->context_ = context;
        cache->pool_ = std::make_shared<CVOpenGLESTextureCachePool>();
        cache->pool_->group = context->sharegroup();
        return cache;
    }
    static CVOpenGLESTextureCachePool& Pool(const CVOpenGLESTextureCacheRef& cache) { return *cache->pool_; }
    static CVOpenGLESTextureRef MakeTexture(const CVOpenGLESTextureCacheRef& cache, GLuint name, GLenum target,
                                            int width, int height, int internalFormat) {
        CVOpenGLESTextureRef texture(new CVOpenGLESTexture());
        texture->name_ = name;
        texture->target_ = target;
        texture->width_ = width;
        texture->height_ = height;
        texture->internalFormat_ = internalFormat;
        texture->pool_ = cache->pool_;
        return texture;
    }
};

CVOpenGLESTexture::~CVOpenGLESTexture() {
    if (!name_ || !pool_) return;
    pool_->released.push_back({name_, width_, height_, internalFormat_});
    if (!pool_->cacheAlive) pool_->DeleteReleased();
}

CVOpenGLESTextureCache::~CVOpenGLESTextureCache() {
    if (!pool_) return;
    pool_->cacheAlive = false;
    pool_->DeleteReleased();
}

CVReturn CVOpenGLESTextureCacheCreate(EAGLContext* context, CVOpenGLESTextureCacheRef* cacheOut) {
    if (!cacheOut) return kCVReturnInvalidArgument;
    *cacheOut = nullptr;
    if (!context) return kCVReturnInvalidArgument;
    *cacheOut = CVOpenGLESTextureCacheAccess::MakeCache(context);
    return kCVReturnSuccess;
}

CVReturn CVOpenGLESTextureCacheCreateTextureFromImage(const CVOpenGLESTextureCacheRef& cache,
                                                      const CVPixelBufferRef& image, unsigned int target,
                                                      int internalFormat, int width, int height, unsigned int format,
                                                      unsigned int type, size_t planeIndex,
                                                      CVOpenGLESTextureRef* textureOut) {
    if (!textureOut) return kCVReturnInvalidArgument;
    *textureOut = nullptr;
    if (!cache || !image || target != GL_TEXTURE_2D || planeIndex != 0) return kCVReturnInvalidArgument;
    if (width < 1 || height < 1 || static_cast<size_t>(width) > image->width() ||
        static_cast<size_t>(height) > image->height())
        return kCVReturnInvalidSize;
    bool fourBytes = (format == GL_RGBA || format == GL_BGRA_EXT) && type == GL_UNSIGNED_BYTE &&
                     (internalFormat == GL_RGBA || internalFormat == GL_BGRA_EXT);
    if (!fourBytes) return kCVReturnPixelBufferNotOpenGLCompatible;
    CVOpenGLESTextureCachePool& pool = CVOpenGLESTextureCacheAccess::Pool(cache);
    if (!pool.GroupIsCurrent()) return kCVReturnInvalidArgument;

    // Leave the caller's binding and unpack alignment as they were.
    GLint previousTexture = 0, previousAlignment = 4;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &previousTexture);
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &previousAlignment);
    if (internalFormat == GL_RGBA && format == GL_BGRA_EXT && !gles::AcceptsBgraIntoRgba())
        internalFormat = GL_BGRA_EXT;

    // GL ES 2 cannot skip row padding, so padded rows are packed first.
    size_t row = static_cast<size_t>(width) * 4;
    const uint8_t* pixels = image->data();
    std::vector<uint8_t> packed;
    if (image->bytesPerRow() != row) {
        packed.resize(row * static_cast<size_t>(height));
        for (int y = 0; y < height; ++y)
            std::memcpy(packed.data() + row * y, image->data() + image->bytesPerRow() * y, row);
        pixels = packed.data();
    }

    // A texture of the same size and format released since the last flush (the frame before
    // last's, for a camera) is filled again: the driver then neither allocates nor clears fresh
    // storage for every frame.
    GLuint name = pool.TakeReleased(width, height, internalFormat);
    const bool reused = name != 0;
    if (!reused) glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    if (previousAlignment != 4) glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    if (reused) glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, format, type, pixels);
    else glTexImage2D(GL_TEXTURE_2D, 0, internalFormat, width, height, 0, format, type, pixels);
    if (previousAlignment != 4) glPixelStorei(GL_UNPACK_ALIGNMENT, previousAlignment);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(previousTexture));

    *textureOut = CVOpenGLESTextureCacheAccess::MakeTexture(cache, name, target, width, height, internalFormat);
    return kCVReturnSuccess;
}

unsigned int CVOpenGLESTextureGetName(const CVOpenGLESTextureRef& texture) { return texture ? texture->name() : 0; }

unsigned int CVOpenGLESTextureGetTarget(const CVOpenGLESTextureRef& texture) { return texture ? texture->target() : 0; }

void CVOpenGLESTextureCacheFlush(const CVOpenGLESTextureCacheRef& cache, CVOptionFlags) {
    if (cache) CVOpenGLESTextureCacheAccess::Pool(cache).DeleteReleased();
}

}  // namespace platform
