#pragma once

#include "enumset.h"

#include <QElapsedTimer>
#include <QOpenGLWidget>
#include <QPointer>
#include <deque>
#include <exception>
#include <functional>

class QKeyEvent;
class QMouseEvent;
class QTimer;
class QWheelEvent;
class TOGLPanel;

// The flags of the pixel-format request; the bit of each is its ordinal, which makes TPFDFlags the
// Windows pixel-format flag word (DoubleBuffer 0x1 ... Generic_Accelerated 0x1000).
enum class TPFDFlag {
    DoubleBuffer,
    Stereo,
    Draw_To_Window,
    Draw_To_Bitmap,
    Support_GDI,
    Support_OpenGL,
    Generic_Format,
    Need_Palette,
    Need_System_Palette,
    Swap_Exchange,
    Swap_Copy,
    Swap_Layer_Buffers,
    Generic_Accelerated
};
using TPFDFlags = EnumSet<TPFDFlag, quint16>;

// RGBA and ColorIndex are 0 and 1, as in the Windows request.
enum class TPFDPixelType { RGBA, ColorIndex };
// Which projection the panel applies when it loads.
enum class TProjection { Orthographic, Perspective };
// The capabilities the panel switches on when it loads: GL_DEPTH_TEST, GL_CULL_FACE, GL_LIGHTING.
enum class TEnable { depthTest, cullFace, Lighting };
using TEnables = EnumSet<TEnable, quint8>;

// Placement and bevels as the window description gives them. Qt's layouts place the panel, and the
// GL picture covers the whole panel, so no bevel was ever seen; they are kept as plain values.
enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };
enum class TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };

// A notification with its sender (AfterLoad, BeforeDestroy, a form's destroy handler).
using TNotifyEvent = std::function<void(QObject* sender)>;
// The panel's paint notification.
using TOGLPaint = std::function<void()>;
// A form that lets the panels it owns hook its destruction, since Qt has no destroy handler to
// replace: the form keeps OnDestroy, and its destructor calls OnDestroy(this) first thing.
class TOwnerForm
{
public:
    TNotifyEvent OnDestroy;

protected:
    ~TOwnerForm() = default;
};

// Mouse, wheel and key notifications with the panel as sender.
using TMouseEvent = std::function<void(TOGLPanel* sender, QMouseEvent* event)>;
using TMouseWheelEvent = std::function<void(TOGLPanel* sender, QWheelEvent* event)>;
using TKeyEvent = std::function<void(TOGLPanel* sender, QKeyEvent* event)>;

// A panel that owns one OpenGL context and draws a picture through it.
//
// The properties are set between construction and the first show. Qt creates the context when the
// panel is first shown; the properties then become the context's format and its first state
// (Loaded), and from then on the panel keeps the viewport equal to its size and raises OnOGLPaint
// from paintGL. There is no SwapBuffers: the end of paintGL is the swap. Qt makes a new context
// when the panel moves to another top-level window; Loaded and AfterLoad then run again for it.
//
// Nothing thrown while loading, resizing or painting crosses Qt's painting: it is handed to the
// application's exception handler from the event loop, one report at a time, and the panel draws
// nothing while a report is pending or showing (isReportingError()).
class TOGLPanel : public QOpenGLWidget
{
    Q_OBJECT

public:
    // The owner is the form; the panel becomes its child. When the form keeps a destroy handler
    // (`ownerOnDestroy`, or the OnDestroy of an owner that is a TOwnerForm, which the form's
    // destructor must call first thing with itself as sender), the panel puts its teardown there
    // and calls the handler it found after it. Without one the panel tears down in its own
    // destructor.
    explicit TOGLPanel(QWidget* owner = nullptr, TNotifyEvent* ownerOnDestroy = nullptr);
    ~TOGLPanel() override;

    // Published properties, with their values at construction.
    TAlign Align = TAlign::alNone;
    TBevelCut BevelInner = TBevelCut::bvNone;
    TBevelCut BevelOuter = TBevelCut::bvRaised;
    TOGLPaint OnOGLPaint; // raised by Paint() while the panel is active
    TPFDFlags pfdFlags{TPFDFlag::Draw_To_Window, TPFDFlag::Support_OpenGL};
    TPFDPixelType PixelType = TPFDPixelType::RGBA; // Qt has only RGBA; ColorIndex gets RGBA too
    TProjection Projection = TProjection::Perspective;
    TEnables Enable{TEnable::depthTest, TEnable::cullFace};
    float ClearRed = 0, ClearGreen = 0, ClearBlue = 0; // the clear colour's alpha is always 1
    double prxLeft = -1, prxRight = 1, prxBottom = -1, prxTop = 1, prxNear = 1, prxFar = 5;
    int ColorBits = 24, DepthBits = 32, StencilBits = 0; // only the low 8 bits of each count
    TNotifyEvent AfterLoad;     // at the end of a successful Loaded, context current
    TNotifyEvent BeforeDestroy; // during the teardown, after the context is released
    TMouseEvent OnMouseDown, OnMouseMove, OnMouseUp;
    TMouseWheelEvent OnMouseWheel;
    TKeyEvent OnKeyDown; // a handler that leaves the event unaccepted lets it go on to the form

    // The format the properties ask for: Qt's default with the double buffering, stereo and the
    // colour, depth and stencil sizes of the request (colour split evenly over red, green, blue).
    QSurfaceFormat requestedFormat() const;

    // True from a successful Loaded until the teardown.
    bool isActive() const { return m_active; }
    // True while an error from loading, resizing or a frame waits for its report or is being shown,
    // and while the panel's exception handler runs; the panel paints nothing meanwhile, and a timer
    // that asks for frames should skip its tick.
    bool isReportingError() const { return m_reportQueued || m_handlerDepth > 0; }

    // Throws GLError "Error in LABEL\r" + GLU's text when OpenGL has an error pending; reads only
    // one. The caller makes the context current.
    void CheckGLError(const QString& label);
    // Raises OnOGLPaint, with the context current, when active, assigned and no error report is
    // pending; an error it throws ends the picture, the GL stacks go back to their depths before
    // it, and it is reported later from the event loop.
    void Paint();
    // The resize step (run by resizeGL): the viewport follows the size, and a panel that did not
    // grow in either direction paints at once. Does nothing before a successful Loaded or without
    // an owner. Makes the context current itself; throws what CheckGLError throws.
    void Resize();
    // Runs `glCalls` with the panel's context current and restores the context that was current
    // before. Does nothing while the panel is not active.
    void runWithContext(const std::function<void()>& glCalls);
    // Asks Qt for a picture (update()), and counts the asking: requests that come before Qt gets
    // to paint are merged into one picture, so the count is of requests, not of pictures. While
    // the panel rests after a slow frame the picture waits for the rest to end.
    void requestPaint();
    int paintRequests() const { return m_paintRequests; }
    // A frame that takes longer than this, from paintGL to the swap, is followed by a rest as long
    // as it took, in which input is handled and no frame is drawn: frames are dropped, not queued.
    int slowFrameMs = 100;
    bool isResting() const;
    // True when the last frame ended in an error, so that its picture is incomplete.
    bool lastFrameFailed() const { return m_lastFrameFailed; }

protected:
    void initializeGL() override;
    void resizeGL(int w, int h) override;
    void paintGL() override;
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Loaded();
    void checkContext() const;
    void applyProjection() const;
    void teardown(QObject* sender);
    void tearDownOnce();
    void handleException(const std::exception& error);
    void reportLater(std::exception_ptr error);
    void reportPendingErrors();
    void checkContextCreated();
    void frameShown();

    QPointer<QWidget> m_owner;
    bool m_active = false;
    bool m_loadStarted = false;
    bool m_tornDown = false;
    bool m_contextFailureReported = false;
    int m_lastWidth = 0, m_lastHeight = 0;
    TNotifyEvent m_savedOwnerDestroy; // the form's destroy handler found at construction
    std::deque<std::exception_ptr> m_pendingErrors;
    bool m_reportQueued = false;
    int m_handlerDepth = 0;
    int m_paintRequests = 0;
    bool m_lastFrameFailed = false;
    QElapsedTimer m_frameTimer; // running from paintGL to the swap that shows its frame
    QTimer* m_restTimer;        // single shot, running while the panel rests
    bool m_paintWanted = false; // a picture was asked for during the rest
};
