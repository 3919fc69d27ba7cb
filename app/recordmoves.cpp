// Moving the selected record with the mouse, and duplicating it.
#include "tform1.h"

#include "camera.h"
#include "recordtable.h"
#include "scenehistory.h"
#include "scenerenderer.h"
#include "sceneschema.h"

namespace {

// Spheres and models are scaled before they are moved, so they are drawn at scale times their
// position; the other kinds at their position.
bool drawnScaled(int kind)
{
    return kind == ElementKind::Esfera || kind == ElementKind::Arquivo;
}

} // namespace

// Ctrl with the left button on an object: it becomes the selected record and follows the mouse,
// on the level through it, or up and down z with Shift as well. Planes are drawn from their
// coefficients, not their position, and do not move.
bool TForm1::beginMove(QPoint pixel, bool vertical)
{
    const int row = pickRowAt(pixel);
    if (row < 0)
        return false;
    selectRecord(row + 1);
    const RecordTable& table = *ClientDataSet1;
    const int kind = valueAsInteger(table.valueAt(row, SceneField::ODETipo));
    if (kind == ElementKind::Plano)
        return false;
    ViewGesture& g = m_gesture;
    g.row = row;
    g.startX = valueAsFloat(table.valueAt(row, SceneField::X));
    g.startY = valueAsFloat(table.valueAt(row, SceneField::Y));
    g.startZ = valueAsFloat(table.valueAt(row, SceneField::Z));
    const bool scaled = drawnScaled(kind);
    g.scaleX = scaled ? valueAsFloat(table.valueAt(row, SceneField::SX)) : 1;
    g.scaleY = scaled ? valueAsFloat(table.valueAt(row, SceneField::SY)) : 1;
    g.scaleZ = scaled ? valueAsFloat(table.valueAt(row, SceneField::SZ)) : 1;
    if (!vertical) {
        Vec3 grabbed;
        if (!pointOnLevel(currentCamera(), pixel.x(), pixel.y(), g.scaleZ * g.startZ, grabbed))
            return false; // the level is seen edge on: there is nothing to slide along
        g.grabX = g.scaleX * g.startX - grabbed.x;
        g.grabY = g.scaleY * g.startY - grabbed.y;
    }
    g.kind = vertical ? ViewGesture::MovingHeight : ViewGesture::MovingLevel;
    m_history->beginGesture(row);
    return true;
}

// Writes the record where the cursor puts it; the grid and the panel follow at once.
void TForm1::moveTo(QPoint pixel)
{
    const ViewGesture& g = m_gesture;
    const ViewCamera camera = currentCamera();
    double x = g.startX, y = g.startY, z = g.startZ;
    if (g.kind == ViewGesture::MovingLevel) {
        Vec3 point;
        if (!pointOnLevel(camera, pixel.x(), pixel.y(), g.scaleZ * g.startZ, point))
            return;
        if (g.scaleX != 0)
            x = (point.x + g.grabX) / g.scaleX;
        if (g.scaleY != 0)
            y = (point.y + g.grabY) / g.scaleY;
    } else {
        double rise = 0;
        if (!heightForPixels(camera, g.press.y() - pixel.y(), rise) || g.scaleZ == 0)
            return;
        z = g.startZ + rise / g.scaleZ;
    }
    RecordTable& table = *ClientDataSet1;
    table.edit(g.row + 1);
    postOrCancel([&] {
        table.field(SceneField::X).setAsFloat(x);
        table.field(SceneField::Y).setAsFloat(y);
        table.field(SceneField::Z).setAsFloat(z);
    });
    showRecord(g.row + 1);
    viewStateChanged();
}

// Releasing the button keeps the move as one step of the history; Escape puts the record back.
void TForm1::endMove(bool keep)
{
    const int number = m_gesture.row + 1;
    m_gesture = ViewGesture{};
    if (keep)
        m_history->finishGesture();
    else
        m_history->cancelGesture();
    showRecord(number);
    viewStateChanged();
}

// A copy of the selected record, every field as it is but the name and "ID", which insertion would
// give it, and one unit further along x; it becomes the selected record. The name is the name
// field's, counted on past the names the scene already has.
void TForm1::duplicateSelected()
{
    RecordTable& table = *ClientDataSet1;
    if (m_currentRecord < 1 || m_currentRecord > table.recordCount())
        return;
    const Record source = table.record(m_currentRecord - 1);
    for (int tries = 0; tries <= table.recordCount() && nameInUse(Edit1->text()); ++tries)
        if (!advanceName())
            break;
    table.insert();
    postOrCancel([&] {
        for (int field = 0; field < table.fieldCount(); ++field)
            table.setValue(field, source[size_t(field)]);
        table.field(SceneField::Nome).setAsString(Edit1->text());
        table.field(SceneField::ID).setAsInteger(table.recordCount());
        table.field(SceneField::X).setAsFloat(valueAsFloat(source[SceneField::X]) + 1);
    });
    selectRecord(table.recordCount());
}

// The view's camera in the widget's own pixels, the ones mouse positions come in.
ViewCamera TForm1::currentCamera() const
{
    return viewCamera(View, OGLPanel1->width(), OGLPanel1->height());
}

bool TForm1::nameInUse(const QString& name) const
{
    const RecordTable& table = *ClientDataSet1;
    for (int row = 0; row < table.recordCount(); ++row)
        if (valueAsString(table.valueAt(row, SceneField::Nome)) == name)
            return true;
    return false;
}
