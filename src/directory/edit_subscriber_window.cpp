#include "directory/edit_subscriber_window.h"

#include "session/app_state.h"

#include <QLayout>
#include <QLineEdit>
#include <QPushButton>

frmRedakt::frmRedakt(AppState& state, QWidget* directoryWindow, CloseGuard& guard, int row)
    : SubscriberForm(state, directoryWindow, guard, QStringLiteral("frmRedakt"),
        QStringLiteral("Редактирование справочника"), QStringLiteral("Ok")),
      m_row(row)
{
    m_command1 = new QPushButton(QStringLiteral("Отмена"), this);
    m_command1->setObjectName(QStringLiteral("Command1"));
    buttonRow()->addWidget(m_command1);

    connect(Cmd1(), &QPushButton::clicked, this, &frmRedakt::Cmd1_Click);
    connect(m_command1, &QPushButton::clicked, this, &QDialog::close);

    const directory::Entry present = directory::entry(m_state.table, row);
    m_presentName = QString::fromStdString(present[0]);
    setTexts(present);
}

int frmRedakt::lastTakenRow() const
{
    return m_state.table.recordCount();
}

bool frmRedakt::isNewName(const QString& name) const
{
    return name != m_presentName;
}

void frmRedakt::Cmd1_Click()
{
    if (capName())
        return;
    directory::storeEntry(m_state.table, m_row, texts());
    emit stored(m_row);
    AppState::Writing writing(m_state, QStringLiteral("Изменение абонента"));
    m_state.WriteDatabase();
    close();
}
