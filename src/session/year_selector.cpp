#include "session/year_selector.h"

#include <QComboBox>

void addHeldYears(QComboBox& combo, const fields::YearWindow& years)
{
    for (int year : years.years())
        combo.addItem(QString::number(year));
}
