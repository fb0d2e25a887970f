#include "sheet/sheet_view.h"

#include "platform/colours.h"
#include "platform/text_input.h"
#include "sheet/sheet_editing.h"

#include <QApplication>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QScopedValueRollback>

#include <algorithm>

namespace {

// Grid columns of the sheet, left to right.
enum Column {
    ColMonth = 0,
    ColDate,
    ColCurrent,
    ColPrevious,
    ColDifference,
    ColPower,
    ColHours,
    ColDays,
    ColLighting,
    ColTotal,
    ColLossesPercent,
    ColLosses,
    ColToPay,
    ColTariff,
    ColEnergyMoney,
    ColServicePercent,
    ColServiceMoney,
    ColMonthTotal,
    ColumnCount
};

constexpr std::array<int, sheet::ShownElements> TypedColumn = { ColDate, ColCurrent, ColPrevious, ColPower,
    ColHours, ColDays, ColLossesPercent, ColTariff, ColServicePercent };
constexpr std::array<int, sheet::ComputedElements> ComputedColumn = { ColDifference, ColLighting, ColTotal,
    ColLosses, ColToPay, ColEnergyMoney, ColServiceMoney, ColMonthTotal };

// Header rows: group captions, then the captions of single columns.
constexpr int GroupRow = 0;
constexpr int CaptionRow = 1;
constexpr int FirstMonthRow = 2;

QLabel* caption(QWidget* parent, int index, const QString& text)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QStringLiteral("lbl1_%1").arg(index));
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    return label;
}

void setBackground(QWidget* widget, const QColor& colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Base, colour);
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
}

} // namespace

SheetCell::SheetCell(int month, int element, QWidget* parent)
    : QLineEdit(parent), m_month(month), m_element(element)
{
    setObjectName(QStringLiteral("txt%1_%2").arg(month).arg(element));
    acceptOnlyStorableText(this);
    setAlignment(element == fields::Date ? Qt::AlignCenter : Qt::AlignRight | Qt::AlignVCenter);
}

void SheetCell::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    emit focusEntered(this);
}

void SheetCell::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    if (event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason)
        emit focusSuspended(this);
    else
        emit focusLeft(this);
}

void SheetCell::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Up || key == Qt::Key_Down) {
        emit keyDown(this, key);
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void SheetCell::mouseReleaseEvent(QMouseEvent* event)
{
    // The middle button is the quick copy's on the sheet. The paste of the desktop's selection
    // that some desktops give it would change a reading or a rate unseen, so it does nothing here.
    if (event->button() == Qt::MiddleButton)
        event->accept();
    else
        QLineEdit::mouseReleaseEvent(event);
    emit mouseReleased(this, event->button());
}

MonthLabel::MonthLabel(int index, const QString& caption, QWidget* parent)
    : QLabel(caption, parent), m_index(index)
{
    setObjectName(QStringLiteral("lbl1_%1").arg(index));
    setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setContentsMargins(4, 0, 4, 0);
}

void MonthLabel::setBold(bool bold)
{
    QFont f = font();
    if (f.bold() == bold)
        return;
    f.setBold(bold);
    setFont(f);
}

void MonthLabel::enterEvent(QEnterEvent* event)
{
    QLabel::enterEvent(event);
    setBold(true);
}

void MonthLabel::mouseReleaseEvent(QMouseEvent* event)
{
    QLabel::mouseReleaseEvent(event);
    emit released(this, event->button(), event->globalPosition().toPoint());
}

SheetView::SheetView(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("sheet"));
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(1);
    grid->setVerticalSpacing(1);
    buildCaptions(grid);

    for (int m = 1; m <= sheet::Months; ++m) {
        const int row = FirstMonthRow + m - 1;
        // Bands 0 … 5 stand behind the odd months, 6 … 11 behind the even ones.
        const int bandIndex = m % 2 == 1 ? (m - 1) / 2 : 6 + (m - 2) / 2;
        auto* band = new QWidget(this);
        band->setObjectName(QStringLiteral("Shape1_%1").arg(bandIndex));
        band->setAutoFillBackground(true);
        auto* bandLayout = new QHBoxLayout(band);
        bandLayout->setContentsMargins(0, 0, 0, 0);
        auto* label = new MonthLabel(100 + m,
            QString::fromUtf8(fields::MonthNames[m - 1].data(), int(fields::MonthNames[m - 1].size())), band);
        bandLayout->addWidget(label);
        m_bands[bandIndex] = band;
        m_monthLabels[m - 1] = label;
        grid->addWidget(band, row, ColMonth);
        connect(label, &MonthLabel::released, this, &SheetView::monthReleased);

        for (int b = 0; b < sheet::TypedElements; ++b) {
            auto* cell = new SheetCell(m, b, this);
            m_typed[m - 1][b] = cell;
            if (b < sheet::ShownElements)
                grid->addWidget(cell, row, TypedColumn[b]);
            else
                cell->hide(); // the month's charge: kept with the sheet, never shown
            connect(cell, &SheetCell::focusEntered, this, [this](SheetCell* c) {
                if (m_suspended == c)
                    m_suspended = nullptr;
                emit cellFocusEntered(c);
            });
            connect(cell, &SheetCell::focusLeft, this, [this](SheetCell* c) {
                if (m_suspended == c)
                    m_suspended = nullptr;
                emit cellFocusLeft(c);
            });
            connect(cell, &SheetCell::focusSuspended, this, [this](SheetCell* c) { m_suspended = c; });
            connect(cell, &SheetCell::keyDown, this, &SheetView::moveFocus);
            connect(cell, &SheetCell::keyDown, this, &SheetView::cellKeyDown);
            connect(cell, &SheetCell::mouseReleased, this, &SheetView::cellMouseReleased);
            connect(cell, &QLineEdit::textChanged, this,
                [this, cell](const QString& text) { onTextChanged(cell, text); });
        }
    }

    const QFont bold = [this] {
        QFont f = font();
        f.setBold(true);
        return f;
    }();
    for (int row = 1; row <= sheet::Months + 1; ++row) {
        for (int c = 0; c < sheet::ComputedElements; ++c) {
            auto* cell = new QLineEdit(this);
            cell->setObjectName(QStringLiteral("txtR%1_%2").arg(row).arg(c));
            cell->setReadOnly(true);
            // Computed cells are not typed into: no edit frame, as on the printout.
            cell->setFrame(false);
            cell->setFocusPolicy(Qt::NoFocus);
            cell->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (row == sheet::Months + 1)
                cell->setFont(bold);
            m_computed[row - 1][c] = cell;
            grid->addWidget(cell, FirstMonthRow + row - 1, ComputedColumn[c]);
        }
    }
    auto* totalsCaption = new QLabel(QStringLiteral("За год"), this);
    totalsCaption->setObjectName(QStringLiteral("lblYearTotal"));
    totalsCaption->setFont(bold);
    totalsCaption->setContentsMargins(4, 0, 4, 0);
    grid->addWidget(totalsCaption, FirstMonthRow + sheet::Months, ColMonth);

    // Readings and money need room; hours, days and percentages little. A computed column takes
    // at least a year's total in bold, so that the totals row never loses its first digits.
    const int totalWidth = QFontMetrics(bold).horizontalAdvance(QStringLiteral("88888,88")) + 10;
    const auto isComputed = [](int c) {
        return std::find(ComputedColumn.begin(), ComputedColumn.end(), c) != ComputedColumn.end();
    };
    for (int c = 0; c < ColumnCount; ++c) {
        int width = isComputed(c) ? std::max(58, totalWidth) : 58;
        switch (c) {
        case ColMonth: width = 74; break;
        case ColPower:
        case ColHours:
        case ColDays:
        case ColLossesPercent: width = 40; break;
        case ColServicePercent: width = 56; break;
        case ColDate: width = 64; break;
        default: break;
        }
        grid->setColumnMinimumWidth(c, width);
        grid->setColumnStretch(c, c == ColMonth ? 0 : width);
    }

    connect(qApp, &QApplication::focusChanged, this, &SheetView::onFocusChanged);

    QPalette totals = palette();
    totals.setColor(QPalette::Base, totals.color(QPalette::ToolTipBase));
    for (int c = 0; c < sheet::ComputedElements; ++c)
        m_computed[sheet::Months][c]->setPalette(totals);
}

void SheetView::buildCaptions(QGridLayout* grid)
{
    // Group captions may wrap to two lines, column captions to three.
    const int line = fontMetrics().lineSpacing();
    grid->setRowMinimumHeight(GroupRow, 2 * line + 2);
    grid->setRowMinimumHeight(CaptionRow, 3 * line + 2);
    grid->addWidget(caption(this, 0, QStringLiteral("Месяц")), GroupRow, ColMonth, 2, 1);
    grid->addWidget(caption(this, 1, QStringLiteral("Дата")), GroupRow, ColDate, 2, 1);
    grid->addWidget(
        caption(this, 2, QStringLiteral("Показания счетчика, кВт*Ч")), GroupRow, ColCurrent, 1, 2);
    grid->addWidget(caption(this, 3, QStringLiteral("Текущее")), CaptionRow, ColCurrent);
    grid->addWidget(caption(this, 4, QStringLiteral("Последнее")), CaptionRow, ColPrevious);
    grid->addWidget(caption(this, 5, QStringLiteral("Разница")), GroupRow, ColDifference, 2, 1);
    grid->addWidget(caption(this, 6, QStringLiteral("Уличное освещение, квт*Ч")), GroupRow, ColPower, 1, 4);
    grid->addWidget(
        caption(this, 7, QStringLiteral("кВт   *    Ч    *  Сутки = кВт*Ч")), CaptionRow, ColPower, 1, 4);
    grid->addWidget(caption(this, 9, QStringLiteral("ИТОГО, кВт*Ч")), GroupRow, ColTotal, 2, 1);
    grid->addWidget(caption(this, 10, QStringLiteral("Потери %")), GroupRow, ColLossesPercent, 2, 1);
    grid->addWidget(caption(this, 11, QStringLiteral("Потери кВт*Ч")), GroupRow, ColLosses, 2, 1);
    grid->addWidget(caption(this, 12, QStringLiteral("К оплате, кВт*Ч")), GroupRow, ColToPay, 2, 1);
    grid->addWidget(caption(this, 13, QStringLiteral("Начислена оплата")), GroupRow, ColTariff, 1, 5);
    grid->addWidget(caption(this, 14, QStringLiteral("Тариф, р.")), CaptionRow, ColTariff);
    grid->addWidget(caption(this, 15, QStringLiteral("За эл. энерг., р.")), CaptionRow, ColEnergyMoney);
    grid->addWidget(caption(this, 16, QStringLiteral("Обслуж. эл. сетей, %")), CaptionRow, ColServicePercent);
    grid->addWidget(caption(this, 17, QStringLiteral("Обслуж. эл. сетей, р.")), CaptionRow, ColServiceMoney);
    grid->addWidget(caption(this, 18, QStringLiteral("Итого к оплате, р.")), CaptionRow, ColMonthTotal);
}

void SheetView::onTextChanged(SheetCell* cell, const QString& text)
{
    if (text.contains(QLatin1Char(sheet::wrongSeparator(cell->element())))) {
        // The corrected text raises this handling once more, and that run reports the change.
        cell->setText(
            QString::fromStdString(sheet::withRightSeparators(cell->element(), text.toStdString())));
        cell->setCursorPosition(int(cell->text().size()));
        return;
    }
    if (!m_filling)
        emit cellChanged(cell);
}

void SheetView::onFocusChanged(QWidget*, QWidget* now)
{
    // Switching to another program or window, or opening a menu, does not leave the cell: the
    // user comes back to it and goes on typing (were the copy tools to run, a half-typed reading
    // would reach the next month and stay there). The cell is left when the focus comes back to
    // this window somewhere else, as after a click into it while another window was active.
    if (!m_suspended || !now || now == m_suspended || now->window() != window())
        return;
    SheetCell* cell = m_suspended;
    m_suspended = nullptr;
    emit cellFocusLeft(cell);
}

void SheetView::clear()
{
    const QScopedValueRollback<bool> filling(m_filling, true);
    for (auto& month : m_typed) {
        for (int b = 0; b < sheet::ShownElements; ++b)
            month[b]->setText(QString());
    }
    for (auto& row : m_computed) {
        for (QLineEdit* cell : row)
            cell->setText(QString());
    }
}

void SheetView::setShownTexts(const sheet::SheetTexts& texts)
{
    const QScopedValueRollback<bool> filling(m_filling, true);
    // Element by element, each down the twelve months, as the fill has always gone.
    for (int b = 0; b < sheet::ShownElements; ++b) {
        for (int m = 1; m <= sheet::Months; ++m)
            typed(m, b)->setText(QString::fromStdString(texts[m - 1][b]));
    }
}

void SheetView::showComputed(const sheet::SheetComputation& computation)
{
    for (int row = 1; row <= sheet::TotalsRow; ++row) {
        for (int c = 0; c < sheet::ComputedElements; ++c) {
            const QString text = QString::fromStdString(computation.shown[row][c]);
            QLineEdit* cell = computed(row, c);
            if (cell->text() != text)
                cell->setText(text);
        }
    }
    for (int m = 1; m <= sheet::Months; ++m) {
        const QString text = QString::fromStdString(computation.hiddenTotal[m]);
        if (typed(m, fields::MonthCharge)->text() != text)
            typed(m, fields::MonthCharge)->setText(text);
    }
}

sheet::SheetTexts SheetView::texts() const
{
    sheet::SheetTexts result;
    for (int m = 1; m <= sheet::Months; ++m) {
        for (int b = 0; b < sheet::TypedElements; ++b)
            result[m - 1][b] = typed(m, b)->text().toStdString();
    }
    return result;
}

void SheetView::paintCell(SheetCell* cell, quint32 colour)
{
    setBackground(cell, fromWindowsColour(colour));
}

quint32 SheetView::rowColour(int m) const
{
    if (isClosedMonth(m))
        return ClosedMonthColour;
    return m % 2 == 1 ? m_odd : m_even;
}

void SheetView::setClosedMonths(const std::array<bool, sheet::Months>& closed)
{
    if (closed == m_closed)
        return;
    m_closed = closed;
    for (int m = 1; m <= sheet::Months; ++m) {
        for (int b = 0; b < sheet::ShownElements; ++b)
            typed(m, b)->setReadOnly(isClosedMonth(m));
    }
    applyColours(m_odd, m_even);
}

void SheetView::applyColours(quint32 odd, quint32 even)
{
    m_odd = odd;
    m_even = even;
    for (int m = 1; m <= sheet::Months; ++m) {
        const QColor colour = fromWindowsColour(rowColour(m));
        for (int b = 0; b < sheet::ShownElements; ++b) {
            if (!typed(m, b)->hasFocus())
                setBackground(typed(m, b), colour);
        }
        for (int c = 0; c < sheet::ComputedElements; ++c)
            setBackground(computed(m, c), colour);
    }
    for (int i = 0; i < sheet::Months; ++i)
        setBackground(m_bands[i], fromWindowsColour(i < 6 ? odd : even));
}

void SheetView::moveFocus(SheetCell* cell, int key)
{
    // Enter and Down go to the same column of the next month, Up to the previous one; December has
    // no next month on this sheet and January no previous one.
    const int m = cell->month();
    const int target = key == Qt::Key_Up ? m - 1 : m + 1;
    if (target < 1 || target > sheet::Months || cell->element() >= sheet::ShownElements)
        return;
    typed(target, cell->element())->setFocus(Qt::OtherFocusReason);
}

void SheetView::unboldMonths()
{
    for (MonthLabel* label : m_monthLabels)
        label->setBold(false);
}
