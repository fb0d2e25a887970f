#pragma once

// frmHlp1 "Справка по горячим клавишам": how cells of the ledger are edited.

#include <QDialog>

class frmHlp1 : public QDialog
{
    Q_OBJECT
public:
    explicit frmHlp1(QWidget* ledger);

    // The texts, top to bottom.
    static const QStringList& texts();
};
