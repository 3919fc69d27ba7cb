#pragma once

#include <QObject>

class QSocketNotifier;

// SIGTERM, SIGHUP and SIGINT as a Qt signal delivered by the event loop. The signal handler
// itself only writes the signal's number to a socket, the one thing it may safely do; the
// program's answer (closing the window, which writes the scene) runs later, as any event does.
// One instance at a time; its destruction gives the three signals back their default action.
class TerminationSignals : public QObject
{
    Q_OBJECT

public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

signals:
    void received(int signalNumber);

private:
    void readSignal();

    QSocketNotifier* m_notifier = nullptr;
};
