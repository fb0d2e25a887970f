#include "accounts/month_closing.h"

#include "database/closed_months.h"
#include "platform/clock.h"
#include "session/app_state.h"

#include <QDate>
#include <QDateTime>

namespace closing {

namespace {

QString words(fields::YearMonth month)
{
    return QString::fromStdString(monthWords(month));
}

} // namespace

QString closedMonthsText(const std::optional<fields::YearMonth>& through)
{
    if (!through)
        return QStringLiteral("Закрытых месяцев нет.");
    return QStringLiteral("Закрыты месяцы по %1 включительно.").arg(words(*through));
}

std::optional<QString> whyNotClose(const AppState& state, fields::YearMonth through)
{
    if (state.archiveView())
        return QStringLiteral("Архив открыт только для просмотра.");
    const QDate today = state.services.clock.now().date();
    if (through > fields::YearMonth{ today.year(), today.month() })
        return QStringLiteral("Месяц «%1» ещё не наступил: закрыть можно только прошедший или текущий месяц.")
            .arg(words(through));
    if (isClosed(state.ClosedThrough, through))
        return QStringLiteral("Месяц «%1» уже закрыт. %2")
            .arg(words(through), closedMonthsText(state.ClosedThrough));
    return std::nullopt;
}

Outcome closeMonths(AppState& state, fields::YearMonth through)
{
    if (const std::optional<QString> why = whyNotClose(state, through))
        return { false, *why };
    const AppState::Writing writing(
        state, QString::fromUtf8(CloseKind), QString::fromStdString(closeNote(through)));
    if (!state.WriteDatabase())
        return { false, QStringLiteral("Месяцы не закрыты: база не записана.") };
    state.ClosedThrough = through;
    return { true, closedMonthsText(state.ClosedThrough) };
}

Outcome reopenMonth(AppState& state, fields::YearMonth from, const QString& reason)
{
    if (state.archiveView())
        return { false, QStringLiteral("Архив открыт только для просмотра.") };
    if (!isClosed(state.ClosedThrough, from))
        return { false,
            QStringLiteral("Месяц «%1» не закрыт: его можно исправлять и так.").arg(words(from)) };
    const QString typed = reason.simplified();
    if (typed.isEmpty())
        return { false, QStringLiteral("Укажите причину исправления: журнал изменений сохранит её.") };

    const AppState::Writing writing(
        state, QString::fromUtf8(ReopenKind), QString::fromStdString(reopenNote(from, typed.toStdString())));
    if (!state.WriteDatabase())
        return { false, QStringLiteral("Месяц не открыт: база не записана.") };
    state.ClosedThrough = monthBefore(from);
    return { true,
        QStringLiteral("Месяц «%1» открыт для исправления. %2")
            .arg(words(from), closedMonthsText(state.ClosedThrough)) };
}

} // namespace closing
