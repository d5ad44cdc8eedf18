#include "gpu/RenderState.h"

#include "gpu/GLCall.h"
#include "platform/opengles/GLES.h"

namespace QV::Graphics {
namespace {
void Toggle(GLenum capability, bool enabled) {
    if (enabled) QV_GL(glEnable, capability);
    else QV_GL(glDisable, capability);
}
// GL_ZERO is 0, so blend factors are checked by range rather than by their GL value.
bool IsSourceFactor(eBlendFactor f) { return f >= BLEND_ZERO && f <= BLEND_SRC_ALPHA_SATURATE; }
bool IsDestinationFactor(eBlendFactor f) { return f >= BLEND_ZERO && f < BLEND_SRC_ALPHA_SATURATE; }
}  // namespace

// Values outside an enumeration are refused: no GL call, the shadow keeps what GL has.

void CCulling::SetCullFace(eCullFace f) {
    if (f == face || ConvertCullFace(f) == 0) return;
    QV_GL(glCullFace, ConvertCullFace(f));
    face = f;
}

void CCulling::SetEnabled(bool e) {
    if (e == enabled) return;
    Toggle(GL_CULL_FACE, e);
    enabled = e;
}

void CDepthTest::SetEnabled(bool e) {
    if (e == enabled) return;
    Toggle(GL_DEPTH_TEST, e);
    enabled = e;
}

void CDepthTest::SetDepthFunc(eDepthFunc f) {
    if (f == function || ConvertDepthFunc(f) == 0) return;
    QV_GL(glDepthFunc, ConvertDepthFunc(f));
    function = f;
}

void CDepthTest::SetDepthMask(bool write) {
    if (write == writeMask) return;
    QV_GL(glDepthMask, static_cast<GLboolean>(write ? GL_TRUE : GL_FALSE));
    writeMask = write;
}

void CDepthTest::SetDepthRange(float n, float f) {
    if (n == rangeNear && f == rangeFar) return;
    QV_GL(glDepthRangef, n, f);
    rangeNear = n;
    rangeFar = f;
}

void CBlending::SetEnabled(bool e) {
    if (e == enabled) return;
    Toggle(GL_BLEND, e);
    enabled = e;
}

void CBlending::SetBlendFunc(eBlendFactor srgb, eBlendFactor drgb, eBlendFactor sa, eBlendFactor da) {
    if (srgb == sourceRGB && drgb == destinationRGB && sa == sourceAlpha && da == destinationAlpha) return;
    if (!IsSourceFactor(srgb) || !IsDestinationFactor(drgb) || !IsSourceFactor(sa) || !IsDestinationFactor(da)) return;
    QV_GL(glBlendFuncSeparate, ConvertSourceBlendFactor(srgb), ConvertDestinationBlendFactor(drgb),
          ConvertSourceBlendFactor(sa), ConvertDestinationBlendFactor(da));
    sourceRGB = srgb;
    destinationRGB = drgb;
    sourceAlpha = sa;
    destinationAlpha = da;
}

void CBlending::SetBlendEquation(eBlendEquation rgb, eBlendEquation alpha) {
    if (rgb == equationRGB && alpha == equationAlpha) return;
    if (ConvertBlendEquation(rgb) == 0 || ConvertBlendEquation(alpha) == 0) return;
    QV_GL(glBlendEquationSeparate, ConvertBlendEquation(rgb), ConvertBlendEquation(alpha));
    equationRGB = rgb;
    equationAlpha = alpha;
}

void CScissorTest::SetEnabled(bool e) {
    if (e == enabled) return;
    Toggle(GL_SCISSOR_TEST, e);
    enabled = e;
}

void CScissorTest::SetScissor(int32_t x, int32_t y, int32_t width, int32_t height) {
    if (UpdateRectangleShadow(rectangle, x, y, width, height)) QV_GL(glScissor, x, y, width, height);
}

void CScissorTest::SetScissor(const int32_t r[4]) { SetScissor(r[0], r[1], r[2], r[3]); }

}  // namespace QV::Graphics
