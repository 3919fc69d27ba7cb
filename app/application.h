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
};
