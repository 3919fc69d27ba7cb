#include "tform1.h"

#include "datasource.h"
#include "error.h"
#include "localenumbers.h"
#include "recordtable.h"
#include "sceneschema.h"

#include <QCloseEvent>
#include <QScreen>
#include <QTimer>

namespace {

const char sceneFilter[] = "Arquivo de cena (.xml)|*xml";

} // namespace

TForm1::TForm1(const QString& exeDir, QWidget* parent)
    : QWidget(parent), ClientDataSet1(new RecordTable(this)),
      DataSource1(new DataSource(ClientDataSet1, this)), Timer1(new QTimer(this)), m_exeDir(exeDir)
{
    QFont font(QStringLiteral("DejaVu Sans Condensed"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    setFont(font);
    setupUi(this);
    setMinimumSize(size());

    DBGrid1->setModel(DataSource1);
    DBNavigator1->setTable(ClientDataSet1);
    SaveDialog1.filter = OpenDialog1.filter = QString::fromLatin1(sceneFilter);
    // Numbers in the panel follow the user's locale from the start, so the defaults convert.
    Edit17->setText(formatFloat(0.5));
    setLabelCaption(Label21, View.zoomText());
    setLabelCaption(Label20, View.lightText());
    for (QLabel* label : {Label14, Label22})
        label->adjustSize();
    TrackBar1Change();
    connectHandlers();

    Timer1->setInterval(100);
    FormCreate();
    Timer1->start();
}

TForm1::~TForm1()
{
    try {
        ClientDataSet1->close();
    } catch (const std::exception&) {
        // Reported when the window was closed; nothing more can be done at destruction.
    }
}

void TForm1::connectHandlers()
{
    connect(Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm1::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TForm1::Button3Click);
    connect(Button5, &QPushButton::clicked, this, &TForm1::Button5Click);
    connect(DBNavigator1, &DBNavigator::clicked, this, &TForm1::DBNavigator1Click);
    connect(RadioGroup1, &RadioGroup::clicked, this, &TForm1::RadioGroup1Click);
    connect(Shape1, &Shape::mouseUp, this, &TForm1::Shape1MouseUp);
    connect(Shape2, &Shape::mouseUp, this, &TForm1::Shape1MouseUp);
    connect(TrackBar1, &QSlider::valueChanged, this, &TForm1::TrackBar1Change);
    connect(SpinButton1, &SpinButton::upClick, this, &TForm1::SpinButton1UpClick);
    connect(SpinButton1, &SpinButton::downClick, this, &TForm1::SpinButton1DownClick);
    connect(SpinButton2, &SpinButton::upClick, this, &TForm1::SpinButton2UpClick);
    connect(SpinButton2, &SpinButton::downClick, this, &TForm1::SpinButton2DownClick);
    connect(SpinButton3, &SpinButton::upClick, this, &TForm1::SpinButton3UpClick);
    connect(SpinButton3, &SpinButton::downClick, this, &TForm1::SpinButton3DownClick);
    connect(SpinButton4, &SpinButton::upClick, this, &TForm1::SpinButton4UpClick);
    connect(SpinButton4, &SpinButton::downClick, this, &TForm1::SpinButton4DownClick);
    connect(SpinButton5, &SpinButton::upClick, this, &TForm1::SpinButton5UpClick);
    connect(SpinButton5, &SpinButton::downClick, this, &TForm1::SpinButton5DownClick);
    connect(Timer1, &QTimer::timeout, this, &TForm1::Timer1Timer);
}

void TForm1::FormCreate()
{
    createSceneTable(*ClientDataSet1, m_exeDir);
}

void TForm1::setCurrentRecordNumber(int number)
{
    m_currentRecord = number;
    DataSource1->setCurrentRecord(number);
}

// Labels without a fixed size grow and shrink with their text.
void TForm1::setLabelCaption(QLabel* label, const QString& text)
{
    label->setText(text);
    label->adjustSize();
}

void TForm1::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_centred || !screen())
        return;
    m_centred = true;
    QRect frame = frameGeometry();
    frame.moveCenter(screen()->availableGeometry().center());
    move(frame.topLeft());
}

void TForm1::closeEvent(QCloseEvent* event)
{
    // Closing writes the scene to its file when it changed. If that fails the user decides
    // whether to stay (and save elsewhere) or leave without the changes.
    try {
        ClientDataSet1->close();
        event->accept();
    } catch (const Error& error) {
        const bool leave = dialogs().confirm(
            error.message() +
            QStringLiteral("\n\nFechar mesmo assim? As alterações não gravadas serão perdidas."));
        if (leave) {
            ClientDataSet1->cancel();
            ClientDataSet1->setFileName(QString()); // nothing more to write at destruction
            event->accept();
        } else {
            event->ignore();
        }
    }
}

double floatOf(const QLineEdit* edit)
{
    return parseFloat(edit->text());
}
