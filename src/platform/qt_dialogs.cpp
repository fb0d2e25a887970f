#include "platform/qt_dialogs.h"

#include "platform/colours.h"

#include <QApplication>
#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>

namespace {

QWidget* parentWindow()
{
    if (QWidget* w = QApplication::activeModalWidget())
        return w;
    return QApplication::activeWindow();
}

// A box without a title of its own carries the program's name.
QString windowTitle(const QString& title)
{
    return title.isEmpty() ? QStringLiteral("Терволин") : title;
}

QString extensionOf(const QString& defaultExtension)
{
    QString extension = defaultExtension;
    extension.remove(QLatin1Char('*'));
    if (extension.startsWith(QLatin1Char('.')))
        extension.remove(0, 1);
    return extension;
}

std::optional<QString> runFileDialog(const FileRequest& request, QFileDialog::AcceptMode mode)
{
    QFileDialog dialog(parentWindow());
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptSave ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilters(nameFilters(request.filter));
    dialog.setDefaultSuffix(extensionOf(request.defaultExtension));
    const bool folderThere = !request.folder.isEmpty() && QFileInfo(request.folder).isDir();
    dialog.setDirectory(folderThere ? request.folder : QDir::homePath());
    if (!request.proposedName.isEmpty())
        dialog.selectFile(request.proposedName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

// Shown only when the work lasts: a short job gives no flicker of a box.
constexpr int ProgressDelayMs = 400;

class ProgressBox : public Progress
{
public:
    ProgressBox(const QString& text, const QString& title, int total)
        : m_box(new QProgressDialog(text, QStringLiteral("Отмена"), 0, qMax(1, total), parentWindow()))
    {
        m_box->setObjectName(QStringLiteral("progress"));
        m_box->setWindowTitle(windowTitle(title));
        m_box->setWindowModality(Qt::WindowModal);
        m_box->setMinimumDuration(ProgressDelayMs);
        m_box->setAutoClose(false);
        m_box->setAutoReset(false);
        m_box->setValue(0);
    }
    ~ProgressBox() override { delete m_box.data(); }

    bool advance(int done) override
    {
        // A window-modal box lets the events in as it goes, so the cancel button can be pressed.
        if (m_box)
            m_box->setValue(qMin(done, m_box->maximum()));
        return m_box && !m_box->wasCanceled();
    }

private:
    QPointer<QProgressDialog> m_box;
};

} // namespace

QStringList nameFilters(const QString& filter)
{
    QStringList result;
    const QStringList parts = filter.split(QLatin1Char('|'));
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        QString patterns = parts[i + 1];
        if (description.isEmpty() && patterns.isEmpty())
            continue;
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        // "Файлы (*.spb)" names its patterns already: the dialog shows them once, as it reads them.
        QString name = description;
        if (name.endsWith(QLatin1Char(')')) && name.contains(QLatin1Char('(')))
            name = name.left(name.lastIndexOf(QLatin1Char('('))).trimmed();
        result << QStringLiteral("%1 (%2)").arg(name, patterns);
    }
    return result;
}

Answer QtDialogs::show(const Message& message)
{
    QMessageBox box(parentWindow());
    box.setWindowTitle(windowTitle(message.title));
    box.setText(message.text);
    switch (message.icon) {
    case MessageIcon::None: box.setIcon(QMessageBox::NoIcon); break;
    case MessageIcon::Critical: box.setIcon(QMessageBox::Critical); break;
    case MessageIcon::Question: box.setIcon(QMessageBox::Question); break;
    case MessageIcon::Exclamation: box.setIcon(QMessageBox::Warning); break;
    case MessageIcon::Information: box.setIcon(QMessageBox::Information); break;
    }
    if (message.buttons == MessageButtons::YesNo) {
        QPushButton* yes = box.addButton(QStringLiteral("Да"), QMessageBox::YesRole);
        QPushButton* no = box.addButton(QStringLiteral("Нет"), QMessageBox::NoRole);
        box.setDefaultButton(message.defaultAnswer == Answer::Yes ? yes : no);
        box.setEscapeButton(no);
        box.exec();
        if (unattended())
            return message.defaultAnswer;
        return box.clickedButton() == yes ? Answer::Yes : Answer::No;
    }
    if (message.buttons == MessageButtons::YesNoCancel) {
        QPushButton* yes = box.addButton(QStringLiteral("Да"), QMessageBox::YesRole);
        QPushButton* no = box.addButton(QStringLiteral("Нет"), QMessageBox::NoRole);
        QPushButton* cancel = box.addButton(QStringLiteral("Отмена"), QMessageBox::RejectRole);
        QPushButton* byDefault = cancel;
        if (message.defaultAnswer == Answer::Yes)
            byDefault = yes;
        else if (message.defaultAnswer == Answer::No)
            byDefault = no;
        box.setDefaultButton(byDefault);
        box.setEscapeButton(cancel);
        box.exec();
        if (unattended())
            return message.defaultAnswer;
        if (box.clickedButton() == yes)
            return Answer::Yes;
        return box.clickedButton() == no ? Answer::No : Answer::Cancel;
    }
    QPushButton* ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
    box.exec();
    return Answer::Ok;
}

std::optional<QString> QtDialogs::saveFileName(const FileRequest& request)
{
    return runFileDialog(request, QFileDialog::AcceptSave);
}

std::optional<QString> QtDialogs::openFileName(const FileRequest& request)
{
    return runFileDialog(request, QFileDialog::AcceptOpen);
}

std::unique_ptr<Progress> QtDialogs::progress(const QString& text, const QString& title, int total)
{
    return std::make_unique<ProgressBox>(text, title, total);
}

std::optional<quint32> QtDialogs::chooseColour(quint32 initial)
{
    const QColor colour = QColorDialog::getColor(fromWindowsColour(initial), parentWindow());
    if (!colour.isValid())
        return std::nullopt;
    return toWindowsColour(colour);
}
