#pragma once

// Pictures of the picture buttons: the desktop theme's icons where it has them, otherwise pictures
// drawn here, so that a button is never blank.

#include <QIcon>

enum class Picture { Save, Print, Directory, Ledger, Calculator, Chart, Export, Help, Settings, BankImport };

QIcon pictureIcon(Picture picture);
// The drawn picture alone (what a machine without an icon theme shows).
QIcon drawnIcon(Picture picture);
