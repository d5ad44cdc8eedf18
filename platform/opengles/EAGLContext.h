#pragma once
// An OpenGL ES 2 rendering context, headless: EGL with no surface at all (every frame is drawn
// into framebuffer objects), on Mesa's surfaceless platform, else the EGL device platform, else
// the default display. One context is current
// per thread. A CAEAGLLayer gives a renderbuffer its storage (renderbufferStorage) and receives
// the presented pixels (presentRenderbuffer).
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace platform {

enum class EAGLRenderingAPI { OpenGLES2 = 2 };

class EAGLSharegroup;
class CAEAGLLayer;
struct CAEAGLLayerBacking;
struct GLExtensionState;

class EAGLContext {
public:
    // Readies what the GL driver reads from the environment as it loads; the first display
    // opened does it by itself. The driver maps the files of its shader cache and dies of a bus
    // error when their disk cannot fill them, so when the cache's folder cannot take writes (a
    // full disk, no permission) the cache is turned off for this run, said once on standard
    // error. The person's own choice stands: MESA_SHADER_CACHE_DISABLE set leaves it all alone,
    // MESA_SHADER_CACHE_DIR names the folder looked at. The environment may change only while
    // no other thread reads it: a program that starts threads before it opens a display calls
    // this first.
    static void prepareDriver();

    // Creates a context; with a sharegroup, objects are shared with the contexts of that group.
    // Returns null (and prints why) when no ES 2 context can be made on this machine.
    static std::unique_ptr<EAGLContext> initWithAPI(EAGLRenderingAPI api,
                                                    std::shared_ptr<EAGLSharegroup> sharegroup = {});
    ~EAGLContext();
    EAGLContext(const EAGLContext&) = delete;
    EAGLContext& operator=(const EAGLContext&) = delete;

    // Makes the context current on the calling thread (null releases the current one).
    static bool setCurrentContext(EAGLContext* context);
    static EAGLContext* currentContext();

    EAGLRenderingAPI API() const { return api_; }
    const std::shared_ptr<EAGLSharegroup>& sharegroup() const { return sharegroup_; }

    // An extension or core entry point by name, or null when the driver lacks it. The loader
    // may hand out a stub for a name the driver does not know: ask hasExtension first.
    static void* GetProcAddress(const char* name);

    // The space-separated GL_EXTENSIONS list of this context (read when first asked, with the
    // context current), and whether one name stands in it as a whole word.
    const std::string& extensions();
    bool hasExtension(const std::string& name);
    // Makes contexts created from now on report exactly these extensions instead of the
    // driver's (to show how the program behaves on a driver that lacks some); nullopt undoes it.
    static void setExtensionsOverride(std::optional<std::string> extensions);

    // The renderer in use and the EGL platform it was reached through, for a person to read
    // ("llvmpipe (LLVM 15.0.6, 256 bits) on EGL's surfaceless platform"); "no renderer" when none.
    // Asked of the driver once; the display, and so the renderer, stays for the process's life.
    static const std::string& rendererDescription();

    // Gives the renderbuffer bound to `target` (GL_RENDERBUFFER) colour storage of the layer's
    // pixel size (bounds times contents scale) in the layer's colour format, and ties it to the
    // layer. A null layer unties the bound renderbuffer. False for a layer of no pixels (the
    // renderbuffer then has no storage) or when no renderbuffer is bound.
    bool renderbufferStorage(unsigned int target, CAEAGLLayer* layer);
    // Hands the pixels of the renderbuffer bound to `target` to the layer it is tied to.
    // False when the bound renderbuffer has no layer or its layer is gone. The GL bindings it
    // touches (framebuffer, pack alignment) are restored before it returns.
    bool presentRenderbuffer(unsigned int target);

    // Per-context state of the extension entry points (see GLExtensions.h). An entry point is
    // used only when the extension is both reported and really in the driver.
    GLExtensionState& extensionState();

private:
    static std::string describeRenderer();
    EAGLContext(EAGLRenderingAPI api, void* context, std::shared_ptr<EAGLSharegroup> group);
    const std::string& driverExtensions();
    EAGLRenderingAPI api_;
    void* context_;  // EGLContext
    std::shared_ptr<EAGLSharegroup> sharegroup_;
    std::optional<std::string> extensions_;        // as reported (possibly overridden)
    std::optional<std::string> driverExtensions_;  // as the driver has them
    std::unique_ptr<GLExtensionState> extensionState_;
    // Renderbuffer name -> the layer whose drawable it is.
    std::map<unsigned int, std::weak_ptr<CAEAGLLayerBacking>> drawables_;
};

// Contexts made with one sharegroup share textures, buffers and programs.
class EAGLSharegroup {
public:
    void* nativeContext = nullptr;  // the first EGLContext of the group
};

}  // namespace platform
