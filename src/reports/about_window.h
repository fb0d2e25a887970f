#pragma once

// frmAbout: the program's name, version and purpose. OK or a click anywhere outside closes it.

#include <QDialog>

namespace about {
QString version();
} // namespace about

class frmAbout : public QDialog
{
    Q_OBJECT
public:
    explicit frmAbout(QWidget& opener);

protected:
    bool event(QEvent* event) override;

private:
    bool m_wasActive = false;
};
