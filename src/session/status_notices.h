#pragma once

// The status bars of the main window, the ledger and the directory: an action that went through
// (a save, a backup, an export, a carry-over, an import) leaves a line there for some seconds. A
// failed action says so in its message box and leaves none.

#include <QObject>
#include <QString>

class QStatusBar;
class QTime;

class StatusNotices : public QObject
{
    Q_OBJECT
public:
    // How long a line stays in the bars.
    static constexpr int ShownMilliseconds = 6000;

    // A line for `milliseconds`, or until the next line when 0.
    void post(const QString& text, int milliseconds = ShownMilliseconds);
    // The program's lines (session/notice_texts.h); paths in the system's own form.
    void saved(const QTime& time);
    void backedUp(const QString& path);
    // The operation went on without its automatic backup.
    void automaticBackupFailed(const QString& path);
    void exported(const QString& path);
    void carriedOver(const QString& year);
    void yearOpened(const QString& archivePath, const QString& year);
    void importedSubscribers(int count);
    // Stays until the next line: the treasurer reads it after the import's window has gone.
    void importedPayments(int count);
    // Takes the line away: what it told of was undone.
    void clear();
    // The last line posted, for as long as the run lasts.
    const QString& last() const { return m_last; }

    // The bar shows every line posted from now on.
    void showIn(QStatusBar* bar);

signals:
    void posted(const QString& text, int milliseconds);

private:
    QString m_last;
};
