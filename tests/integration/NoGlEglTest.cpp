// The EGL driver that offers no GL, as WebKit meets it: through the
// desktop's EGL dispatcher, named the way the program names it.
#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

namespace {

class NoGlEglTest : public ::testing::Test {
protected:
    // The dispatcher reads its drivers once, at the first EGL call.
    static void SetUpTestSuite() {
        setenv("__EGL_VENDOR_LIBRARY_FILENAMES", MURMEL_NO_GL_JSON, 1);
        unsetenv("__EGL_VENDOR_LIBRARY_DIRS");
    }

    static bool Mapped(const std::string& part) {
        std::ifstream maps("/proc/self/maps");
        for (std::string line; std::getline(maps, line);)
            if (line.find(part) != std::string::npos) return true;
        return false;
    }
};

TEST_F(NoGlEglTest, DisplaysComeUpWithNothingToDrawWith) {
    const char* client = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    ASSERT_NE(client, nullptr);
    EXPECT_NE(std::string(client).find("EGL_MESA_platform_surfaceless"), std::string::npos);

    // How WebKit's web processes and its UI process ask for one.
    const EGLDisplay displays[] = {
        eglGetPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr),
        eglGetDisplay(EGL_DEFAULT_DISPLAY),
    };
    for (EGLDisplay display : displays) {
        ASSERT_NE(display, EGL_NO_DISPLAY);
        EGLint major = 0, minor = 0;
        ASSERT_TRUE(eglInitialize(display, &major, &minor));
        EXPECT_EQ(major * 10 + minor, 15);
        EXPECT_STREQ(eglQueryString(display, EGL_VENDOR), "none");
        EXPECT_STREQ(eglQueryString(display, EGL_EXTENSIONS), "");

        ASSERT_TRUE(eglBindAPI(EGL_OPENGL_ES_API));
        const EGLint wanted[] = {EGL_RENDERABLE_TYPE, EGL_OPENGL_ES2_BIT, EGL_NONE};
        EGLConfig config = nullptr;
        EGLint count = -1;
        ASSERT_TRUE(eglChooseConfig(display, wanted, &config, 1, &count));
        EXPECT_EQ(count, 0);

        // What would draw fails as without a config, and says so once.
        const EGLint version[] = {EGL_CONTEXT_CLIENT_VERSION, 2, EGL_NONE};
        EXPECT_EQ(eglCreateContext(display, nullptr, EGL_NO_CONTEXT, version), EGL_NO_CONTEXT);
        EXPECT_EQ(eglGetError(), EGL_BAD_CONFIG);
        EXPECT_EQ(eglGetError(), EGL_SUCCESS);
        EXPECT_EQ(eglCreatePbufferSurface(display, nullptr, nullptr), EGL_NO_SURFACE);
        EXPECT_EQ(eglGetError(), EGL_BAD_CONFIG);
        EXPECT_TRUE(eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT));
        EXPECT_EQ(eglGetCurrentContext(), EGL_NO_CONTEXT);
        EXPECT_TRUE(eglReleaseThread());
        EXPECT_TRUE(eglTerminate(display));
    }

    // The point of it: the desktop's GL driver never came in.
    EXPECT_TRUE(Mapped("murmel-no-gl.so"));
    EXPECT_FALSE(Mapped("libEGL_mesa"));
    EXPECT_FALSE(Mapped("_dri.so"));
}

}  // namespace
