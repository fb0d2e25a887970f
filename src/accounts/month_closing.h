#pragma once

// Closing months and opening one again for a correction (database/closed_months.h): each is a
// write of the database whose journal entry says what was closed or opened, and why.

#include "database/year_window.h"

#include <QString>
#include <optional>

class AppState;

namespace closing {

struct Outcome
{
    bool done = false;
    QString text; // what to tell the user: why nothing changed, or what is closed now
};

// Why the months up to `through` cannot be closed; none when they can.
std::optional<QString> whyNotClose(const AppState& state, fields::YearMonth through);

// Closes every month up to and including `through`. Refused for a month not yet begun by the
// clock, for months closed already, and in an archive; nothing changes when the write fails.
Outcome closeMonths(AppState& state, fields::YearMonth through);

// Opens `from` and every closed month after it; the reason, which must not be empty, goes into
// the journal.
Outcome reopenMonth(AppState& state, fields::YearMonth from, const QString& reason);

// "Закрыты месяцы по март 2027 включительно." or "Закрытых месяцев нет."
QString closedMonthsText(const std::optional<fields::YearMonth>& through);

} // namespace closing
