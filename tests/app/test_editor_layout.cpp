// The window's layout: every caption fits its control for every element kind, and the window
// grows (never shrinks) with the view and grid taking the room and the picture unstretched.
#include "editorfixture.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>

namespace {

// Room after a caption beside an indicator: letters that touch the edge look cut.
const int spaceAfterCaption = 3;

int textWidth(const QWidget* widget, const QString& text)
{
    return widget->fontMetrics().boundingRect(QRect(), Qt::TextShowMnemonic, text).width();
}

// The width the caption has, where the style draws it, less the width it needs; negative when
// it is cut.
int spareWidth(const QWidget* widget)
{
    QStyle* style = widget->style();
    if (auto* button = qobject_cast<const QAbstractButton*>(widget)) {
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        const bool radio = qobject_cast<const QRadioButton*>(button);
        const bool check = qobject_cast<const QCheckBox*>(button);
        QRect text = style->subElementRect(radio   ? QStyle::SE_RadioButtonContents
                                           : check ? QStyle::SE_CheckBoxContents
                                                   : QStyle::SE_PushButtonContents,
                                           &option, button);
        // A radio group places its buttons; what lies past the group's edge is not seen.
        text.setRight(std::min(text.right(), button->parentWidget()->width() - button->x() - 1));
        return text.width() - textWidth(button, button->text()) -
               (radio || check ? spaceAfterCaption : 0);
    }
    if (auto* group = qobject_cast<const QGroupBox*>(widget)) {
        QStyleOptionGroupBox option;
        option.initFrom(group);
        option.text = group->title();
        option.subControls = QStyle::SC_GroupBoxLabel;
        const QRect label =
            style->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, group);
        return group->width() - label.left() - textWidth(group, group->title());
    }
    auto* label = qobject_cast<const QLabel*>(widget);
    return label->contentsRect().width() - textWidth(label, label->text());
}

QString captionOf(const QWidget* widget)
{
    if (auto* button = qobject_cast<const QAbstractButton*>(widget))
        return button->text();
    if (auto* group = qobject_cast<const QGroupBox*>(widget))
        return group->title();
    if (auto* label = qobject_cast<const QLabel*>(widget))
        return label->text();
    return {};
}

// A radio group's buttons are known by the group's name.
QString nameOf(const QWidget* widget)
{
    return widget->objectName().isEmpty() ? widget->parentWidget()->objectName()
                                          : widget->objectName();
}

// Every caption shown in the window that does not fit, as "Name 'caption' (spare)".
QStringList cutCaptions(const TForm1& window)
{
    QStringList cut;
    for (const QWidget* widget : window.findChildren<QWidget*>()) {
        const QString caption = captionOf(widget);
        if (caption.isEmpty() || !widget->isVisibleTo(&window))
            continue;
        if (const int spare = spareWidth(widget); spare < 0)
            cut << QStringLiteral("%1 '%2' (%3)").arg(nameOf(widget), caption).arg(spare);
    }
    return cut;
}

// How far the grey of the sphere in the middle of the picture reaches left, right, up and down
// from the middle; the coloured axes and the black background end it.
QList<int> sphereReach(const QImage& picture)
{
    auto grey = [&](QPoint p) {
        const QColor c = picture.pixelColor(p);
        return picture.rect().contains(p) && c.value() > 20 && qAbs(c.red() - c.green()) < 30 &&
               qAbs(c.green() - c.blue()) < 30;
    };
    const QPoint middle(picture.width() / 2, picture.height() / 2);
    QList<int> reach;
    for (const QPoint step : {QPoint(-1, 0), QPoint(1, 0), QPoint(0, -1), QPoint(0, 1)}) {
        int n = 0;
        while (grey(middle + step * (n + 1)))
            ++n;
        reach << n;
    }
    return reach;
}

QImage framebuffer(EditorFixture& f)
{
    QCoreApplication::processEvents();
    return f.form->OGLPanel1->grabFramebuffer();
}

} // namespace

class TestEditorLayout : public QObject
{
    Q_OBJECT

private slots:
    void everyCaption_fitsItsControl_forEveryElementKind();
    void window_growsButNeverShrinks_viewAndGridTakeTheRoom();
    void grownView_keepsThePictureUnstretched_andTheDesignedSizeItsPicture();
};

void TestEditorLayout::everyCaption_fitsItsControl_forEveryElementKind()
{
    EditorFixture f;
    showWindow(f);
    TForm1& w = *f.form;
    // The colour's caption at its widest.
    w.Shape1->setBrushColor(QColor(255, 255, 255));
    w.TrackBar1->setValue(w.TrackBar1->maximum());
    w.TrackBar1Change();
    QCOMPARE(w.Label9->text(),
             QString("R: 255  G: 255  B: 255  a: %1").arg(w.TrackBar1->maximum()));
    for (int kind = 0; kind < w.RadioGroup1->items().size(); ++kind) {
        w.RadioGroup1->setItemIndex(kind);
        const QStringList cut = cutCaptions(w);
        QVERIFY2(cut.isEmpty(), qPrintable(QString::number(kind) + ": " + cut.join(", ")));
    }
}

void TestEditorLayout::window_growsButNeverShrinks_viewAndGridTakeTheRoom()
{
    EditorFixture f;
    showWindow(f);
    TForm1& w = *f.form;
    const QSize designed = w.size();
    const QRect view = w.OGLPanel1->geometry(), grid = w.DBGrid1->geometry(),
                arrows = w.SpinButton1->geometry();
    QCOMPARE(designed, QSize(1058, 654));
    QCOMPARE(view, QRect(616, 216, 425, 425));
    QCOMPARE(w.minimumSize(), designed);

    w.resize(designed + QSize(300, 200));
    QTRY_COMPARE(w.OGLPanel1->geometry(), view.adjusted(0, 0, 300, 200));
    QCOMPARE(w.DBGrid1->geometry(), grid.adjusted(0, 0, 300, 0));
    QCOMPARE(w.SpinButton1->geometry(), arrows);

    w.resize(designed - QSize(100, 100)); // refused: back to the designed layout
    QTRY_COMPARE(w.size(), designed);
    QTRY_COMPARE(w.OGLPanel1->geometry(), view);
    QCOMPARE(w.DBGrid1->geometry(), grid);
}

void TestEditorLayout::grownView_keepsThePictureUnstretched_andTheDesignedSizeItsPicture()
{
    EditorFixture f;
    showWindow(f);
    TForm1& w = *f.form;
    insertColouredSphere(f, QColor(255, 255, 255));
    w.SpinButton2UpClick(); // brighter, so the sphere's rim is found
    const QImage designed = framebuffer(f);
    const QList<int> reach = sphereReach(designed);
    QVERIFY(reach[0] > 50);

    for (const QSize extra : {QSize(400, 0), QSize(0, 300), QSize(500, 200)}) {
        w.resize(QSize(1058, 654) + extra);
        QTRY_COMPARE(framebuffer(f).size(), QSize(425, 425) + extra);
        // The sphere at the origin keeps its round shape, and its size follows the view's
        // shorter side.
        const QImage grown = framebuffer(f);
        const double scale = std::min(grown.width(), grown.height()) / 425.0;
        const QList<int> grownReach = sphereReach(grown);
        for (int i = 0; i < 4; ++i)
            QVERIFY2(qAbs(grownReach[i] - reach[i] * scale) <= 2,
                     qPrintable(QStringLiteral("%1 against %2 x %3")
                                    .arg(grownReach[i])
                                    .arg(reach[i])
                                    .arg(scale)));
    }
    w.resize(QSize(1058, 654));
    QTRY_COMPARE(framebuffer(f).size(), QSize(425, 425));
    QCOMPARE(framebuffer(f), designed);
}

TAVIREL_EDITOR_TEST_MAIN(TestEditorLayout)
#include "test_editor_layout.moc"
