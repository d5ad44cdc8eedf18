#pragma once
// The GPU layer's own enumerations and the tables that turn them into OpenGL ES 2 constants.
// Every enumeration is a plain int32 starting at 0. A value outside its table, or one this
// platform has no GL constant for (the 4:2:2 video formats and their 8-8 pixel types), converts
// to 0 (GL_NONE), and the callers refuse it instead of handing it to GL. (GL_ZERO and GL_POINTS
// are 0 too: blend factors and primitives are checked by range.)
#include <cstdint>

namespace QV::Graphics {

enum eDataType : int32_t {
    DATA_TYPE_BYTE = 0,
    DATA_TYPE_UNSIGNED_BYTE = 1,
    DATA_TYPE_SHORT = 2,
    DATA_TYPE_UNSIGNED_SHORT = 3,
    DATA_TYPE_INT = 4,
    DATA_TYPE_UNSIGNED_INT = 5,
    DATA_TYPE_FLOAT = 6,
};

enum ePrimitive : int32_t {
    PRIMITIVE_POINTS = 0,
    PRIMITIVE_LINE_STRIP = 1,
    PRIMITIVE_LINE_LOOP = 2,
    PRIMITIVE_LINES = 3,
    PRIMITIVE_TRIANGLE_STRIP = 4,
    PRIMITIVE_TRIANGLE_FAN = 5,
    PRIMITIVE_TRIANGLES = 6,
};

// Only NEAREST and LINEAR are magnification filters.
enum eTextureFilter : int32_t {
    FILTER_NEAREST = 0,
    FILTER_LINEAR = 1,
    FILTER_NEAREST_MIPMAP_NEAREST = 2,
    FILTER_LINEAR_MIPMAP_NEAREST = 3,
    FILTER_NEAREST_MIPMAP_LINEAR = 4,
    FILTER_LINEAR_MIPMAP_LINEAR = 5,
};

enum eTextureWrap : int32_t {
    WRAP_CLAMP_TO_EDGE = 0,
    WRAP_MIRRORED_REPEAT = 1,
    WRAP_REPEAT = 2,
};

// BGRA and RGB_422 are pixel (upload/read) formats only, never internal formats.
enum eTextureFormat : int32_t {
    FORMAT_ALPHA = 0,
    FORMAT_LUMINANCE = 1,
    FORMAT_LUMINANCE_ALPHA = 2,
    FORMAT_RGB = 3,
    FORMAT_RGBA = 4,
    FORMAT_RED = 5,
    FORMAT_RG = 6,
    FORMAT_BGRA = 7,
    FORMAT_RGB_422 = 8,
};

enum ePixelType : int32_t {
    PIXEL_TYPE_UNSIGNED_BYTE = 0,
    PIXEL_TYPE_UNSIGNED_SHORT_5_6_5 = 1,
    PIXEL_TYPE_UNSIGNED_SHORT_4_4_4_4 = 2,
    PIXEL_TYPE_UNSIGNED_SHORT_5_5_5_1 = 3,
    PIXEL_TYPE_UNSIGNED_SHORT_8_8 = 4,
    PIXEL_TYPE_UNSIGNED_SHORT_8_8_REV = 5,
    PIXEL_TYPE_HALF_FLOAT = 6,  // float when reading pixels back
};

enum eCullFace : int32_t { CULL_FRONT = 0, CULL_BACK = 1, CULL_FRONT_AND_BACK = 2 };

enum eDepthFunc : int32_t {
    DEPTH_NEVER = 0,
    DEPTH_LESS = 1,
    DEPTH_EQUAL = 2,
    DEPTH_LEQUAL = 3,
    DEPTH_GREATER = 4,
    DEPTH_NOTEQUAL = 5,
    DEPTH_GEQUAL = 6,
    DEPTH_ALWAYS = 7,
};

// SRC_ALPHA_SATURATE is a source factor only.
enum eBlendFactor : int32_t {
    BLEND_ZERO = 0,
    BLEND_ONE = 1,
    BLEND_SRC_COLOR = 2,
    BLEND_ONE_MINUS_SRC_COLOR = 3,
    BLEND_DST_COLOR = 4,
    BLEND_ONE_MINUS_DST_COLOR = 5,
    BLEND_SRC_ALPHA = 6,
    BLEND_ONE_MINUS_SRC_ALPHA = 7,
    BLEND_DST_ALPHA = 8,
    BLEND_ONE_MINUS_DST_ALPHA = 9,
    BLEND_CONSTANT_COLOR = 10,
    BLEND_ONE_MINUS_CONSTANT_COLOR = 11,
    BLEND_CONSTANT_ALPHA = 12,
    BLEND_ONE_MINUS_CONSTANT_ALPHA = 13,
    BLEND_SRC_ALPHA_SATURATE = 14,
};

enum eBlendEquation : int32_t {
    BLEND_FUNC_ADD = 0,
    BLEND_FUNC_SUBTRACT = 1,
    BLEND_FUNC_REVERSE_SUBTRACT = 2,
    BLEND_MIN_EXT = 3,
    BLEND_MAX_EXT = 4,
};

enum eAttachment : int32_t {
    ATTACHMENT_COLOR0 = 0,
    ATTACHMENT_DEPTH = 1,
    ATTACHMENT_STENCIL = 2,
};

enum eRenderbufferFormat : int32_t {
    RENDERBUFFER_RGBA4 = 0,
    RENDERBUFFER_RGB5_A1 = 1,
    RENDERBUFFER_RGB565 = 2,
    RENDERBUFFER_RGB8_OES = 3,
    RENDERBUFFER_RGBA8_OES = 4,
    RENDERBUFFER_RGBA16F_EXT = 5,
    RENDERBUFFER_RGB16F_EXT = 6,
    RENDERBUFFER_RG16F_EXT = 7,
    RENDERBUFFER_R16F_EXT = 8,
    RENDERBUFFER_R8_EXT = 9,
    RENDERBUFFER_RG8_EXT = 10,
    RENDERBUFFER_DEPTH_COMPONENT16 = 11,
    RENDERBUFFER_STENCIL_INDEX8 = 12,
};

// The conversion tables; each returns the GL constant, or 0 for a value it refuses.
uint32_t ConvertDataType(eDataType type);
uint32_t ConvertPrimitive(ePrimitive primitive);
uint32_t ConvertMinFilter(eTextureFilter filter);
uint32_t ConvertMagFilter(eTextureFilter filter);
uint32_t ConvertTextureWrap(eTextureWrap wrap);
uint32_t ConvertInternalFormat(eTextureFormat format);
uint32_t ConvertPixelFormat(eTextureFormat format);
uint32_t ConvertPixelType(ePixelType type);
uint32_t ConvertReadPixelType(ePixelType type);
uint32_t ConvertSizedFormat(eTextureFormat pixelFormat, ePixelType type);
uint32_t ConvertCullFace(eCullFace face);
uint32_t ConvertDepthFunc(eDepthFunc function);
uint32_t ConvertSourceBlendFactor(eBlendFactor factor);
uint32_t ConvertDestinationBlendFactor(eBlendFactor factor);
uint32_t ConvertBlendEquation(eBlendEquation equation);
uint32_t ConvertAttachment(eAttachment attachment);
uint32_t ConvertRenderbufferFormat(eRenderbufferFormat format);

// Bytes one pixel of the given format and type occupies in client memory (0 when refused).
int32_t BytesPerPixel(eTextureFormat pixelFormat, ePixelType type);

}  // namespace QV::Graphics
