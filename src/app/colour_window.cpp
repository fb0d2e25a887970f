#include "app/colour_window.h"

#include "app/main_window.h"
#include "platform/colours.h"
#include "platform/dialogs.h"
#include "platform/settings_store.h"
#include "session/app_state.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

frmColor::frmColor(AppState& state, Form1& mainWindow)
    : QDialog(&mainWindow), m_state(state), m_main(mainWindow)
{
    setObjectName(QStringLiteral("frmColor"));
    setWindowTitle(QStringLiteral("Настройка цвета таблицы"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowModality(Qt::WindowModal);

    W1 = m_state.RowColourOdd;
    W2 = m_state.RowColourEven;
    W3 = m_state.FocusColour;

    const QString captions[3] = { QStringLiteral("Цвет нечетных строк таблицы"),
        QStringLiteral("Цвет четных строк таблицы"), QStringLiteral("Цвет выделенной ячейки таблицы") };
    auto* grid = new QGridLayout(this);
    for (int i = 0; i < 3; ++i) {
        m_previews[i] = new QLabel(this);
        m_previews[i]->setObjectName(QStringLiteral("Lb%1").arg(i + 1));
        m_previews[i]->setAutoFillBackground(true);
        m_previews[i]->setFrameShape(QFrame::Box);
        m_previews[i]->setMinimumSize(90, 26);
        m_choose[i] = new QPushButton(captions[i], this);
        m_choose[i]->setObjectName(QStringLiteral("Cmd%1").arg(i + 1));
        connect(m_choose[i], &QPushButton::clicked, this, [this, i] { chooseColour(i); });
        grid->addWidget(m_previews[i], i, 0);
        grid->addWidget(m_choose[i], i, 1);
    }
    auto* defaults = new QPushButton(QStringLiteral("По умолчанию"), this);
    defaults->setObjectName(QStringLiteral("CmdUmolch"));
    connect(defaults, &QPushButton::clicked, this, &frmColor::CmdUmolch_Click);
    auto* ok = new QPushButton(QStringLiteral("Ok"), this);
    ok->setObjectName(QStringLiteral("CmdOk"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &frmColor::CmdOk_Click);
    grid->addWidget(defaults, 3, 0);
    grid->addWidget(ok, 3, 1);
    showPreviews();
}

void frmColor::showPreviews()
{
    const quint32 colours[3] = { W1, W2, W3 };
    for (int i = 0; i < 3; ++i) {
        QPalette palette = m_previews[i]->palette();
        palette.setColor(QPalette::Window, fromWindowsColour(colours[i]));
        m_previews[i]->setPalette(palette);
    }
}

void frmColor::chooseColour(int which)
{
    quint32* working[3] = { &W1, &W2, &W3 };
    m_choose[which]->setEnabled(false);
    // A cancelled colour dialog keeps the working colour.
    if (const auto colour = m_state.services.dialogs.chooseColour(*working[which]))
        *working[which] = *colour;
    m_choose[which]->setEnabled(true);
    showPreviews();
}

void frmColor::CmdUmolch_Click()
{
    W1 = colours::DefaultOdd;
    W2 = colours::DefaultEven;
    W3 = colours::DefaultFocus;
    showPreviews();
}

void frmColor::CmdOk_Click()
{
    m_state.RowColourOdd = W1;
    m_state.RowColourEven = W2;
    m_state.FocusColour = W3;
    m_main.ApplyTableColours();
    SettingsStore& store = m_state.services.settings;
    store.setValue(settings::Main, QStringLiteral("Color1"), QString::number(W1));
    store.setValue(settings::Main, QStringLiteral("Color2"), QString::number(W2));
    store.setValue(settings::Main, QStringLiteral("Color3"), QString::number(W3));
    close();
}

void frmColor::release()
{
    if (m_released)
        return;
    m_released = true;
    m_main.ApplyTableColours();
}

void frmColor::closeEvent(QCloseEvent* event)
{
    release();
    QDialog::closeEvent(event);
}

void frmColor::done(int result)
{
    release();
    QDialog::done(result);
}
