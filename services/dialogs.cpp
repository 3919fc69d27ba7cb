#include "dialogs.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>

namespace {

QWidget* activeWindow()
{
    return QApplication::activeWindow();
}

class QtDialogs : public Dialogs
{
public:
    void message(const QString& caption, const QString& text) override
    {
        QMessageBox::information(nullptr, caption, text);
    }

    void error(const QString& text, const QString& kind) override
    {
        QMessageBox box(QMessageBox::Critical, QApplication::applicationDisplayName(), text,
                        QMessageBox::Ok, activeWindow());
        box.setDetailedText(kind);
        box.exec();
    }

    bool confirm(const QString& text) override
    {
        return QMessageBox::question(activeWindow(), QApplication::applicationDisplayName(), text,
                                     QMessageBox::Ok | QMessageBox::Cancel,
                                     QMessageBox::Cancel) == QMessageBox::Ok;
    }

    bool askYesNo(const QString& text) override
    {
        QMessageBox box(QMessageBox::Question, QApplication::applicationDisplayName(), text,
                        QMessageBox::NoButton, activeWindow());
        const QPushButton* yes = box.addButton(QStringLiteral("Sim"), QMessageBox::YesRole);
        box.addButton(QStringLiteral("Não"), QMessageBox::NoRole);
        box.exec();
        return box.clickedButton() == yes;
    }

    QString openFileName(const FileDialogOptions& options) override
    {
        return QFileDialog::getOpenFileName(activeWindow(), QString(), startPath(options),
                                            qtFileFilter(options.filter));
    }

    QString saveFileName(const FileDialogOptions& options) override
    {
        // The overwrite question is the caller's own, asked for the name exactly as typed.
        return QFileDialog::getSaveFileName(activeWindow(), QString(), startPath(options),
                                            qtFileFilter(options.filter), nullptr,
                                            QFileDialog::DontConfirmOverwrite);
    }

    std::optional<QColor> chooseColour(const QColor& initial) override
    {
        const QColor colour = QColorDialog::getColor(initial, activeWindow());
        if (!colour.isValid())
            return std::nullopt;
        return colour;
    }

private:
    static QString startPath(const FileDialogOptions& options)
    {
        if (options.fileName.isEmpty())
            return options.initialDir;
        return options.initialDir + QLatin1Char('/') + options.fileName;
    }
};

QtDialogs qtDialogs;
Dialogs* installed = nullptr;

} // namespace

Dialogs& dialogs()
{
    return installed ? *installed : static_cast<Dialogs&>(qtDialogs);
}

void setDialogs(Dialogs* replacement)
{
    installed = replacement;
}

QString qtFileFilter(const QString& filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList entries;
    for (int i = 0; i + 1 < parts.size(); i += 2)
        entries << QStringLiteral("%1 (%2)").arg(parts[i], parts[i + 1]);
    return entries.join(QStringLiteral(";;"));
}
