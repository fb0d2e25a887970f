#pragma once

// Pictures of the picture buttons: the desktop theme's icons where it has them, otherwise pictures
// drawn here, so that a button is never blank.

#include <QIcon>
#include <QImage>

enum class Picture { Save, Print, Directory, Ledger, Calculator, Chart, Export, Help, Settings, BankImport };

QIcon pictureIcon(Picture picture);
// The program's own picture, for its windows, the desktop's menu and the package: a lightning
// bolt over a meter's dial. Drawn at any size from 16 pixels up.
QImage programImage(int size);
QIcon programIcon();
// The drawn picture alone (what a machine without an icon theme shows).
QIcon drawnIcon(Picture picture);
