// The colour controls, the view controls and the timer tick.
#include "tform1.h"

#include "recordtable.h"
#include "scenerenderer.h"

#include <QTimer>
#include <cmath>

void TForm1::TrackBar1Change()
{
    // The preview shows the swatch over the window's background, as translucent as "A" says.
    const double t = 1.0 - double(TrackBar1->value()) / TrackBar1->maximum();
    const QColor background = palette().color(QPalette::Window);
    const QColor swatch = Shape1->brushColor();
    auto blend = [t](int back, int front) { return int(std::lround(back * (1 - t) + front * t)); };
    const QColor preview(blend(background.red(), swatch.red()),
                         blend(background.green(), swatch.green()),
                         blend(background.blue(), swatch.blue()));
    Shape2->setBrushColor(preview);
    Shape2->setPenColor(preview);
    Label9->setText(QStringLiteral("R: %1  G: %2  B: %3  a: %4")
                        .arg(swatch.red())
                        .arg(swatch.green())
                        .arg(swatch.blue())
                        .arg(TrackBar1->value()));
}

void TForm1::Shape1MouseUp()
{
    if (const auto colour = dialogs().chooseColour(Shape1->brushColor())) {
        Shape1->setBrushColor(*colour);
        TrackBar1Change();
    }
}

void TForm1::SpinButton1UpClick()
{
    View.zoomUp();
    setLabelCaption(Label21, View.zoomText());
    viewStateChanged();
}

void TForm1::SpinButton1DownClick()
{
    View.zoomDown();
    setLabelCaption(Label21, View.zoomText());
    viewStateChanged();
}

void TForm1::SpinButton2UpClick()
{
    View.lightUp();
    OGLPanel1->runWithContext([this] { m_renderer->applyLightLevel(); });
    setLabelCaption(Label20, View.lightText());
    viewStateChanged();
}

void TForm1::SpinButton2DownClick()
{
    View.lightDown();
    OGLPanel1->runWithContext([this] { m_renderer->applyLightLevel(); });
    setLabelCaption(Label20, View.lightText());
    viewStateChanged();
}

void TForm1::SpinButton3UpClick()
{
    View.cameraX += 0.1;
    viewStateChanged();
}

void TForm1::SpinButton3DownClick()
{
    View.cameraX -= 0.1;
    viewStateChanged();
}

void TForm1::SpinButton4UpClick()
{
    View.cameraY += 0.1;
    viewStateChanged();
}

void TForm1::SpinButton4DownClick()
{
    View.cameraY -= 0.1;
    viewStateChanged();
}

void TForm1::SpinButton5UpClick()
{
    View.cameraZ += 0.1;
    viewStateChanged();
}

void TForm1::SpinButton5DownClick()
{
    View.cameraZ -= 0.1;
    viewStateChanged();
}

// The label and the clock move on every tick. Every other change asks for its frame when it
// happens, so the tick asks only where time alone changes the picture: a sphere the clock turns,
// a frame an error cut short (which is tried again, as it was on every tick), or a model file
// changed on disk. Never while the table is closed (it leaves the last picture) or while an
// error of an earlier frame is being reported. The model files are looked at last and only
// then: their stat calls are the tick's only I/O, and a frame asked for anyway reads a changed
// model again by itself.
void TForm1::Timer1Timer()
{
    setLabelCaption(Label14, QStringLiteral("Registro atual: %1").arg(m_currentRecord));
    View.frameClock += 0.1;
    if (!ClientDataSet1->isActive() || OGLPanel1->isReportingError())
        return;
    if (OGLPanel1->lastFrameFailed() || m_renderer->clockChangesPicture(View.frameClock) ||
        m_models.changedOnDisk())
        OGLPanel1->requestPaint();
}
