#pragma once

// The automatic backups offered before the file dialog of "Восстановление базы из резервной
// копии": newest first, with their date, size and what they were made before.

#include "app/automatic_backup.h"

#include <QDialog>

class QPushButton;
class QTableWidget;

class frmBackupList : public QDialog
{
    Q_OBJECT
public:
    enum class Choice { Cancelled, Backup, OtherFile };

    explicit frmBackupList(std::vector<backup::AutomaticBackup> backups, QWidget* parent = nullptr);

    // Shows the window and waits for the user's choice.
    Choice ask();
    Choice choice() const { return m_choice; }
    // The backup chosen, when choice() is Backup.
    QString chosenPath() const;

    QTableWidget* List = nullptr;
    QPushButton* CmdRestore = nullptr;
    QPushButton* CmdOther = nullptr;

private:
    std::vector<backup::AutomaticBackup> m_backups;
    Choice m_choice = Choice::Cancelled;
};

// "12,3 МБ", "845 КБ".
QString backupSizeText(qint64 bytes);
