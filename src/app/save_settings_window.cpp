#include "app/save_settings_window.h"

#include "app/main_window.h"
#include "platform/settings_store.h"
#include "session/app_state.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
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

    auto* ok = new QPushButton(QStringLiteral("Ok"), this);
    ok->setObjectName(QStringLiteral("CmdOk"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &frmTunSave::CmdOk_Click);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ChSave1);
    layout->addWidget(explanation);
    layout->addWidget(ok, 0, Qt::AlignRight);
    setMinimumWidth(420);
}

void frmTunSave::CmdOk_Click()
{
    m_state.AutosaveEnabled = ChSave1->isChecked() ? 1 : 0;
    m_main.updateAutosaveTimer();
    close();
}

void frmTunSave::storeAndRelease()
{
    if (m_stored)
        return;
    m_stored = true;
    m_state.services.settings.setValue(
        settings::Main, QStringLiteral("flSave"), QString::number(m_state.AutosaveEnabled));
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
