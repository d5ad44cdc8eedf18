#pragma once
// The look texture with the look it was made for. A texture put here by any other means than
// the loader counts as no look, so that it is never sampled as one; replacing or releasing the
// texture returns it to its device and forgets the look with it.

#include <cstdint>

#include "engine/OwnedGpuObject.h"

class LookTexture {
public:
    // A texture from elsewhere: held, but not a look.
    LookTexture& operator=(QV::Graphics::ITexture2D* texture) {
        Take(texture, -1);
        return *this;
    }
    // The loader's texture for `look`.
    void Take(QV::Graphics::ITexture2D* texture, int32_t look) {
        texture_ = texture;
        look_ = texture ? look : -1;
    }
    void reset() { Take(nullptr, -1); }

    // The look the texture holds, -1 without one.
    int32_t Look() const { return texture_ ? look_ : -1; }

    QV::Graphics::ITexture2D* get() const { return texture_; }
    QV::Graphics::ITexture2D* operator->() const { return texture_; }
    operator QV::Graphics::ITexture2D*() const { return texture_; }

private:
    OwnedTexture texture_;
    int32_t look_ = -1;
};
