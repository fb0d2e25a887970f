#include "app/save_settings_window.h"

#include "app/automatic_backup.h"
#include "app/main_window.h"
#include "platform/settings_store.h"
#include "session/app_state.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

frmTunSave::frmTunSave(AppState& state, Form1& mainWindow)
    : QDialog(&mainWindow), m_state(state), m_main(mainWindow)
{
    setObjectName(QStringLiteral("frmTunSave"));
    setWindowTitle(QStringLiteral("Параметры сохранения"));
    setAttribute(Qt::WA_DeleteOnClose);
    // The main window takes no input while this is open.
    setWindowModality(Qt::WindowModal);

    ChSave1 = new QCheckBox(QStringLiteral("Сохранять изменения на HDD каждые 2 минуты"), this);
    ChSave1->setObjectName(QStringLiteral("ChSave1"));
    ChSave1->setChecked(m_state.AutosaveEnabled != 0);

    auto* explanation = new QLabel(
        QStringLiteral(
            "Если этот флаг не установлен то изменения в базе будут сохраняться на HDD  при выходе из "
            "программы, при закрытии формы лицевого счета, при добавлении новых абонентов или при "
            "нажатии кнопки \"Сохранить\" ( с изображением дискеты)."),
        this);
    explanation->setObjectName(QStringLiteral("Label1"));
    explanation->setWordWrap(true);

    ChAutoBackup = new QCheckBox(QStringLiteral("Автоматические резервные копии перед импортом, "
                                                "переносом остатков, восстановлением и при выходе"),
        this);
    ChAutoBackup->setObjectName(QStringLiteral("ChAutoBackup"));
    ChAutoBackup->setChecked(backup::automaticBackupsOn(m_state.services.settings));
    auto* folderLabel = new QLabel(QStringLiteral("Папка резервных копий:"), this);
    TxtAutoBackupDir = new QLineEdit(
        m_state.services.settings.value(settings::Main, backup::AutoBackupFolderKey).trimmed(), this);
    TxtAutoBackupDir->setObjectName(QStringLiteral("TxtAutoBackupDir"));
    // What an empty line stands for, shown in it.
    TxtAutoBackupDir->setPlaceholderText(backup::defaultAutomaticBackupFolder(m_state));
    folderLabel->setBuddy(TxtAutoBackupDir);
    TxtAutoBackupDir->setEnabled(ChAutoBackup->isChecked());
    connect(ChAutoBackup, &QCheckBox::toggled, TxtAutoBackupDir, &QWidget::setEnabled);

    auto* ok = new QPushButton(QStringLiteral("Ok"), this);
    ok->setObjectName(QStringLiteral("CmdOk"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &frmTunSave::CmdOk_Click);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ChSave1);
    layout->addWidget(explanation);
    layout->addWidget(ChAutoBackup);
    layout->addWidget(folderLabel);
    layout->addWidget(TxtAutoBackupDir);
    layout->addWidget(ok, 0, Qt::AlignRight);
    setMinimumWidth(420);
}

void frmTunSave::CmdOk_Click()
{
    m_state.AutosaveEnabled = ChSave1->isChecked() ? 1 : 0;
    m_accepted = true;
    m_main.updateAutosaveTimer();
    close();
}

void frmTunSave::storeAndRelease()
{
    if (m_stored)
        return;
    m_stored = true;
    SettingsStore& settings = m_state.services.settings;
    settings.setValue(settings::Main, QStringLiteral("flSave"), QString::number(m_state.AutosaveEnabled));
    // Only Ok changes the backups: a window closed otherwise leaves them as they were.
    if (!m_accepted)
        return;
    settings.setValue(settings::Main, backup::AutoBackupKey, ChAutoBackup->isChecked() ? "1" : "0");
    settings.setValue(settings::Main, backup::AutoBackupFolderKey, TxtAutoBackupDir->text().trimmed());
}

void frmTunSave::closeEvent(QCloseEvent* event)
{
    storeAndRelease();
    QDialog::closeEvent(event);
}

void frmTunSave::done(int result)
{
    // Escape closes through here rather than through closeEvent.
    storeAndRelease();
    QDialog::done(result);
}
