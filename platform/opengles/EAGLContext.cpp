#include "platform/opengles/EAGLContext.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>

#include <cstdio>
#include <mutex>

namespace platform {
namespace {

EGLDisplay Display() {
    static EGLDisplay display = [] {
        EGLDisplay d = EGL_NO_DISPLAY;
        auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
            eglGetProcAddress("eglGetPlatformDisplayEXT"));
        if (getPlatformDisplay) {
            d = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
        }
        if (d == EGL_NO_DISPLAY) {
            std::fprintf(stderr, "EGL: no surfaceless display\n");
            return d;
        }
        EGLint major = 0, minor = 0;
        if (!eglInitialize(d, &major, &minor)) {
            std::fprintf(stderr, "EGL: eglInitialize failed: 0x%x\n", eglGetError());
            return EGL_NO_DISPLAY;
        }
        eglBindAPI(EGL_OPENGL_ES_API);
        return d;
    }();
    return display;
}

thread_local EAGLContext* tCurrent = nullptr;

}  // namespace

std::unique_ptr<EAGLContext> EAGLContext::initWithAPI(EAGLRenderingAPI api,
                                                      std::shared_ptr<EAGLSharegroup> sharegroup) {
    EGLDisplay d = Display();
    if (d == EGL_NO_DISPLAY) return nullptr;
    eglBindAPI(EGL_OPENGL_ES_API);
    const EGLint attributes[] = {EGL_CONTEXT_CLIENT_VERSION, static_cast<EGLint>(api), EGL_NONE};
    EGLContext share = sharegroup ? static_cast<EGLContext>(sharegroup->nativeContext) : EGL_NO_CONTEXT;
    EGLContext c = eglCreateContext(d, EGL_NO_CONFIG_KHR, share, attributes);
    if (c == EGL_NO_CONTEXT) {
        std::fprintf(stderr, "EGL: eglCreateContext failed: 0x%x\n", eglGetError());
        return nullptr;
    }
    if (!sharegroup) {
        sharegroup = std::make_shared<EAGLSharegroup>();
        sharegroup->nativeContext = c;
    }
    return std::unique_ptr<EAGLContext>(new EAGLContext(api, c, std::move(sharegroup)));
}

EAGLContext::EAGLContext(EAGLRenderingAPI api, void* context, std::shared_ptr<EAGLSharegroup> group)
    : api_(api), context_(context), sharegroup_(std::move(group)) {}

EAGLContext::~EAGLContext() {
    if (tCurrent == this) setCurrentContext(nullptr);
    if (sharegroup_ && sharegroup_->nativeContext == context_) sharegroup_->nativeContext = nullptr;
    eglDestroyContext(Display(), static_cast<EGLContext>(context_));
}

bool EAGLContext::setCurrentContext(EAGLContext* context) {
    EGLContext c = context ? static_cast<EGLContext>(context->context_) : EGL_NO_CONTEXT;
    if (!eglMakeCurrent(Display(), EGL_NO_SURFACE, EGL_NO_SURFACE, c)) {
        std::fprintf(stderr, "EGL: eglMakeCurrent failed: 0x%x\n", eglGetError());
        return false;
    }
    tCurrent = context;
    return true;
}

EAGLContext* EAGLContext::currentContext() { return tCurrent; }

void* EAGLContext::GetProcAddress(const char* name) {
    return reinterpret_cast<void*>(eglGetProcAddress(name));
}

}  // namespace platform
