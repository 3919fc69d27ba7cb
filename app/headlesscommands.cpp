#include "headlesscommands.h"

#include "appfolders.h"
#include "error.h"
#include "fieldvalue.h"
#include "headlessgl.h"
#include "modeldraw.h"
#include "modellibrary.h"
#include "recordtable.h"
#include "scenecheck.h"
#include "scenerenderer.h"
#include "sceneschema.h"
#include "viewstate.h"

#include <QHash>
#include <QSaveFile>
#include <QTextStream>

namespace {

// The view's state as the window would have it after the arrows gave these values, before the
// frame clock has moved.
ViewState viewStateOf(const CommandLine& line)
{
    ViewState view;
    view.zoom = line.zoom == 0 ? 0.0 : -line.zoom;
    view.lightLevel = {float(line.light), float(line.light), float(line.light), 1.0f};
    view.cameraX = line.camera[0];
    view.cameraY = line.camera[1];
    view.cameraZ = line.camera[2];
    return view;
}

bool writePng(const QImage& image, const QString& path, QTextStream& err)
{
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && image.save(&file, "PNG") && file.commit())
        return true;
    err << QStringLiteral("Não foi possível gravar a figura %1: %2\n")
               .arg(path, file.errorString());
    return false;
}

// What keeps a model record from being drawn as it should, one line each: a file that several
// records use is told once.
QStringList modelRecordProblems(const RecordTable& table, ModelLibrary& models)
{
    QStringList problems;
    QHash<QString, QStringList> checked;
    for (int row = 0; row < table.recordCount(); ++row) {
        if (valueAsInteger(table.valueAt(row, SceneField::ODETipo)) != ElementKind::Arquivo)
            continue;
        const QString file = valueAsString(table.valueAt(row, SceneField::Arquivo));
        problems << modelProblemsOnce(models, file, checked);
    }
    problems.removeDuplicates(); // every line names its file, so only a repeated file's go
    return problems;
}

QImage drawScene(RecordTable& table, const CommandLine& line, ModelLibrary& models)
{
    HeadlessGL gl(line.size, line.size);
    if (!gl.isValid())
        throw Error(QStringLiteral("Não foi possível desenhar sem janela: ") + gl.errorString());
    ViewState view = viewStateOf(line);
    SceneRenderer renderer(table, view);
    renderer.modelDrawer = [&models](const PlacedModel& model) { DrawModelRecord(models, model); };
    // The window's panel sets more state when its context is made, but all of it is set again
    // here or at the start of every frame, so the view's own set-up gives the same pixels.
    renderer.setUpView();
    renderer.drawFrame();
    return gl.image();
}

// The scene file at `line.scene` drawn as the view draws it at the view state the command line
// gives, into `line.output` as PNG. Returns 0, or 1 with the reason on `err`.
int renderScene(const CommandLine& line, const AppFolders& folders, QTextStream& err)
{
    try {
        RecordTable table;
        openSceneForReading(table, line.scene);
        ModelLibrary models;
        setUpModelLookup(models, line.scene, folders);
        const QStringList problems = modelRecordProblems(table, models);
        if (!problems.isEmpty()) {
            err << problems.join(QLatin1Char('\n')) << '\n';
            return 1;
        }
        return writePng(drawScene(table, line, models), line.output, err) ? 0 : 1;
    } catch (const std::exception& error) {
        err << QString::fromUtf8(error.what()) << '\n';
        return 1;
    }
}

} // namespace

int runHeadless(const CommandLine& line, const AppFolders& folders, QTextStream& out,
                QTextStream& err)
{
    switch (line.mode) {
    case CommandLine::Version:
        out << QStringLiteral("Tavirel %1\n").arg(QStringLiteral(TAVIREL_VERSION));
        return 0;
    case CommandLine::Help:
        out << commandLineHelp();
        return 0;
    case CommandLine::Render:
        return renderScene(line, folders, err);
    case CommandLine::Check:
        return checkSceneFile(line.scene, folders, out, err);
    case CommandLine::Invalid:
    case CommandLine::Editor:
        break;
    }
    err << QStringLiteral("tavirel: %1\nUse tavirel --help para ver as opções.\n").arg(line.error);
    return 2;
}
