#pragma once

// The pop-up of a subscriber's row (the directory's, the ledger's): "История изменений" and the
// papers of the subscriber.

#include <functional>

class AppState;
class QMenu;
class QWidget;

// `record` tells whose row was clicked when an item is chosen.
QMenu* subscriberMenu(AppState& state, QWidget* parent, std::function<int()> record);
