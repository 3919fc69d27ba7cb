// The physics preview: the scene run by the engine in the view, its buttons and keys, and bodies
// held with the mouse. The table is only ever read.
#include "tform1.h"

#include "camera.h"
#include "recordtable.h"
#include "scenerenderer.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <cmath>

namespace {

const int frameMilliseconds = 16; // up to 60 pictures a second while it runs
const double longestFrameSeconds = 0.25;

SimVector simVector(const Vec3& v)
{
    return {v.x, v.y, v.z};
}

struct SightLine
{
    SimVector from;
    SimVector forward;
};

// The line of sight through the pixel: a point on it under the pixel and the way it looks.
SightLine sightLine(const ViewCamera& camera, QPoint pixel)
{
    return {simVector(pointUnder(camera, pixel.x(), pixel.y())), simVector(camera.forward())};
}

} // namespace

// Right of the navigator, in the space the window description leaves free there.
void TForm1::setUpPreview()
{
    SimularButton = new QPushButton(QStringLiteral("Simular"), this);
    SimularButton->setObjectName(QStringLiteral("SimularButton"));
    SimularButton->setGeometry(768, 8, 81, 25);
    PararButton = new QPushButton(QStringLiteral("Parar"), this);
    PararButton->setObjectName(QStringLiteral("PararButton"));
    PararButton->setGeometry(856, 8, 81, 25);
    TempoLabel = new QLabel(this);
    TempoLabel->setObjectName(QStringLiteral("TempoLabel"));
    TempoLabel->move(944, 14);
    showPreviewTime();
    connect(SimularButton, &QPushButton::clicked, this,
            [this] { runHandler([this] { SimularClick(); }); });
    connect(PararButton, &QPushButton::clicked, this,
            [this] { runHandler([this] { PararClick(); }); });

    m_previewTimer = new QTimer(this);
    m_previewTimer->setTimerType(Qt::PreciseTimer);
    m_previewTimer->setInterval(frameMilliseconds);
    connect(m_previewTimer, &QTimer::timeout, this,
            [this] { runHandler([this] { previewTick(); }); });
    // Whatever changes the scene ends the preview, so that it never shows a scene that is gone.
    connect(ClientDataSet1, &RecordTable::changed, this, [this](const TableChange& change) {
        if (change.kind != TableChange::Saved)
            PararClick();
    });
}

void TForm1::SimularClick()
{
    if (!m_preview) {
        if (!ClientDataSet1->isActive())
            return;
        try {
            m_preview = std::make_unique<SimWorld>(*ClientDataSet1, &m_models);
        } catch (const SimBuildError& error) {
            dialogs().message(QStringLiteral("Simular"),
                              QStringLiteral("A simulação não pode começar:\n") +
                                  error.problems().join('\n'));
            return;
        }
        m_renderer->setPreview(m_preview.get());
    }
    m_previewRunning = !m_previewRunning;
    if (m_previewRunning) {
        m_previewClock.start();
        m_previewTimer->start();
    } else {
        m_previewTimer->stop();
    }
    OGLPanel1->requestPaint();
}

void TForm1::PararClick()
{
    if (!m_preview)
        return;
    m_previewTimer->stop();
    m_previewRunning = false;
    if (m_gesture.kind == ViewGesture::Holding)
        m_gesture = ViewGesture{};
    m_renderer->setPreview(nullptr);
    m_preview.reset();
    showPreviewTime();
    OGLPanel1->requestPaint();
}

void TForm1::previewTick()
{
    if (!m_preview || !m_previewRunning)
        return;
    const double seconds = std::min(m_previewClock.restart() / 1000.0, longestFrameSeconds);
    m_preview->advance(seconds);
    showPreviewTime();
    if (!OGLPanel1->isReportingError())
        OGLPanel1->requestPaint();
}

void TForm1::showPreviewTime()
{
    const double time = m_preview ? m_preview->time() : 0;
    TempoLabel->setText(QStringLiteral("t = %1 s").arg(QLocale().toString(time, 'f', 2)));
    TempoLabel->adjustSize();
}

// The row of the body the line of sight through the pixel meets first, where it is now; -1 for
// none.
int TForm1::bodyUnder(QPoint pixel) const
{
    const SightLine sight = sightLine(currentCamera(), pixel);
    return m_preview->rowAlongRay(sight.from - viewDepth * sight.forward, sight.forward,
                                  2 * viewDepth);
}

// Moving bodies are not where their records put them while a preview runs: a click finds them
// where they are, and a record the renderer picks counts only when it does not move. The
// renderer's pick is the slower, so it is asked only when no body is under the cursor.
int TForm1::rowInPreview(QPoint pixel)
{
    const int body = bodyUnder(pixel);
    if (body >= 0)
        return body;
    const int picked = drawnRowAt(pixel);
    return picked >= 0 && !m_preview->isMoving(picked) ? picked : -1;
}

// A body that may be moved by hand is held where the cursor meets it, running or paused.
// It is dragged on the plane through its centre that its allowed axes span best: level when only
// x and y are allowed, upright and facing the eye for z alone, facing the eye otherwise.
bool TForm1::holdInPreview(QPoint pixel)
{
    if (!m_preview)
        return false;
    const int row = bodyUnder(pixel);
    if (row < 0 || !m_preview->canGrab(row))
        return false;
    const SimVector forward = simVector(currentCamera().forward());
    const SimRecord& record = m_preview->record(row);
    const bool level = record.moveAxis[0] || record.moveAxis[1];
    SimVector normal = forward;
    if (!record.moveAxis[2])
        normal = {0, 0, 1};
    else if (!level)
        normal = {forward[0], forward[1], 0};
    if (length(normal) < 1e-6 || std::abs(dot(normal, forward)) < 1e-6)
        normal = forward; // that plane is seen edge on
    m_holdPlaneNormal = (1 / length(normal)) * normal;
    m_holdPlanePoint = m_preview->state(row).centre;
    SimVector grabbed;
    if (!pointOnHoldPlane(pixel, grabbed))
        return false;
    m_holdOffset = m_holdPlanePoint - grabbed;
    return m_preview->grab(row);
}

void TForm1::dragInPreview(QPoint pixel)
{
    SimVector point;
    if (!m_preview || !pointOnHoldPlane(pixel, point))
        return;
    m_preview->dragTo(point + m_holdOffset);
    if (!m_previewRunning) {
        m_preview->placeHeld(); // no step will take it there while paused
        OGLPanel1->requestPaint();
    }
}

bool TForm1::pointOnHoldPlane(QPoint pixel, SimVector& point) const
{
    const SightLine sight = sightLine(currentCamera(), pixel);
    const double across = dot(sight.forward, m_holdPlaneNormal);
    if (std::abs(across) < 1e-9)
        return false;
    point = sight.from +
            (dot(m_holdPlanePoint - sight.from, m_holdPlaneNormal) / across) * sight.forward;
    return true;
}
