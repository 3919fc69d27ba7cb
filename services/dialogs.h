#pragma once

#include <QColor>
#include <QString>
#include <optional>

// A file dialog's settings. filter is written as the window description writes it,
// "Arquivo de cena (.xml)|*xml": pairs of a description and a pattern, separated by "|".
struct FileDialogOptions
{
    QString filter;
    QString initialDir;
    QString fileName; // proposed name; empty for none
};

// Every dialog and message box of the program goes through this interface, so that tests can
// answer them without a modal loop (see setDialogs()).
class Dialogs
{
public:
    virtual ~Dialogs() = default;

    // A plain message box with one OK button.
    virtual void message(const QString& caption, const QString& text) = 0;
    // The report of an error that stopped a handler: its text, and the kind of error.
    virtual void error(const QString& text, const QString& kind) = 0;
    // A question with OK and Cancel; true for OK.
    virtual bool confirm(const QString& text) = 0;
    // A question with "Sim" and "Não"; true for "Sim".
    virtual bool askYesNo(const QString& text) = 0;
    // The chosen file's full path, or an empty string when the user cancels.
    virtual QString openFileName(const FileDialogOptions& options) = 0;
    virtual QString saveFileName(const FileDialogOptions& options) = 0;
    // The chosen colour, or nothing when the user cancels.
    virtual std::optional<QColor> chooseColour(const QColor& initial) = 0;
};

// The dialogs in use: Qt's own unless a test installed others.
Dialogs& dialogs();
// Installs `replacement` (not owned); nullptr goes back to Qt's dialogs.
void setDialogs(Dialogs* replacement);

// "Arquivo de cena (.xml)|*xml" -> "Arquivo de cena (.xml) (*xml)", as Qt's dialogs take it.
QString qtFileFilter(const QString& filter);
