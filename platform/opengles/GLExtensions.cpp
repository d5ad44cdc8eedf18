#include "platform/opengles/GLExtensions.h"

#include "platform/opengles/EAGLContext.h"
#include "platform/opengles/GLExtensionState.h"

namespace platform::gles {
namespace {

GLExtensionState* State() {
    EAGLContext* context = EAGLContext::currentContext();
    return context ? &context->extensionState() : nullptr;
}

struct UnsizedFormat {
    GLenum internalFormat, format, type;
};

bool Unsized(GLenum sized, UnsizedFormat& out) {
    switch (sized) {
    case GL_ALPHA8_EXT: out = {GL_ALPHA, GL_ALPHA, GL_UNSIGNED_BYTE}; return true;
    case GL_LUMINANCE8_EXT: out = {GL_LUMINANCE, GL_LUMINANCE, GL_UNSIGNED_BYTE}; return true;
    case GL_LUMINANCE8_ALPHA8_EXT: out = {GL_LUMINANCE_ALPHA, GL_LUMINANCE_ALPHA, GL_UNSIGNED_BYTE}; return true;
    case GL_RGB8_OES: out = {GL_RGB, GL_RGB, GL_UNSIGNED_BYTE}; return true;
    case GL_RGBA8_OES: out = {GL_RGBA, GL_RGBA, GL_UNSIGNED_BYTE}; return true;
    case GL_BGRA8_EXT: out = {GL_BGRA_EXT, GL_BGRA_EXT, GL_UNSIGNED_BYTE}; return true;
    case GL_R8_EXT: out = {GL_RED_EXT, GL_RED_EXT, GL_UNSIGNED_BYTE}; return true;
    case GL_RG8_EXT: out = {GL_RG_EXT, GL_RG_EXT, GL_UNSIGNED_BYTE}; return true;
    case GL_ALPHA16F_EXT: out = {GL_ALPHA, GL_ALPHA, GL_HALF_FLOAT_OES}; return true;
    case GL_LUMINANCE16F_EXT: out = {GL_LUMINANCE, GL_LUMINANCE, GL_HALF_FLOAT_OES}; return true;
    case GL_LUMINANCE_ALPHA16F_EXT: out = {GL_LUMINANCE_ALPHA, GL_LUMINANCE_ALPHA, GL_HALF_FLOAT_OES}; return true;
    case GL_RGB16F_EXT: out = {GL_RGB, GL_RGB, GL_HALF_FLOAT_OES}; return true;
    case GL_RGBA16F_EXT: out = {GL_RGBA, GL_RGBA, GL_HALF_FLOAT_OES}; return true;
    case GL_R16F_EXT: out = {GL_RED_EXT, GL_RED_EXT, GL_HALF_FLOAT_OES}; return true;
    case GL_RG16F_EXT: out = {GL_RG_EXT, GL_RG_EXT, GL_HALF_FLOAT_OES}; return true;
    default: return false;
    }
}

GLenum BindingOf(GLenum target) {
    return target == GL_ELEMENT_ARRAY_BUFFER ? GL_ELEMENT_ARRAY_BUFFER_BINDING : GL_ARRAY_BUFFER_BINDING;
}

}  // namespace

void* MapBufferOES(GLenum target, GLenum access) {
    GLExtensionState* s = State();
    if (!s) return nullptr;
    if (s->mapBuffer) return s->mapBuffer(target, access);
    GLint buffer = 0, size = 0;
    glGetIntegerv(BindingOf(target), &buffer);
    if (buffer == 0 || s->mappings.count(target)) return nullptr;
    glGetBufferParameteriv(target, GL_BUFFER_SIZE, &size);
    if (size <= 0) return nullptr;
    auto& mapping = s->mappings[target];
    mapping.buffer = static_cast<GLuint>(buffer);
    mapping.bytes.assign(static_cast<size_t>(size), 0);
    return mapping.bytes.data();
}

GLboolean UnmapBufferOES(GLenum target) {
    GLExtensionState* s = State();
    if (!s) return GL_FALSE;
    if (s->unmapBuffer) return s->unmapBuffer(target);
    auto it = s->mappings.find(target);
    if (it == s->mappings.end()) return GL_FALSE;
    GLint buffer = 0;
    glGetIntegerv(BindingOf(target), &buffer);
    bool same = static_cast<GLuint>(buffer) == it->second.buffer;
    if (same) glBufferSubData(target, 0, static_cast<GLsizeiptr>(it->second.bytes.size()), it->second.bytes.data());
    s->mappings.erase(it);
    return same ? GL_TRUE : GL_FALSE;
}

void TexStorage2DEXT(GLenum target, GLsizei levels, GLenum internalFormat, GLsizei width, GLsizei height) {
    GLExtensionState* s = State();
    if (!s) return;
    if (s->texStorage2D) return s->texStorage2D(target, levels, internalFormat, width, height);
    UnsizedFormat f;
    if (!Unsized(internalFormat, f)) return;
    for (GLint level = 0; level < levels; ++level) {
        glTexImage2D(target, level, static_cast<GLint>(f.internalFormat), width, height, 0, f.format, f.type, nullptr);
        width = width > 1 ? width / 2 : 1;
        height = height > 1 ? height / 2 : 1;
    }
}

bool AcceptsBgraIntoRgba() {
    GLExtensionState* s = State();
    if (!s) return false;
    if (s->bgraIntoRgba < 0) {
        GLint previous = 0;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &previous);
        while (glGetError() != GL_NO_ERROR) {}
        GLuint scratch = 0;
        glGenTextures(1, &scratch);
        glBindTexture(GL_TEXTURE_2D, scratch);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_BGRA_EXT, GL_UNSIGNED_BYTE, nullptr);
        s->bgraIntoRgba = glGetError() == GL_NO_ERROR ? 1 : 0;
        glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(previous));
        glDeleteTextures(1, &scratch);
    }
    return s->bgraIntoRgba == 1;
}

void DiscardFramebufferEXT(GLenum target, GLsizei count, const GLenum* attachments) {
    if (GLExtensionState* s = State(); s && s->discardFramebuffer) s->discardFramebuffer(target, count, attachments);
}

void InsertEventMarkerEXT(GLsizei length, const GLchar* marker) {
    if (GLExtensionState* s = State(); s && s->insertEventMarker) s->insertEventMarker(length, marker);
}

void PushGroupMarkerEXT(GLsizei length, const GLchar* marker) {
    if (GLExtensionState* s = State(); s && s->pushGroupMarker) s->pushGroupMarker(length, marker);
}

void PopGroupMarkerEXT() {
    if (GLExtensionState* s = State(); s && s->popGroupMarker) s->popGroupMarker();
}

}  // namespace platform::gles
