#include "reports/about_window.h"

#include "platform/shell.h"
#include "session/app_state.h"

#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QUrl>

namespace about {

QString version()
{
    return QStringLiteral(TERVOLIN_VERSION);
}

QString webAddress()
{
    return QStringLiteral("https://tervolin.example.org");
}

QString mailAddress()
{
    return QStringLiteral("tervolin@example.org");
}

QString mailLink()
{
    const QByteArray subject = QUrl::toPercentEncoding(QStringLiteral("На счет программы Терволин"));
    return QStringLiteral("mailto:") + mailAddress() + QStringLiteral("?Subject=")
        + QString::fromLatin1(subject);
}

} // namespace about

namespace {

QLabel* linkLabel(const QString& name, const QString& text, QWidget* parent)
{
    auto* label = new QLabel(QStringLiteral("<a href=\"%1\">%1</a>").arg(text.toHtmlEscaped()), parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::RichText);
    label->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    label->setFocusPolicy(Qt::StrongFocus);
    label->setOpenExternalLinks(false);
    return label;
}

} // namespace

frmAbout::frmAbout(AppState& state, QWidget& opener) : QDialog(&opener), m_state(state)
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

    Label1 = linkLabel(QStringLiteral("Label1"), about::webAddress(), this);
    connect(Label1, &QLabel::linkActivated, this,
        [this] { m_state.services.shell.openUrl(about::webAddress()); });
    Label2 = linkLabel(QStringLiteral("Label2"), about::mailAddress(), this);
    connect(
        Label2, &QLabel::linkActivated, this, [this] { m_state.services.shell.openUrl(about::mailLink()); });

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
    layout->addWidget(new QLabel(QStringLiteral("Сайт программы:"), this), 3, 0);
    layout->addWidget(Label1, 3, 1);
    layout->addWidget(new QLabel(QStringLiteral("Вопросы и предложения:"), this), 4, 0);
    layout->addWidget(Label2, 4, 1);
    layout->addWidget(ok, 5, 0, 1, 2, Qt::AlignRight);
    layout->setColumnStretch(1, 1);
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
