// The window at start, the element kind panel and inserting objects.
#include "editorfixture.h"

#include "datapacket.h"
#include "localenumbers.h"

#include <QFile>
#include <QScreen>
#include <QTableView>

class TestEditorPanel : public QObject
{
    Q_OBJECT

private slots:
    void startUp_showsTheDefaultsAndAnEmptyScene();
    void startUp_tabOrderFollowsTheWindowDescription();
    void window_isCentredWhenShown();
    void elementKind_showsTheFieldsOfEachKind_data();
    void elementKind_showsTheFieldsOfEachKind();
    void elementKind_planeThenSphereRestoresTheCommonLayout();
    void insert_buildsTheExampleSceneByteForByte();
    void insert_capsuleAndCubeTakeTheirVisibleDimensions();
    void insert_modelCopiesModelAndLibraryWithoutOverwriting();
    void insert_modelCancelledStillPostsWithoutFile();
    void insert_advancesTheName_data();
    void insert_advancesTheName();
    void insert_withABadNumberPostsNothing_data();
    void insert_withABadNumberPostsNothing();
    void insert_nameWithoutNumberIsNoError();
};

void TestEditorPanel::startUp_showsTheDefaultsAndAnEmptyScene()
{
    EditorFixture f;
    TForm1& w = *f.form;
    QCOMPARE(w.windowTitle(), QString("Form1"));
    QCOMPARE(w.Edit1->text(), QString("Objeto1"));
    w.Timer1Timer();
    QCOMPARE(w.Label14->text(), QString("Registro atual: 0"));
    QCOMPARE(w.Label21->text(), "Zoom: " + QLocale().toString(0.0, 'f', 1));
    QCOMPARE(w.Label20->text(), "Luz: " + QLocale().toString(0.3, 'f', 2));
    if (QLocale().decimalPoint() == ",") {
        QCOMPARE(w.Label21->text(), QString("Zoom: 0,0"));
        QCOMPARE(w.Edit17->text(), QString("0,5"));
    }
    QCOMPARE(w.RadioGroup1->itemIndex(), 0);
    QCOMPARE(w.RadioGroup1->items(),
             QStringList({"Esfera", QString::fromUtf8("Cápsula"), "Cubo", "Plano", "Arquivo"}));
    QCOMPARE(w.RadioGroup2->itemIndex(), 0);
    QCOMPARE(w.RadioGroup3->itemIndex(), 0);
    QVERIFY(w.RadioGroup3->isEnabled());
    QCOMPARE(w.Label10->text(), QString("Raio"));
    QVERIFY(!w.Edit8->isHidden());
    for (QWidget* hidden : {(QWidget*)w.Edit9, (QWidget*)w.Edit10, (QWidget*)w.Edit11,
                            (QWidget*)w.Edit12, (QWidget*)w.Edit13, (QWidget*)w.Edit14})
        QVERIFY2(hidden->isHidden(), qPrintable(hidden->objectName()));
    QCOMPARE(w.TrackBar1->value(), 0);
    QCOMPARE(w.Shape1->brushColor(), QColor(Qt::white));
    QCOMPARE(w.Label9->text(), QString("RGBa"));
    QCOMPARE(w.Shape2->penColor(), QColor(Qt::black));
    QCOMPARE(w.Shape2->brushColor(), QColor(Qt::white));
    QVERIFY(w.CheckBox2->isChecked() && w.CheckBox7->isChecked() && !w.CheckBox3->isChecked());
    QCOMPARE(w.Button3->text(), QString("Insere Objeto"));
    QCOMPARE(w.Button3->geometry(), QRect(152, 8, 121, 25));
    QCOMPARE(w.OGLPanel1->geometry(), QRect(616, 216, 425, 425));

    QCOMPARE(w.DBGrid1->model()->columnCount(), 37);
    QCOMPARE(w.DBGrid1->model()->rowCount(), 0);
    QCOMPARE(w.DBGrid1->model()->headerData(22, Qt::Horizontal).toString(), QString("Arquivo"));
    QVERIFY(QDir(f.path("Cenas")).exists());
    QVERIFY(!QFile::exists(f.path("Cenas/temp.xml")));
}

void TestEditorPanel::startUp_tabOrderFollowsTheWindowDescription()
{
    EditorFixture f;
    TForm1& w = *f.form;
    // A stretch of the order across panels: 5 RadioGroup1, 6 Edit1, 7 Edit2, ... 10 TrackBar1,
    // 11 Edit5.
    QWidget* expected[] = {w.Edit1, w.Edit2, w.Edit3, w.Edit4, w.TrackBar1, w.Edit5};
    auto nextStop = [](QWidget* widget) {
        do
            widget = widget->nextInFocusChain();
        while (!(widget->focusPolicy() & Qt::TabFocus));
        return widget;
    };
    for (size_t i = 0; i + 1 < std::size(expected); ++i)
        QCOMPARE(nextStop(expected[i])->objectName(), expected[i + 1]->objectName());
}

void TestEditorPanel::window_isCentredWhenShown()
{
    EditorFixture f;
    f.form->move(133, 20);
    f.form->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.form.get()));
    const QPoint centre = f.form->frameGeometry().center();
    const QPoint screenCentre = f.form->screen()->availableGeometry().center();
    QVERIFY2((centre - screenCentre).manhattanLength() <= 2,
             qPrintable(QString("%1,%2").arg(centre.x()).arg(centre.y())));
}

void TestEditorPanel::elementKind_showsTheFieldsOfEachKind_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QStringList>("dimensionLabels"); // captions of the shown Edit8..Edit11
    QTest::addColumn<bool>("scaleShown");
    QTest::addColumn<bool>("poseShown"); // Z, angle, axis, mass, simulation boxes, trail group
    QTest::addColumn<QString>("xCaption");
    QTest::newRow("sphere") << 0 << QStringList{"Raio"} << false << true << "X";
    QTest::newRow("capsule") << 1 << QStringList{"Raio", "Compr"} << false << true << "X";
    QTest::newRow("cube") << 2 << QStringList{"Lx", "Ly", "Lz"} << false << true << "X";
    QTest::newRow("plane") << 3 << QStringList{"a", "b", "c", "d"} << false << false << "TamU";
    QTest::newRow("model") << 4 << QStringList{} << true << true << "X";
    QTest::newRow("no item") << -1 << QStringList{} << false << true << "X";
}

void TestEditorPanel::elementKind_showsTheFieldsOfEachKind()
{
    QFETCH(int, kind);
    QFETCH(QStringList, dimensionLabels);
    QFETCH(bool, scaleShown);
    QFETCH(bool, poseShown);
    QFETCH(QString, xCaption);
    EditorFixture f;
    TForm1& w = *f.form;
    w.RadioGroup1->setItemIndex(4); // start from another layout than the one wanted
    w.RadioGroup1->setItemIndex(3);
    w.RadioGroup1->setItemIndex(kind);

    const std::pair<QLabel*, QLineEdit*> dims[] = {
        {w.Label10, w.Edit8}, {w.Label11, w.Edit9}, {w.Label12, w.Edit10}, {w.Label13, w.Edit11}};
    QStringList shown;
    for (const auto& [label, edit] : dims) {
        QCOMPARE(edit->isHidden(), label->isHidden());
        if (!label->isHidden())
            shown << label->text();
    }
    QCOMPARE(shown, dimensionLabels);
    for (QLineEdit* edit : {w.Edit12, w.Edit13, w.Edit14})
        QCOMPARE(!edit->isHidden(), scaleShown);
    for (QWidget* pose : std::initializer_list<QWidget*>{
             w.Edit4, w.Edit5, w.Edit6, w.Edit7, w.Edit15, w.Edit16, w.CheckBox1, w.CheckBox3,
             w.CheckBox4, w.CheckBox5, w.CheckBox6, w.CheckBox7, w.RadioGroup2})
        QVERIFY2(!pose->isHidden() == poseShown, qPrintable(pose->objectName()));
    QCOMPARE(w.Label2->text(), xCaption);
    // Never touched by the panel.
    for (QWidget* always : std::initializer_list<QWidget*>{w.Edit1, w.Edit2, w.Edit3, w.CheckBox2,
                                                           w.CheckBox8, w.CheckBox9, w.CheckBox10,
                                                           w.Edit17, w.RadioGroup3, w.TrackBar1})
        QVERIFY2(!always->isHidden(), qPrintable(always->objectName()));
}

void TestEditorPanel::elementKind_planeThenSphereRestoresTheCommonLayout()
{
    EditorFixture f;
    TForm1& w = *f.form;
    f.type(w.Edit9, "7");
    w.RadioGroup1->setItemIndex(3);
    w.RadioGroup1->setItemIndex(0);
    QCOMPARE(w.Label2->text(), QString("X"));
    QCOMPARE(w.Label3->text(), QString("Y"));
    QVERIFY(!w.Edit4->isHidden() && !w.Edit15->isHidden() && !w.RadioGroup2->isHidden());
    QVERIFY(w.Edit9->isHidden() && w.Edit10->isHidden() && w.Edit11->isHidden());
    QCOMPARE(w.Edit9->text(), QString("7")); // switching kind keeps what was typed
}

// The shared example holds a sphere inserted with the defaults and a plane with an awkward name:
// building it through the window and saving must give the same bytes.
void TestEditorPanel::insert_buildsTheExampleSceneByteForByte()
{
    EditorFixture f;
    TForm1& w = *f.form;
    f.click(w.Button3);
    QCOMPARE(w.Edit1->text(), QString("Objeto2"));
    QCOMPARE(w.currentRecordNumber(), 1);
    QVERIFY(!w.RadioGroup3->isEnabled());

    w.RadioGroup1->setItemIndex(3);
    w.Edit1->setText(QString::fromUtf8("Plano & chão \"1\""));
    f.type(w.Edit2, "10");
    f.type(w.Edit3, f.local(7.25));
    const char* coefficients[] = {"0", "0", "1", "-2"};
    const QLineEdit* dims[] = {w.Edit8, w.Edit9, w.Edit10, w.Edit11};
    for (int i = 0; i < 4; ++i)
        const_cast<QLineEdit*>(dims[i])->setText(coefficients[i]);
    f.click(w.CheckBox2); // "Usa Cor" off: the colour is stored all the same
    w.Shape1->setBrushColor(QColor(0, 128, 255));
    w.TrackBar1->setValue(64);
    w.CheckBox3->setChecked(true); // hidden for a plane, and ignored
    f.click(w.Button3);
    QCOMPARE(f.dialogs.errors, QStringList());
    QCOMPARE(w.currentRecordNumber(), 2);

    f.dialogs.fileNames << f.path("Cenas/exemplo");
    f.click(w.Button1);
    QCOMPARE(fileBytes(f.path("Cenas/exemplo.xml")),
             fileBytes(TAVIREL_TEST_DATA "/packets/two-objects.xml"));
}

void TestEditorPanel::insert_capsuleAndCubeTakeTheirVisibleDimensions()
{
    EditorFixture f;
    TForm1& w = *f.form;
    w.Edit15->setText("3");
    w.Edit8->setText(f.local(0.5));
    w.Edit9->setText("2");
    w.Edit10->setText("9"); // hidden for a capsule: not stored
    w.RadioGroup1->setItemIndex(1);
    w.RadioGroup2->setItemIndex(2);
    w.RadioGroup3->setItemIndex(1);
    f.click(w.Button3);
    QCOMPARE(f.value(1, SceneField::ODETipo), FieldValue(qint32(1)));
    QCOMPARE(f.value(1, SceneField::Dim1), FieldValue(0.5));
    QCOMPARE(f.value(1, SceneField::Dim2), FieldValue(2.0));
    QVERIFY(isNull(f.value(1, SceneField::Dim3)));
    QCOMPARE(f.value(1, SceneField::Massa), FieldValue(3.0));
    QCOMPARE(f.value(1, SceneField::MostraRastroSolto), FieldValue(true));
    QCOMPARE(f.value(1, SceneField::MostraRastroSempre), FieldValue(false));
    QCOMPARE(f.value(1, SceneField::TipoDeColisao), FieldValue(qint32(1)));

    w.RadioGroup1->setItemIndex(2);
    w.RadioGroup3->setItemIndex(2); // disabled since the insertion, but still read
    f.click(w.Button3);
    QCOMPARE(f.value(2, SceneField::ID), FieldValue(qint32(1)));
    QCOMPARE(f.value(2, SceneField::Dim3), FieldValue(9.0));
    QCOMPARE(f.value(2, SceneField::TipoDeColisao), FieldValue(qint32(2)));
}

void TestEditorPanel::insert_modelCopiesModelAndLibraryWithoutOverwriting()
{
    EditorFixture f;
    TForm1& w = *f.form;
    writeFile(f.path("Objetos/carro.obj"), "v 0 0 0\n");
    writeFile(f.path("Objetos/carro.mtl"), "newmtl a\n");
    writeFile(f.path("Cenas/carro.mtl"), "already here\n");
    w.Timer1->start();
    bool timerRanDuringDialog = true;
    f.dialogs.duringFileDialog = [&] { timerRanDuringDialog = w.Timer1->isActive(); };
    f.dialogs.fileNames << f.path("Objetos/carro.obj");
    w.RadioGroup1->setItemIndex(4);
    w.Edit12->setText("2");
    f.click(w.Button3);

    QVERIFY(!timerRanDuringDialog);
    QVERIFY(w.Timer1->isActive());
    QCOMPARE(f.dialogs.fileDialogs.size(), 1);
    QCOMPARE(f.dialogs.fileDialogs[0].filter, QString("Objeto Wavefront (.obj)|*obj"));
    QCOMPARE(f.dialogs.fileDialogs[0].initialDir, f.path("Objetos"));
    QCOMPARE(f.value(1, SceneField::Arquivo), FieldValue(QString("carro.obj")));
    QCOMPARE(f.value(1, SceneField::SX), FieldValue(2.0));
    QCOMPARE(f.value(1, SceneField::SY), FieldValue(1.0));
    QVERIFY(isNull(f.value(1, SceneField::Dim1))); // no dimension edits for a model
    QCOMPARE(fileBytes(f.path("Cenas/carro.obj")), QByteArray("v 0 0 0\n"));
    QCOMPARE(fileBytes(f.path("Cenas/carro.mtl")), QByteArray("already here\n"));
}

void TestEditorPanel::insert_modelCancelledStillPostsWithoutFile()
{
    EditorFixture f;
    TForm1& w = *f.form;
    w.RadioGroup1->setItemIndex(4);
    f.dialogs.fileNames << QString();
    f.click(w.Button3);
    QCOMPARE(f.table().recordCount(), 1);
    QVERIFY(isNull(f.value(1, SceneField::Arquivo)));
    QCOMPARE(w.Edit1->text(), QString("Objeto2"));
}

void TestEditorPanel::insert_advancesTheName_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    QTest::newRow("default") << "Objeto1"
                             << "Objeto2";
    QTest::newRow("any case") << "oBJETO9"
                              << "Objeto10";
    QTest::newRow("three digits") << "Objeto999"
                                  << "Objeto1000";
    QTest::newRow("four digits read as three") << "Objeto1000"
                                               << "Objeto101";
    QTest::newRow("other name") << "Bola"
                                << "Bola";
    QTest::newRow("prefix elsewhere") << "MeuObjeto1"
                                      << "MeuObjeto1";
}

void TestEditorPanel::insert_advancesTheName()
{
    QFETCH(QString, before);
    QFETCH(QString, after);
    EditorFixture f;
    f.form->Edit1->setText(before);
    f.click(f.form->Button3);
    QCOMPARE(f.form->Edit1->text(), after);
    QCOMPARE(f.value(1, SceneField::Nome), FieldValue(before));
}

void TestEditorPanel::insert_withABadNumberPostsNothing_data()
{
    QTest::addColumn<QString>("edit");
    QTest::addColumn<QString>("text");
    QTest::newRow("position") << "Edit2"
                              << "abc";
    QTest::newRow("empty angle") << "Edit16"
                                 << "";
    QTest::newRow("friction, last of the body") << "Edit17"
                                                << "1e";
    QTest::newRow("mass, a shown dimension") << "Edit15"
                                             << "2..";
    QTest::newRow("group separator") << "Edit8"
                                     << "1" + QLocale().groupSeparator() + "000";
}

void TestEditorPanel::insert_withABadNumberPostsNothing()
{
    QFETCH(QString, edit);
    QFETCH(QString, text);
    EditorFixture f;
    TForm1& w = *f.form;
    w.findChild<QLineEdit*>(edit)->setText(text);
    f.click(w.Button3);
    QCOMPARE(f.dialogs.errors, QStringList{"'" + text + "' is not a valid floating point value"});
    QCOMPARE(f.table().recordCount(), 0);
    QCOMPARE(f.table().state(), RecordTable::State::Browse);
    QVERIFY(!f.table().modified());
    QCOMPARE(w.Edit1->text(), QString("Objeto1"));
    QVERIFY(w.RadioGroup3->isEnabled());
    QCOMPARE(w.currentRecordNumber(), 0);
}

void TestEditorPanel::insert_nameWithoutNumberIsNoError()
{
    EditorFixture f;
    TForm1& w = *f.form;
    for (const char* name : {"Objeto", "ObjetoA"}) {
        w.Edit1->setText(name);
        f.click(w.Button3);
        QCOMPARE(w.Edit1->text(), QString(name));
    }
    QCOMPARE(f.dialogs.errors, QStringList());
    QCOMPARE(f.table().recordCount(), 2);
    QVERIFY(!w.RadioGroup3->isEnabled());
}

TAVIREL_EDITOR_TEST_MAIN(TestEditorPanel)
#include "test_editor_panel.moc"
