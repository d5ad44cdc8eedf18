#pragma once
// Shadowed fixed-function state: face culling, depth test, blending, scissor test. Each setter
// calls GL only when a value differs from what it last gave (exact comparison, so a NaN always
// reaches GL); getters never query GL. Shadows start at GL's own initial values.
#include <cstdint>

#include "gpu/GLEnums.h"

namespace QV::Graphics {

// Stores {x, y, width, height} in a shadow rectangle; false when it already held them.
inline bool UpdateRectangleShadow(int32_t (&shadow)[4], int32_t x, int32_t y, int32_t width, int32_t height) {
    if (shadow[0] == x && shadow[1] == y && shadow[2] == width && shadow[3] == height) return false;
    shadow[0] = x;
    shadow[1] = y;
    shadow[2] = width;
    shadow[3] = height;
    return true;
}

class ICulling {
public:
    virtual ~ICulling() = default;
    virtual void SetCullFace(eCullFace face) = 0;
    virtual eCullFace GetCullFace() const = 0;
    virtual void SetEnabled(bool enabled) = 0;
    virtual bool IsEnabled() const = 0;
};

class CCulling : public ICulling {
public:
    void SetCullFace(eCullFace face) override;
    eCullFace GetCullFace() const override { return face; }
    void SetEnabled(bool enabled) override;
    bool IsEnabled() const override { return enabled; }

private:
    eCullFace face = CULL_BACK;
    bool enabled = false;
};

class IDepthTest {
public:
    virtual ~IDepthTest() = default;
    virtual void SetEnabled(bool enabled) = 0;
    virtual bool IsEnabled() const = 0;
    virtual void SetDepthFunc(eDepthFunc function) = 0;
    virtual eDepthFunc GetDepthFunc() const = 0;
    virtual void SetDepthMask(bool write) = 0;
    virtual bool GetDepthMask() const = 0;
    virtual float GetDepthRangeNear() const = 0;
    virtual float GetDepthRangeFar() const = 0;
    virtual void SetDepthRange(float near, float far) = 0;
};

class CDepthTest : public IDepthTest {
public:
    void SetEnabled(bool enabled) override;
    bool IsEnabled() const override { return enabled; }
    void SetDepthFunc(eDepthFunc function) override;
    eDepthFunc GetDepthFunc() const override { return function; }
    void SetDepthMask(bool write) override;
    bool GetDepthMask() const override { return writeMask; }
    float GetDepthRangeNear() const override { return rangeNear; }
    float GetDepthRangeFar() const override { return rangeFar; }
    void SetDepthRange(float near, float far) override;

private:
    float rangeNear = 0.0f;
    float rangeFar = 1.0f;
    bool enabled = false;
    bool writeMask = true;
    eDepthFunc function = DEPTH_LESS;
};

class IBlending {
public:
    virtual ~IBlending() = default;
    virtual void SetEnabled(bool enabled) = 0;
    virtual bool IsEnabled() const = 0;
    virtual void SetBlendFunc(eBlendFactor sourceRGB, eBlendFactor destinationRGB, eBlendFactor sourceAlpha,
                              eBlendFactor destinationAlpha) = 0;
    virtual eBlendFactor GetSourceRGB() const = 0;
    virtual eBlendFactor GetDestinationRGB() const = 0;
    virtual eBlendFactor GetSourceAlpha() const = 0;
    virtual eBlendFactor GetDestinationAlpha() const = 0;
    virtual void SetBlendEquation(eBlendEquation rgb, eBlendEquation alpha) = 0;
    virtual eBlendEquation GetBlendEquationRGB() const = 0;
    virtual eBlendEquation GetBlendEquationAlpha() const = 0;
};

class CBlending : public IBlending {
public:
    void SetEnabled(bool enabled) override;
    bool IsEnabled() const override { return enabled; }
    void SetBlendFunc(eBlendFactor sourceRGB, eBlendFactor destinationRGB, eBlendFactor sourceAlpha,
                      eBlendFactor destinationAlpha) override;
    eBlendFactor GetSourceRGB() const override { return sourceRGB; }
    eBlendFactor GetDestinationRGB() const override { return destinationRGB; }
    eBlendFactor GetSourceAlpha() const override { return sourceAlpha; }
    eBlendFactor GetDestinationAlpha() const override { return destinationAlpha; }
    void SetBlendEquation(eBlendEquation rgb, eBlendEquation alpha) override;
    eBlendEquation GetBlendEquationRGB() const override { return equationRGB; }
    eBlendEquation GetBlendEquationAlpha() const override { return equationAlpha; }

private:
    bool enabled = false;
    eBlendFactor sourceRGB = BLEND_ONE;
    eBlendFactor destinationRGB = BLEND_ZERO;
    eBlendFactor sourceAlpha = BLEND_ONE;
    eBlendFactor destinationAlpha = BLEND_ZERO;
    eBlendEquation equationRGB = BLEND_FUNC_ADD;
    eBlendEquation equationAlpha = BLEND_FUNC_ADD;
};

class IScissorTest {
public:
    virtual ~IScissorTest() = default;
    virtual void SetEnabled(bool enabled) = 0;
    virtual bool IsEnabled() const = 0;
    virtual void SetScissor(int32_t x, int32_t y, int32_t width, int32_t height) = 0;
    virtual void SetScissor(const int32_t rectangle[4]) = 0;
    // {x, y, width, height}; -1 in every field until the first SetScissor.
    virtual const int32_t* GetScissor() const = 0;
};

class CScissorTest : public IScissorTest {
public:
    void SetEnabled(bool enabled) override;
    bool IsEnabled() const override { return enabled; }
    void SetScissor(int32_t x, int32_t y, int32_t width, int32_t height) override;
    void SetScissor(const int32_t rectangle[4]) override;
    const int32_t* GetScissor() const override { return rectangle; }

private:
    bool enabled = false;
    int32_t rectangle[4] = {-1, -1, -1, -1};
};

}  // namespace QV::Graphics
