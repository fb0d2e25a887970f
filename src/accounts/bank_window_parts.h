#pragma once

// The pieces frmBank is built of that are no window of their own: the lists of the subscriber and
// month cells, a label that gives way on a narrow screen, and the counts of payments.

#include "database/money.h"

#include <QLabel>
#include <QStringList>
#include <QStyledItemDelegate>
#include <optional>
#include <string_view>

namespace bankwindow {

QString fromStd(std::string_view text);
// "1500,00"; zero as "0,00".
QString sumText(Currency sum);

// A count of payments and what they come to.
struct Tally
{
    int count = 0;
    Currency sum;

    void add(const std::optional<Currency>& amount);
    QString text(const QString& caption) const;
};

// The subscriber and month cells: a list to choose from. The subscriber's list takes typing, and
// offers the names that contain what was typed.
class ChoiceDelegate : public QStyledItemDelegate
{
public:
    ChoiceDelegate(QStringList choices, bool typed, QObject* parent);

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex&) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;

private:
    QStringList m_choices;
    bool m_typed;
};

// A one-line label that asks for no width of its own: on a narrow screen its text ends in "…",
// and the tooltip holds all of it. text() stays the whole text.
class ElidingLabel : public QLabel
{
public:
    explicit ElidingLabel(const QString& text, QWidget* parent);

    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace bankwindow
