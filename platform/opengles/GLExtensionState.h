#pragma once
// Private to the OpenGL ES stand-in: the extension entry points of one context.
#include <map>
#include <vector>

#include "platform/opengles/GLES.h"

namespace platform {

struct GLExtensionState {
    PFNGLMAPBUFFEROESPROC mapBuffer = nullptr;
    PFNGLUNMAPBUFFEROESPROC unmapBuffer = nullptr;
    PFNGLTEXSTORAGE2DEXTPROC texStorage2D = nullptr;
    PFNGLDISCARDFRAMEBUFFEREXTPROC discardFramebuffer = nullptr;
    PFNGLINSERTEVENTMARKEREXTPROC insertEventMarker = nullptr;
    PFNGLPUSHGROUPMARKEREXTPROC pushGroupMarker = nullptr;
    PFNGLPOPGROUPMARKEREXTPROC popGroupMarker = nullptr;

    // Whether the driver takes BGRA data into an RGBA texture; -1 until asked.
    int bgraIntoRgba = -1;

    // Client-side mappings while buffer mapping is emulated, by target.
    struct Mapping {
        GLuint buffer = 0;
        std::vector<unsigned char> bytes;
    };
    std::map<GLenum, Mapping> mappings;
};

}  // namespace platform
