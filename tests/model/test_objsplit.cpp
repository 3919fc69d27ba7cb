// A large model is read in two parts on two threads; cut anywhere, the result must be the read in
// one piece: the model, every library opened and message told, in order, and the first error.
#include "modelerror.h"
#include "objloader.h"
#include "objsplit.h"
#include "samemodel.h"
#include "testfiles.h"

#include <QTemporaryDir>
#include <QTest>
#include <QThread>

namespace {

// Everything the reader has its surroundings do, and what it gave.
struct Read
{
    TModel model;
    QString error;
    QStringList calls;
};

// A reader's surroundings that log what they are asked: "A.MTL" (in any folder) holds three
// materials, there is no other library.
ModelIO loggingIO(QStringList& calls)
{
    ModelIO io;
    io.decimalSeparator = ',';
    io.openLibrary = [&calls](const std::string& path) -> std::optional<std::string> {
        calls << QString::fromStdString("open " + path);
        if (path.size() < 5 || path.compare(path.size() - 5, 5, "A.MTL") != 0)
            return std::nullopt;
        return std::string("newmtl red\nKd 1 0 0\nnewmtl blue\nKd 0 0 1\nnewmtl Red\n");
    };
    io.notify = [&calls](const std::string& caption, const std::string& text) {
        calls << QString::fromStdString(caption + "|" + text);
    };
    return io;
}

template <typename Reader>
Read readWith(Reader reader)
{
    Read read;
    const ModelIO io = loggingIO(read.calls);
    try {
        reader(read.model, io);
    } catch (const ModelError& error) {
        read.error = QString::fromStdString(error.what());
    }
    return read;
}

// Every line form and every state a line after a cut may need from before it: faces and a
// selection before any group, negative indices, libraries (one missing) in the middle, selections
// of known, unknown and differently cased names, continuations, CR LF, a byte-order mark and a
// last line without its end.
const std::string model = "\xEF\xBB\xBF# model\r\n"
                          "v 1 2 3\nv 4 5 6\r\nv 7 8 9 1\nvt 0,5 0.5\nvn 0 0 1\n"
                          "usemtl red\n"
                          "f 1/1/1 2/1/1 3/1/1\n"
                          "mtllib a.mtl\n"
                          "usemtl red\n"
                          "f 1 2 \\\n 3\n"
                          "  g body \\\r\nwork\nusemtl BLUE\nf -1 -2 -3\nf 3 2 1\n"
                          "usemtl nosuch\n"
                          "V 1.5e1 2 3\n"
                          "mtllib b.mtl\n"
                          "g\tWheel \nf 3//1 2//1 1//1\nusemtl red\n"
                          "vn 0 1 0\n f 1 2 3 4\ng\n"
                          "# trailing \\\n"
                          "f 1/1 2/1 3/1\n"
                          "v 0,5 1 1";

// The same with a value that does not convert early and one late: the early one is raised.
const std::string twoErrors = "v 1 2 3\nf 1 2 3\nv 1 x 3\ng a\nf 1 2 3\nf 1 2 3\nvn 1 2\nf 1 2\n";

// A value that does not convert late, after lines the later part reads alone.
const std::string lateError = "v 1 2 3\nf 1 2 3\nf 1 2 3\nf 1 2 3\nf 1 2 3\nf 1 2 q\nv 1 1 1\n";

} // namespace

class TestObjSplit : public QObject
{
    Q_OBJECT

private slots:
    void findCut_isALineEndNotAfterAContinuation();
    void parseInTwoParts_readsAsOnePieceAtEveryCut_data();
    void parseInTwoParts_readsAsOnePieceAtEveryCut();
    void loadInTwoParts_readsAsOnePieceAtEveryCut();
    void largeText_isCutWhereHalfTheLinesEnd();
    void middle_movesBackToWhereNearbyFacesBegin();
    void largeRest_isReadInTwoPartsAgain();
};

void TestObjSplit::findCut_isALineEndNotAfterAContinuation()
{
    const std::string_view text = "v 1 \\\nv 2\r\nf 3 \\\r\nf 4\n\nx";
    QCOMPARE(findCut(text, 0), size_t(11));  // after "v 2\r\n", not after "v 1 \"
    QCOMPARE(findCut(text, 11), size_t(11)); // already at a line's start
    QCOMPARE(findCut(text, 12), size_t(22)); // not after "f 3 \" with its CR LF
    QCOMPARE(findCut(text, 23), size_t(23)); // after an empty line
    QCOMPARE(findCut(text, 24), std::string_view::npos);
    QCOMPARE(findCut("a\n", 1), size_t(2)); // at the very end
}

void TestObjSplit::parseInTwoParts_readsAsOnePieceAtEveryCut_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("every state a line needs") << QByteArray::fromStdString(model);
    QTest::newRow("two errors") << QByteArray::fromStdString(twoErrors);
    QTest::newRow("a late error") << QByteArray::fromStdString(lateError);
}

void TestObjSplit::parseInTwoParts_readsAsOnePieceAtEveryCut()
{
    QFETCH(QByteArray, text);
    const std::string_view view(text.constData(), size_t(text.size()));
    const Read whole =
        readWith([&](TModel& model, const ModelIO& io) { model = ParseModel(view, "", io); });
    int cuts = 0;
    for (size_t from = 0; from <= view.size(); ++from) {
        const Read parts = readWith([&](TModel& model, const ModelIO& io) {
            ResetModel(model);
            parseInTwoParts(model, view, io, ',', from);
        });
        const QByteArray where = "cut from " + QByteArray::number(qulonglong(from));
        QVERIFY2(parts.error == whole.error, where + ": " + parts.error.toUtf8());
        QVERIFY2(parts.calls == whole.calls, where);
        QVERIFY2(!whole.error.isEmpty() || sameModel(parts.model, whole.model), where);
        cuts += findCut(view, from) < view.size();
    }
    QVERIFY(cuts > int(view.size()) / 2);
}

// From a file the parts are read through files of their own, chunk by chunk.
void TestObjSplit::loadInTwoParts_readsAsOnePieceAtEveryCut()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("model.obj");
    writeFile(path, QByteArray::fromStdString(model));
    const std::string file = path.toStdString();
    const Read whole =
        readWith([&](TModel& read, const ModelIO& io) { read = LoadModel(file, io); });
    QCOMPARE(whole.model.GroupCount, 4);
    QCOMPARE(whole.calls.size(), 3);
    for (uint64_t from = 0; from <= model.size(); ++from) {
        const Read parts = readWith([&](TModel& read, const ModelIO& io) {
            ResetModel(read);
            read.Dir = whole.model.Dir;
            read.FileName = whole.model.FileName;
            loadInTwoParts(read, file, model.size(), io, ',', from);
        });
        const QByteArray where = "cut from " + QByteArray::number(qulonglong(from));
        QVERIFY2(parts.error == whole.error, where + ": " + parts.error.toUtf8());
        QVERIFY2(parts.calls == whole.calls, where);
        QVERIFY2(sameModel(parts.model, whole.model), where);
    }
}

// Short number lines first, long face lines after, as exporters write them: the cut falls where
// half the lines end, well before half the bytes, and the read is still the read in one piece.
void TestObjSplit::largeText_isCutWhereHalfTheLinesEnd()
{
    std::string text;
    for (int i = 1; i <= 150000; ++i)
        text += "v 0.5 -1.25 " + std::to_string(i) + "\n";
    const size_t numbers = text.size();
    for (int i = 1; i <= 150000; ++i)
        text += "f " + std::to_string(i) + "//1 " + std::to_string(i) + "//1 1//1 2//1\n";
    QVERIFY(worthTwoParts(text.size()) || QThread::idealThreadCount() < 2);
    const uint64_t middle = middleOf(text);
    QVERIFY2(middle > numbers * 9 / 10 && middle < numbers * 11 / 10,
             QByteArray::number(qulonglong(middle)) + " of " + QByteArray::number(text.size()));

    const Read parsed =
        readWith([&](TModel& model, const ModelIO& io) { model = ParseModel(text, "", io); });
    const Read whole = readWith([&](TModel& model, const ModelIO& io) {
        ResetModel(model);
        parseInTwoParts(model, text, io, ',', text.size()); // no cut: one piece
    });
    QCOMPARE(parsed.error, QString());
    QCOMPARE(parsed.model.VertexCount, 150000);
    QCOMPARE(parsed.model.Groups[1].FaceCount, 150000);
    QVERIFY(sameModel(parsed.model, whole.model));
}

// numbers short number lines, then faces face lines.
std::string numbersThenFaces(int numbers, int faces)
{
    std::string text;
    for (int i = 1; i <= numbers; ++i)
        text += "v 0.5 -1.25 " + std::to_string(i) + "\n";
    text += "g body\n";
    for (int i = 1; i <= faces; ++i)
        text += "f " + std::to_string(i) + "//1 " + std::to_string(i) + "//1 1//1 2//1\n";
    return text;
}

// Where half the lines end a little way into a run of faces, the cut moves back to where the run
// begins, in a text as in a file; far into the run it stays. Either way the read is the one piece.
void TestObjSplit::middle_movesBackToWhereNearbyFacesBegin()
{
    const std::string near = numbersThenFaces(140000, 160000); // half the lines end 10000 faces in
    const uint64_t facesBegin = near.find("\nf ") + 1;
    QCOMPARE(middleOf(near), facesBegin);
    QTemporaryDir dir;
    const QString path = dir.filePath("near.obj");
    writeFile(path, QByteArray::fromStdString(near));
    QCOMPARE(middleOf(path.toStdString(), near.size()), facesBegin);

    const std::string far = numbersThenFaces(100000, 200000); // 50000 faces in: too far back
    const uint64_t middle = middleOf(far);
    QVERIFY2(middle > far.find("\nf ") + far.size() / 8, QByteArray::number(qulonglong(middle)));

    for (const std::string* text : {&near, &far}) {
        const Read parts = readWith([&](TModel& model, const ModelIO& io) {
            ResetModel(model);
            parseInTwoParts(model, *text, io, ',', middleOf(*text));
        });
        const Read whole = readWith([&](TModel& model, const ModelIO& io) {
            ResetModel(model);
            parseInTwoParts(model, *text, io, ',', text->size()); // no cut: one piece
        });
        QCOMPARE(parts.error, QString());
        QVERIFY(sameModel(parts.model, whole.model));
    }
}

// A later part that stops soon leaves most of the text to read after the join; that rest is cut
// again, and again where its later part stops soon too. Every line a later part stops at is one
// that needs what came before (a negative index, a library), and the read is the one piece.
void TestObjSplit::largeRest_isReadInTwoPartsAgain()
{
    std::string text = numbersThenFaces(20000, 0);
    const std::string faces = numbersThenFaces(0, 150000); // about 5 MB
    for (const char* stopper : {"f -1 -2 -3\n", "mtllib a.mtl\nusemtl red\n", "f 1//1 -2//1 3\n"})
        text += stopper + faces;
    const Read whole = readWith([&](TModel& model, const ModelIO& io) {
        ResetModel(model);
        parseInTwoParts(model, text, io, ',', text.size()); // no cut: one piece
    });
    QCOMPARE(whole.error, QString());
    QCOMPARE(whole.model.GroupCount, 4);
    QTemporaryDir dir;
    const QString path = dir.filePath("stops.obj");
    writeFile(path, QByteArray::fromStdString(text));
    // Cut just before the first or the second stopping line: the rest after it is over 4 MiB.
    for (const size_t stopAt : {text.find("f -1"), text.find("mtllib")}) {
        QVERIFY(worthTwoParts(text.size() - stopAt) || QThread::idealThreadCount() < 2);
        const Read parsed = readWith([&](TModel& model, const ModelIO& io) {
            ResetModel(model);
            parseInTwoParts(model, text, io, ',', stopAt);
        });
        const Read loaded = readWith([&](TModel& model, const ModelIO& io) {
            ResetModel(model);
            loadInTwoParts(model, path.toStdString(), text.size(), io, ',', stopAt);
        });
        for (const Read* parts : {&parsed, &loaded}) {
            QCOMPARE(parts->error, QString());
            QCOMPARE(parts->calls, whole.calls);
            QVERIFY(sameModel(parts->model, whole.model));
            // Cut before the first stopping line, the vertices are all read before the cut, by a
            // reader too short to make room ahead. The readers of the rest add none, so they must
            // not make room for more either.
            const ModelList<TVector3>& vertices = parts->model.Vertices;
            if (stopAt == text.find("f -1"))
                QVERIFY2(vertices.capacity() < 2 * vertices.size(),
                         QByteArray::number(qulonglong(vertices.capacity())));
        }
    }
}

QTEST_GUILESS_MAIN(TestObjSplit)
#include "test_objsplit.moc"
