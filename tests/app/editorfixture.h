#pragma once

// What the window tests share: dialogs answered from a script, a window in a folder of its own,
// and a main() that runs the tests under the locale CTest asks for.

#include "application.h"
#include "datasource.h"
#include "dialogs.h"
#include "recordtable.h"
#include "sceneschema.h"
#include "testfiles.h"
#include "tform1.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QQueue>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <functional>
#include <memory>

// Dialogs that answer from queues and remember what they were asked.
class ScriptedDialogs : public Dialogs
{
public:
    QQueue<QString> fileNames;             // answers of open and save dialogs; "" cancels
    QQueue<bool> confirmations;            // answers of OK/Cancel and Sim/Não questions
    QQueue<std::optional<QColor>> colours; // answers of the colour dialog
    QStringList questions, errors, messages;
    QList<FileDialogOptions> fileDialogs;
    std::function<void()> duringFileDialog; // runs while a file dialog is "open"

    void message(const QString& caption, const QString& text) override
    {
        messages << caption + ": " + text;
    }
    void error(const QString& text, const QString&) override { errors << text; }
    bool confirm(const QString& text) override
    {
        questions << text;
        return confirmations.isEmpty() ? false : confirmations.dequeue();
    }
    bool askYesNo(const QString& text) override { return confirm(text); }
    QString openFileName(const FileDialogOptions& options) override { return nextFile(options); }
    QString saveFileName(const FileDialogOptions& options) override { return nextFile(options); }
    std::optional<QColor> chooseColour(const QColor&) override
    {
        return colours.isEmpty() ? std::nullopt : colours.dequeue();
    }

private:
    QString nextFile(const FileDialogOptions& options)
    {
        fileDialogs << options;
        if (duringFileDialog)
            duringFileDialog();
        return fileNames.isEmpty() ? QString() : fileNames.dequeue();
    }
};

// A window whose executable folder is a fresh temporary folder, with scripted dialogs.
class EditorFixture
{
public:
    EditorFixture()
    {
        setDialogs(&dialogs);
        form = std::make_unique<TForm1>(dir.path());
        form->Timer1->stop(); // ticks are driven by the tests
    }
    ~EditorFixture()
    {
        form.reset();
        setDialogs(nullptr);
    }

    QString path(const QString& name) const { return dir.filePath(name); }
    RecordTable& table() const { return *form->ClientDataSet1; }
    // The value of `field` in the record at 1-based position `number`.
    const FieldValue& value(int number, int field) const
    {
        return table().valueAt(number - 1, field);
    }
    void click(QWidget* button) const { QTest::mouseClick(button, Qt::LeftButton); }
    void type(QLineEdit* edit, const QString& text) const
    {
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }
    // A number as the user's locale writes it: "0,5" or "0.5".
    static QString local(double value) { return QLocale().toString(value, 'g', 15); }

    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    std::unique_ptr<TForm1> form;
};

// Inserts a record of the panel's kind under `name`, through the button.
inline void insertNamed(EditorFixture& f, const QString& name)
{
    f.form->Edit1->setText(name);
    f.click(f.form->Button3);
}

// The names of the records, in table order.
inline QStringList names(const EditorFixture& f)
{
    QStringList list;
    for (int row = 1; row <= f.table().recordCount(); ++row)
        list << valueAsString(f.value(row, SceneField::Nome));
    return list;
}

inline void navigate(EditorFixture& f, DBNavigator::Button button)
{
    f.click(f.form->DBNavigator1->button(button));
}

// Inserts, through the panel, a sphere of Dim1 4 in `colour` at the origin: it fills the middle
// of the view.
inline void insertColouredSphere(EditorFixture& f, const QColor& colour)
{
    f.form->Edit8->setText("4");
    f.form->Shape1->setBrushColor(colour);
    f.click(f.form->Button3);
}

// Shows the window and waits until its view can draw.
inline void showWindow(EditorFixture& f)
{
    f.form->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.form.get()));
    QTRY_VERIFY(f.form->OGLPanel1->isActive());
}

// Runs a test object under the locale named by TAVIREL_TEST_LOCALE ("pt_BR", "C", ...).
#define TAVIREL_EDITOR_TEST_MAIN(TestClass)                                                        \
    int main(int argc, char* argv[])                                                               \
    {                                                                                              \
        Application application(argc, argv);                                                       \
        application.setApplicationName(QStringLiteral("Tavirel"));                                 \
        const QByteArray locale = qgetenv("TAVIREL_TEST_LOCALE");                                  \
        QLocale::setDefault(locale.isEmpty() ? QLocale::c()                                        \
                                             : QLocale(QString::fromLatin1(locale)));              \
        TestClass test;                                                                            \
        return QTest::qExec(&test, argc, argv);                                                    \
    }
