#pragma once
// OpenGL ES extension entry points, looked up at run time for the current context. An entry
// point is used only when its extension stands in the context's extension list; otherwise the
// call falls back to core GL where it can (buffer mapping, texture storage) and does nothing
// where it cannot matter (debug markers, framebuffer discard).
#include "platform/opengles/GLES.h"

namespace platform::gles {

// glMapBufferOES; without GL_OES_mapbuffer the buffer bound to `target` is mapped into client
// memory, which UnmapBufferOES uploads with glBufferSubData.
void* MapBufferOES(GLenum target, GLenum access);
GLboolean UnmapBufferOES(GLenum target);
// glTexStorage2DEXT; without GL_EXT_texture_storage each level is allocated with glTexImage2D.
void TexStorage2DEXT(GLenum target, GLsizei levels, GLenum internalFormat, GLsizei width, GLsizei height);
// Whether the current context's driver takes BGRA data into an RGBA texture (some take BGRA only
// into a BGRA texture). Asked once per context with a scratch texture; the 2D binding of the
// active unit is left as it was.
bool AcceptsBgraIntoRgba();
// No-ops without their extensions.
void DiscardFramebufferEXT(GLenum target, GLsizei count, const GLenum* attachments);
void InsertEventMarkerEXT(GLsizei length, const GLchar* marker);
void PushGroupMarkerEXT(GLsizei length, const GLchar* marker);
void PopGroupMarkerEXT();

}  // namespace platform::gles
