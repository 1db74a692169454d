/* An EGL driver for the desktop's EGL dispatcher (libglvnd) that offers
 * displays and nothing to draw with: no configs, so no contexts and no
 * surfaces.
 *
 * Every view of ours draws in software, yet WebKit brings up an EGL display
 * in the UI process and in each web process at start, and the desktop's own
 * driver (Mesa) loads its whole GL stack for it: some 20 MiB a process, most
 * of it libLLVM's relocated data, and a few dozen milliseconds of each
 * process's start. With this driver named in __EGL_VENDOR_LIBRARY_FILENAMES
 * (platform/linux/EngineEnvironment.cpp) the display is ours, and a page
 * that asks for WebGL is told it has none, as on a machine without GL.
 *
 * Plain C with no sanitizer: WebKit's web processes load it too, and they
 * carry no sanitizer runtime. */
#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <glvnd/libeglabi.h>
#include <string.h>

#define EXPORT __attribute__((visibility("default")))

/* One display stands for every platform and native display: there is
 * nothing in it to tell them apart. */
static char g_display;
#define DISPLAY ((EGLDisplay)&g_display)

static _Thread_local EGLint g_error = EGL_SUCCESS;

static EGLBoolean Fail(EGLint error) {
    g_error = error;
    return EGL_FALSE;
}

static EGLBoolean Known(EGLDisplay display) {
    return display == DISPLAY ? EGL_TRUE : Fail(EGL_BAD_DISPLAY);
}

static EGLDisplay GetPlatformDisplay(EGLenum platform, void* native, const EGLAttrib* attributes) {
    (void)platform, (void)native, (void)attributes;
    return DISPLAY;
}

static EGLBoolean SupportsApi(EGLenum api) {
    return api == EGL_OPENGL_ES_API || api == EGL_OPENGL_API;
}

static const char* VendorString(int name) {
    if (name != __EGL_VENDOR_STRING_PLATFORM_EXTENSIONS) return NULL;
    return "EGL_EXT_platform_base EGL_KHR_platform_x11 EGL_EXT_platform_x11 "
           "EGL_KHR_platform_gbm EGL_MESA_platform_gbm EGL_MESA_platform_surfaceless";
}

static EGLint GetError(void) {
    const EGLint error = g_error;
    g_error = EGL_SUCCESS;
    return error;
}

static EGLBoolean Initialize(EGLDisplay display, EGLint* major, EGLint* minor) {
    if (!Known(display)) return EGL_FALSE;
    if (major) *major = 1;
    if (minor) *minor = 5;
    return EGL_TRUE;
}

static EGLBoolean Terminate(EGLDisplay display) {
    return Known(display);
}

static const char* QueryString(EGLDisplay display, EGLint name) {
    if (display == EGL_NO_DISPLAY && name == EGL_EXTENSIONS) return "";
    if (!Known(display)) return NULL;
    switch (name) {
        case EGL_VENDOR:
            return "none";
        case EGL_VERSION:
            return "1.5";
        case EGL_EXTENSIONS:
            return "";
        case EGL_CLIENT_APIS:
            return "OpenGL OpenGL_ES";
    }
    Fail(EGL_BAD_PARAMETER);
    return NULL;
}

static EGLBoolean BindApi(EGLenum api) {
    return SupportsApi(api) ? EGL_TRUE : Fail(EGL_BAD_PARAMETER);
}

static EGLBoolean ChooseConfig(EGLDisplay display, const EGLint* attributes, EGLConfig* configs,
                               EGLint size, EGLint* count) {
    (void)attributes, (void)configs, (void)size;
    if (!Known(display)) return EGL_FALSE;
    if (!count) return Fail(EGL_BAD_PARAMETER);
    *count = 0;
    return EGL_TRUE;
}

static EGLBoolean GetConfigs(EGLDisplay display, EGLConfig* configs, EGLint size, EGLint* count) {
    return ChooseConfig(display, NULL, configs, size, count);
}

static EGLBoolean GetConfigAttrib(EGLDisplay display, EGLConfig config, EGLint name,
                                  EGLint* value) {
    (void)config, (void)name, (void)value;
    return Known(display) ? Fail(EGL_BAD_CONFIG) : EGL_FALSE;
}

static EGLContext CreateContext(EGLDisplay display, EGLConfig config, EGLContext share,
                                const EGLint* attributes) {
    (void)config, (void)share, (void)attributes;
    if (Known(display)) Fail(EGL_BAD_CONFIG);
    return EGL_NO_CONTEXT;
}

/* Nothing can be made current; releasing is always possible. */
static EGLBoolean MakeCurrent(EGLDisplay display, EGLSurface draw, EGLSurface read,
                              EGLContext context) {
    if (!Known(display)) return EGL_FALSE;
    if (draw == EGL_NO_SURFACE && read == EGL_NO_SURFACE && context == EGL_NO_CONTEXT)
        return EGL_TRUE;
    return Fail(EGL_BAD_CONTEXT);
}

static EGLSurface CreateWindowSurface(EGLDisplay display, EGLConfig config,
                                      EGLNativeWindowType window, const EGLint* attributes) {
    (void)config, (void)window, (void)attributes;
    if (Known(display)) Fail(EGL_BAD_CONFIG);
    return EGL_NO_SURFACE;
}

static EGLSurface CreatePixmapSurface(EGLDisplay display, EGLConfig config,
                                      EGLNativePixmapType pixmap, const EGLint* attributes) {
    (void)pixmap;
    return CreateWindowSurface(display, config, 0, attributes);
}

static EGLSurface CreatePbufferSurface(EGLDisplay display, EGLConfig config,
                                       const EGLint* attributes) {
    return CreateWindowSurface(display, config, 0, attributes);
}

static EGLSurface CreatePlatformSurface(EGLDisplay display, EGLConfig config, void* native,
                                        const EGLAttrib* attributes) {
    (void)native, (void)attributes;
    return CreateWindowSurface(display, config, 0, NULL);
}

static EGLSurface CreatePbufferFromClientBuffer(EGLDisplay display, EGLenum type,
                                                EGLClientBuffer buffer, EGLConfig config,
                                                const EGLint* attributes) {
    (void)type, (void)buffer;
    return CreateWindowSurface(display, config, 0, attributes);
}

/* What takes a context, surface, image or sync of which there are none. */
static EGLBoolean NoContext(EGLDisplay display, EGLContext context) {
    (void)context;
    return Known(display) ? Fail(EGL_BAD_CONTEXT) : EGL_FALSE;
}

static EGLBoolean NoSurface(EGLDisplay display, EGLSurface surface) {
    (void)surface;
    return Known(display) ? Fail(EGL_BAD_SURFACE) : EGL_FALSE;
}

static EGLBoolean QueryContext(EGLDisplay display, EGLContext context, EGLint name, EGLint* value) {
    (void)name, (void)value;
    return NoContext(display, context);
}

static EGLBoolean QuerySurface(EGLDisplay display, EGLSurface surface, EGLint name, EGLint* value) {
    (void)name, (void)value;
    return NoSurface(display, surface);
}

static EGLBoolean SurfaceAttrib(EGLDisplay display, EGLSurface surface, EGLint name, EGLint value) {
    (void)name, (void)value;
    return NoSurface(display, surface);
}

static EGLBoolean SurfaceBuffer(EGLDisplay display, EGLSurface surface, EGLint buffer) {
    (void)buffer;
    return NoSurface(display, surface);
}

static EGLBoolean CopyBuffers(EGLDisplay display, EGLSurface surface, EGLNativePixmapType pixmap) {
    (void)pixmap;
    return NoSurface(display, surface);
}

static EGLBoolean SwapInterval(EGLDisplay display, EGLint interval) {
    (void)interval;
    return Known(display) ? Fail(EGL_BAD_SURFACE) : EGL_FALSE;
}

static EGLImage CreateImage(EGLDisplay display, EGLContext context, EGLenum target,
                            EGLClientBuffer buffer, const EGLAttrib* attributes) {
    (void)context, (void)target, (void)buffer, (void)attributes;
    if (Known(display)) Fail(EGL_BAD_PARAMETER);
    return EGL_NO_IMAGE;
}

static EGLBoolean DestroyImage(EGLDisplay display, EGLImage image) {
    (void)image;
    return Known(display) ? Fail(EGL_BAD_PARAMETER) : EGL_FALSE;
}

static EGLSync CreateSync(EGLDisplay display, EGLenum type, const EGLAttrib* attributes) {
    (void)type, (void)attributes;
    if (Known(display)) Fail(EGL_BAD_MATCH);
    return EGL_NO_SYNC;
}

static EGLBoolean DestroySync(EGLDisplay display, EGLSync sync) {
    (void)sync;
    return Known(display) ? Fail(EGL_BAD_PARAMETER) : EGL_FALSE;
}

static EGLint ClientWaitSync(EGLDisplay display, EGLSync sync, EGLint flags, EGLTime timeout) {
    (void)flags, (void)timeout;
    return DestroySync(display, sync);
}

static EGLBoolean WaitSync(EGLDisplay display, EGLSync sync, EGLint flags) {
    (void)flags;
    return DestroySync(display, sync);
}

static EGLBoolean GetSyncAttrib(EGLDisplay display, EGLSync sync, EGLint name, EGLAttrib* value) {
    (void)name, (void)value;
    return DestroySync(display, sync);
}

/* With nothing current there is nothing to wait for or release. */
static EGLBoolean Done(void) {
    return EGL_TRUE;
}

static EGLBoolean WaitNative(EGLint engine) {
    (void)engine;
    return EGL_TRUE;
}

struct Entry {
    const char* name;
    void* function;
};

/* The dispatcher takes every core function from its driver; a driver that
 * lacks one is not loaded. Extensions are not offered, so none is here. */
static const struct Entry kEntries[] = {
    {"eglBindAPI", (void*)BindApi},
    {"eglBindTexImage", (void*)SurfaceBuffer},
    {"eglChooseConfig", (void*)ChooseConfig},
    {"eglClientWaitSync", (void*)ClientWaitSync},
    {"eglCopyBuffers", (void*)CopyBuffers},
    {"eglCreateContext", (void*)CreateContext},
    {"eglCreateImage", (void*)CreateImage},
    {"eglCreatePbufferFromClientBuffer", (void*)CreatePbufferFromClientBuffer},
    {"eglCreatePbufferSurface", (void*)CreatePbufferSurface},
    {"eglCreatePixmapSurface", (void*)CreatePixmapSurface},
    {"eglCreatePlatformPixmapSurface", (void*)CreatePlatformSurface},
    {"eglCreatePlatformWindowSurface", (void*)CreatePlatformSurface},
    {"eglCreateSync", (void*)CreateSync},
    {"eglCreateWindowSurface", (void*)CreateWindowSurface},
    {"eglDestroyContext", (void*)NoContext},
    {"eglDestroyImage", (void*)DestroyImage},
    {"eglDestroySurface", (void*)NoSurface},
    {"eglDestroySync", (void*)DestroySync},
    {"eglGetConfigAttrib", (void*)GetConfigAttrib},
    {"eglGetConfigs", (void*)GetConfigs},
    {"eglGetError", (void*)GetError},
    {"eglGetSyncAttrib", (void*)GetSyncAttrib},
    {"eglInitialize", (void*)Initialize},
    {"eglMakeCurrent", (void*)MakeCurrent},
    {"eglQueryContext", (void*)QueryContext},
    {"eglQueryString", (void*)QueryString},
    {"eglQuerySurface", (void*)QuerySurface},
    {"eglReleaseTexImage", (void*)SurfaceBuffer},
    {"eglReleaseThread", (void*)Done},
    {"eglSurfaceAttrib", (void*)SurfaceAttrib},
    {"eglSwapBuffers", (void*)NoSurface},
    {"eglSwapInterval", (void*)SwapInterval},
    {"eglTerminate", (void*)Terminate},
    {"eglWaitClient", (void*)Done},
    {"eglWaitGL", (void*)Done},
    {"eglWaitNative", (void*)WaitNative},
    {"eglWaitSync", (void*)WaitSync},
};

static void* GetProcAddress(const char* name) {
    for (size_t i = 0; i < sizeof kEntries / sizeof kEntries[0]; ++i)
        if (strcmp(kEntries[i].name, name) == 0) return kEntries[i].function;
    return NULL;
}

static void* GetDispatchAddress(const char* name) {
    (void)name;
    return NULL;
}

static void SetDispatchIndex(const char* name, int index) {
    (void)name, (void)index;
}

EXPORT EGLBoolean __egl_Main(uint32_t version, const __EGLapiExports* exports,
                             __EGLvendorInfo* vendor, __EGLapiImports* imports) {
    (void)exports, (void)vendor;
    if (EGL_VENDOR_ABI_GET_MAJOR_VERSION(version) != EGL_VENDOR_ABI_MAJOR_VERSION) return EGL_FALSE;
    imports->getPlatformDisplay = GetPlatformDisplay;
    imports->getSupportsAPI = SupportsApi;
    imports->getVendorString = VendorString;
    imports->getProcAddress = GetProcAddress;
    imports->getDispatchAddress = GetDispatchAddress;
    imports->setDispatchIndex = SetDispatchIndex;
    return EGL_TRUE;
}
