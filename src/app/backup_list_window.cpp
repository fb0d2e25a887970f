#include "app/backup_list_window.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

QString backupSizeText(qint64 bytes)
{
    const QLocale russian(QLocale::Russian);
    constexpr qint64 Kilo = 1024;
    if (bytes < Kilo * Kilo)
        return QStringLiteral("%1 КБ").arg((bytes + Kilo - 1) / Kilo);
    return QStringLiteral("%1 МБ").arg(russian.toString(double(bytes) / double(Kilo * Kilo), 'f', 1));
}

frmBackupList::frmBackupList(std::vector<backup::AutomaticBackup> backups, QWidget* parent)
    : QDialog(parent), m_backups(std::move(backups))
{
    setObjectName(QStringLiteral("frmBackupList"));
    setWindowTitle(QStringLiteral("Восстановление базы из резервной копии"));
    setModal(true);

    auto* caption = new QLabel(QStringLiteral("Автоматические резервные копии:"), this);
    List = new QTableWidget(int(m_backups.size()), 3, this);
    List->setObjectName(QStringLiteral("List"));
    List->setHorizontalHeaderLabels(
        { QStringLiteral("Дата"), QStringLiteral("Размер"), QStringLiteral("Сделана") });
    List->setSelectionBehavior(QAbstractItemView::SelectRows);
    List->setSelectionMode(QAbstractItemView::SingleSelection);
    List->setEditTriggers(QAbstractItemView::NoEditTriggers);
    List->verticalHeader()->hide();
    List->horizontalHeader()->setStretchLastSection(true);
    for (int row = 0; row < int(m_backups.size()); ++row) {
        const backup::AutomaticBackup& backup = m_backups[std::size_t(row)];
        List->setItem(
            row, 0, new QTableWidgetItem(backup.time.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"))));
        auto* size = new QTableWidgetItem(backupSizeText(backup.bytes));
        size->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        List->setItem(row, 1, size);
        List->setItem(row, 2, new QTableWidgetItem(backup.reason));
    }
    List->resizeColumnsToContents();
    if (!m_backups.empty())
        List->selectRow(0);

    CmdRestore = new QPushButton(QStringLiteral("Восстановить"), this);
    CmdRestore->setObjectName(QStringLiteral("CmdRestore"));
    CmdRestore->setDefault(true);
    CmdOther = new QPushButton(QStringLiteral("Другой файл…"), this);
    CmdOther->setObjectName(QStringLiteral("CmdOther"));
    auto* cancel = new QPushButton(QStringLiteral("Отмена"), this);
    cancel->setObjectName(QStringLiteral("CmdCancel"));

    connect(CmdRestore, &QPushButton::clicked, this, [this] {
        if (List->currentRow() < 0)
            return;
        m_choice = Choice::Backup;
        accept();
    });
    connect(List, &QTableWidget::cellDoubleClicked, CmdRestore, &QPushButton::click);
    connect(CmdOther, &QPushButton::clicked, this, [this] {
        m_choice = Choice::OtherFile;
        accept();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(CmdRestore);
    buttons->addWidget(CmdOther);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(caption);
    layout->addWidget(List);
    layout->addLayout(buttons);
    resize(560, 360);
}

frmBackupList::Choice frmBackupList::ask()
{
    // A loop of its own rather than exec(): once the application has been told to quit (a run that
    // ends), exec() returns at once, and the restore would go on without a choice.
    open();
    while (isVisible())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return m_choice;
}

QString frmBackupList::chosenPath() const
{
    const int row = List->currentRow();
    if (m_choice != Choice::Backup || row < 0 || row >= int(m_backups.size()))
        return QString();
    return m_backups[std::size_t(row)].path;
}
