#include "gpu/GLEnums.h"

#include <iterator>

#include "platform/opengles/GLES.h"

namespace QV::Graphics {
namespace {

template <typename Table>
uint32_t Lookup(const Table& table, int32_t index) {
    if (index < 0 || index >= static_cast<int32_t>(std::size(table))) return 0;
    return table[index];
}

// The 4:2:2 video formats and their 8-8 pixel types exist only on the phone's GL; here they
// stand as 0 so that nothing hands them to the driver.
constexpr uint32_t kNoGLValue = 0;

constexpr uint32_t kDataTypes[] = {GL_BYTE, GL_UNSIGNED_BYTE, GL_SHORT, GL_UNSIGNED_SHORT,
                                   GL_INT,  GL_UNSIGNED_INT,  GL_FLOAT};
constexpr uint32_t kPrimitives[] = {GL_POINTS,         GL_LINE_STRIP,   GL_LINE_LOOP, GL_LINES,
                                    GL_TRIANGLE_STRIP, GL_TRIANGLE_FAN, GL_TRIANGLES};
constexpr uint32_t kMinFilters[] = {GL_NEAREST,
                                    GL_LINEAR,
                                    GL_NEAREST_MIPMAP_NEAREST,
                                    GL_LINEAR_MIPMAP_NEAREST,
                                    GL_NEAREST_MIPMAP_LINEAR,
                                    GL_LINEAR_MIPMAP_LINEAR};
constexpr uint32_t kMagFilters[] = {GL_NEAREST, GL_LINEAR};
constexpr uint32_t kWraps[] = {GL_CLAMP_TO_EDGE, GL_MIRRORED_REPEAT, GL_REPEAT};
constexpr uint32_t kInternalFormats[] = {GL_ALPHA, GL_LUMINANCE, GL_LUMINANCE_ALPHA, GL_RGB,
                                         GL_RGBA,  GL_RED_EXT,   GL_RG_EXT};
constexpr uint32_t kPixelFormats[] = {GL_ALPHA,   GL_LUMINANCE, GL_LUMINANCE_ALPHA, GL_RGB,    GL_RGBA,
                                      GL_RED_EXT, GL_RG_EXT,    GL_BGRA_EXT,        kNoGLValue};
constexpr uint32_t kPixelTypes[] = {
    GL_UNSIGNED_BYTE, GL_UNSIGNED_SHORT_5_6_5, GL_UNSIGNED_SHORT_4_4_4_4, GL_UNSIGNED_SHORT_5_5_5_1, kNoGLValue,
    kNoGLValue,       GL_HALF_FLOAT_OES};
constexpr uint32_t kReadPixelTypes[] = {GL_UNSIGNED_BYTE,
                                        GL_UNSIGNED_SHORT_5_6_5,
                                        GL_UNSIGNED_SHORT_4_4_4_4,
                                        GL_UNSIGNED_SHORT_5_5_5_1,
                                        kNoGLValue,
                                        kNoGLValue,
                                        GL_FLOAT};
constexpr uint32_t kSizedByteFormats[] = {GL_ALPHA8_EXT, GL_LUMINANCE8_EXT, GL_LUMINANCE8_ALPHA8_EXT,
                                          GL_RGB8_OES,   GL_RGBA8_OES,      GL_R8_EXT,
                                          GL_RG8_EXT,    GL_BGRA8_EXT};
constexpr uint32_t kSizedHalfFloatFormats[] = {GL_ALPHA16F_EXT, GL_LUMINANCE16F_EXT, GL_LUMINANCE_ALPHA16F_EXT,
                                               GL_RGB16F_EXT,   GL_RGBA16F_EXT,      GL_R16F_EXT,
                                               GL_RG16F_EXT};
constexpr uint32_t kCullFaces[] = {GL_FRONT, GL_BACK, GL_FRONT_AND_BACK};
constexpr uint32_t kDepthFuncs[] = {GL_NEVER,   GL_LESS,     GL_EQUAL,  GL_LEQUAL,
                                    GL_GREATER, GL_NOTEQUAL, GL_GEQUAL, GL_ALWAYS};
constexpr uint32_t kSourceBlendFactors[] = {GL_ZERO,
                                            GL_ONE,
                                            GL_SRC_COLOR,
                                            GL_ONE_MINUS_SRC_COLOR,
                                            GL_DST_COLOR,
                                            GL_ONE_MINUS_DST_COLOR,
                                            GL_SRC_ALPHA,
                                            GL_ONE_MINUS_SRC_ALPHA,
                                            GL_DST_ALPHA,
                                            GL_ONE_MINUS_DST_ALPHA,
                                            GL_CONSTANT_COLOR,
                                            GL_ONE_MINUS_CONSTANT_COLOR,
                                            GL_CONSTANT_ALPHA,
                                            GL_ONE_MINUS_CONSTANT_ALPHA,
                                            GL_SRC_ALPHA_SATURATE};
constexpr uint32_t kBlendEquations[] = {GL_FUNC_ADD, GL_FUNC_SUBTRACT, GL_FUNC_REVERSE_SUBTRACT, GL_MIN_EXT,
                                        GL_MAX_EXT};
constexpr uint32_t kAttachments[] = {GL_COLOR_ATTACHMENT0, GL_DEPTH_ATTACHMENT, GL_STENCIL_ATTACHMENT};
constexpr uint32_t kRenderbufferFormats[] = {
    GL_RGBA4,     GL_RGB5_A1,  GL_RGB565, GL_RGB8_OES, GL_RGBA8_OES,         GL_RGBA16F_EXT,   GL_RGB16F_EXT,
    GL_RG16F_EXT, GL_R16F_EXT, GL_R8_EXT, GL_RG8_EXT,  GL_DEPTH_COMPONENT16, GL_STENCIL_INDEX8};

}  // namespace

uint32_t ConvertDataType(eDataType type) { return Lookup(kDataTypes, type); }
uint32_t ConvertPrimitive(ePrimitive primitive) { return Lookup(kPrimitives, primitive); }
uint32_t ConvertMinFilter(eTextureFilter filter) { return Lookup(kMinFilters, filter); }
uint32_t ConvertMagFilter(eTextureFilter filter) { return Lookup(kMagFilters, filter); }
uint32_t ConvertTextureWrap(eTextureWrap wrap) { return Lookup(kWraps, wrap); }
uint32_t ConvertInternalFormat(eTextureFormat format) { return Lookup(kInternalFormats, format); }
uint32_t ConvertPixelFormat(eTextureFormat format) { return Lookup(kPixelFormats, format); }
uint32_t ConvertPixelType(ePixelType type) { return Lookup(kPixelTypes, type); }
uint32_t ConvertReadPixelType(ePixelType type) { return Lookup(kReadPixelTypes, type); }

uint32_t ConvertSizedFormat(eTextureFormat pixelFormat, ePixelType type) {
    if (pixelFormat == FORMAT_RGB_422 || type == PIXEL_TYPE_UNSIGNED_SHORT_8_8 ||
        type == PIXEL_TYPE_UNSIGNED_SHORT_8_8_REV)
        return kNoGLValue;
    if (type == PIXEL_TYPE_UNSIGNED_BYTE && pixelFormat >= 0 && pixelFormat <= FORMAT_BGRA)
        return kSizedByteFormats[pixelFormat];
    if (type == PIXEL_TYPE_HALF_FLOAT && pixelFormat >= 0 && pixelFormat <= FORMAT_RG)
        return kSizedHalfFloatFormats[pixelFormat];
    return GL_RGBA8_OES;
}

uint32_t ConvertCullFace(eCullFace face) { return Lookup(kCullFaces, face); }
uint32_t ConvertDepthFunc(eDepthFunc function) { return Lookup(kDepthFuncs, function); }
uint32_t ConvertSourceBlendFactor(eBlendFactor factor) { return Lookup(kSourceBlendFactors, factor); }
uint32_t ConvertDestinationBlendFactor(eBlendFactor factor) {
    return factor == BLEND_SRC_ALPHA_SATURATE ? 0 : Lookup(kSourceBlendFactors, factor);
}
uint32_t ConvertBlendEquation(eBlendEquation equation) { return Lookup(kBlendEquations, equation); }
uint32_t ConvertAttachment(eAttachment attachment) { return Lookup(kAttachments, attachment); }
uint32_t ConvertRenderbufferFormat(eRenderbufferFormat format) { return Lookup(kRenderbufferFormats, format); }

int32_t BytesPerPixel(eTextureFormat format, ePixelType type) {
    if (ConvertPixelFormat(format) == 0 || ConvertPixelType(type) == 0) return 0;
    if (type != PIXEL_TYPE_UNSIGNED_BYTE && type != PIXEL_TYPE_HALF_FLOAT) return 2;  // packed
    static constexpr int32_t kComponents[] = {1, 1, 2, 3, 4, 1, 2, 4};
    return kComponents[format] * (type == PIXEL_TYPE_HALF_FLOAT ? 2 : 1);
}

}  // namespace QV::Graphics
