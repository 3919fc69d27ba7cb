// Work is never lost: the record deleted is the one shown, reopening the scene's own file keeps
// its changes, and every change can be undone and redone, back to the file as it was.
#include "editorfixture.h"

#include "datapacket.h"
#include "scenehistory.h"

#include <QAction>
#include <QFile>
#include <QToolButton>

namespace {

// What closing would write for the table as it stands.
QByteArray packet(const EditorFixture& f)
{
    std::vector<Record> records;
    for (int row = 0; row < f.table().recordCount(); ++row)
        records.push_back(f.table().record(row));
    return writeDataPacket(f.table().fields(), records);
}

// Shows the window with its timer running and has it draw two frames, each of which walks the
// table's cursor to the last record.
void runFrames(EditorFixture& f)
{
    if (!f.form->isVisible()) {
        f.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.form.get()));
        f.form->Timer1->start();
    }
    int frames = 0;
    auto draw = f.form->OGLPanel1->OnOGLPaint;
    f.form->OGLPanel1->OnOGLPaint = [&frames, draw] {
        ++frames;
        draw();
    };
    for (int frame = 1; frame <= 2; ++frame) {
        f.form->OGLPanel1->requestPaint();
        QTRY_VERIFY_WITH_TIMEOUT(frames >= frame, 5000);
    }
    f.form->OGLPanel1->OnOGLPaint = draw;
    QCOMPARE(f.table().recordNumber(), f.table().recordCount());
}

void setCell(EditorFixture& f, int row, int field, const QVariant& value)
{
    QVERIFY(f.form->DataSource1->setData(f.form->DataSource1->index(row, field), value));
}

} // namespace

class TestEditorHistory : public QObject
{
    Q_OBJECT

private slots:
    void navigatorDelete_removesTheRecordShownWhateverTheFramesDid();
    void reopeningItsOwnFile_keepsTheUnsavedChanges();
    void everyKindOfChange_undoesAndRedoesByteForByte();
    void undoingAnInsertion_keepsTheNameCounting();
    void thousandSteps_undoBackToTheStart();
    void keys_undoInTheWindowButNotInsideATextField();
};

void TestEditorHistory::navigatorDelete_removesTheRecordShownWhateverTheFramesDid()
{
    EditorFixture f;
    for (const char* name : {"a", "b", "c", "d"})
        insertNamed(f, name);
    navigate(f, DBNavigator::First);
    runFrames(f);
    f.dialogs.confirmations << true;
    navigate(f, DBNavigator::Delete);
    QCOMPARE(f.dialogs.questions, QStringList{"Excluir registro?"});
    QCOMPARE(names(f), QStringList({"b", "c", "d"}));
    QCOMPARE(f.form->currentRecordNumber(), 1);
    QCOMPARE(f.form->Edit1->text(), QString("b"));

    // A grid edit elsewhere moves the cursor too; the delete still takes the record shown.
    setCell(f, 2, SceneField::Nome, "D");
    runFrames(f);
    f.dialogs.confirmations << true;
    navigate(f, DBNavigator::Delete);
    QCOMPARE(names(f), QStringList({"c", "D"}));
    QCOMPARE(f.form->Edit1->text(), QString("c"));

    // Deleting the last record shown moves to the new last one; a "Cancel" deletes nothing.
    navigate(f, DBNavigator::Last);
    runFrames(f);
    f.dialogs.confirmations << false << true;
    navigate(f, DBNavigator::Delete);
    QCOMPARE(names(f), QStringList({"c", "D"}));
    navigate(f, DBNavigator::Delete);
    QCOMPARE(names(f), QStringList({"c"}));
    QCOMPARE(f.form->currentRecordNumber(), 1);
}

void TestEditorHistory::reopeningItsOwnFile_keepsTheUnsavedChanges()
{
    EditorFixture f;
    insertNamed(f, "a");
    f.dialogs.fileNames << f.path("Cenas/cena.xml");
    f.click(f.form->Button1);
    insertNamed(f, "b");
    runFrames(f);
    const QByteArray unsaved = packet(f);

    f.dialogs.fileNames << f.path("Cenas/../Cenas/cena.xml"); // the same file by another name
    f.click(f.form->Button2);
    QCOMPARE(f.dialogs.errors, QStringList());
    QCOMPARE(names(f), QStringList({"a", "b"}));
    QCOMPARE(fileBytes(f.path("Cenas/cena.xml")), unsaved);
    QVERIFY(!f.table().modified());
    QVERIFY(!f.form->undoAction()->isEnabled()); // a scene opened has no history
    QCOMPARE(f.form->currentRecordNumber(), 1);

    // Later edits go on top of them.
    insertNamed(f, "c");
    runFrames(f);
    f.table().close();
    f.table().open();
    QCOMPARE(names(f), QStringList({"a", "b", "c"}));
}

void TestEditorHistory::everyKindOfChange_undoesAndRedoesByteForByte()
{
    EditorFixture f;
    TForm1& w = *f.form;
    insertNamed(f, "a");
    insertNamed(f, "b");
    const QString scene = f.path("Cenas/cena.xml");
    f.dialogs.fileNames << scene;
    f.click(w.Button1);
    QList<QByteArray> states{packet(f)};
    auto changed = [&] {
        QCOMPARE(f.dialogs.errors, QStringList());
        QVERIFY(packet(f) != states.last());
        states << packet(f);
    };
    insertNamed(f, "c");
    changed();
    navigate(f, DBNavigator::First);
    w.Edit2->setText("7");
    w.CheckBox2->setChecked(false);
    f.click(w.Button5);
    changed();
    setCell(f, 1, SceneField::X, f.local(2.5));
    changed();
    QVERIFY(w.DataSource1->setData(w.DataSource1->index(1, SceneField::UsaCor), Qt::Unchecked,
                                   Qt::CheckStateRole));
    changed();
    navigate(f, DBNavigator::Next);
    w.RadioGroup1->setItemIndex(ElementKind::Arquivo);
    f.dialogs.fileNames << f.path("Objetos/carrinho.obj");
    f.click(w.Button5);
    changed();
    navigate(f, DBNavigator::First);
    f.dialogs.confirmations << true;
    navigate(f, DBNavigator::Delete);
    changed();

    for (int i = states.size() - 1; i > 0; --i) {
        w.undoAction()->trigger();
        QCOMPARE(packet(f), states[i - 1]);
    }
    QVERIFY(!f.table().modified()); // the scene its file holds
    w.undoAction()->trigger();      // past it, they differ again
    QVERIFY(f.table().modified());
    w.redoAction()->trigger();
    QVERIFY(!f.table().modified());
    for (int i = 1; i < states.size(); ++i) {
        w.redoAction()->trigger();
        QCOMPARE(packet(f), states[i]);
    }
    QVERIFY(!w.redoAction()->isEnabled());

    // The current record and the panel follow the record a step puts back.
    w.undoAction()->trigger(); // the delete of "a"
    QCOMPARE(w.currentRecordNumber(), 1);
    QCOMPARE(w.Edit1->text(), QString("a"));
    QCOMPARE(w.Edit2->text(), QString("7"));
    w.undoAction()->trigger(); // the model file chosen for "b"
    QCOMPARE(w.currentRecordNumber(), 2);
    QCOMPARE(w.Edit1->text(), QString("b"));
    QCOMPARE(w.RadioGroup1->itemIndex(), int(ElementKind::Esfera));
    QCOMPARE(f.form->DataSource1->headerData(1, Qt::Vertical).toString(), QString("\u25B6"));

    // Undone back to the saved scene, closing writes nothing.
    for (int i = states.size() - 3; i > 0; --i)
        w.undoAction()->trigger();
    writeFile(scene, "nada a gravar");
    f.table().close();
    QCOMPARE(fileBytes(scene), QByteArray("nada a gravar"));
}

void TestEditorHistory::undoingAnInsertion_keepsTheNameCounting()
{
    EditorFixture f;
    TForm1& w = *f.form;
    f.click(w.Button3);
    QCOMPARE(w.Edit1->text(), QString("Objeto2"));
    w.undoAction()->trigger();
    QCOMPARE(f.table().recordCount(), 0);
    QCOMPARE(w.currentRecordNumber(), 0);
    QCOMPARE(w.Edit1->text(), QString("Objeto2"));
    w.redoAction()->trigger();
    QCOMPARE(names(f), QStringList{"Objeto1"});
    QCOMPARE(w.currentRecordNumber(), 1);
    QCOMPARE(w.Edit1->text(), QString("Objeto2"));
    f.click(w.Button3);
    QCOMPARE(names(f), QStringList({"Objeto1", "Objeto2"}));
}

void TestEditorHistory::thousandSteps_undoBackToTheStart()
{
    EditorFixture f;
    insertNamed(f, "a");
    const QByteArray inserted = packet(f);
    for (int i = 1; i <= 1000; ++i)
        setCell(f, 0, SceneField::X, QString::number(i));
    QCOMPARE(valueAsFloat(f.value(1, SceneField::X)), 1000.0);
    for (int i = 0; i < 1000; ++i)
        f.form->history().undo();
    QCOMPARE(packet(f), inserted);
    f.form->history().undo();
    QCOMPARE(f.table().recordCount(), 0);
    QVERIFY(!f.table().modified()); // back to the empty scene nothing was written for
}

void TestEditorHistory::keys_undoInTheWindowButNotInsideATextField()
{
    EditorFixture f;
    TForm1& w = *f.form;
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    insertNamed(f, "a");
    w.DBGrid1->setFocus();
    QTest::keyClick(w.DBGrid1, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(f.table().recordCount(), 0);
    QTest::keyClick(w.DBGrid1, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(f.table().recordCount(), 1);
    QTest::keyClick(w.DBGrid1, Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(w.DBGrid1, Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(f.table().recordCount(), 1);

    // Inside a text field the keys undo the typing.
    w.Edit2->setFocus();
    QTest::keyClicks(w.Edit2, "5");
    QCOMPARE(w.Edit2->text(), QString("05"));
    QTest::keyClick(w.Edit2, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(w.Edit2->text(), QString("0"));
    QCOMPARE(f.table().recordCount(), 1);

    QCOMPARE(w.DBGrid1->contextMenuPolicy(), Qt::ActionsContextMenu);
    QStringList entries;
    for (const QAction* action : w.DBGrid1->actions())
        entries << action->text();
    QCOMPARE(entries, QStringList({"Desfazer", "Refazer"}));
}

TAVIREL_EDITOR_TEST_MAIN(TestEditorHistory)
#include "test_editor_history.moc"
