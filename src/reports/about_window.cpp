#include "reports/about_window.h"

#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

namespace about {

QString version()
{
    return QStringLiteral(TERVOLIN_VERSION);
}

} // namespace about

frmAbout::frmAbout(QWidget& opener) : QDialog(&opener)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("О программе Терволин, версия %1").arg(about::version()));
    setAttribute(Qt::WA_DeleteOnClose);
    // The main window takes no input while this is open.
    setWindowModality(Qt::WindowModal);

    auto* name = new QLabel(QStringLiteral("Терволин"), this);
    QFont nameFont = name->font();
    nameFont.setPointSizeF(nameFont.pointSizeF() * 1.8);
    nameFont.setBold(true);
    name->setFont(nameFont);
    auto* version = new QLabel(QStringLiteral("Версия %1").arg(about::version()), this);
    version->setObjectName(QStringLiteral("lblVersion"));
    auto* purpose = new QLabel(QStringLiteral("Учет оплаты электроэнергии в садовом товариществе: показания "
                                              "счетчиков, начисления, лицевые счета абонентов, квитанции и "
                                              "ведомости."),
        this);
    purpose->setWordWrap(true);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("CmdOk"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::close);

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(18, 14, 18, 14);
    layout->setVerticalSpacing(8);
    layout->addWidget(name, 0, 0, 1, 2);
    layout->addWidget(version, 1, 0, 1, 2);
    layout->addWidget(purpose, 2, 0, 1, 2);
    layout->addWidget(ok, 3, 0, 1, 2, Qt::AlignRight);
    setMinimumWidth(440);
    ok->setFocus();
}

bool frmAbout::event(QEvent* event)
{
    // Once it has been the active window, going to any other window puts it away.
    if (event->type() == QEvent::WindowActivate) {
        m_wasActive = true;
    } else if (event->type() == QEvent::WindowDeactivate && m_wasActive) {
        close();
    }
    return QDialog::event(event);
}
