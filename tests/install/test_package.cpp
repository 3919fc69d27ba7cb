// The Debian package made from this build, unpacked into a scratch root and run from there.

#include "runprogram.h"
#include "testfiles.h"

#include <QImage>
#include <QMimeDatabase>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Making the package and validating what it holds can take minutes on a busy machine.
ProgramRun run(const QString& program, const QStringList& arguments,
               const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment())
{
    return runProgram(program, arguments, 300000, environment);
}

} // namespace

class TestPackage : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void fileList_holdsProgramSamplesAndDesktopFiles();
    void dependencies_includeTheLinkedLibraries();
    void installedProgram_printsVersionAndRendersWithoutWindow();
    void menuEntryAndMetadata_validate();
    void sceneFileType_isToldByContentNotByName();

private:
    QString usr(const QString& path) const { return m_root.filePath("usr/" + path); }

    QTemporaryDir m_work, m_root;
    QString m_package;
};

void TestPackage::initTestCase()
{
    for (const char* tool : {"dpkg-deb", "dpkg-shlibdeps", "file"})
        if (QStandardPaths::findExecutable(tool).isEmpty())
            QSKIP(qPrintable(QStringLiteral("%1 is missing: install dpkg-dev and file (scripts/"
                                            "common.sh lists them) to make the package")
                                 .arg(tool)));
    const ProgramRun cpack =
        run(TAVIREL_CPACK,
            {"-G", "DEB", "--config", TAVIREL_BUILD_DIR "/CPackConfig.cmake", "-B", m_work.path()});
    QVERIFY2(cpack.status == 0, qPrintable(cpack.out + cpack.err));
    const QStringList debs = QDir(m_work.path()).entryList({"tavirel_*.deb"});
    QCOMPARE(debs.size(), 1);
    m_package = m_work.filePath(debs.first());
    const ProgramRun unpack = run("dpkg", {"-x", m_package, m_root.path()});
    QVERIFY2(unpack.status == 0, qPrintable(unpack.err));
}

void TestPackage::fileList_holdsProgramSamplesAndDesktopFiles()
{
    const ProgramRun contents = run("dpkg-deb", {"--contents", m_package});
    QCOMPARE(contents.status, 0);
    QStringList files;
    for (const QString& line : contents.out.split('\n', Qt::SkipEmptyParts))
        if (!line.startsWith('d'))
            files << line.section(' ', -1);
    QStringList expected{"./usr/bin/tavirel",
                         "./usr/share/applications/org.tavirel.Tavirel.desktop",
                         "./usr/share/icons/hicolor/256x256/apps/org.tavirel.Tavirel.png",
                         "./usr/share/icons/hicolor/scalable/apps/org.tavirel.Tavirel.svg",
                         "./usr/share/metainfo/org.tavirel.Tavirel.metainfo.xml",
                         "./usr/share/mime/packages/org.tavirel.Tavirel.xml",
                         "./usr/share/tavirel/exemplos/exemplo.xml"};
    const QDir samples(TAVIREL_ASSETS_DIR "/Objetos");
    for (const QString& name : samples.entryList({"*.obj", "*.mtl"}, QDir::Files))
        expected << "./usr/share/tavirel/Objetos/" + name;
    files.sort();
    expected.sort();
    QCOMPARE(files, expected);
    const QImage icon(usr("share/icons/hicolor/256x256/apps/org.tavirel.Tavirel.png"));
    QCOMPARE(icon.size(), QSize(256, 256));
}

void TestPackage::dependencies_includeTheLinkedLibraries()
{
    const ProgramRun depends = run("dpkg-deb", {"--field", m_package, "Depends"});
    QCOMPARE(depends.status, 0);
    // From dpkg-shlibdeps, with versions; then what the program loads without linking it.
    for (const char* library : {"libc6 (>=", "libqt6widgets6 (>=", "libqt6openglwidgets6",
                                "libegl1", "qt6-qpa-plugins", "libegl-mesa0"})
        QVERIFY2(depends.out.contains(library), qPrintable(depends.out));
}

// An installed copy never writes beside itself, even for root, who could: its scenes and models
// go to the user's data folder, the models seeded from the installed samples.
void TestPackage::installedProgram_printsVersionAndRendersWithoutWindow()
{
    QTemporaryDir home;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_DATA_HOME", home.filePath("data"));
    environment.remove("DISPLAY");
    const ProgramRun version = run(usr("bin/tavirel"), {"--version"}, environment);
    QCOMPARE(version.status, 0);
    QCOMPARE(version.out, QStringLiteral("Tavirel " TAVIREL_VERSION "\n"));

    const QString picture = home.filePath("exemplo.png");
    const ProgramRun render =
        run(usr("bin/tavirel"),
            {"--render", usr("share/tavirel/exemplos/exemplo.xml"), "-o", picture, "--size", "200"},
            environment);
    QVERIFY2(render.status == 0, qPrintable(render.err));
    const QImage image(picture);
    QCOMPARE(image.size(), QSize(200, 200));
    QVERIFY(image.pixelColor(100, 100) != QColor(Qt::black)); // the sphere at the origin
    QVERIFY(QFile::exists(home.filePath("data/Tavirel/Objetos/carrinho.obj")));
    QVERIFY(QFileInfo(home.filePath("data/Tavirel/Cenas")).isDir());
    QVERIFY(!QFile::exists(usr("bin/Cenas")));
    QVERIFY(!QFile::exists(usr("bin/Objetos")));
}

void TestPackage::menuEntryAndMetadata_validate()
{
    if (QStandardPaths::findExecutable("desktop-file-validate").isEmpty() ||
        QStandardPaths::findExecutable("appstreamcli").isEmpty())
        QSKIP("desktop-file-validate or appstreamcli is missing: install desktop-file-utils and "
              "appstream (scripts/common.sh lists them)");
    const ProgramRun desktop =
        run("desktop-file-validate", {usr("share/applications/org.tavirel.Tavirel.desktop")});
    QVERIFY2(desktop.status == 0 && desktop.out.isEmpty(), qPrintable(desktop.out + desktop.err));
    const ProgramRun metainfo =
        run("appstreamcli", {"validate", "--no-net", "--explain",
                             usr("share/metainfo/org.tavirel.Tavirel.metainfo.xml")});
    QVERIFY2(metainfo.status == 0, qPrintable(metainfo.out + metainfo.err));
}

// Scenes are ".xml" files: only their content tells them from other XML files.
void TestPackage::sceneFileType_isToldByContentNotByName()
{
    if (QStandardPaths::findExecutable("update-mime-database").isEmpty())
        QSKIP("update-mime-database is missing: install shared-mime-info");
    // Installed, the type joins the system's types in one database; made here the same way.
    QTemporaryDir share;
    const QString packages = share.filePath("mime/packages");
    QVERIFY(QDir().mkpath(packages));
    QVERIFY(QFile::copy("/usr/share/mime/packages/freedesktop.org.xml",
                        packages + "/freedesktop.org.xml"));
    QVERIFY(QFile::copy(usr("share/mime/packages/org.tavirel.Tavirel.xml"),
                        packages + "/org.tavirel.Tavirel.xml"));
    const ProgramRun update = run("update-mime-database", {share.filePath("mime")});
    QVERIFY2(update.status == 0, qPrintable(update.err));
    // Read once, at the database's first use in this process, which is here.
    qputenv("XDG_DATA_DIRS", share.path().toLocal8Bit());
    QTemporaryDir dir;
    const QString plain = dir.filePath("nota.xml");
    writeFile(plain, "<?xml version=\"1.0\"?>\n<nota>DATAPACKET</nota>\n");
    const QMimeDatabase types;
    QCOMPARE(types.mimeTypeForFile(usr("share/tavirel/exemplos/exemplo.xml")).name(),
             QStringLiteral("application/x-tavirel-scene"));
    QCOMPARE(types.mimeTypeForFile(plain).name(), QStringLiteral("application/xml"));
}

QTEST_GUILESS_MAIN(TestPackage)
#include "test_package.moc"
