#include "oglpanel.h"

#include "dialogs.h"
#include "exceptionhandler.h"
#include "glsupport.h"

#include <GL/gl.h>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QOpenGLContext>
#include <QScopeGuard>
#include <QTimer>
#include <QWheelEvent>
#include <utility>

static_assert(sizeof(TPFDFlags) == 2, "the flag set is the 16-bit Windows flag word");
static_assert(TPFDFlags{TPFDFlag::DoubleBuffer}.bits() == 0x1, "PFD_DOUBLEBUFFER");
static_assert(TPFDFlags{TPFDFlag::Support_OpenGL}.bits() == 0x20, "PFD_SUPPORT_OPENGL");
static_assert(TPFDFlags{TPFDFlag::Generic_Accelerated}.bits() == 0x1000, "PFD_GENERIC_ACCELERATED");

namespace {

// A lost context may keep answering glGetError with an error; one box per kind of error is plenty.
const int maxGLErrorBoxes = 16;

int lowByte(int value)
{
    return value & 0xFF;
}

// Makes a widget's context current for a while and then gives the thread back the context it had,
// so GL calls outside paintGL reach the panel and do not disturb another widget's painting.
class CurrentContext
{
public:
    explicit CurrentContext(QOpenGLWidget& widget)
        : m_widget(widget), m_previous(QOpenGLContext::currentContext()),
          m_previousSurface(m_previous ? m_previous->surface() : nullptr)
    {
        if (m_previous != widget.context())
            widget.makeCurrent();
    }
    ~CurrentContext()
    {
        if (m_previous == m_widget.context())
            return;
        m_widget.doneCurrent();
        if (m_previous && m_previousSurface)
            m_previous->makeCurrent(m_previousSurface);
    }
    CurrentContext(const CurrentContext&) = delete;
    CurrentContext& operator=(const CurrentContext&) = delete;

private:
    QOpenGLWidget& m_widget;
    QPointer<QOpenGLContext> m_previous;
    QSurface* m_previousSurface;
};

} // namespace

TOGLPanel::TOGLPanel(QWidget* owner, TNotifyEvent* ownerOnDestroy)
    : QOpenGLWidget(owner), m_owner(owner), m_restTimer(new QTimer(this))
{
    m_restTimer->setSingleShot(true);
    connect(m_restTimer, &QTimer::timeout, this, [this] {
        if (std::exchange(m_paintWanted, false))
            update();
    });
    connect(this, &QOpenGLWidget::frameSwapped, this, &TOGLPanel::frameShown);
    // Keep the picture between paints, so that a paint which draws nothing (while an error is being
    // reported, say) leaves the last picture on screen rather than a cleared one.
    setUpdateBehavior(QOpenGLWidget::PartialUpdate);
    if (auto* form = dynamic_cast<TOwnerForm*>(owner); form && !ownerOnDestroy)
        ownerOnDestroy = &form->OnDestroy;
    if (!ownerOnDestroy)
        return;
    m_savedOwnerDestroy = *ownerOnDestroy;
    *ownerOnDestroy = [panel = QPointer<TOGLPanel>(this),
                       saved = m_savedOwnerDestroy](QObject* sender) {
        if (panel)
            panel->teardown(sender);
        else if (saved)
            saved(sender);
    };
}

TOGLPanel::~TOGLPanel()
{
    tearDownOnce();
}

QSurfaceFormat TOGLPanel::requestedFormat() const
{
    QSurfaceFormat format = QSurfaceFormat::defaultFormat();
    format.setSwapBehavior(pfdFlags.contains(TPFDFlag::DoubleBuffer)
                               ? QSurfaceFormat::DoubleBuffer
                               : QSurfaceFormat::SingleBuffer);
    format.setStereo(pfdFlags.contains(TPFDFlag::Stereo));
    const int colourBits = lowByte(ColorBits);
    format.setRedBufferSize(colourBits / 3);
    format.setGreenBufferSize(colourBits / 3);
    format.setBlueBufferSize(colourBits / 3);
    format.setDepthBufferSize(lowByte(DepthBits));
    format.setStencilBufferSize(lowByte(StencilBits));
    return format;
}

void TOGLPanel::CheckGLError(const QString& label)
{
    const GLenum code = glGetError();
    if (code != GL_NO_ERROR)
        throw GLError(QStringLiteral("Error in ") + label + QLatin1Char('\r') + glErrorText(code));
}

void TOGLPanel::Paint()
{
    if (!m_active || !OnOGLPaint || isReportingError())
        return;
    CurrentContext current(*this);
    const GLStackMark mark;
    m_lastFrameFailed = false;
    try {
        OnOGLPaint();
    } catch (...) {
        m_lastFrameFailed = true;
        mark.restore();
        reportLater(std::current_exception());
    }
}

void TOGLPanel::Resize()
{
    if (!m_owner || !m_active)
        return;
    CurrentContext current(*this);
    const qreal ratio = devicePixelRatio();
    glViewport(0, 0, int(width() * ratio), int(height() * ratio));
    CheckGLError(QStringLiteral("Smaller"));
    // A grown panel gets its new area painted by Qt's own paint request; one that did not grow
    // (the same size included) would otherwise show a stale picture until then.
    const bool shrunk = width() <= m_lastWidth && height() <= m_lastHeight;
    m_lastWidth = width();
    m_lastHeight = height();
    if (shrunk)
        Paint();
}

void TOGLPanel::runWithContext(const std::function<void()>& glCalls)
{
    if (!m_active)
        return;
    CurrentContext current(*this);
    glCalls();
}

void TOGLPanel::requestPaint()
{
    ++m_paintRequests;
    if (isResting())
        m_paintWanted = true;
    else
        update();
}

bool TOGLPanel::isResting() const
{
    return m_restTimer->isActive();
}

// Drawing happens on the thread that handles input, and a display server's events are read only
// once the posted paint requests are done: without a rest, frames asked for by the timer while
// a slow frame was drawn would follow one another and keep a click waiting for several of them.
void TOGLPanel::frameShown()
{
    if (!m_frameTimer.isValid())
        return; // Qt composed the window again without a new frame of ours
    const qint64 took = m_frameTimer.elapsed();
    m_frameTimer.invalidate();
    if (took > slowFrameMs)
        m_restTimer->start(int(took));
}

void TOGLPanel::initializeGL()
{
    m_loadStarted = true;
    try {
        Loaded();
    } catch (...) {
        reportLater(std::current_exception());
    }
}

void TOGLPanel::resizeGL(int, int)
{
    try {
        Resize();
    } catch (...) {
        reportLater(std::current_exception());
    }
}

void TOGLPanel::paintGL()
{
    m_frameTimer.start();
    Paint();
}

// The properties become the context's format just before Qt creates it: a widget is polished
// before its first show, after the form has set them.
bool TOGLPanel::event(QEvent* event)
{
    if (event->type() == QEvent::Polish && !context())
        setFormat(requestedFormat());
    return QOpenGLWidget::event(event);
}

void TOGLPanel::paintEvent(QPaintEvent* event)
{
    QOpenGLWidget::paintEvent(event);
    checkContextCreated();
}

void TOGLPanel::mousePressEvent(QMouseEvent* event)
{
    if (OnMouseDown)
        OnMouseDown(this, event);
    else
        QOpenGLWidget::mousePressEvent(event);
}

void TOGLPanel::mouseMoveEvent(QMouseEvent* event)
{
    if (OnMouseMove)
        OnMouseMove(this, event);
    else
        QOpenGLWidget::mouseMoveEvent(event);
}

void TOGLPanel::mouseReleaseEvent(QMouseEvent* event)
{
    if (OnMouseUp)
        OnMouseUp(this, event);
    else
        QOpenGLWidget::mouseReleaseEvent(event);
}

void TOGLPanel::wheelEvent(QWheelEvent* event)
{
    if (OnMouseWheel)
        OnMouseWheel(this, event);
    else
        QOpenGLWidget::wheelEvent(event);
}

void TOGLPanel::keyPressEvent(QKeyEvent* event)
{
    if (!OnKeyDown) {
        QOpenGLWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    OnKeyDown(this, event);
    if (!event->isAccepted())
        QOpenGLWidget::keyPressEvent(event);
}

// The context is ready and current when Qt calls initializeGL; what Qt could not give is reported
// with the failing step of the pixel-format and context set-up, as the window has always named it.
void TOGLPanel::Loaded()
{
    checkContext();
    const std::pair<TEnable, GLenum> capabilities[] = {
        {TEnable::depthTest, GL_DEPTH_TEST},
        {TEnable::cullFace, GL_CULL_FACE},
        {TEnable::Lighting, GL_LIGHTING},
    };
    for (const auto& [value, capability] : capabilities)
        if (Enable.contains(value))
            glEnable(capability); // what is not asked for is left as it is, never disabled
    applyProjection();
    glClearColor(ClearRed, ClearGreen, ClearBlue, 1.0f);
    CheckGLError(QStringLiteral("Loaded"));
    m_active = true;
    setApplicationExceptionHandler(
        [panel = QPointer<TOGLPanel>(this)](const std::exception& error) {
            if (panel)
                panel->handleException(error);
            else
                reportException(error);
        });
    if (AfterLoad)
        AfterLoad(this);
}

void TOGLPanel::checkContext() const
{
    const QOpenGLContext* current = context();
    if (!current || !current->isValid())
        throw GLError(QStringLiteral("wglCreateContext failed ") +
                      QStringLiteral("(Qt has no valid OpenGL context for the panel)"));
    if (QOpenGLContext::currentContext() != current)
        throw GLError(QStringLiteral("wglMakeCurrent failed ") +
                      QStringLiteral("(the panel's OpenGL context is not current)"));
    const QSurfaceFormat format = current->format();
    if (current->isOpenGLES() || format.profile() == QSurfaceFormat::CoreProfile)
        throw GLError(QStringLiteral("ChoosePixelFormat failed ") +
                      QStringLiteral("(OpenGL %1.%2 %3 has no fixed-function drawing)")
                          .arg(format.majorVersion())
                          .arg(format.minorVersion())
                          .arg(current->isOpenGLES() ? QStringLiteral("ES")
                                                     : QStringLiteral("core profile")));
}

// The box goes onto whatever the projection matrix holds, and the mode stays GL_PROJECTION.
void TOGLPanel::applyProjection() const
{
    glMatrixMode(GL_PROJECTION);
    if (Projection == TProjection::Orthographic)
        glOrtho(prxLeft, prxRight, prxBottom, prxTop, prxNear, prxFar);
    else
        glFrustum(prxLeft, prxRight, prxBottom, prxTop, prxNear, prxFar);
}

// Qt calls initializeGL only once it has a context made current; when it cannot, it says so on the
// console alone. A shown panel whose first paint came and went without loading has failed that way.
void TOGLPanel::checkContextCreated()
{
    if (m_loadStarted || m_contextFailureReported || !isVisible() || size().isEmpty())
        return;
    m_contextFailureReported = true;
    const bool created = context() && context()->isValid();
    const QString message =
        created ? QStringLiteral("wglMakeCurrent failed (Qt could not make the context current)")
                : QStringLiteral("wglCreateContext failed (Qt could not create an OpenGL context "
                                 "with the requested format)");
    reportLater(std::make_exception_ptr(GLError(message)));
}

void TOGLPanel::teardown(QObject* sender)
{
    tearDownOnce();
    if (m_savedOwnerDestroy)
        m_savedOwnerDestroy(sender);
}

// Qt deletes the context with the widget; what the teardown can do is let go of it and stop
// painting, before BeforeDestroy hears of it.
void TOGLPanel::tearDownOnce()
{
    if (m_tornDown)
        return;
    m_tornDown = true;
    if (context() && QOpenGLContext::currentContext() == context())
        doneCurrent();
    m_active = false;
    if (BeforeDestroy)
        BeforeDestroy(this);
}

// The report first, then every pending GL error. The context is current only for each
// glGetError: the boxes run their own event loop, in which other widgets paint.
void TOGLPanel::handleException(const std::exception& error)
{
    ++m_handlerDepth;
    const auto done = qScopeGuard([this] { --m_handlerDepth; });
    reportException(error);
    for (int shown = 0; shown < maxGLErrorBoxes && m_active; ++shown) {
        GLenum code = GL_NO_ERROR;
        runWithContext([&code] { code = glGetError(); });
        if (code == GL_NO_ERROR)
            break;
        dialogs().message(QGuiApplication::applicationDisplayName(), glErrorText(code));
    }
}

// Errors met inside Qt's painting are reported from the event loop instead, one after another:
// a report opened from another report's box would stack the boxes.
void TOGLPanel::reportLater(std::exception_ptr error)
{
    m_pendingErrors.push_back(std::move(error));
    if (m_reportQueued)
        return;
    m_reportQueued = true;
    QMetaObject::invokeMethod(
        this, [this] { reportPendingErrors(); }, Qt::QueuedConnection);
}

void TOGLPanel::reportPendingErrors()
{
    const auto done = qScopeGuard([this] { m_reportQueued = false; });
    while (!m_pendingErrors.empty()) {
        const std::exception_ptr error = m_pendingErrors.front();
        m_pendingErrors.pop_front();
        try {
            std::rethrow_exception(error);
        } catch (const std::exception& known) {
            handleApplicationException(known);
        } catch (...) {
            handleApplicationException(GLError(QStringLiteral("Unknown error while drawing")));
        }
    }
}
