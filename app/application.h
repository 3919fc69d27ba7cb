#pragma once

#include <QApplication>

// The application object. Whatever a handler throws stops at notify(): it is handed to the
// application-wide exception handler (see exceptionhandler.h) and the event loop goes on.
class Application : public QApplication
{
    Q_OBJECT

public:
    Application(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    // Loads Qt's own translations for the default locale, so that the file, colour and message
    // dialogs say "Cancelar" and "Nome do arquivo" under a Portuguese locale. False when Qt has
    // no translation for the locale (the dialogs then speak English).
    bool installQtTranslations();
};
