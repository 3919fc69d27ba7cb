#pragma once

#include "appfolders.h"
#include "dbnavigator.h"
#include "dialogs.h"
#include "exceptionhandler.h"
#include "modellibrary.h"
#include "oglpanel.h"
#include "simworld.h"
#include "ui_tform1.h"
#include "viewstate.h"

#include <QElapsedTimer>
#include <QKeySequence>
#include <QWidget>
#include <functional>
#include <memory>

class DataSource;
class QAction;
class QLineEdit;
class QPushButton;
class QTimer;
class RecordTable;
class RecoveryKeeper;
class SceneHistory;
class SceneRenderer;
struct HistoryStep;
struct ViewCamera;

// The editor window: the object panel, the scene table's grid and navigator, the view and its
// controls. Its controls carry the names of the window description (Edit1, CheckBox2, ...); its
// handlers are named after their control and event (Button3Click, Timer1Timer, ...).
class TForm1 : public QWidget, public TOwnerForm, public Ui::TForm1
{
    Q_OBJECT

public:
    // `folders` says where scenes are kept and models offered (see chooseAppFolders).
    explicit TForm1(const AppFolders& folders, QWidget* parent = nullptr);
    // With "Cenas" and "Objetos" in `exeDir`: the executable's folder, or a test's.
    explicit TForm1(const QString& exeDir, QWidget* parent = nullptr);
    ~TForm1() override;

    // The components without a place on the screen.
    RecordTable* ClientDataSet1;
    DataSource* DataSource1;
    FileDialogOptions SaveDialog1;
    FileDialogOptions OpenDialog1;
    QTimer* Timer1;
    ViewState View;

    // The 1-based position of the record the editor treats as current; 0 at start.
    int currentRecordNumber() const { return m_currentRecord; }
    // The models the view has read, kept until their files change or a scene is opened.
    ModelLibrary& models() { return m_models; }
    // Every change to the scene, to undo and redo.
    SceneHistory& history() { return *m_history; }
    // "Desfazer" and "Refazer": the standard keys anywhere in the window but inside a text field,
    // and the grid's context menu.
    QAction* undoAction() const { return m_undoAction; }
    QAction* redoAction() const { return m_redoAction; }

    // Keeps a recovery copy of the unsaved scene in `folder` from now on (the program does; the
    // window alone does not, so that it can be used without touching a user's folders).
    void keepRecoveryCopies(const QString& folder);
    RecoveryKeeper* recoveryKeeper() const { return m_keeper; }
    // Offers the unsaved scene of an editor that ended without closing (a crash, a kill, a power
    // cut), from the recovery folder: "Sim" loads it, bound to its file and still unsaved; "Não"
    // deletes the copy. A damaged copy is reported and set aside. Runs once, after start-up.
    void offerRecovery();
    // Opens the scene file `name` in place of the open one, as "Abrir Arquivo" does once its
    // dialog is answered. A file that cannot be read throws and leaves the open scene as it was.
    void openScene(const QString& name);

    // The physics preview: "Simular" starts, pauses and resumes it, "Parar" ends it and the scene
    // shows as its records put it again. The table is only read. Any change to the table ends it.
    QPushButton* SimularButton = nullptr;
    QPushButton* PararButton = nullptr;
    QLabel* TempoLabel = nullptr; // "t = 1,25 s"
    const SimWorld* preview() const { return m_preview.get(); }
    bool previewRunning() const { return m_previewRunning; }
    void SimularClick();
    void PararClick();
    // One frame of the running preview: steps the real time since the last frame (at most a
    // quarter of a second, so a stalled window does not jump ahead) and asks for the picture.
    void previewTick();

public slots:
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button5Click();
    void DBNavigator1Click(DBNavigator::Button button);
    void RadioGroup1Click();
    void Shape1MouseUp();
    void TrackBar1Change();
    void SpinButton1UpClick();
    void SpinButton1DownClick();
    void SpinButton2UpClick();
    void SpinButton2DownClick();
    void SpinButton3UpClick();
    void SpinButton3DownClick();
    void SpinButton4UpClick();
    void SpinButton4DownClick();
    void SpinButton5UpClick();
    void SpinButton5DownClick();
    void Timer1Timer();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void FormCreate();
    void setUpModels();
    void setUpHistory();
    QAction* historyAction(const QString& text, QKeySequence::StandardKey keys,
                           const std::function<void()>& step);
    void followHistory(const HistoryStep& step);
    void drawModel(const struct PlacedModel& model);
    void sceneFileChanged();
    void connectHandlers();
    template <typename Sender, typename Signal>
    void bind(Sender* sender, Signal signal, void (TForm1::*handler)());
    void setCurrentRecordNumber(int number);
    void setLabelCaption(QLabel* label, const QString& text);

    // Inserting and editing.
    void postOrCancel(const std::function<void()>& fill);
    void writePanelFields(bool inserting);
    void writePlaneStep();
    void writeBodyStep();
    void writeColour(bool alwaysRgb);
    void writeVisibleOnlyFields();
    void writeModelScale();
    QString chooseModelFile();
    void copyModelBesideScene(const QString& modelPath);
    bool advanceName();
    bool nameInUse(const QString& name) const;
    bool isModelKind() const;

    // Recovery.
    bool offerRecoveryCopy(const QString& path);

    // Navigation.
    void showRecord(int number);
    void loadRecord();

    // The view's mouse and keys.
    struct ViewGesture
    {
        enum Kind { None, Pressed, Turning, Panning, MovingLevel, MovingHeight, Holding };
        Kind kind = None;
        QPoint press, last;
        int row = -1;                              // the record being moved
        double startX = 0, startY = 0, startZ = 0; // its "X", "Y", "Z" when the drag began
        double grabX = 0, grabY = 0; // from the point grabbed to where the record is drawn
        double scaleX = 1, scaleY = 1, scaleZ = 1; // drawn position = scale * field
    };
    void setUpViewInput();
    void OGLPanel1MouseDown(TOGLPanel* sender, QMouseEvent* event);
    void OGLPanel1MouseMove(TOGLPanel* sender, QMouseEvent* event);
    void OGLPanel1MouseUp(TOGLPanel* sender, QMouseEvent* event);
    void OGLPanel1MouseWheel(TOGLPanel* sender, QWheelEvent* event);
    void OGLPanel1KeyDown(TOGLPanel* sender, QKeyEvent* event);
    void viewStateChanged();
    void restoreView();
    int pickRowAt(QPoint pixel);
    int drawnRowAt(QPoint pixel);
    void selectRecord(int number);
    void followSelectionInGrid();
    void gridRowChosen(int row);
    void duplicateSelected();
    bool beginMove(QPoint pixel, bool vertical);
    void moveTo(QPoint pixel);
    void endMove(bool keep);
    ViewCamera currentCamera() const;

    // The preview.
    void setUpPreview();
    void showPreviewTime();
    int bodyUnder(QPoint pixel) const;
    int rowInPreview(QPoint pixel);
    bool holdInPreview(QPoint pixel);
    void dragInPreview(QPoint pixel);
    bool pointOnHoldPlane(QPoint pixel, SimVector& point) const;

    AppFolders m_folders;
    QSize m_designedSize;                 // the window as its form lays it out, also its least size
    QRect m_designedGrid, m_designedView; // where the form puts DBGrid1 and OGLPanel1
    std::unique_ptr<SceneRenderer> m_renderer;
    SceneHistory* m_history = nullptr;
    QAction* m_undoAction = nullptr;
    QAction* m_redoAction = nullptr;
    RecoveryKeeper* m_keeper = nullptr;
    ModelLibrary m_models;
    int m_currentRecord = 0;
    bool m_centred = false;
    ViewGesture m_gesture;
    int m_wheelDelta = 0;          // of a notch not yet complete
    bool m_selectionShown = false; // the view marks the current record once one was selected
    bool m_followingGrid = false;  // the grid's current row is being set to the current record
    std::unique_ptr<SimWorld> m_preview;
    bool m_previewRunning = false;
    QTimer* m_previewTimer = nullptr;
    QElapsedTimer m_previewClock;
    // A body held with the mouse follows the cursor on a plane through its centre.
    SimVector m_holdPlanePoint{}, m_holdPlaneNormal{}, m_holdOffset{};
};

// The filter of the dialogs that save and open scenes: one entry, whose pattern has no dot.
inline constexpr char sceneFileFilter[] = "Arquivo de cena (.xml)|*xml";

// Runs a handler. What it raises is reported right here: letting it unwind through Qt's own
// frames, which are built without exception support, would leave the widget that sent the
// signal half way through its event.
template <typename Handler>
void runHandler(Handler&& handler)
{
    try {
        handler();
    } catch (const std::exception& error) {
        handleApplicationException(error);
    }
}

// The number typed in an edit, in the user's locale; throws ConversionError otherwise.
double floatOf(const QLineEdit* edit);
