// Navigating through the records, loading them into the panel, editing them, and the colours.
#include "editorfixture.h"

#include <QToolButton>

namespace {

// Inserts spheres named n1, n2, ... with X = 1, 2, ...
void insertSpheres(EditorFixture& f, int count)
{
    for (int i = 1; i <= count; ++i) {
        f.form->Edit1->setText(QString("n%1").arg(i));
        f.form->Edit2->setText(QString::number(i));
        f.click(f.form->Button3);
    }
}

} // namespace

class TestEditorRecords : public QObject
{
    Q_OBJECT

private slots:
    void navigator_stepsWithinTheTable();
    void navigator_firstAndLastGoToTheEnds();
    void navigator_deleteAsksAndKeepsTheNumberInsideTheTable();
    void navigator_loadsTheRecordIntoThePanel();
    void navigator_recordWithoutOwnColourLeavesSwatchWhite();
    void edit_rewritesTheCurrentRecordOnly();
    void edit_withoutOwnColourKeepsTheStoredColour();
    void edit_modelPathIsKeptOnCancelAndWholeWhenChosen();
    void edit_withABadNumberKeepsEveryValue();
    void edit_onAnEmptyTableReportsAndWritesNothing();
    void plane_loadThenEditKeepsItsSize();
    void gridEdit_convertsInTheLocaleOrReports();
    void colourDialog_confirmSetsSwatchPreviewAndLabel();
    void colourDialog_cancelChangesNothing();
    void alphaPreview_blendsSwatchWithBackground();
    void viewControls_stepZoomLightAndCamera();
};

void TestEditorRecords::navigator_stepsWithinTheTable()
{
    EditorFixture f;
    insertSpheres(f, 3);
    QCOMPARE(f.form->currentRecordNumber(), 3);
    navigate(f, DBNavigator::Next);
    QCOMPARE(f.form->currentRecordNumber(), 3);
    QCOMPARE(f.form->Edit1->text(), QString("n3"));
    for (int i = 0; i < 4; ++i)
        navigate(f, DBNavigator::Prior);
    QCOMPARE(f.form->currentRecordNumber(), 1);
    QCOMPARE(f.form->Edit1->text(), QString("n1"));
    // The frame leaves the table on its last record; the editor keeps its own number.
    f.table().setRecordNumber(3);
    navigate(f, DBNavigator::Next);
    QCOMPARE(f.form->currentRecordNumber(), 2);
    QCOMPARE(f.form->Edit1->text(), QString("n2"));
    f.form->Timer1Timer();
    QCOMPARE(f.form->Label14->text(), QString("Registro atual: 2"));
    QCOMPARE(f.form->DataSource1->headerData(1, Qt::Vertical).toString(), QString("\u25B6"));
    QCOMPARE(f.form->DataSource1->headerData(0, Qt::Vertical).toString(), QString());
}

void TestEditorRecords::navigator_firstAndLastGoToTheEnds()
{
    EditorFixture f;
    insertSpheres(f, 3);
    navigate(f, DBNavigator::First);
    QCOMPARE(f.form->currentRecordNumber(), 1);
    QCOMPARE(f.form->Edit1->text(), QString("n1"));
    navigate(f, DBNavigator::Last);
    QCOMPARE(f.form->currentRecordNumber(), 3);
    QCOMPARE(f.form->Edit1->text(), QString("n3"));
}

void TestEditorRecords::navigator_deleteAsksAndKeepsTheNumberInsideTheTable()
{
    EditorFixture f;
    insertSpheres(f, 3);
    navigate(f, DBNavigator::Prior); // on n2
    f.dialogs.confirmations << false;
    navigate(f, DBNavigator::Delete);
    QCOMPARE(f.dialogs.questions, QStringList{"Excluir registro?"});
    QCOMPARE(f.table().recordCount(), 3);

    f.dialogs.confirmations << true;
    navigate(f, DBNavigator::Delete);
    QCOMPARE(f.table().recordCount(), 2);
    QCOMPARE(f.form->currentRecordNumber(), 2);
    QCOMPARE(f.form->Edit1->text(), QString("n3")); // the record now at that place

    f.dialogs.confirmations << true << true;
    navigate(f, DBNavigator::Delete); // the last record: the number follows the new count
    QCOMPARE(f.form->currentRecordNumber(), 1);
    navigate(f, DBNavigator::Delete);
    QCOMPARE(f.form->currentRecordNumber(), 0);
    QCOMPARE(f.table().recordCount(), 0);
    QCOMPARE(f.dialogs.errors, QStringList());
    QVERIFY(!f.form->DBNavigator1->button(DBNavigator::Delete)->isEnabled());
}

void TestEditorRecords::navigator_loadsTheRecordIntoThePanel()
{
    EditorFixture f;
    TForm1& w = *f.form;
    w.RadioGroup1->setItemIndex(1);
    w.Edit2->setText(EditorFixture::local(1.5));
    w.Edit8->setText(EditorFixture::local(0.25));
    w.Edit9->setText("3");
    w.CheckBox8->setChecked(false);
    w.CheckBox7->setChecked(false);
    w.Shape1->setBrushColor(QColor(10, 20, 30));
    w.TrackBar1->setValue(40);
    f.click(w.Button3);
    insertSpheres(f, 1);
    QCOMPARE(w.RadioGroup1->itemIndex(), 1); // inserting keeps the panel as it is

    // Change the panel, then bring the capsule back.
    w.RadioGroup1->setItemIndex(0);
    w.CheckBox8->setChecked(true);
    w.CheckBox7->setChecked(true);
    w.TrackBar1->setValue(0);
    navigate(f, DBNavigator::Prior);
    QCOMPARE(w.Edit1->text(), QString("Objeto1"));
    QCOMPARE(w.Edit2->text(), EditorFixture::local(1.5));
    QCOMPARE(w.RadioGroup1->itemIndex(), 1);
    QVERIFY(!w.Edit9->isHidden()); // the panel follows the loaded kind
    QCOMPARE(w.Label11->text(), QString("Compr"));
    QCOMPARE(w.Edit8->text(), EditorFixture::local(0.25));
    QCOMPARE(w.Edit9->text(), QString("3"));
    QCOMPARE(w.Edit10->text(), QString("0")); // null shows as 0
    QCOMPARE(w.Edit12->text(), QString("1")); // "Sx" finds "SX"
    QVERIFY(!w.CheckBox8->isChecked());
    QVERIFY(!w.CheckBox7->isChecked());
    QCOMPARE(w.Shape1->brushColor(), QColor(10, 20, 30));
    QCOMPARE(w.TrackBar1->value(), 40);
    QCOMPARE(w.Label9->text(), QString("R: 10  G: 20  B: 30  a: 40"));
}

void TestEditorRecords::navigator_recordWithoutOwnColourLeavesSwatchWhite()
{
    EditorFixture f;
    TForm1& w = *f.form;
    w.CheckBox2->setChecked(false);
    w.Shape1->setBrushColor(QColor(200, 0, 0));
    w.TrackBar1->setValue(100);
    insertSpheres(f, 2);
    w.TrackBar1->setValue(7);
    navigate(f, DBNavigator::Prior);
    QCOMPARE(w.Shape1->brushColor(), QColor(Qt::white));
    QCOMPARE(w.TrackBar1->value(), 7);
    QVERIFY(!w.CheckBox2->isChecked());
}

void TestEditorRecords::edit_rewritesTheCurrentRecordOnly()
{
    EditorFixture f;
    TForm1& w = *f.form;
    insertSpheres(f, 3);
    navigate(f, DBNavigator::Prior);
    f.table().setRecordNumber(3); // where a frame leaves the cursor
    w.Edit1->setText("mudado");
    w.Edit4->setText("5");
    w.RadioGroup1->setItemIndex(2);
    w.Edit10->setText("4");
    f.click(w.Button5);
    QCOMPARE(f.dialogs.errors, QStringList());
    QCOMPARE(f.value(2, SceneField::Nome), FieldValue(QString("mudado")));
    QCOMPARE(f.value(2, SceneField::Z), FieldValue(5.0));
    QCOMPARE(f.value(2, SceneField::ODETipo), FieldValue(qint32(2)));
    QCOMPARE(f.value(2, SceneField::Dim3), FieldValue(4.0));
    QCOMPARE(f.value(2, SceneField::ID), FieldValue(qint32(1))); // unchanged
    QCOMPARE(f.value(3, SceneField::Nome), FieldValue(QString("n3")));
    QCOMPARE(w.Edit1->text(), QString("mudado")); // no name advance
    QCOMPARE(w.currentRecordNumber(), 2);
}

void TestEditorRecords::edit_withoutOwnColourKeepsTheStoredColour()
{
    EditorFixture f;
    TForm1& w = *f.form;
    w.Shape1->setBrushColor(QColor(1, 2, 3));
    insertSpheres(f, 1);
    w.CheckBox2->setChecked(false);
    w.Shape1->setBrushColor(QColor(200, 100, 50));
    w.TrackBar1->setValue(77);
    f.click(w.Button5);
    QCOMPARE(f.value(1, SceneField::R), FieldValue(1.0));
    QCOMPARE(f.value(1, SceneField::B), FieldValue(3.0));
    QCOMPARE(f.value(1, SceneField::A), FieldValue(77.0));
    QCOMPARE(f.value(1, SceneField::UsaCor), FieldValue(false));
    QCOMPARE(f.value(1, SceneField::SX), FieldValue(1.0));
}

void TestEditorRecords::edit_modelPathIsKeptOnCancelAndWholeWhenChosen()
{
    EditorFixture f;
    TForm1& w = *f.form;
    w.RadioGroup1->setItemIndex(4);
    f.dialogs.fileNames << f.path("Objetos/rampa.obj");
    f.click(w.Button3);
    QCOMPARE(f.value(1, SceneField::Arquivo), FieldValue(QString("rampa.obj")));

    f.dialogs.fileNames << QString();
    w.Edit13->setText("3");
    f.click(w.Button5);
    QCOMPARE(f.value(1, SceneField::Arquivo), FieldValue(QString("rampa.obj")));
    QCOMPARE(f.value(1, SceneField::SY), FieldValue(3.0));

    f.dialogs.fileNames << "/outro/lugar/carro.obj";
    f.click(w.Button5);
    QCOMPARE(f.value(1, SceneField::Arquivo), FieldValue(QString("/outro/lugar/carro.obj")));
    QVERIFY(!QFile::exists(f.path("Cenas/carro.obj"))); // editing copies nothing
}

void TestEditorRecords::edit_withABadNumberKeepsEveryValue()
{
    EditorFixture f;
    TForm1& w = *f.form;
    insertSpheres(f, 1);
    w.Edit1->setText("novo");
    w.Edit2->setText("9");
    w.Edit7->setText("x");
    f.click(w.Button5);
    QCOMPARE(f.dialogs.errors, QStringList{"'x' is not a valid floating point value"});
    QCOMPARE(f.table().state(), RecordTable::State::Browse);
    QCOMPARE(f.value(1, SceneField::Nome), FieldValue(QString("n1")));
    QCOMPARE(f.value(1, SceneField::X), FieldValue(1.0));
}

void TestEditorRecords::edit_onAnEmptyTableReportsAndWritesNothing()
{
    EditorFixture f;
    f.click(f.form->Button5);
    QCOMPARE(f.dialogs.errors.size(), 1);
    QCOMPARE(f.table().recordCount(), 0);
    QCOMPARE(f.table().state(), RecordTable::State::Browse);
}

void TestEditorRecords::plane_loadThenEditKeepsItsSize()
{
    EditorFixture f;
    TForm1& w = *f.form;
    w.RadioGroup1->setItemIndex(3);
    w.Edit2->setText("10");
    w.Edit3->setText("6");
    w.Edit10->setText("1");
    f.click(w.Button3);
    insertSpheres(f, 1);
    navigate(f, DBNavigator::Prior);
    QCOMPARE(w.Label2->text(), QString("TamU"));
    QCOMPARE(w.Edit2->text(), QString("10"));
    QCOMPARE(w.Edit3->text(), QString("6"));
    w.CheckBox1->setChecked(true);
    f.click(w.Button5);
    QCOMPARE(f.value(1, SceneField::SX), FieldValue(10.0));
    QCOMPARE(f.value(1, SceneField::SY), FieldValue(6.0));
    QCOMPARE(f.value(1, SceneField::X), FieldValue(0.0));
    QCOMPARE(f.value(1, SceneField::ODEMove), FieldValue(false));
    QCOMPARE(f.value(1, SceneField::Dim3), FieldValue(1.0));
    QVERIFY(isNull(f.value(1, SceneField::Massa)));
}

void TestEditorRecords::gridEdit_convertsInTheLocaleOrReports()
{
    EditorFixture f;
    insertSpheres(f, 1);
    QAbstractItemModel* grid = f.form->DBGrid1->model();
    QVERIFY(grid->setData(grid->index(0, SceneField::X), EditorFixture::local(2.5)));
    QCOMPARE(f.value(1, SceneField::X), FieldValue(2.5));
    QCOMPARE(grid->data(grid->index(0, SceneField::X)).toString(), EditorFixture::local(2.5));
    QVERIFY(grid->setData(grid->index(0, SceneField::Nome), QString(30, 'z')));
    QCOMPARE(f.value(1, SceneField::Nome), FieldValue(QString(20, 'z')));
    QVERIFY(grid->setData(grid->index(0, SceneField::UsaCor), Qt::Unchecked, Qt::CheckStateRole));
    QCOMPARE(f.value(1, SceneField::UsaCor), FieldValue(false));

    QVERIFY(!grid->setData(grid->index(0, SceneField::X), "dois"));
    QCOMPARE(f.value(1, SceneField::X), FieldValue(2.5));
    QTRY_COMPARE(f.dialogs.errors, QStringList{"'dois' is not a valid floating point value"});
    QVERIFY(!grid->setData(grid->index(0, SceneField::ID), "1" + QLocale().decimalPoint() + "5"));
    QCOMPARE(f.value(1, SceneField::ID), FieldValue(qint32(0)));
}

void TestEditorRecords::colourDialog_confirmSetsSwatchPreviewAndLabel()
{
    EditorFixture f;
    TForm1& w = *f.form;
    f.dialogs.colours << QColor(255, 0, 0);
    QTest::mouseClick(w.Shape1, Qt::RightButton); // any button
    QCOMPARE(w.Shape1->brushColor(), QColor(255, 0, 0));
    QCOMPARE(w.Shape2->brushColor(), QColor(255, 0, 0));
    QCOMPARE(w.Label9->text(), QString("R: 255  G: 0  B: 0  a: 0"));

    f.dialogs.colours << QColor(0, 0, 255);
    QTest::mouseClick(w.Shape2, Qt::LeftButton); // the preview opens the same dialog
    QCOMPARE(w.Shape1->brushColor(), QColor(0, 0, 255));
    insertSpheres(f, 1);
    QCOMPARE(f.value(1, SceneField::B), FieldValue(255.0));
    QCOMPARE(f.value(1, SceneField::R), FieldValue(0.0));
}

void TestEditorRecords::colourDialog_cancelChangesNothing()
{
    EditorFixture f;
    TForm1& w = *f.form;
    w.Shape1->setBrushColor(QColor(9, 8, 7));
    w.TrackBar1->setValue(3);
    const QString label = w.Label9->text();
    const QColor preview = w.Shape2->brushColor();
    f.dialogs.colours << std::nullopt;
    QTest::mouseClick(w.Shape1, Qt::LeftButton);
    QCOMPARE(w.Shape1->brushColor(), QColor(9, 8, 7));
    QCOMPARE(w.Shape2->brushColor(), preview);
    QCOMPARE(w.Label9->text(), label);
}

void TestEditorRecords::alphaPreview_blendsSwatchWithBackground()
{
    EditorFixture f;
    TForm1& w = *f.form;
    const QColor background = w.palette().color(QPalette::Window);
    w.Shape1->setBrushColor(QColor(0, 0, 0));
    w.TrackBar1->setValue(255);
    QCOMPARE(w.Shape2->brushColor(), QColor(background.rgb()));
    QCOMPARE(w.Shape2->penColor(), QColor(background.rgb()));
    w.TrackBar1->setValue(0);
    QCOMPARE(w.Shape2->brushColor(), QColor(0, 0, 0));
    w.TrackBar1->setValue(51); // a fifth of the way: t = 0.8
    QCOMPARE(w.Shape2->brushColor().red(), int(std::lround(background.red() * 0.2)));
    QCOMPARE(w.Label9->text(), QString("R: 0  G: 0  B: 0  a: 51"));
}

void TestEditorRecords::viewControls_stepZoomLightAndCamera()
{
    EditorFixture f;
    TForm1& w = *f.form;
    f.click(w.SpinButton1->upButton());
    QCOMPARE(w.Label21->text(), "Zoom: " + QLocale().toString(1.0, 'f', 1));
    f.click(w.SpinButton1->downButton());
    f.click(w.SpinButton1->downButton());
    QCOMPARE(w.Label21->text(), "Zoom: " + QLocale().toString(-1.0, 'f', 1));
    w.View.zoom = -150;
    w.SpinButton1DownClick();
    QCOMPARE(w.Label21->text(), "Zoom: " + QString("1") + QLocale().decimalPoint() + "5E2");

    f.click(w.SpinButton2->upButton());
    QCOMPARE(w.Label20->text(), "Luz: " + QLocale().toString(0.33, 'f', 2));
    for (int i = 0; i < 40; ++i)
        w.SpinButton2UpClick();
    QCOMPARE(w.Label20->text(), "Luz: " + QLocale().toString(1.0, 'f', 2));
    QCOMPARE(w.View.lightLevel[2], 1.0f);
    for (int i = 0; i < 40; ++i)
        w.SpinButton2DownClick();
    QCOMPARE(w.Label20->text(), "Luz: " + QLocale().toString(0.0, 'f', 2));
    QCOMPARE(w.View.lightLevel[3], 1.0f); // alpha stays

    f.click(w.SpinButton3->upButton());
    f.click(w.SpinButton4->downButton());
    f.click(w.SpinButton5->upButton());
    f.click(w.SpinButton5->upButton());
    QCOMPARE(w.View.cameraX, 0.1);
    QCOMPARE(w.View.cameraY, -0.1);
    QCOMPARE(w.View.cameraZ, 0.2);
}

TAVIREL_EDITOR_TEST_MAIN(TestEditorRecords)
#include "test_editor_records.moc"
