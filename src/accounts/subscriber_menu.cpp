#include "accounts/subscriber_menu.h"

#include "accounts/act_window.h"
#include "accounts/certificate_page.h"
#include "reports/log_window.h"

#include <QMenu>

QMenu* subscriberMenu(AppState& state, QWidget* parent, std::function<int()> record)
{
    auto* menu = new QMenu(parent);
    menu->setObjectName(QStringLiteral("MnuSubscriber"));
    QAction* history = menu->addAction(QStringLiteral("&История изменений"));
    history->setObjectName(QStringLiteral("MnuHistory"));
    QObject::connect(
        history, &QAction::triggered, menu, [&state, record] { openSubscriberHistory(state, record()); });
    menu->addSeparator();
    QAction* act = menu->addAction(QStringLiteral("&Акт сверки расчётов…"));
    act->setObjectName(QStringLiteral("CmdAct"));
    QObject::connect(act, &QAction::triggered, menu,
        [&state, parent, record] { openReconciliation(state, record(), parent); });
    QAction* certificate = menu->addAction(QStringLiteral("&Справка об отсутствии задолженности"));
    certificate->setObjectName(QStringLiteral("CmdSpravka"));
    QObject::connect(
        certificate, &QAction::triggered, menu, [&state, record] { openNoDebtCertificate(state, record()); });
    return menu;
}
