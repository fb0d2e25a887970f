#include "accounts/bank_window_parts.h"

#include <QComboBox>
#include <QCompleter>
#include <QPainter>

namespace bankwindow {

QString fromStd(std::string_view text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

QString sumText(Currency sum)
{
    return sum.isZero() ? QStringLiteral("0,00") : fromStd(moneyText(sum));
}

void Tally::add(const std::optional<Currency>& amount)
{
    ++count;
    if (amount)
        sum = Currency::add(sum, *amount).value_or(sum);
}

QString Tally::text(const QString& caption) const
{
    return QStringLiteral("%1: %2 на %3 р.").arg(caption).arg(count).arg(sumText(sum));
}

ChoiceDelegate::ChoiceDelegate(QStringList choices, bool typed, QObject* parent)
    : QStyledItemDelegate(parent), m_choices(std::move(choices)), m_typed(typed)
{ }

QWidget* ChoiceDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex&) const
{
    auto* combo = new QComboBox(parent);
    combo->addItems(m_choices);
    combo->setMaxVisibleItems(20);
    if (m_typed) {
        combo->setEditable(true);
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->completer()->setCompletionMode(QCompleter::PopupCompletion);
        combo->completer()->setFilterMode(Qt::MatchContains);
        combo->completer()->setCaseSensitivity(Qt::CaseInsensitive);
    }
    return combo;
}

void ChoiceDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    static_cast<QComboBox*>(editor)->setCurrentIndex(index.data(Qt::EditRole).toInt());
}

void ChoiceDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const
{
    auto* combo = static_cast<QComboBox*>(editor);
    // What was typed counts only when it is one of the choices.
    const int choice
        = m_typed ? combo->findText(combo->currentText(), Qt::MatchFixedString) : combo->currentIndex();
    if (choice >= 0 && choice != index.data(Qt::EditRole).toInt())
        model->setData(index, choice, Qt::EditRole);
}

ElidingLabel::ElidingLabel(const QString& text, QWidget* parent) : QLabel(text, parent)
{
    setToolTip(text);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

QSize ElidingLabel::minimumSizeHint() const
{
    return { 0, QLabel::minimumSizeHint().height() };
}

void ElidingLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect area = contentsRect();
    painter.drawText(area, int(alignment()) | Qt::TextSingleLine,
        fontMetrics().elidedText(text(), Qt::ElideRight, area.width()));
}

} // namespace bankwindow
