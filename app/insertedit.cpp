// Inserting and editing scene records from the object panel.
#include "tform1.h"

#include "error.h"
#include "localenumbers.h"
#include "recordtable.h"
#include "sceneschema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

namespace {

const char modelFilter[] = "Objeto Wavefront (.obj)|*obj";

// Stops the periodic redraw while a dialog is open: a frame moves the table's cursor, which
// would post or drop the record being filled. The redraw starts again however the dialog ends.
class RedrawPause
{
public:
    explicit RedrawPause(QTimer* timer) : m_timer(timer) { m_timer->stop(); }
    ~RedrawPause() { m_timer->start(); }

private:
    QTimer* m_timer;
};

} // namespace

bool TForm1::isModelKind() const
{
    return RadioGroup1->itemIndex() == RadioGroup1->items().size() - 1;
}

void TForm1::Button3Click()
{
    RecordTable& table = *ClientDataSet1;
    table.insert();
    postOrCancel([&] {
        table.field(SceneField::Nome).setAsString(Edit1->text());
        table.field(SceneField::ID).setAsInteger(table.recordCount());
        writePanelFields(true);
        if (isModelKind()) {
            const QString model = chooseModelFile();
            if (!model.isEmpty()) {
                table.field(SceneField::Arquivo).setAsString(QFileInfo(model).fileName());
                copyModelBesideScene(model);
            }
        }
    });
    setCurrentRecordNumber(table.recordCount());
    advanceName();
    RadioGroup3->setEnabled(false);
}

void TForm1::Button5Click()
{
    RecordTable& table = *ClientDataSet1;
    table.edit(m_currentRecord);
    postOrCancel([&] {
        table.field(SceneField::Nome).setAsString(Edit1->text());
        writePanelFields(false);
        if (isModelKind()) {
            const QString model = chooseModelFile();
            if (!model.isEmpty())
                table.field(SceneField::Arquivo).setAsString(model);
        }
    });
}

// Fills the pending record and posts it. Whatever stops the filling drops the record: nothing
// half-filled is ever posted, and an edited record keeps every previous value.
void TForm1::postOrCancel(const std::function<void()>& fill)
{
    try {
        fill();
        ClientDataSet1->post();
    } catch (...) {
        ClientDataSet1->cancel();
        throw;
    }
}

// What insertion and editing both take from the panel after the name. A plane is written the
// same way by both, so that loading and editing it keep its size; insertion always stores the
// swatch, editing only for a record that uses its own colour.
void TForm1::writePanelFields(bool inserting)
{
    if (RadioGroup1->itemIndex() == ElementKind::Plano)
        writePlaneStep();
    else
        writeBodyStep();
    ClientDataSet1->field(SceneField::ODETipo).setAsInteger(RadioGroup1->itemIndex());
    writeColour(inserting);
    writeVisibleOnlyFields();
    if (isModelKind())
        writeModelScale();
}

// A plane keeps its size in "SX"/"SY" and has no pose or simulation settings.
void TForm1::writePlaneStep()
{
    RecordTable& table = *ClientDataSet1;
    table.field(SceneField::SX).setAsFloat(floatOf(Edit2));
    table.field(SceneField::SY).setAsFloat(floatOf(Edit3));
    for (int f : {SceneField::X, SceneField::Y, SceneField::Z, SceneField::Ang, SceneField::EixoX,
                  SceneField::EixoY, SceneField::EixoZ, SceneField::Atrito})
        table.field(f).setAsFloat(0.0);
    for (int f : {SceneField::ODEMove, SceneField::UserMove, SceneField::TemGravidade,
                  SceneField::MostraVecV, SceneField::MostraVecA, SceneField::MostraEixoRot,
                  SceneField::MostraRastroSempre, SceneField::MostraRastroSolto})
        table.field(f).setAsBoolean(false);
    table.field(SceneField::TipoDeColisao).setAsInteger(0);
}

void TForm1::writeBodyStep()
{
    RecordTable& table = *ClientDataSet1;
    table.field(SceneField::X).setAsFloat(floatOf(Edit2));
    table.field(SceneField::Y).setAsFloat(floatOf(Edit3));
    table.field(SceneField::Z).setAsFloat(floatOf(Edit4));
    for (int f : {SceneField::SX, SceneField::SY, SceneField::SZ})
        table.field(f).setAsFloat(1.0);
    table.field(SceneField::Ang).setAsFloat(floatOf(Edit16));
    table.field(SceneField::EixoX).setAsFloat(floatOf(Edit5));
    table.field(SceneField::EixoY).setAsFloat(floatOf(Edit6));
    table.field(SceneField::EixoZ).setAsFloat(floatOf(Edit7));
    // Check boxes are read whether or not they are shown.
    table.field(SceneField::UserMove).setAsBoolean(CheckBox6->isChecked());
    table.field(SceneField::MoveX).setAsBoolean(CheckBox8->isChecked());
    table.field(SceneField::MoveY).setAsBoolean(CheckBox9->isChecked());
    table.field(SceneField::MoveZ).setAsBoolean(CheckBox10->isChecked());
    table.field(SceneField::ODEMove).setAsBoolean(CheckBox1->isChecked());
    table.field(SceneField::MostraVecV).setAsBoolean(CheckBox3->isChecked());
    table.field(SceneField::MostraVecA).setAsBoolean(CheckBox4->isChecked());
    table.field(SceneField::MostraEixoRot).setAsBoolean(CheckBox5->isChecked());
    table.field(SceneField::TipoDeColisao).setAsInteger(RadioGroup3->itemIndex());
    table.field(SceneField::Atrito).setAsFloat(floatOf(Edit17));
    table.field(SceneField::MostraRastroSempre).setAsBoolean(RadioGroup2->itemIndex() == 1);
    table.field(SceneField::MostraRastroSolto).setAsBoolean(RadioGroup2->itemIndex() == 2);
    table.field(SceneField::TemGravidade).setAsBoolean(CheckBox7->isChecked());
}

void TForm1::writeColour(bool alwaysRgb)
{
    RecordTable& table = *ClientDataSet1;
    table.field(SceneField::UsaCor).setAsBoolean(CheckBox2->isChecked());
    if (alwaysRgb || table.field(SceneField::UsaCor).asBoolean()) {
        const QColor swatch = Shape1->brushColor();
        table.field(SceneField::R).setAsFloat(swatch.red());
        table.field(SceneField::G).setAsFloat(swatch.green());
        table.field(SceneField::B).setAsFloat(swatch.blue());
    }
    table.field(SceneField::A).setAsFloat(TrackBar1->value());
}

// The element kind panel decides which of these a record receives: only shown edits count.
void TForm1::writeVisibleOnlyFields()
{
    const std::pair<int, QLineEdit*> fields[] = {{SceneField::Massa, Edit15},
                                                 {SceneField::Dim1, Edit8},
                                                 {SceneField::Dim2, Edit9},
                                                 {SceneField::Dim3, Edit10},
                                                 {SceneField::Dim4, Edit11}};
    for (const auto& [field, edit] : fields)
        if (!edit->isHidden())
            ClientDataSet1->field(field).setAsFloat(floatOf(edit));
}

void TForm1::writeModelScale()
{
    ClientDataSet1->field(SceneField::SX).setAsFloat(floatOf(Edit12));
    ClientDataSet1->field(SceneField::SY).setAsFloat(floatOf(Edit13));
    ClientDataSet1->field(SceneField::SZ).setAsFloat(floatOf(Edit14));
}

QString TForm1::chooseModelFile()
{
    OpenDialog1.filter = QString::fromLatin1(modelFilter);
    OpenDialog1.initialDir = m_folders.models;
    OpenDialog1.fileName.clear();
    RedrawPause pause(Timer1);
    return dialogs().openFileName(OpenDialog1);
}

// The model and its material library go beside the scene's file; existing copies are kept.
void TForm1::copyModelBesideScene(const QString& modelPath)
{
    const QString sceneFolder = QFileInfo(ClientDataSet1->fileName()).absolutePath();
    const QString destination = QDir(sceneFolder).filePath(QFileInfo(modelPath).fileName());
    QFile::copy(modelPath, destination); // refuses to replace an existing file
    // The library is named after the model file: "carrinho.obj" goes with "carrinho.mtl".
    QFile::copy(modelPath.chopped(3) + QStringLiteral("mtl"),
                destination.chopped(3) + QStringLiteral("mtl"));
}

// "Objeto7" becomes "Objeto8": the three characters after the prefix are read as a number. False
// when the name stays as it is.
bool TForm1::advanceName()
{
    const QString name = Edit1->text();
    if (name.left(6).toUpper() != QLatin1String("OBJETO"))
        return false;
    bool ok = false;
    const int number = name.mid(6, 3).trimmed().toInt(&ok);
    if (ok) // otherwise the object was still inserted; the name simply stays
        Edit1->setText(QStringLiteral("Objeto") + QString::number(number + 1));
    return ok;
}
