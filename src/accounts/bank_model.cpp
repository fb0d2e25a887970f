#include "accounts/bank_model.h"

#include <QBrush>
#include <QColor>

namespace {

QString fromStd(std::string_view text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

const QColor UnmatchedBackground(255, 246, 216);
const QColor ImportedText(128, 128, 128);

QString monthText(const bank::YearMonth& month)
{
    return fromStd(fields::MonthNames[std::size_t(month.month - 1)]) + QLatin1Char(' ')
        + QString::number(month.year);
}

} // namespace

BankModel::BankModel(
    std::vector<bank::Payment> payments, QStringList subscribers, fields::YearWindow years, QObject* parent)
    : QAbstractTableModel(parent), m_years(years)
{
    m_subscriberChoices << QStringLiteral("— не заносить —") << subscribers;
    for (int o = 0; o < fields::WindowMonths; ++o)
        m_monthChoices << monthText(m_years.at(o));
    m_rows.reserve(payments.size());
    for (bank::Payment& payment : payments) {
        Row row;
        row.record = payment.record < m_subscriberChoices.size() ? payment.record : 0;
        row.month = payment.month;
        row.checked = payment.offeredChecked();
        row.payment = std::move(payment);
        m_rows.push_back(std::move(row));
    }
}

int BankModel::monthChoice(const bank::YearMonth& month) const
{
    return m_years.holds(month) ? m_years.ordinal(month) : -1;
}

bool BankModel::isOpen(int row) const
{
    const Row& r = m_rows[std::size_t(row)];
    return !r.payment.alreadyImported && r.payment.sum;
}

bool BankModel::canCheck(int row) const
{
    const Row& r = m_rows[std::size_t(row)];
    return isOpen(row) && r.month && (r.parts.empty() ? r.record > 0 : true);
}

void BankModel::rowChanged(int row)
{
    emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
    emit marksChanged();
}

void BankModel::check(int row, bool wanted)
{
    Row& r = m_rows[std::size_t(row)];
    r.checked = false;
    if (!wanted || !canCheck(row))
        return;
    if (r.payment.large && !r.largeConfirmed)
        r.largeConfirmed = m_confirmLarge && m_confirmLarge(row);
    r.checked = !r.payment.large || r.largeConfirmed;
}

void BankModel::setRecord(int row, int record)
{
    if (record < 0 || record >= m_subscriberChoices.size())
        return;
    Row& r = m_rows[std::size_t(row)];
    r.record = record;
    r.parts.clear();
    check(row, true);
    rowChanged(row);
}

void BankModel::setMonth(int row, const bank::YearMonth& month)
{
    Row& r = m_rows[std::size_t(row)];
    r.month = month;
    check(row, true);
    rowChanged(row);
}

void BankModel::setChecked(int row, bool checked)
{
    check(row, checked);
    rowChanged(row);
}

QString BankModel::setParts(int row, const std::vector<bank::Part>& parts)
{
    Row& r = m_rows[std::size_t(row)];
    if (!isOpen(row))
        return QStringLiteral("Этот платеж уже занесен.");
    const std::string problem
        = bank::splitProblem(*r.payment.sum, parts, int(m_subscriberChoices.size()) - 1);
    if (!problem.empty())
        return fromStd(problem);
    r.parts = parts;
    r.record = 0;
    check(row, true);
    rowChanged(row);
    return {};
}

std::vector<int> BankModel::checkedRows() const
{
    std::vector<int> rows;
    for (std::size_t r = 0; r < m_rows.size(); ++r)
        if (m_rows[r].checked)
            rows.push_back(int(r));
    return rows;
}

std::vector<bank::Posting> BankModel::postings(int row) const
{
    const Row& r = m_rows[std::size_t(row)];
    const bank::YearMonth month = r.month.value_or(bank::YearMonth{});
    if (r.parts.empty())
        return { { r.record, month, r.payment.sum.value_or(Currency()) } };
    std::vector<bank::Posting> result;
    for (const bank::Part& part : r.parts)
        result.push_back({ part.record, month, part.sum, row });
    return result;
}

QString BankModel::cellText(int row, int column) const
{
    const Row& r = m_rows[std::size_t(row)];
    const bank::Document& d = r.payment.document;
    switch (column) {
    case Date: return fromStd(d.received);
    case Sum: return r.payment.sum ? fromStd(moneyText(*r.payment.sum)) : fromStd(d.sum);
    case Payer: return fromStd(d.payer);
    case Purpose: return fromStd(d.purpose);
    case Subscriber: {
        if (r.parts.empty())
            return m_subscriberChoices[r.record];
        QStringList parts;
        for (const bank::Part& part : r.parts)
            parts << QStringLiteral("%1 — %2").arg(
                m_subscriberChoices[part.record], fromStd(moneyText(part.sum)));
        return QStringLiteral("Разделен: ") + parts.join(QStringLiteral("; "));
    }
    case Month: return r.month ? monthText(*r.month) : QString();
    case Note: return fromStd(r.payment.note);
    default: return QString();
    }
}

int BankModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int BankModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant BankModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const int row = index.row();
    const int column = index.column();
    const Row& r = m_rows[std::size_t(row)];
    switch (role) {
    case Qt::DisplayRole: {
        if (column == Mark)
            return {};
        const QString text = cellText(row, column);
        return text.size() > ShownCharacters ? text.left(ShownCharacters) + QStringLiteral("…") : text;
    }
    case Qt::ToolTipRole:
        // The whole text, which the import has kept to bank::MaxKeptCharacters.
        if (column == Purpose || column == Payer || column == Note || column == Subscriber)
            return cellText(row, column);
        return {};
    case Qt::EditRole:
        if (column == Subscriber)
            return r.record;
        if (column == Month)
            return r.month ? monthChoice(*r.month) : -1;
        return cellText(row, column);
    case Qt::CheckStateRole:
        if (column == Mark)
            return r.checked ? Qt::Checked : Qt::Unchecked;
        return {};
    case Qt::TextAlignmentRole:
        if (column == Sum)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        if (column == Date || column == Mark)
            return int(Qt::AlignCenter);
        return int(Qt::AlignLeft | Qt::AlignVCenter);
    case Qt::ForegroundRole:
        if (r.payment.alreadyImported)
            return QBrush(ImportedText);
        return {};
    case Qt::BackgroundRole:
        // What the treasurer has to look at: unmatched, and matched but left unchecked for a reason.
        if (!r.payment.alreadyImported
            && (!r.payment.matched || r.payment.possiblyImported || r.payment.large))
            return QBrush(UnmatchedBackground);
        return {};
    default: return {};
    }
}

QVariant BankModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case Mark: return QString();
    case Date: return QStringLiteral("Дата");
    case Sum: return QStringLiteral("Сумма, р.");
    case Payer: return QStringLiteral("Плательщик");
    case Purpose: return QStringLiteral("Назначение платежа");
    case Subscriber: return QStringLiteral("Абонент");
    case Month: return QStringLiteral("Месяц");
    case Note: return QStringLiteral("Примечание");
    default: return {};
    }
}

Qt::ItemFlags BankModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    // A payment already in the ledger stays as the journal has it.
    const bool open = isOpen(index.row());
    switch (index.column()) {
    case Mark: return canCheck(index.row()) ? Qt::ItemIsEnabled | Qt::ItemIsUserCheckable : Qt::NoItemFlags;
    case Subscriber:
    case Month:
        return open ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable
                    : Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    default: return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    }
}

bool BankModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || !(flags(index) & (Qt::ItemIsEditable | Qt::ItemIsUserCheckable)))
        return false;
    const int row = index.row();
    if (index.column() == Mark && role == Qt::CheckStateRole) {
        setChecked(row, value.toInt() == Qt::Checked);
        return true;
    }
    if (role != Qt::EditRole)
        return false;
    bool ok = false;
    const int choice = value.toInt(&ok);
    if (!ok)
        return false;
    if (index.column() == Subscriber && choice >= 0 && choice < m_subscriberChoices.size()) {
        setRecord(row, choice);
        return true;
    }
    if (index.column() == Month && choice >= 0 && choice < monthChoices().size()) {
        setMonth(row, m_years.at(choice));
        return true;
    }
    return false;
}
