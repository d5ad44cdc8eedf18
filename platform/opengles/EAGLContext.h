#pragma once
// An OpenGL ES 2 rendering context, headless: EGL on Mesa's surfaceless platform with no
// surface at all (every frame is drawn into framebuffer objects). One context is current
// per thread.
#include <memory>

namespace platform {

enum class EAGLRenderingAPI { OpenGLES2 = 2 };

class EAGLSharegroup;

class EAGLContext {
public:
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

    // An extension or core entry point by name, or null when the driver lacks it.
    static void* GetProcAddress(const char* name);

private:
    EAGLContext(EAGLRenderingAPI api, void* context, std::shared_ptr<EAGLSharegroup> group);
    EAGLRenderingAPI api_;
    void* context_;  // EGLContext
    std::shared_ptr<EAGLSharegroup> sharegroup_;
};

// Contexts made with one sharegroup share textures, buffers and programs.
class EAGLSharegroup {
public:
    void* nativeContext = nullptr;  // the first EGLContext of the group
};

}  // namespace platform
