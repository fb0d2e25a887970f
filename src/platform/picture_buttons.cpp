#include "platform/picture_buttons.h"

#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QToolButton>

PictureButtonFrame::PictureButtonFrame(std::span<const PictureButton> buttons, const QString& hintName, Focus focus,
                                       QWidget* parent)
    : QFrame(parent)
{
    setObjectName(QStringLiteral("Frame1"));
    setFrameShape(QFrame::StyledPanel);
    setMouseTracking(true);
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(6, 4, 6, 2);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(0);
    for (int i = 0; i < int(buttons.size()); ++i) {
        const PictureButton& entry = buttons[std::size_t(i)];
        auto* button = new QToolButton(this);
        button->setObjectName(QString::fromLatin1(entry.name));
        button->setIcon(pictureIcon(entry.picture));
        button->setIconSize(QSize(32, 32));
        button->setAutoRaise(true);
        if (focus == Focus::TakeOnClick)
            button->setFocusPolicy(Qt::StrongFocus);
        // The hint under the button says what it does; a tooltip would say it a second time.
        button->setAccessibleName(QString::fromUtf8(entry.hint).trimmed());
        button->installEventFilter(this);
        m_buttons.push_back(button);

        auto* hint = new QLabel(QString::fromUtf8(entry.hint), this);
        hint->setObjectName(QStringLiteral("%1_%2").arg(hintName).arg(i));
        hint->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        QSizePolicy policy = hint->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        hint->setSizePolicy(policy);
        hint->setMinimumWidth(hint->fontMetrics().horizontalAdvance(QStringLiteral("Калькулятор")) + 4);
        hint->hide();
        m_hints.push_back(hint);

        grid->addWidget(button, 0, i, Qt::AlignHCenter);
        grid->addWidget(hint, 1, i);
    }
}

void PictureButtonFrame::hideHints()
{
    for (QLabel* hint : m_hints)
        hint->hide();
}

bool PictureButtonFrame::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Enter || event->type() == QEvent::Leave) {
        for (std::size_t i = 0; i < m_buttons.size(); ++i) {
            if (watched == m_buttons[i])
                m_hints[i]->setVisible(event->type() == QEvent::Enter);
        }
    }
    return QFrame::eventFilter(watched, event);
}

void PictureButtonFrame::mouseMoveEvent(QMouseEvent* event)
{
    hideHints();
    QFrame::mouseMoveEvent(event);
}
