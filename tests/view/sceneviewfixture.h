#pragma once

// A scene view as the window has it, offscreen: an open scene table, the view state, the renderer
// drawing models through a model library of the sample folder, in a 425 x 425 framebuffer with
// the view set up.
#include "glharness.h"
#include "modellibrary.h"
#include "recordtable.h"
#include "recordtext.h"
#include "scenerenderer.h"
#include "sceneschema.h"
#include "viewstate.h"

#include <QStringList>

// Appends a record of `kind` with the fields written as "Dim1=2 X=1.5 Arquivo=rampa.obj"; the
// others stay null, which reads as 0.
inline void appendRecord(RecordTable& table, int kind, const QString& fields = {})
{
    table.insert();
    table.setValue(SceneField::ODETipo, qint32(kind));
    setFieldsFromText(table, fields);
    table.post();
}

struct SceneViewFixture
{
    OffscreenGL gl;
    RecordTable table;
    ViewState state;
    ModelLibrary models;
    SceneRenderer renderer{table, state};

    SceneViewFixture()
    {
        defineSceneFields(table);
        table.createDataSet();
        models.setSceneDir(TAVIREL_ASSETS_DIR "/Objetos");
        renderer.modelDrawer = [this](const PlacedModel& model) { DrawModelRecord(models, model); };
        renderer.modelLookup = [this](const std::string& name) { return models.model(name); };
        renderer.setUpView();
    }
    QImage frame()
    {
        renderer.drawFrame();
        return gl.image();
    }
};
