#include "tform1.h"

#include "datasource.h"
#include "error.h"
#include "exceptionhandler.h"
#include "localenumbers.h"
#include "modeldraw.h"
#include "modelerror.h"
#include "recordtable.h"
#include "scenecheck.h"
#include "scenerenderer.h"
#include "sceneschema.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QScreen>
#include <QTimer>
#include <algorithm>

TForm1::TForm1(const QString& exeDir, QWidget* parent)
    : TForm1(AppFolders::besideExecutable(exeDir), parent)
{}

TForm1::TForm1(const AppFolders& folders, QWidget* parent)
    : QWidget(parent), ClientDataSet1(new RecordTable(this)),
      DataSource1(new DataSource(ClientDataSet1, this)), Timer1(new QTimer(this)),
      m_folders(folders)
{
    QFont font(QStringLiteral("DejaVu Sans Condensed"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    setFont(font);
    setupUi(this);
    m_designedSize = size();
    m_designedGrid = DBGrid1->geometry();
    m_designedView = OGLPanel1->geometry();
    setMinimumSize(m_designedSize);

    OGLPanel1->pfdFlags.insert(TPFDFlag::DoubleBuffer); // every other setting is the default
    DBGrid1->setModel(DataSource1);
    DBNavigator1->setDataSource(DataSource1);
    SaveDialog1.filter = OpenDialog1.filter = QString::fromLatin1(sceneFileFilter);
    // Numbers in the panel follow the user's locale from the start, so the defaults convert.
    Edit17->setText(formatFloat(0.5));
    setLabelCaption(Label21, View.zoomText());
    setLabelCaption(Label20, View.lightText());
    for (QLabel* label : {Label14, Label22})
        label->adjustSize();
    connectHandlers();

    Timer1->setInterval(100);
    FormCreate();
    setUpHistory();
    setUpViewInput();
    setUpPreview();
    Timer1->start();
}

TForm1::~TForm1()
{
    if (OnDestroy)
        OnDestroy(this); // the GL panel lets go of its context first
    try {
        ClientDataSet1->close();
    } catch (const std::exception&) {
        // Reported when the window was closed; nothing more can be done at destruction.
    }
}

template <typename Sender, typename Signal>
void TForm1::bind(Sender* sender, Signal signal, void (TForm1::*handler)())
{
    connect(sender, signal, this, [this, handler] { runHandler([&] { (this->*handler)(); }); });
}

void TForm1::connectHandlers()
{
    bind(Button1, &QPushButton::clicked, &TForm1::Button1Click);
    bind(Button2, &QPushButton::clicked, &TForm1::Button2Click);
    bind(Button3, &QPushButton::clicked, &TForm1::Button3Click);
    bind(Button5, &QPushButton::clicked, &TForm1::Button5Click);
    connect(DBNavigator1, &DBNavigator::clicked, this,
            [this](DBNavigator::Button button) { runHandler([&] { DBNavigator1Click(button); }); });
    bind(RadioGroup1, &RadioGroup::clicked, &TForm1::RadioGroup1Click);
    bind(Shape1, &Shape::mouseUp, &TForm1::Shape1MouseUp);
    bind(Shape2, &Shape::mouseUp, &TForm1::Shape1MouseUp);
    bind(TrackBar1, &QSlider::valueChanged, &TForm1::TrackBar1Change);
    bind(SpinButton1, &SpinButton::upClick, &TForm1::SpinButton1UpClick);
    bind(SpinButton1, &SpinButton::downClick, &TForm1::SpinButton1DownClick);
    bind(SpinButton2, &SpinButton::upClick, &TForm1::SpinButton2UpClick);
    bind(SpinButton2, &SpinButton::downClick, &TForm1::SpinButton2DownClick);
    bind(SpinButton3, &SpinButton::upClick, &TForm1::SpinButton3UpClick);
    bind(SpinButton3, &SpinButton::downClick, &TForm1::SpinButton3DownClick);
    bind(SpinButton4, &SpinButton::upClick, &TForm1::SpinButton4UpClick);
    bind(SpinButton4, &SpinButton::downClick, &TForm1::SpinButton4DownClick);
    bind(SpinButton5, &SpinButton::upClick, &TForm1::SpinButton5UpClick);
    bind(SpinButton5, &SpinButton::downClick, &TForm1::SpinButton5DownClick);
    bind(Timer1, &QTimer::timeout, &TForm1::Timer1Timer);
}

// The scene table, then the view's OpenGL state: Qt makes the panel's context when the window is
// first shown, so the view is set up then, as soon as the panel has loaded.
void TForm1::FormCreate()
{
    createSceneTableIn(*ClientDataSet1, m_folders.scenes);
    m_renderer = std::make_unique<SceneRenderer>(*ClientDataSet1, View);
    setUpModels();
    OGLPanel1->AfterLoad = [this](QObject*) {
        m_models.setContext(OGLPanel1->context()); // a new context gets lists of its own
        m_renderer->setUpView();
    };
    OGLPanel1->OnOGLPaint = [this] { m_renderer->drawFrame(); };
    // While the table is closed the view goes on showing the last picture it drew; an open
    // table's every change is drawn at once (a save too, which changes nothing drawn but is rare).
    connect(ClientDataSet1, &RecordTable::changed, this, [this] {
        if (!ClientDataSet1->isActive())
            OGLPanel1->runWithContext([this] { m_renderer->keepPicture(); });
        else
            OGLPanel1->requestPaint();
    });
}

// The reader's own message first, as it is; then which file it was about.
static Error modelError(const std::string& path, const std::exception& error)
{
    const bool conversion = dynamic_cast<const ModelConversionError*>(&error) != nullptr;
    return Error(QString::fromUtf8(error.what()) + QStringLiteral("\n\nArquivo: ") +
                     QString::fromStdString(path),
                 conversion ? "ConversionError" : "ModelError");
}

void TForm1::setUpModels()
{
    setUpModelFolders(m_models, m_folders);
    // Messages and errors wait for the frame to end: no modal loop runs inside a paint.
    m_models.setNotifier([](const std::string& caption, const std::string& text) {
        const QString title = QString::fromStdString(caption),
                      message = QString::fromStdString(text);
        QTimer::singleShot(0, [title, message] { dialogs().message(title, message); });
    });
    m_models.setErrorHandler([](const std::string& path, const std::exception& error) {
        postApplicationException(modelError(path, error));
    });
    m_renderer->modelDrawer = [this](const PlacedModel& model) { drawModel(model); };
    m_renderer->modelLookup = [this](const std::string& name) { return m_models.model(name); };
    sceneFileChanged();
}

void TForm1::drawModel(const PlacedModel& model)
{
    DrawModelRecord(m_models, model);
}

// Bare model names are looked up beside the scene's file, and a scene opened again has its
// models read and their problems told afresh.
void TForm1::sceneFileChanged()
{
    m_models.setSceneDir(QFileInfo(ClientDataSet1->fileName()).absolutePath().toStdString());
    m_models.clear();
}

void TForm1::setCurrentRecordNumber(int number)
{
    m_currentRecord = number;
    DataSource1->setCurrentRecord(number);
    if (m_selectionShown) {
        m_renderer->setHighlightedRow(number - 1);
        viewStateChanged();
    }
    followSelectionInGrid();
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

// The window can grow but not shrink: the view takes the extra width and height, the grid above
// it the extra width, and every other control keeps its place.
void TForm1::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    const int extraWidth = std::max(0, width() - m_designedSize.width());
    const int extraHeight = std::max(0, height() - m_designedSize.height());
    DBGrid1->setGeometry(m_designedGrid.adjusted(0, 0, extraWidth, 0));
    OGLPanel1->setGeometry(m_designedView.adjusted(0, 0, extraWidth, extraHeight));
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
