#pragma once

#include "clockedaxes.h"
#include "drawnbounds.h"

#include <GL/gl.h>
#include <QImage>
#include <QString>
#include <array>
#include <functional>
#include <memory>

struct PlacedModel;
class RecordTable;
class SharedShapes;
class SimWorld;
struct ShapeColour;
struct ViewCamera;
struct ShapePose;
struct ViewState;

// Draws one model record. It runs inside the frame with the record's material set, the modelview
// matrix as the record found it, and may throw: the frame then ends. It must not throw with a
// glBegin open; matrices it leaves pushed are popped by the panel.
using ModelDrawer = std::function<void(const PlacedModel&)>;

// Shows the scene table in the GL panel: the view's fixed OpenGL state, and the frame that draws
// every record of the table by its kind, from a camera the view state moves.
class SceneRenderer
{
public:
    SceneRenderer(RecordTable& table, ViewState& view);
    ~SceneRenderer();
    SceneRenderer(const SceneRenderer&) = delete;
    SceneRenderer& operator=(const SceneRenderer&) = delete;

    // Draws records of kind 4; empty by default, and such records then draw nothing.
    ModelDrawer modelDrawer;
    // The model a record of kind 4 draws, for picking: only records whose drawn bounds the line
    // of sight meets are drawn again. Empty by default: models are then never picked.
    ModelLookup modelLookup;

    // The view's OpenGL state: lights 1 to 3 fixed relative to the eye with the view state's light
    // level, depth test, smooth shading, no culling, lighting on and the blend function (blending
    // itself stays off). Once per context, with it current; the panel's AfterLoad is the place.
    void setUpView();
    // Makes the view state's light level the diffuse colour of lights 1 to 3; light 0 is untouched.
    // The caller makes the context current.
    void applyLightLevel();
    // One frame, with the context current (from paintGL): clears, and when the table is open draws
    // the axes, every record in table order (leaving the table on its last record) and the three
    // light markers. A closed table draws the picture kept by keepPicture() again, stretched to
    // the viewport (or only clears when none was kept), so that a repaint Qt asks for meanwhile
    // (a resize, an expose) still shows the last picture. Errors of the table or of the model
    // drawer end the frame where they happen and are thrown on.
    void drawFrame();
    // The record drawn nearest the eye at pixel (x, y) of the viewport, from its top left: its
    // 0-based row, or -1 for none (also for a closed table). Exact for what the frame draws:
    // each record's own drawer through OpenGL selection at the pixel's centre, planes as their
    // filled grid, models only with modelLookup set. Of two surfaces at the same depth the earlier
    // row wins, as in the picture. Needs the context current; leaves every GL state as it was.
    int pickRecord(int x, int y);
    // While a physics preview runs: every moving record is drawn with its body's motion in front
    // of its own drawing, and the trails and arrows it asks for over the picture. nullptr (the
    // default) draws the records where the table puts them.
    void setPreview(const SimWorld* world) { m_preview = world; }
    const SimWorld* preview() const { return m_preview; }
    // The record marked over the picture by a light, unlit wireframe of its own drawer; -1 for
    // none, which leaves the picture untouched, as does a row the table no longer has.
    void setHighlightedRow(int row) { m_highlightedRow = row; }
    int highlightedRow() const { return m_highlightedRow; }
    // Keeps the picture in the framebuffer now, for the frames drawn while the table is closed.
    // The caller makes the context current; the next frame of an open table lets it go.
    void keepPicture();
    // True when the last frame drawn would come out otherwise at frame clock `clock`: a sphere it
    // drew is turned about another axis then. Records and the view state are the caller's to
    // watch.
    bool clockChangesPicture(double clock) const { return m_clockedAxes.changeBy(clock); }

private:
    void placeCamera() const;
    ViewCamera currentCamera() const;
    void drawAxes() const;
    void drawRecords();
    DrawnRecord readRecord() const;
    void setMaterial(const DrawnRecord& record);
    // Planes are drawn as their cells in `planeMode`: outlines in the picture, filled to be picked.
    void drawRecord(const DrawnRecord& record, GLenum planeMode = GL_LINE_LOOP);
    void drawMovedRecord(int row, const DrawnRecord& record, GLenum planeMode = GL_LINE_LOOP);
    void drawForPicking(const DrawnRecord& record, const TModel* model);
    void drawHighlight();
    void drawModel(const DrawnRecord& record) const;
    void drawLightMarkers() const;
    void drawKeptPicture() const;

    RecordTable& m_table;
    ViewState& m_view;
    std::array<float, 4> m_diffuse{}; // the material colour every record overwrites
    std::unique_ptr<SharedShapes> m_shapes;
    int m_highlightedRow = -1;
    const SimWorld* m_preview = nullptr;
    ClockedAxes m_clockedAxes; // of the last frame drawn
    QImage m_keptPicture;      // RGBA rows bottom first, as OpenGL reads and draws them
};
