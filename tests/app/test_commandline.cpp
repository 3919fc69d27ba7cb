// The program's command line: scenes opened at start, pictures drawn without a window, checks,
// and where an executable in a folder it cannot write keeps its scenes and models.

#include "appfolders.h"
#include "commandline.h"
#include "editorfixture.h"
#include "editorstartup.h"
#include "headlessgl.h"
#include "runprogram.h"

#include <GL/gl.h>
#include <QStandardPaths>
#include <QTextStream>
#include <unistd.h>

namespace {

// A run of the program that has not ended in a minute is stuck.
constexpr int programTimeoutMs = 60000;

ProgramRun tavirel(const QStringList& arguments)
{
    return runProgram(TAVIREL_EXECUTABLE, arguments, programTimeoutMs);
}

// The example scene with the model it names beside it, as the editor leaves a saved scene.
QString copyExample(const QTemporaryDir& dir)
{
    for (const char* name : {"carrinho.obj", "carrinho.mtl"})
        QFile::copy(QStringLiteral(TAVIREL_ASSETS_DIR "/Objetos/") + name, dir.filePath(name));
    const QString scene = dir.filePath("exemplo.xml");
    QFile::copy(TAVIREL_ASSETS_DIR "/Cenas/exemplo.xml", scene);
    return scene;
}

// Pixels that differ in colour; alpha is not part of the picture.
int differingPixels(const QImage& a, const QImage& b)
{
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    if (x.size() != y.size())
        return -1;
    int count = 0;
    for (int row = 0; row < x.height(); ++row)
        for (int column = 0; column < x.width(); ++column)
            count += x.pixel(column, row) != y.pixel(column, row);
    return count;
}

QString exact(double value)
{
    return QString::number(value, 'g', 17);
}

struct Row
{
    QString name;
    int kind;
    QList<QPair<int, QVariant>> values;
};

// A scene file of the given records, written as the editor writes one.
void writeScene(const QString& path, const QList<Row>& rows)
{
    RecordTable table;
    defineSceneFields(table);
    table.createDataSet();
    for (const Row& row : rows) {
        table.insert();
        table.field(SceneField::Nome).setAsString(row.name);
        table.field(SceneField::ODETipo).setAsInteger(row.kind);
        for (int field : {SceneField::SX, SceneField::SY, SceneField::SZ})
            table.field(field).setAsFloat(1);
        for (const auto& [field, value] : row.values) {
            if (value.typeId() == QMetaType::Bool)
                table.field(field).setAsBoolean(value.toBool());
            else if (value.typeId() == QMetaType::QString)
                table.field(field).setAsString(value.toString());
            else
                table.field(field).setAsFloat(value.toDouble());
        }
        table.post();
    }
    table.saveAs(path);
    table.setFileName(QString());
}

using F = SceneField::Index;

QList<Row> sceneWithEveryProblem()
{
    return {
        {"Sumido", 4, {{F::Arquivo, "sumiu.obj"}}},
        {"Torto", 4, {{F::Arquivo, "torto.obj"}}},
        {"Pesada", 0, {{F::X, 10}, {F::Z, 5}, {F::Dim1, 1}, {F::ODEMove, true}, {F::Massa, 0}}},
        {"Chata", 2, {{F::X, 20}, {F::Z, 5}, {F::Dim1, 1}, {F::Dim2, 0}, {F::Dim3, 1}}},
        {"SemNormal", 3, {{F::SX, 5}, {F::SY, 5}}},
        {"Torta", 1, {{F::X, 30}, {F::Z, 5}, {F::Dim1, 0.5}, {F::Dim2, 1}, {F::Ang, 30}}},
        {"Bola", 0, {{F::X, 40}, {F::Z, 5}, {F::Dim1, 1}}},
        {"bola ", 0, {{F::X, 50}, {F::Z, 5}, {F::Dim1, 1}}},
        {"A", 0, {{F::X, 60}, {F::Z, 5}, {F::Dim1, 1}}},
        {"B", 0, {{F::X, 61.5}, {F::Z, 5}, {F::Dim1, 1}}},
        {"Encostada", 0, {{F::X, 61.5}, {F::Z, 7}, {F::Dim1, 1}}}, // only touches B
        {"Chao", 3, {{F::SX, 10}, {F::SY, 10}, {F::Dim3, 1}}},
        {"Afundada", 0, {{F::X, 70}, {F::Z, -3}, {F::Dim1, 1}, {F::ODEMove, true}, {F::Massa, 2}}},
    };
}

} // namespace

class TestCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void parse_acceptsQtOptionsAndRejectsBadValues();
    void render_givesTheWindowsPixelsAtTheSameViewState();
    void render_failsWithReasonForBadSceneModelOrOutput();
    void check_listsEveryProblemByName();
    void check_cleanSceneAndUnreadableFile();
    void sceneOnCommandLine_opensOrIsReported();
    void readOnlyExecutableFolder_keepsScenesInUserData();
};

void TestCommandLine::parse_acceptsQtOptionsAndRejectsBadValues()
{
    const CommandLine session =
        parseCommandLine({"tavirel", "-session", "1a2b", "-style", "fusion", "cena.xml"});
    QCOMPARE(session.mode, CommandLine::Editor);
    QCOMPARE(session.scene, QStringLiteral("cena.xml"));
    const CommandLine render = parseCommandLine(
        {"tavirel", "--render", "c.xml", "-o", "f.png", "--camera", "1.5,0,-2", "--zoom", "-3"});
    QCOMPARE(render.mode, CommandLine::Render);
    QCOMPARE(render.camera, (std::array<double, 3>{1.5, 0, -2}));
    QCOMPARE(render.zoom, -3.0);
    const QList<QStringList> mistaken{
        {"--render", "c.xml"}, // no -o
        {"--render", "c.xml", "-o", "f.png", "--size", "0"},
        {"--render", "c.xml", "-o", "f.png", "--zoom", "10"}, // the view's box would close
        {"--render", "c.xml", "-o", "f.png", "--light", "1,5"},
        {"--render", "c.xml", "-o", "f.png", "--camera", "1,2"},
        {"--render", "c.xml", "-o", "f.png", "--camera", "nan,0,0"},
        {"--check"},
        {"--check", "a.xml", "b.xml"},
        {"c.xml", "-o", "f.png"},
        {"--desconhecida"}};
    for (const QStringList& arguments : mistaken) {
        const CommandLine line = parseCommandLine(QStringList{"tavirel"} + arguments);
        QVERIFY2(line.mode == CommandLine::Invalid, qPrintable(arguments.join(' ')));
        QVERIFY(!line.error.isEmpty());
    }
}

void TestCommandLine::render_givesTheWindowsPixelsAtTheSameViewState()
{
    EditorFixture f;
    const QString scene = copyExample(f.dir);
    TForm1& w = *f.form;
    w.openScene(scene);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    for (auto handler :
         {&TForm1::SpinButton1UpClick, &TForm1::SpinButton1UpClick, &TForm1::SpinButton2UpClick,
          &TForm1::SpinButton3UpClick, &TForm1::SpinButton3UpClick, &TForm1::SpinButton5DownClick})
        (w.*handler)();
    w.OGLPanel1->grabFramebuffer(); // draws the frame at this state
    QImage window(w.OGLPanel1->width(), w.OGLPanel1->height(), QImage::Format_RGBA8888);
    w.OGLPanel1->runWithContext([&] {
        glReadPixels(0, 0, window.width(), window.height(), GL_RGBA, GL_UNSIGNED_BYTE,
                     window.bits());
    });
    window = opaque(window.mirrored());

    const QStringList view{"--size",  QString::number(window.width()),
                           "--zoom",  exact(-w.View.zoom),
                           "--light", exact(w.View.lightLevel[0])};
    const QString camera = exact(w.View.cameraX) + ',' + exact(w.View.cameraY) + ',';
    const QString picture = f.path("figura.png");
    const ProgramRun same = tavirel(
        QStringList{"--render", scene, "-o", picture, "--camera", camera + exact(w.View.cameraZ)} +
        view);
    QVERIFY2(same.status == 0, qPrintable(same.err));
    QCOMPARE(differingPixels(QImage(picture), window), 0);
    // The comparison sees a camera moved by a hundredth.
    const ProgramRun moved = tavirel(QStringList{"--render", scene, "-o", picture, "--camera",
                                                 camera + exact(w.View.cameraZ + 0.01)} +
                                     view);
    QCOMPARE(moved.status, 0);
    QVERIFY(differingPixels(QImage(picture), window) > 0);
}

void TestCommandLine::render_failsWithReasonForBadSceneModelOrOutput()
{
    QTemporaryDir dir;
    writeFile(dir.filePath("ruim.xml"), "<DATAPACKET Version=\"2.0\"><METADATA>");
    writeScene(dir.filePath("sem-modelo.xml"), {{"Sumido", 4, {{F::Arquivo, "sumiu.obj"}}}});
    const QString good = copyExample(dir);
    const struct
    {
        QString scene, output, reason;
    } cases[] = {
        {dir.filePath("ruim.xml"), dir.filePath("a.png"), dir.filePath("ruim.xml")},
        {dir.filePath("sem-modelo.xml"), dir.filePath("b.png"), "\"sumiu.obj\" não foi encontrado"},
        {good, dir.filePath("nao/existe/c.png"), "Não foi possível gravar a figura"},
    };
    for (const auto& c : cases) {
        const ProgramRun run = tavirel({"--render", c.scene, "-o", c.output});
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.contains(c.reason), qPrintable(run.err));
        QVERIFY(!QFile::exists(c.output));
    }

    // A model that cannot be read is told once, with its reason, however many records use it.
    writeFile(dir.filePath("torto.obj"), "v 0 0 0\nv 1 0 zero\n");
    writeScene(dir.filePath("torto.xml"), {{"Torto", 4, {{F::Arquivo, "torto.obj"}}},
                                           {"Torto2", 4, {{F::Arquivo, "torto.obj"}}}});
    const ProgramRun twice =
        tavirel({"--render", dir.filePath("torto.xml"), "-o", dir.filePath("d.png")});
    QCOMPARE(twice.status, 1);
    QCOMPARE(twice.err.split('\n', Qt::SkipEmptyParts),
             QStringList{"o modelo \"torto.obj\" não pôde ser lido: 'ZERO' is not a valid "
                         "floating point value"});
}

void TestCommandLine::check_listsEveryProblemByName()
{
    QTemporaryDir dir;
    writeFile(dir.filePath("torto.obj"), "v 0 0 0\nv 1 0 zero\n");
    const QString scene = dir.filePath("problemas.xml");
    writeScene(scene, sceneWithEveryProblem());
    const ProgramRun run = tavirel({"--check", scene});
    QCOMPARE(run.status, 1);
    const QStringList expected{
        "Sumido: o modelo \"sumiu.obj\" não foi encontrado",
        "Torto: o modelo \"torto.obj\" não pôde ser lido: 'ZERO' is not a valid floating point "
        "value",
        "Pesada: move-se pela física (ODEMove) com massa 0; a massa deve ser positiva",
        "Chata: Ly igual a 0; deve ser positivo",
        "SemNormal: plano com a, b e c iguais a 0 (sem direção)",
        "Torta: giro de 30 graus em torno de um eixo de comprimento 0",
        "nome repetido: \"bola\" (registros 7 e 8)",
        "A e B se sobrepõem no início",
        "Afundada começa abaixo do plano Chao",
        scene + ": 9 problema(s) em 13 objetos."};
    QCOMPARE(run.out.split('\n', Qt::SkipEmptyParts), expected);

    // Every material library the model names and lacks is told, not only the last.
    writeFile(dir.filePath("sem-cores.obj"),
              "mtllib vermelho.mtl\nmtllib azul.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
    const QString colourless = dir.filePath("sem-cores.xml");
    writeScene(colourless, {{"SemCores", 4, {{F::Arquivo, "sem-cores.obj"}}}});
    const ProgramRun libraries = tavirel({"--check", colourless});
    QCOMPARE(libraries.status, 1);
    const QStringList lines = libraries.out.split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 2);
    QVERIFY2(lines[0].startsWith("SemCores: o modelo \"sem-cores.obj\" não tem tudo") &&
                 lines[0].contains("VERMELHO.MTL") && lines[0].contains("AZUL.MTL"),
             qPrintable(lines[0]));
}

void TestCommandLine::check_cleanSceneAndUnreadableFile()
{
    QTemporaryDir dir;
    const QString scene = copyExample(dir);
    const ProgramRun clean = tavirel({"--check", scene});
    QCOMPARE(clean.status, 0);
    QCOMPARE(clean.out, scene + ": nenhum problema em 5 objetos.\n");
    const ProgramRun missing = tavirel({"--check", dir.filePath("nada.xml")});
    QCOMPARE(missing.status, 1);
    QVERIFY2(missing.err.contains(dir.filePath("nada.xml")), qPrintable(missing.err));
}

// As "Abrir Arquivo" after start-up; a file that cannot be read is told and the empty scene stays.
void TestCommandLine::sceneOnCommandLine_opensOrIsReported()
{
    {
        EditorFixture f;
        const QString scene = copyExample(f.dir);
        startEditor(*f.form, f.path("recuperacao"), scene);
        QTRY_COMPARE(f.table().fileName(), scene);
        QCOMPARE(f.table().recordCount(), 5);
        QCOMPARE(f.form->currentRecordNumber(), 1);
        QVERIFY(f.dialogs.errors.isEmpty());
    }
    EditorFixture f;
    writeFile(f.path("ruim.xml"), "isto não é uma cena");
    startEditor(*f.form, f.path("recuperacao"), f.path("ruim.xml"));
    QTRY_COMPARE(f.dialogs.errors.size(), 1);
    QVERIFY2(f.dialogs.errors[0].contains(f.path("ruim.xml")), qPrintable(f.dialogs.errors[0]));
    QCOMPARE(f.table().fileName(), f.path("Cenas/temp.xml"));
    QCOMPARE(f.table().recordCount(), 0);
}

// ProgramRun as "nobody" when the test runs as root, who may write anywhere.
void TestCommandLine::readOnlyExecutableFolder_keepsScenesInUserData()
{
    const bool root = ::geteuid() == 0;
    if (root && QStandardPaths::findExecutable("setpriv").isEmpty())
        QSKIP("setpriv (util-linux) is needed to run the program as another user");
    QTemporaryDir dir;
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                          QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                          QFileDevice::ExeOther);
    const QString program = dir.filePath("copia/tavirel");
    QVERIFY(QDir().mkpath(dir.filePath("copia/Objetos")));
    QVERIFY(QFile::copy(TAVIREL_EXECUTABLE, program));
    for (const char* name : {"carrinho.obj", "carrinho.mtl"})
        QVERIFY(QFile::copy(QStringLiteral(TAVIREL_ASSETS_DIR "/Objetos/") + name,
                            dir.filePath("copia/Objetos/") + name));
    // The scene names a model it does not have beside it: the user's models hold it.
    const QString scene = dir.filePath("cena.xml");
    writeScene(scene, {{"Carro", 4, {{F::Arquivo, "carrinho.obj"}}}});
    QVERIFY(QDir().mkpath(dir.filePath("dados")));
    const auto all = QFileDevice::Permissions(0x7777);
    QFile::setPermissions(dir.filePath("dados"), all);
    QFile::setPermissions(dir.filePath("copia"), QFileDevice::ReadOwner | QFileDevice::ExeOwner |
                                                     QFileDevice::ReadOther |
                                                     QFileDevice::ExeOther);

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_DATA_HOME", dir.filePath("dados"));
    const QStringList check{"--check", scene};
    const ProgramRun run = root ? runProgram("setpriv",
                                             QStringList{"--reuid=nobody", "--regid=nogroup",
                                                         "--clear-groups", program} +
                                                 check,
                                             programTimeoutMs, environment)
                                : runProgram(program, check, programTimeoutMs, environment);
    QVERIFY2(run.status == 0, qPrintable(run.out + run.err));
    QVERIFY(QFileInfo(dir.filePath("dados/Tavirel/Cenas")).isDir());
    QVERIFY(QFile::exists(dir.filePath("dados/Tavirel/Objetos/carrinho.mtl")));
    QVERIFY(!QFile::exists(dir.filePath("copia/Cenas")));

    // Writable again, the copy finds the model in its own "Objetos" and makes nothing elsewhere.
    QFile::setPermissions(dir.filePath("copia"), all);
    QVERIFY(QDir(dir.filePath("dados")).removeRecursively());
    const ProgramRun beside = runProgram(program, check, programTimeoutMs, environment);
    QVERIFY2(beside.status == 0, qPrintable(beside.out + beside.err));
    QVERIFY(!QFile::exists(dir.filePath("dados/Tavirel")));
}

int main(int argc, char* argv[])
{
    Application application(argc, argv);
    application.setApplicationName(QStringLiteral("Tavirel"));
    QLocale::setDefault(QLocale::c());
    TestCommandLine test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_commandline.moc"
