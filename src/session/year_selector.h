#pragma once

// The year selectors of the windows list the years the database holds, oldest first.

#include "database/year_window.h"

class QComboBox;

void addHeldYears(QComboBox& combo, const fields::YearWindow& years);
