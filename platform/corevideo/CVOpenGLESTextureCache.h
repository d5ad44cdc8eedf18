#pragma once
// Makes OpenGL ES textures of pixel buffers for one context (and its sharegroup). There is no
// shared memory between CPU and GPU here, so each texture is an upload of the buffer's pixels.
// A texture keeps its GL name while referenced; once released, the name is deleted at the next
// CVOpenGLESTextureCacheFlush (or when the cache goes), unless a texture of the same size and
// format is made before that: it is then filled again under the same name.
#include <memory>
#include <vector>

#include "platform/corevideo/CVPixelBuffer.h"
#include "platform/opengles/EAGLContext.h"

namespace platform {

struct CVOpenGLESTextureCachePool;

class CVOpenGLESTexture {
public:
    ~CVOpenGLESTexture();
    CVOpenGLESTexture(const CVOpenGLESTexture&) = delete;
    CVOpenGLESTexture& operator=(const CVOpenGLESTexture&) = delete;
    unsigned int name() const { return name_; }
    unsigned int target() const { return target_; }

private:
    CVOpenGLESTexture() = default;
    friend struct CVOpenGLESTextureCacheAccess;
    unsigned int name_ = 0;
    unsigned int target_ = 0;
    int width_ = 0, height_ = 0, internalFormat_ = 0;
    std::shared_ptr<CVOpenGLESTextureCachePool> pool_;
};

class CVOpenGLESTextureCache {
public:
    ~CVOpenGLESTextureCache();
    CVOpenGLESTextureCache(const CVOpenGLESTextureCache&) = delete;
    CVOpenGLESTextureCache& operator=(const CVOpenGLESTextureCache&) = delete;
    EAGLContext* context() const { return context_; }

private:
    CVOpenGLESTextureCache() = default;
    friend struct CVOpenGLESTextureCacheAccess;
    EAGLContext* context_ = nullptr;  // not owned
    std::shared_ptr<CVOpenGLESTextureCachePool> pool_;
};

using CVOpenGLESTextureRef = std::shared_ptr<CVOpenGLESTexture>;
using CVOpenGLESTextureCacheRef = std::shared_ptr<CVOpenGLESTextureCache>;

// kCVReturnInvalidArgument without a context.
CVReturn CVOpenGLESTextureCacheCreate(EAGLContext* context, CVOpenGLESTextureCacheRef* cacheOut);

// Uploads plane `planeIndex` (only 0: the buffers are single-plane) of the buffer into a
// GL_TEXTURE_2D of width x height (new, or one released since the last flush of that size and format), with the given internal format, pixel format and type as
// glTexImage2D takes them. The caller's texture binding and unpack alignment are left as they
// were. Fails without a texture for a null cache or buffer, another target or plane, a size
// larger than the buffer, a format/type that does not read 4 bytes a pixel, or when the cache's
// context is not the current one (nor of its sharegroup).
CVReturn CVOpenGLESTextureCacheCreateTextureFromImage(const CVOpenGLESTextureCacheRef& cache,
                                                      const CVPixelBufferRef& sourceImage, unsigned int target,
                                                      int internalFormat, int width, int height, unsigned int format,
                                                      unsigned int type, size_t planeIndex,
                                                      CVOpenGLESTextureRef* textureOut);

unsigned int CVOpenGLESTextureGetName(const CVOpenGLESTextureRef& texture);
unsigned int CVOpenGLESTextureGetTarget(const CVOpenGLESTextureRef& texture);

// Deletes the GL names of textures released since the last flush.
void CVOpenGLESTextureCacheFlush(const CVOpenGLESTextureCacheRef& cache, CVOptionFlags options);

}  // namespace platform
