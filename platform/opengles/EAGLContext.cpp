#include "platform/opengles/EAGLContext.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <sstream>
#include <vector>

#include "platform/opengles/CAEAGLLayer.h"
#include "platform/opengles/GLES.h"
#include "platform/opengles/GLExtensionState.h"

namespace platform {
namespace {

bool HasWord(const std::string& list, const std::string& name) {
    std::istringstream words(list);
    std::string word;
    while (words >> word)
        if (word == name) return true;
    return false;
}

// A display is usable when it initialises and makes contexts that need neither a config nor a
// surface: every frame is drawn into framebuffer objects.
bool Usable(EGLDisplay d) {
    if (d == EGL_NO_DISPLAY) return false;
    EGLint major = 0, minor = 0;
    if (!eglInitialize(d, &major, &minor)) return false;
    const char* list = eglQueryString(d, EGL_EXTENSIONS);
    const std::string extensions = list ? list : "";
    if (HasWord(extensions, "EGL_KHR_surfaceless_context") &&
        (HasWord(extensions, "EGL_KHR_no_config_context") || HasWord(extensions, "EGL_MESA_configless_context")))
        return true;
    eglTerminate(d);
    return false;
}

// The platforms in the order they are tried. The surfaceless one opens a render node where there
// is one (the GPU) and falls back to software itself; a driver without it (a proprietary one)
// usually offers its devices; the default display is the last resort.
EGLDisplay OpenPlatform(const std::string& platform) {
    const char* clientList = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    const std::string client = clientList ? clientList : "";
    auto getPlatformDisplay =
        reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (platform == "surfaceless") {
        if (!getPlatformDisplay || !HasWord(client, "EGL_MESA_platform_surfaceless")) return EGL_NO_DISPLAY;
        EGLDisplay d = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
        return Usable(d) ? d : EGL_NO_DISPLAY;
    }
    if (platform == "device") {
        auto queryDevices = reinterpret_cast<PFNEGLQUERYDEVICESEXTPROC>(eglGetProcAddress("eglQueryDevicesEXT"));
        if (!getPlatformDisplay || !queryDevices || !HasWord(client, "EGL_EXT_platform_device")) return EGL_NO_DISPLAY;
        EGLDeviceEXT devices[16];
        EGLint count = 0;
        if (!queryDevices(16, devices, &count)) return EGL_NO_DISPLAY;
        for (EGLint i = 0; i < count; ++i) {
            EGLDisplay d = getPlatformDisplay(EGL_PLATFORM_DEVICE_EXT, devices[i], nullptr);
            if (Usable(d)) return d;
        }
        return EGL_NO_DISPLAY;
    }
    if (platform == "default") {
        EGLDisplay d = eglGetDisplay(EGL_DEFAULT_DISPLAY);
        return Usable(d) ? d : EGL_NO_DISPLAY;
    }
    return EGL_NO_DISPLAY;
}

// The folder the driver keeps its shader cache in (or under), as it chooses it; empty when it
// would look the home folder up itself.
std::string DriverCacheFolder() {
    const auto named = [](const char* name) {
        const char* value = std::getenv(name);
        return std::string(value ? value : "");
    };
    if (std::string dir = named("MESA_SHADER_CACHE_DIR"); !dir.empty()) return dir;
    if (std::string cache = named("XDG_CACHE_HOME"); !cache.empty()) return cache + "/mesa_shader_cache";
    if (std::string home = named("HOME"); !home.empty()) return home + "/.cache/mesa_shader_cache";
    return "";
}

// Why the folder cannot take the cache's writes, or empty when it can. A folder not made yet is
// judged by the nearest one above it that exists, where it would be made.
std::string CacheFolderRefusal(const std::string& folder) {
    // The cache's index alone, mapped whole, takes 1.3 MB; its entries take more.
    constexpr unsigned long long kLeastFreeBytes = 16ull << 20;
    std::filesystem::path existing = folder;
    struct stat st {};
    while (::stat(existing.c_str(), &st) != 0) {
        if (errno != ENOENT) return std::strerror(errno);
        if (existing.parent_path() == existing) return "";  // nowhere at all: the driver goes on without
        existing = existing.parent_path();
    }
    if (!S_ISDIR(st.st_mode)) return "";  // the driver cannot make its folder and goes on without
    if (::access(existing.c_str(), W_OK | X_OK) != 0) return std::strerror(errno);
    struct statvfs fs {};
    if (::statvfs(existing.c_str(), &fs) != 0) return "";
    const unsigned long long free = static_cast<unsigned long long>(fs.f_bavail) * fs.f_frsize;
    if (free < kLeastFreeBytes) return "only " + std::to_string(free >> 10) + " KiB free on its disk";
    if (fs.f_files > 0 && fs.f_favail == 0) return "no file can be made on its disk";
    return "";
}

struct OpenedDisplay {
    EGLDisplay display = EGL_NO_DISPLAY;
    std::string platform;
};

const OpenedDisplay& Opened() {
    static const OpenedDisplay opened = [] {
        EAGLContext::prepareDriver();
        // TAVORIN_EGL_PLATFORM names one platform to use alone, to try a machine's other paths.
        const char* asked = std::getenv("TAVORIN_EGL_PLATFORM");
        std::vector<std::string> order = {"surfaceless", "device", "default"};
        if (asked && *asked) order = {asked};
        for (const std::string& platform : order) {
            EGLDisplay d = OpenPlatform(platform);
            if (d == EGL_NO_DISPLAY) continue;
            eglBindAPI(EGL_OPENGL_ES_API);
            return OpenedDisplay{d, platform};
        }
        std::string tried;
        for (const std::string& platform : order) tried += (tried.empty() ? "" : ", ") + platform;
        std::fprintf(stderr, "EGL: no display can render without a window (tried: %s)\n", tried.c_str());
        return OpenedDisplay{};
    }();
    return opened;
}

EGLDisplay Display() { return Opened().display; }

thread_local EAGLContext* tCurrent = nullptr;

std::mutex gOverrideMutex;
std::optional<std::string> gExtensionsOverride;

template <typename F>
F Proc(const char* name) {
    return reinterpret_cast<F>(EAGLContext::GetProcAddress(name));
}

}  // namespace

void EAGLContext::prepareDriver() {
    static std::once_flag once;
    std::call_once(once, [] {
        if (std::getenv("MESA_SHADER_CACHE_DISABLE")) return;
        const std::string folder = DriverCacheFolder();
        if (folder.empty()) return;
        const std::string refusal = CacheFolderRefusal(folder);
        if (refusal.empty()) return;
        ::setenv("MESA_SHADER_CACHE_DISABLE", "true", 1);
        std::fprintf(stderr,
                     "EGL: the GL driver's shader cache is off for this run: its folder %s cannot take writes (%s)\n",
                     folder.c_str(), refusal.c_str());
    });
}

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
    std::unique_ptr<EAGLContext> context(new EAGLContext(api, c, std::move(sharegroup)));
    std::lock_guard<std::mutex> lock(gOverrideMutex);
    context->extensions_ = gExtensionsOverride;
    return context;
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

void* EAGLContext::GetProcAddress(const char* name) { return reinterpret_cast<void*>(eglGetProcAddress(name)); }

void EAGLContext::setExtensionsOverride(std::optional<std::string> extensions) {
    std::lock_guard<std::mutex> lock(gOverrideMutex);
    gExtensionsOverride = std::move(extensions);
}

const std::string& EAGLContext::rendererDescription() {
    static const std::string description = describeRenderer();
    return description;
}

std::string EAGLContext::describeRenderer() {
    const OpenedDisplay& opened = Opened();
    if (opened.display == EGL_NO_DISPLAY) return "no renderer";
    const GLubyte* name = nullptr;
    std::unique_ptr<EAGLContext> own;
    EAGLContext* previous = tCurrent;
    if (!tCurrent) {
        own = initWithAPI(EAGLRenderingAPI::OpenGLES2);
        if (own && setCurrentContext(own.get())) name = glGetString(GL_RENDERER);
        setCurrentContext(previous);
    } else {
        name = glGetString(GL_RENDERER);
    }
    return std::string(name ? reinterpret_cast<const char*>(name) : "an unnamed renderer") + " on EGL's " +
           opened.platform + " platform";
}

const std::string& EAGLContext::extensions() { return extensions_ ? *extensions_ : driverExtensions(); }

const std::string& EAGLContext::driverExtensions() {
    if (!driverExtensions_) {
        const GLubyte* list = nullptr;
        if (tCurrent == this) {
            list = glGetString(GL_EXTENSIONS);
        } else {
            EAGLContext* previous = tCurrent;
            if (setCurrentContext(this)) {
                list = glGetString(GL_EXTENSIONS);
                setCurrentContext(previous);
            }
        }
        driverExtensions_ = list ? reinterpret_cast<const char*>(list) : "";
    }
    return *driverExtensions_;
}

bool EAGLContext::hasExtension(const std::string& name) { return HasWord(extensions(), name); }

GLExtensionState& EAGLContext::extensionState() {
    if (!extensionState_) {
        auto s = std::make_unique<GLExtensionState>();
        // A loader hands out stubs for any name, so the driver must really have the extension.
        auto usable = [this](const char* name) { return hasExtension(name) && HasWord(driverExtensions(), name); };
        if (usable("GL_OES_mapbuffer")) {
            s->mapBuffer = Proc<PFNGLMAPBUFFEROESPROC>("glMapBufferOES");
            s->unmapBuffer = Proc<PFNGLUNMAPBUFFEROESPROC>("glUnmapBufferOES");
            if (!s->mapBuffer || !s->unmapBuffer) s->mapBuffer = nullptr, s->unmapBuffer = nullptr;
        }
        if (usable("GL_EXT_texture_storage")) s->texStorage2D = Proc<PFNGLTEXSTORAGE2DEXTPROC>("glTexStorage2DEXT");
        if (usable("GL_EXT_discard_framebuffer"))
            s->discardFramebuffer = Proc<PFNGLDISCARDFRAMEBUFFEREXTPROC>("glDiscardFramebufferEXT");
        if (usable("GL_EXT_debug_marker")) {
            s->insertEventMarker = Proc<PFNGLINSERTEVENTMARKEREXTPROC>("glInsertEventMarkerEXT");
            s->pushGroupMarker = Proc<PFNGLPUSHGROUPMARKEREXTPROC>("glPushGroupMarkerEXT");
            s->popGroupMarker = Proc<PFNGLPOPGROUPMARKEREXTPROC>("glPopGroupMarkerEXT");
        }
        extensionState_ = std::move(s);
    }
    return *extensionState_;
}

bool EAGLContext::renderbufferStorage(unsigned int target, CAEAGLLayer* layer) {
    GLint bound = 0;
    glGetIntegerv(GL_RENDERBUFFER_BINDING, &bound);
    if (bound == 0) return false;
    GLuint name = static_cast<GLuint>(bound);
    if (!layer) {
        drawables_.erase(name);
        return true;
    }
    // A layer is the drawable of one renderbuffer at a time.
    for (auto it = drawables_.begin(); it != drawables_.end();) {
        auto backing = it->second.lock();
        if (!backing || backing == layer->backing()) it = drawables_.erase(it);
        else ++it;
    }
    drawables_[name] = layer->backing();
    GLenum format = layer->drawableProperties().colorFormat == kEAGLColorFormatRGB565 ? GL_RGB565 : GL_RGBA8_OES;
    int32_t width = layer->pixelWidth(), height = layer->pixelHeight();
    glRenderbufferStorage(target, format, width, height);
    return width > 0 && height > 0;
}

bool EAGLContext::presentRenderbuffer(unsigned int target) {
    GLint bound = 0;
    glGetIntegerv(GL_RENDERBUFFER_BINDING, &bound);
    auto it = drawables_.find(static_cast<GLuint>(bound));
    if (bound == 0 || it == drawables_.end()) return false;
    std::shared_ptr<CAEAGLLayerBacking> backing = it->second.lock();
    if (!backing) {
        drawables_.erase(it);
        return false;
    }
    GLint width = 0, height = 0;
    glGetRenderbufferParameteriv(target, GL_RENDERBUFFER_WIDTH, &width);
    glGetRenderbufferParameteriv(target, GL_RENDERBUFFER_HEIGHT, &height);

    CAEAGLLayerContents& contents = backing->contents;
    contents.width = width > 0 && height > 0 ? width : 0;
    contents.height = width > 0 && height > 0 ? height : 0;
    // Sized, not cleared: every byte is written below, or cleared where the read cannot be made.
    contents.pixels.resize(static_cast<size_t>(contents.width) * contents.height * 4);
    bool read = false;
    if (contents.width > 0) {
        // Read through a framebuffer of our own, leaving the caller's bindings as they were.
        GLint previousFramebuffer = 0, previousAlignment = 4;
        glGetIntegerv(GL_FRAMEBUFFER_BINDING, &previousFramebuffer);
        glGetIntegerv(GL_PACK_ALIGNMENT, &previousAlignment);
        GLuint framebuffer = 0;
        glGenFramebuffers(1, &framebuffer);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, static_cast<GLuint>(bound));
        if (glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE) {
            if (previousAlignment != 4) glPixelStorei(GL_PACK_ALIGNMENT, 4);
            std::vector<uint8_t>& bottomUp = backing->readRows;
            bottomUp.resize(contents.pixels.size());
            glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, bottomUp.data());
            size_t row = static_cast<size_t>(width) * 4;
            for (GLint y = 0; y < height; ++y)
                std::copy_n(bottomUp.data() + row * (height - 1 - y), row, contents.pixels.data() + row * y);
            read = true;
            if (previousAlignment != 4) glPixelStorei(GL_PACK_ALIGNMENT, previousAlignment);
        }
        glBindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(previousFramebuffer));
        glDeleteFramebuffers(1, &framebuffer);
    }
    if (!read) std::fill(contents.pixels.begin(), contents.pixels.end(), uint8_t{0});
    ++contents.presentCount;
    if (backing->presentHandler) backing->presentHandler(contents);
    return true;
}

}  // namespace platform
