#pragma once

#include "platform/dialogs.h"

#include <QStringList>

class QWidget;

// The dialogs on screen, parented to the active window.
class QtDialogs : public Dialogs
{
public:
    Answer show(const Message& message) override;
    std::optional<QString> saveFileName(const FileRequest& request) override;
    std::optional<QString> openFileName(const FileRequest& request) override;
    std::optional<quint32> chooseColour(quint32 initial) override;
    std::unique_ptr<Progress> progress(const QString& text, const QString& title, int total) override;
};

// "Файлы (*.spb)|*.spb|Все файлы(*.*)|*.*|" as name filters of a file dialog.
QStringList nameFilters(const QString& filter);
