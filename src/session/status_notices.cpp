#include "session/status_notices.h"

#include "session/notice_texts.h"

#include <QDir>
#include <QStatusBar>
#include <QTime>

namespace {

QString fromStd(const std::string& text)
{
    return QString::fromStdString(text);
}

std::string shownPath(const QString& path)
{
    return QDir::toNativeSeparators(path).toStdString();
}

} // namespace

void StatusNotices::post(const QString& text, int milliseconds)
{
    m_last = text;
    emit posted(text, milliseconds);
}

void StatusNotices::clear()
{
    post(QString());
}

void StatusNotices::saved(const QTime& time)
{
    post(fromStd(statusText::savedText(time.hour(), time.minute())));
}

void StatusNotices::backedUp(const QString& path)
{
    post(fromStd(statusText::backupText(shownPath(path))));
}

void StatusNotices::automaticBackupFailed(const QString& path)
{
    post(fromStd(statusText::automaticBackupFailedText(shownPath(path))));
}

void StatusNotices::exported(const QString& path)
{
    post(fromStd(statusText::exportText(shownPath(path))));
}

void StatusNotices::carriedOver(const QString& year)
{
    post(fromStd(statusText::carriedOverText(year.toStdString())));
}

void StatusNotices::yearOpened(const QString& archivePath, const QString& year)
{
    post(fromStd(statusText::yearOpenedText(shownPath(archivePath), year.toStdString())));
}

void StatusNotices::importedSubscribers(int count)
{
    post(fromStd(statusText::importedSubscribersText(count)));
}

void StatusNotices::importedPayments(int count)
{
    post(fromStd(statusText::importedPaymentsText(count)), 0);
}

void StatusNotices::showIn(QStatusBar* bar)
{
    connect(this, &StatusNotices::posted, bar,
        [bar](const QString& text, int milliseconds) { bar->showMessage(text, milliseconds); });
}
