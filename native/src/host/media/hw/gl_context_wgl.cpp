// OpenGL contexts through WGL, each on a hidden window of its own: nothing to
// install beyond the GPU's driver. opengl32.dll is loaded at run time, so that
// a machine without it still plays software cores.
#include "media/hw/extension_list.h"
#include "media/hw/graphics_context.h"

#include <windows.h>

#include <GL/gl.h>
#include <GL/wglext.h>

#include <cstdint>
#include <cstring>

namespace tovarune {

namespace {

template <typename To, typename From> To function_cast(From from) {
    To to;
    static_assert(sizeof to == sizeof from, "function pointers of one size");
    std::memcpy(&to, &from, sizeof to);
    return to;
}

template <typename Function> bool bind(HMODULE library, Function &function, const char *name) {
    function = function_cast<Function>(GetProcAddress(library, name));
    return function != nullptr;
}

const wchar_t *const window_class = L"tovarune_gl_context";

struct Wgl {
    HMODULE library = nullptr;
    HGLRC(WINAPI *CreateContext)(HDC) = nullptr;
    BOOL(WINAPI *DeleteContext)(HGLRC) = nullptr;
    BOOL(WINAPI *MakeCurrent)(HDC, HGLRC) = nullptr;
    HGLRC(WINAPI *GetCurrentContext)() = nullptr;
    HDC(WINAPI *GetCurrentDC)() = nullptr;
    PROC(WINAPI *GetProcAddress)(LPCSTR) = nullptr;
};

// Loaded once per process; null without OpenGL. The window class belongs to
// the executable, so that it outlives a reload of this library.
const Wgl *loaded_wgl() {
    static const Wgl *const loaded = [] {
        static Wgl wgl;
        wgl.library = LoadLibraryW(L"opengl32.dll");
        const bool bound = bind(wgl.library, wgl.CreateContext, "wglCreateContext") &&
                           bind(wgl.library, wgl.DeleteContext, "wglDeleteContext") &&
                           bind(wgl.library, wgl.MakeCurrent, "wglMakeCurrent") &&
                           bind(wgl.library, wgl.GetCurrentContext, "wglGetCurrentContext") &&
                           bind(wgl.library, wgl.GetCurrentDC, "wglGetCurrentDC") &&
                           bind(wgl.library, wgl.GetProcAddress, "wglGetProcAddress");
        WNDCLASSEXW description{};
        description.cbSize = sizeof description;
        description.style = CS_OWNDC;
        description.lpfnWndProc = DefWindowProcW;
        description.hInstance = GetModuleHandleW(nullptr);
        description.lpszClassName = window_class;
        const bool registered =
            RegisterClassExW(&description) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
        return bound && registered ? static_cast<const Wgl *>(&wgl) : nullptr;
    }();
    return loaded;
}

// A window goes on the thread that made it; elsewhere that thread's message
// loop closes it (the engine's main thread runs one).
void close_window(HWND window, DWORD owner) {
    if (GetCurrentThreadId() == owner) {
        DestroyWindow(window);
    } else {
        PostMessageW(window, WM_CLOSE, 0, 0);
    }
}

class WglContext final : public GraphicsContext {
public:
    WglContext(const Wgl &wgl, HWND window, HDC dc, HGLRC context)
        : wgl_(wgl), window_(window), owner_(GetCurrentThreadId()), dc_(dc), context_(context) {}

    ~WglContext() override {
        wgl_.DeleteContext(context_);
        close_window(window_, owner_);
    }

    bool make_current() override {
        before_dc_ = wgl_.GetCurrentDC();
        before_ = wgl_.GetCurrentContext();
        if (wgl_.MakeCurrent(dc_, context_)) {
            return true;
        }
        release();
        return false;
    }

    void release() override {
        wgl_.MakeCurrent(before_dc_, before_);
        before_dc_ = nullptr;
        before_ = nullptr;
    }

    // wglGetProcAddress knows the current context's extensions and versions
    // past 1.1; opengl32.dll itself exports the 1.1 functions.
    retro_proc_address_t proc_address(const char *name) override {
        const PROC found = wgl_.GetProcAddress(name);
        const auto value = reinterpret_cast<std::intptr_t>(found);
        if (value >= -1 && value <= 3) {
            return gl_proc_address_without_context(name);
        }
        return function_cast<retro_proc_address_t>(found);
    }

private:
    const Wgl &wgl_;
    HWND window_;
    DWORD owner_;
    HDC dc_;
    HGLRC context_;
    HDC before_dc_ = nullptr;
    HGLRC before_ = nullptr;
};

// With a legacy context current: the context of the profile and version asked,
// or null when the driver cannot make one.
HGLRC create_versioned(const Wgl &wgl, HDC dc, const ContextRequest &request) {
    const auto create = function_cast<PFNWGLCREATECONTEXTATTRIBSARBPROC>(
        wgl.GetProcAddress("wglCreateContextAttribsARB"));
    const auto extensions_of = function_cast<PFNWGLGETEXTENSIONSSTRINGARBPROC>(
        wgl.GetProcAddress("wglGetExtensionsStringARB"));
    const char *extensions = extensions_of != nullptr ? extensions_of(dc) : nullptr;
    const bool embedded = request.api == ContextRequest::Api::embedded;
    if (create == nullptr ||
        (embedded && !lists_extension(extensions, "WGL_EXT_create_context_es2_profile"))) {
        return nullptr;
    }
    const int attributes[] = {
        WGL_CONTEXT_MAJOR_VERSION_ARB,
        static_cast<int>(request.major),
        WGL_CONTEXT_MINOR_VERSION_ARB,
        static_cast<int>(request.minor),
        WGL_CONTEXT_PROFILE_MASK_ARB,
        embedded ? WGL_CONTEXT_ES2_PROFILE_BIT_EXT : WGL_CONTEXT_CORE_PROFILE_BIT_ARB,
        WGL_CONTEXT_FLAGS_ARB,
        request.debug ? WGL_CONTEXT_DEBUG_BIT_ARB : 0,
        0,
    };
    return create(dc, nullptr, attributes);
}

} // namespace

std::unique_ptr<GraphicsContext> create_gl_context(const ContextRequest &request) {
    const Wgl *wgl = loaded_wgl();
    if (wgl == nullptr) {
        return nullptr;
    }
    const HWND window =
        CreateWindowExW(0, window_class, L"", WS_POPUP | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, 0,
                        16, 16, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (window == nullptr) {
        return nullptr;
    }
    const HDC dc = GetDC(window);
    PIXELFORMATDESCRIPTOR format{};
    format.nSize = sizeof format;
    format.nVersion = 1;
    format.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    format.iPixelType = PFD_TYPE_RGBA;
    format.cColorBits = 32;
    format.iLayerType = PFD_MAIN_PLANE;
    const int chosen = dc == nullptr ? 0 : ChoosePixelFormat(dc, &format);
    HGLRC context = nullptr;
    if (chosen != 0 && SetPixelFormat(dc, chosen, &format)) {
        // Compatibility contexts are the legacy kind at the driver's newest
        // version; the others are made from inside one.
        const HDC before_dc = wgl->GetCurrentDC();
        const HGLRC before = wgl->GetCurrentContext();
        const HGLRC legacy = wgl->CreateContext(dc);
        context = legacy;
        if (legacy != nullptr && request.api != ContextRequest::Api::desktop_compatibility) {
            context = wgl->MakeCurrent(dc, legacy) ? create_versioned(*wgl, dc, request) : nullptr;
            wgl->MakeCurrent(before_dc, before);
            wgl->DeleteContext(legacy);
        }
    }
    if (context == nullptr) {
        DestroyWindow(window);
        return nullptr;
    }
    return std::make_unique<WglContext>(*wgl, window, dc, context);
}

retro_proc_address_t gl_proc_address_without_context(const char *name) {
    const Wgl *wgl = loaded_wgl();
    return wgl == nullptr ? nullptr
                          : function_cast<retro_proc_address_t>(GetProcAddress(wgl->library, name));
}

} // namespace tovarune
