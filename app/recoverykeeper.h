#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

class RecordTable;

// Keeps a recovery copy of the scene while it has changes its file lacks: written whole (write
// then rename) a moment after a change, on the window's thread but never inside a frame, and
// removed as soon as the scene matches its file again (saved, reopened, undone back to it, or
// written when the editor ends). A failed write is reported once, then retried with the next
// change.
class RecoveryKeeper : public QObject
{
    Q_OBJECT

public:
    // How long after the first unwritten change the copy is written.
    static constexpr int delayMs = 1500;

    RecoveryKeeper(RecordTable& table, const QString& folder, QObject* parent = nullptr);

    QString folder() const { return m_folder; }
    // This editor's own copy.
    QString copyPath() const { return m_path; }
    // Writes the copy at once when the scene has unwritten changes, or removes it otherwise.
    // False when the copy could not be written (that is reported once).
    bool writeNow();

signals:
    // The copy was written, with the scene as it stands.
    void written();

private:
    void tableChanged();
    void modifiedChanged(bool modified);
    void removeCopy();

    RecordTable& m_table;
    QString m_folder;
    QString m_path;
    QTimer m_timer;
    bool m_failureReported = false;
};
