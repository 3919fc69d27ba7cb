#include "headlessgl.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>
#include <GL/glext.h>
#include <cstring>

struct HeadlessGL::Private
{
    EGLDisplay display = EGL_NO_DISPLAY;
    EGLContext context = EGL_NO_CONTEXT;
    GLuint framebuffer = 0;
    GLuint renderbuffers[2] = {0, 0};
    int width = 0, height = 0;
    QString error;

    PFNGLGENFRAMEBUFFERSPROC genFramebuffers = nullptr;
    PFNGLBINDFRAMEBUFFERPROC bindFramebuffer = nullptr;
    PFNGLDELETEFRAMEBUFFERSPROC deleteFramebuffers = nullptr;
    PFNGLGENRENDERBUFFERSPROC genRenderbuffers = nullptr;
    PFNGLBINDRENDERBUFFERPROC bindRenderbuffer = nullptr;
    PFNGLDELETERENDERBUFFERSPROC deleteRenderbuffers = nullptr;
    PFNGLRENDERBUFFERSTORAGEPROC renderbufferStorage = nullptr;
    PFNGLFRAMEBUFFERRENDERBUFFERPROC framebufferRenderbuffer = nullptr;
    PFNGLCHECKFRAMEBUFFERSTATUSPROC checkFramebufferStatus = nullptr;

    bool openDisplay();
    bool createContext();
    bool loadFunctions();
    bool createFramebuffer();
    void release();
};

template <typename Function>
static bool resolve(Function& function, const char* name)
{
    function = reinterpret_cast<Function>(eglGetProcAddress(name));
    return function != nullptr;
}

// Mesa's surfaceless platform needs neither a display server nor a device node.
bool HeadlessGL::Private::openDisplay()
{
    PFNEGLGETPLATFORMDISPLAYEXTPROC getPlatformDisplay = nullptr;
    const char* extensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    if (extensions && std::strstr(extensions, "EGL_MESA_platform_surfaceless") &&
        resolve(getPlatformDisplay, "eglGetPlatformDisplayEXT"))
        display = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (display == EGL_NO_DISPLAY || !eglInitialize(display, nullptr, nullptr)) {
        display = eglGetDisplay(EGL_DEFAULT_DISPLAY);
        if (display == EGL_NO_DISPLAY || !eglInitialize(display, nullptr, nullptr)) {
            error = QStringLiteral("nenhuma exibição EGL disponível");
            display = EGL_NO_DISPLAY;
            return false;
        }
    }
    return true;
}

// No surface at all: the picture goes to a framebuffer object of our own.
bool HeadlessGL::Private::createContext()
{
    const EGLint configAttributes[] = {EGL_SURFACE_TYPE, 0, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
                                       EGL_NONE};
    EGLConfig config = nullptr;
    EGLint found = 0;
    if (!eglBindAPI(EGL_OPENGL_API) ||
        !eglChooseConfig(display, configAttributes, &config, 1, &found) || found == 0) {
        error = QStringLiteral("o EGL não oferece OpenGL");
        return false;
    }
    context = eglCreateContext(display, config, EGL_NO_CONTEXT, nullptr);
    if (context == EGL_NO_CONTEXT ||
        !eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context)) {
        error = QStringLiteral("não foi possível criar um contexto OpenGL sem janela");
        return false;
    }
    return true;
}

bool HeadlessGL::Private::loadFunctions()
{
    const bool all = resolve(genFramebuffers, "glGenFramebuffers") &&
                     resolve(bindFramebuffer, "glBindFramebuffer") &&
                     resolve(deleteFramebuffers, "glDeleteFramebuffers") &&
                     resolve(genRenderbuffers, "glGenRenderbuffers") &&
                     resolve(bindRenderbuffer, "glBindRenderbuffer") &&
                     resolve(deleteRenderbuffers, "glDeleteRenderbuffers") &&
                     resolve(renderbufferStorage, "glRenderbufferStorage") &&
                     resolve(framebufferRenderbuffer, "glFramebufferRenderbuffer") &&
                     resolve(checkFramebufferStatus, "glCheckFramebufferStatus");
    if (!all)
        error = QStringLiteral("o OpenGL não tem framebuffers");
    return all;
}

bool HeadlessGL::Private::createFramebuffer()
{
    genFramebuffers(1, &framebuffer);
    bindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    genRenderbuffers(2, renderbuffers);
    bindRenderbuffer(GL_RENDERBUFFER, renderbuffers[0]);
    renderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
    framebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER,
                            renderbuffers[0]);
    // Depth and stencil together, as the window's framebuffer has them: the same depth
    // precision decides the same ties between overlapping surfaces.
    bindRenderbuffer(GL_RENDERBUFFER, renderbuffers[1]);
    renderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, width, height);
    framebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER,
                            renderbuffers[1]);
    if (checkFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        error = QStringLiteral("não foi possível criar uma imagem de %1 x %2 pixels")
                    .arg(width)
                    .arg(height);
        return false;
    }
    glViewport(0, 0, width, height);
    return true;
}

void HeadlessGL::Private::release()
{
    if (context != EGL_NO_CONTEXT) {
        if (framebuffer) {
            deleteFramebuffers(1, &framebuffer);
            deleteRenderbuffers(2, renderbuffers);
        }
        eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        eglDestroyContext(display, context);
    }
    if (display != EGL_NO_DISPLAY)
        eglTerminate(display);
}

QImage opaque(QImage rgba)
{
    for (int y = 0; y < rgba.height(); ++y) {
        uchar* pixel = rgba.scanLine(y);
        for (int x = 0; x < rgba.width(); ++x, pixel += 4)
            pixel[3] = 255;
    }
    rgba.reinterpretAsFormat(QImage::Format_RGBX8888);
    return rgba;
}

HeadlessGL::HeadlessGL(int width, int height) : d(std::make_unique<Private>())
{
    d->width = width;
    d->height = height;
    if (d->openDisplay() && d->createContext() && d->loadFunctions())
        d->createFramebuffer();
}

HeadlessGL::~HeadlessGL()
{
    d->release();
}

bool HeadlessGL::isValid() const
{
    return d->error.isEmpty();
}

QString HeadlessGL::errorString() const
{
    return d->error;
}

QImage HeadlessGL::image() const
{
    QImage image(d->width, d->height, QImage::Format_RGBA8888);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, d->width, d->height, GL_RGBA, GL_UNSIGNED_BYTE, image.bits());
    // The window shows the colour whatever alpha a record's material left beside it.
    return opaque(image.mirrored());
}
