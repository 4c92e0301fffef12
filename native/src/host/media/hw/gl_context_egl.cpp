// OpenGL contexts through EGL, loaded at run time: a machine without it still
// plays software cores. No window and no display server: the surfaceless
// platform where there is one, else a device, else the default display with a
// small pbuffer.
#include "media/hw/extension_list.h"
#include "media/hw/graphics_context.h"

#define EGL_EGL_PROTOTYPES 0
#define EGL_NO_X11
#include <EGL/egl.h>
#include <EGL/eglext.h>

#include <dlfcn.h>

#include <cstdlib>
#include <cstring>

namespace tovarune {

namespace {

template <typename Function> bool bind(void *library, Function &function, const char *name) {
    void *symbol = library == nullptr ? nullptr : dlsym(library, name);
    std::memcpy(&function, &symbol, sizeof symbol);
    return function != nullptr;
}

struct Egl {
    PFNEGLGETPROCADDRESSPROC GetProcAddress = nullptr;
    PFNEGLQUERYSTRINGPROC QueryString = nullptr;
    PFNEGLGETDISPLAYPROC GetDisplay = nullptr;
    PFNEGLINITIALIZEPROC Initialize = nullptr;
    PFNEGLBINDAPIPROC BindAPI = nullptr;
    PFNEGLQUERYAPIPROC QueryAPI = nullptr;
    PFNEGLCHOOSECONFIGPROC ChooseConfig = nullptr;
    PFNEGLCREATECONTEXTPROC CreateContext = nullptr;
    PFNEGLDESTROYCONTEXTPROC DestroyContext = nullptr;
    PFNEGLCREATEPBUFFERSURFACEPROC CreatePbufferSurface = nullptr;
    PFNEGLDESTROYSURFACEPROC DestroySurface = nullptr;
    PFNEGLMAKECURRENTPROC MakeCurrent = nullptr;
    PFNEGLGETCURRENTCONTEXTPROC GetCurrentContext = nullptr;
    PFNEGLGETCURRENTDISPLAYPROC GetCurrentDisplay = nullptr;
    PFNEGLGETCURRENTSURFACEPROC GetCurrentSurface = nullptr;

    // One display for every player's contexts, never terminated: others may
    // use it, and EGL keeps it for the process anyway.
    EGLDisplay display = EGL_NO_DISPLAY;
    bool surfaceless = false;    // contexts need no surface
    bool create_context = false; // versions, profiles and debug contexts
};

bool load_functions(Egl &egl, void *library) {
    return bind(library, egl.GetProcAddress, "eglGetProcAddress") &&
           bind(library, egl.QueryString, "eglQueryString") &&
           bind(library, egl.GetDisplay, "eglGetDisplay") &&
           bind(library, egl.Initialize, "eglInitialize") &&
           bind(library, egl.BindAPI, "eglBindAPI") && bind(library, egl.QueryAPI, "eglQueryAPI") &&
           bind(library, egl.ChooseConfig, "eglChooseConfig") &&
           bind(library, egl.CreateContext, "eglCreateContext") &&
           bind(library, egl.DestroyContext, "eglDestroyContext") &&
           bind(library, egl.CreatePbufferSurface, "eglCreatePbufferSurface") &&
           bind(library, egl.DestroySurface, "eglDestroySurface") &&
           bind(library, egl.MakeCurrent, "eglMakeCurrent") &&
           bind(library, egl.GetCurrentContext, "eglGetCurrentContext") &&
           bind(library, egl.GetCurrentDisplay, "eglGetCurrentDisplay") &&
           bind(library, egl.GetCurrentSurface, "eglGetCurrentSurface");
}

bool open_display(Egl &egl, void *library) {
    const char *client = egl.QueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    PFNEGLGETPLATFORMDISPLAYPROC platform_display = nullptr;
    if (!bind(library, platform_display, "eglGetPlatformDisplay")) {
        // The same call for a null attribute list.
        void (*extension)() = egl.GetProcAddress("eglGetPlatformDisplayEXT");
        std::memcpy(&platform_display, &extension, sizeof extension);
    }
    const auto usable = [&egl](EGLDisplay display) {
        if (display == EGL_NO_DISPLAY || !egl.Initialize(display, nullptr, nullptr)) {
            return false;
        }
        egl.display = display;
        return true;
    };
    if (platform_display != nullptr && lists_extension(client, "EGL_MESA_platform_surfaceless") &&
        usable(platform_display(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr))) {
        return true;
    }
    PFNEGLQUERYDEVICESEXTPROC query_devices = nullptr;
    void (*devices_function)() = egl.GetProcAddress("eglQueryDevicesEXT");
    std::memcpy(&query_devices, &devices_function, sizeof devices_function);
    EGLDeviceEXT devices[8];
    EGLint count = 0;
    if (platform_display != nullptr && query_devices != nullptr &&
        lists_extension(client, "EGL_EXT_platform_device") && query_devices(8, devices, &count)) {
        for (EGLint device = 0; device < count; ++device) {
            if (usable(platform_display(EGL_PLATFORM_DEVICE_EXT, devices[device], nullptr))) {
                return true;
            }
        }
    }
    return usable(egl.GetDisplay(EGL_DEFAULT_DISPLAY));
}

// Loaded once per process; null when this machine has no usable EGL.
const Egl *loaded_egl() {
    static const Egl *const loaded = [] {
        static Egl egl;
        // libglvnd rewrites its OpenGL entry points to jump straight into the
        // driver while one thread has a context current; with the contexts of
        // players made current on one thread after another, Mesa was seen to
        // crash in them. Its plain dispatch costs one indirection a call. A
        // setting of the user's own stands.
        setenv("__GLVND_DISALLOW_PATCHING", "1", 0);
        void *library = dlopen("libEGL.so.1", RTLD_NOW | RTLD_LOCAL);
        if (!load_functions(egl, library) || !open_display(egl, library)) {
            return static_cast<const Egl *>(nullptr);
        }
        const char *extensions = egl.QueryString(egl.display, EGL_EXTENSIONS);
        egl.surfaceless = lists_extension(extensions, "EGL_KHR_surfaceless_context");
        egl.create_context = lists_extension(extensions, "EGL_KHR_create_context");
        return static_cast<const Egl *>(&egl);
    }();
    return loaded;
}

// The engine's own GLX context (its Compatibility renderer on X11), which must
// step aside on the main thread while a player's context is current there:
// one thread has one current context, whichever API made it.
struct Glx {
    void *(*GetCurrentContext)() = nullptr;
    void *(*GetCurrentDisplay)() = nullptr;
    unsigned long (*GetCurrentDrawable)() = nullptr;
    unsigned long (*GetCurrentReadDrawable)() = nullptr;
    int (*MakeContextCurrent)(void *, unsigned long, unsigned long, void *) = nullptr;
};

// Only where the process loaded GLX itself, before any player made a context.
const Glx *loaded_glx() {
    static const Glx *const loaded = [] {
        static Glx glx;
        void *library = dlopen("libGL.so.1", RTLD_NOW | RTLD_NOLOAD);
        if (library == nullptr) {
            library = dlopen("libGLX.so.0", RTLD_NOW | RTLD_NOLOAD);
        }
        const bool bound = bind(library, glx.GetCurrentContext, "glXGetCurrentContext") &&
                           bind(library, glx.GetCurrentDisplay, "glXGetCurrentDisplay") &&
                           bind(library, glx.GetCurrentDrawable, "glXGetCurrentDrawable") &&
                           bind(library, glx.GetCurrentReadDrawable, "glXGetCurrentReadDrawable") &&
                           bind(library, glx.MakeContextCurrent, "glXMakeContextCurrent");
        return bound ? static_cast<const Glx *>(&glx) : nullptr;
    }();
    return loaded;
}

class EglContext final : public GraphicsContext {
public:
    EglContext(const Egl &egl, EGLenum api, EGLContext context, EGLSurface surface)
        : egl_(egl), glx_(loaded_glx()), api_(api), context_(context), surface_(surface) {}

    ~EglContext() override {
        if (surface_ != EGL_NO_SURFACE) {
            egl_.DestroySurface(egl_.display, surface_);
        }
        egl_.DestroyContext(egl_.display, context_);
    }

    bool make_current() override {
        before_ = Binding{};
        before_.api = egl_.QueryAPI();
        before_.context = egl_.GetCurrentContext();
        if (before_.context != EGL_NO_CONTEXT) {
            before_.display = egl_.GetCurrentDisplay();
            before_.draw = egl_.GetCurrentSurface(EGL_DRAW);
            before_.read = egl_.GetCurrentSurface(EGL_READ);
        } else if (glx_ != nullptr && (before_.glx_context = glx_->GetCurrentContext())) {
            before_.glx_display = glx_->GetCurrentDisplay();
            before_.glx_draw = glx_->GetCurrentDrawable();
            before_.glx_read = glx_->GetCurrentReadDrawable();
            glx_->MakeContextCurrent(before_.glx_display, 0, 0, nullptr);
        }
        egl_.BindAPI(api_);
        if (egl_.MakeCurrent(egl_.display, surface_, surface_, context_)) {
            return true;
        }
        release();
        return false;
    }

    void release() override {
        egl_.BindAPI(api_);
        egl_.MakeCurrent(egl_.display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        if (before_.context != EGL_NO_CONTEXT) {
            egl_.BindAPI(before_.api);
            egl_.MakeCurrent(before_.display, before_.draw, before_.read, before_.context);
        } else if (before_.glx_context != nullptr) {
            glx_->MakeContextCurrent(before_.glx_display, before_.glx_draw, before_.glx_read,
                                     before_.glx_context);
        }
        egl_.BindAPI(before_.api);
        before_ = Binding{};
    }

    retro_proc_address_t proc_address(const char *name) override {
        return egl_.GetProcAddress(name);
    }

private:
    // What the thread had bound before make_current().
    struct Binding {
        EGLenum api = EGL_OPENGL_ES_API;
        EGLDisplay display = EGL_NO_DISPLAY;
        EGLSurface draw = EGL_NO_SURFACE, read = EGL_NO_SURFACE;
        EGLContext context = EGL_NO_CONTEXT;
        void *glx_display = nullptr;
        unsigned long glx_draw = 0, glx_read = 0;
        void *glx_context = nullptr;
    };

    const Egl &egl_;
    const Glx *glx_;
    EGLenum api_;
    EGLContext context_;
    EGLSurface surface_;
    Binding before_;
};

} // namespace

std::unique_ptr<GraphicsContext> create_gl_context(const ContextRequest &request) {
    const Egl *egl = loaded_egl();
    if (egl == nullptr) {
        return nullptr;
    }
    const bool embedded = request.api == ContextRequest::Api::embedded;
    const EGLint renderable = !embedded            ? EGL_OPENGL_BIT
                              : request.major >= 3 ? EGL_OPENGL_ES3_BIT_KHR
                                                   : EGL_OPENGL_ES2_BIT;
    const EGLint config_attributes[] = {EGL_SURFACE_TYPE, egl->surfaceless ? 0 : EGL_PBUFFER_BIT,
                                        EGL_RENDERABLE_TYPE, renderable, EGL_NONE};
    EGLConfig config = nullptr;
    EGLint configs = 0;
    if (!egl->ChooseConfig(egl->display, config_attributes, &config, 1, &configs) || configs < 1) {
        return nullptr;
    }

    EGLint attributes[16];
    int count = 0;
    const auto add = [&](EGLint name, EGLint value) {
        attributes[count++] = name;
        attributes[count++] = value;
    };
    const bool versioned = embedded || request.major != 0;
    if (versioned && !egl->create_context && (request.minor != 0 || !embedded)) {
        return nullptr; // a version this EGL cannot ask for
    }
    if (versioned) {
        add(EGL_CONTEXT_MAJOR_VERSION_KHR, static_cast<EGLint>(request.major));
        if (egl->create_context) {
            add(EGL_CONTEXT_MINOR_VERSION_KHR, static_cast<EGLint>(request.minor));
        }
    }
    if (request.api != ContextRequest::Api::embedded && request.major != 0) {
        add(EGL_CONTEXT_OPENGL_PROFILE_MASK_KHR,
            request.api == ContextRequest::Api::desktop_core
                ? EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT_KHR
                : EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT_KHR);
    }
    if (request.debug && egl->create_context) {
        add(EGL_CONTEXT_FLAGS_KHR, EGL_CONTEXT_OPENGL_DEBUG_BIT_KHR);
    }
    attributes[count] = EGL_NONE;

    const EGLenum api = embedded ? EGL_OPENGL_ES_API : EGL_OPENGL_API;
    const EGLenum thread_api = egl->QueryAPI();
    egl->BindAPI(api);
    const EGLContext context = egl->CreateContext(egl->display, config, EGL_NO_CONTEXT, attributes);
    egl->BindAPI(thread_api);
    if (context == EGL_NO_CONTEXT) {
        return nullptr;
    }
    EGLSurface surface = EGL_NO_SURFACE;
    if (!egl->surfaceless) {
        const EGLint size[] = {EGL_WIDTH, 1, EGL_HEIGHT, 1, EGL_NONE};
        surface = egl->CreatePbufferSurface(egl->display, config, size);
        if (surface == EGL_NO_SURFACE) {
            egl->DestroyContext(egl->display, context);
            return nullptr;
        }
    }
    return std::make_unique<EglContext>(*egl, api, context, surface);
}

retro_proc_address_t gl_proc_address_without_context(const char *name) {
    const Egl *egl = loaded_egl();
    return egl == nullptr ? nullptr : egl->GetProcAddress(name);
}

} // namespace tovarune
