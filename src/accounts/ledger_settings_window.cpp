#include "accounts/ledger_settings_window.h"

#include "platform/settings_store.h"
#include "session/app_state.h"

#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

frmTunLs::frmTunLs(AppState& state, QWidget& ledger) : QDialog(&ledger), m_state(state)
{
    setObjectName(QStringLiteral("frmTunLs"));
    setWindowTitle(QStringLiteral("Настройки в лицевом счете"));
    setAttribute(Qt::WA_DeleteOnClose);
    // The ledger takes no input while this is open.
    setWindowModality(Qt::WindowModal);

    auto* frame = new QGroupBox(QStringLiteral("Настройка перехода по ячейкам"), this);
    frame->setObjectName(QStringLiteral("Frame1"));
    Op1 = new QRadioButton(QStringLiteral("При нажатии Enter переходить вниз"), frame);
    Op1->setObjectName(QStringLiteral("Op1"));
    Op2 = new QRadioButton(QStringLiteral("При нажатии Enter переходить вправо"), frame);
    Op2->setObjectName(QStringLiteral("Op2"));
    Op1->setChecked(m_state.EnterMovesDown);
    Op2->setChecked(!m_state.EnterMovesDown);
    auto* options = new QVBoxLayout(frame);
    options->addWidget(Op1);
    options->addWidget(Op2);

    auto* ok = new QPushButton(QStringLiteral("Ok"), this);
    ok->setObjectName(QStringLiteral("CmdOk"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &frmTunLs::CmdOk_Click);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addWidget(ok, 0, Qt::AlignRight);
}

void frmTunLs::CmdOk_Click()
{
    m_state.EnterMovesDown = Op1->isChecked();
    m_state.services.settings.setValue(settings::Main, QStringLiteral("flPls"),
        m_state.EnterMovesDown ? QStringLiteral("True") : QStringLiteral("False"));
    close();
}
