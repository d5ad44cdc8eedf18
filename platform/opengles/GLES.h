#pragma once
// The OpenGL ES 2 API as the rest of the program sees it. Extension constants come from
// gl2ext.h; extension entry points are looked up at run time (see EAGLContext::GetProcAddress).
#include <GLES2/gl2.h>
#include <GLES2/gl2ext.h>
