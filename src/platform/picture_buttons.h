#pragma once

// A frame of picture buttons, each with its hint under it: the hint shows while the mouse is over
// its button and hides when the mouse leaves it; all hints hide when the mouse moves over the
// frame itself (or when the window asks, as the mouse moves over its free area).

#include "platform/icons.h"

#include <QFrame>
#include <span>
#include <vector>

class QLabel;
class QToolButton;

struct PictureButton
{
    const char* name; // the button's objectName
    const char* hint; // the hint's caption
    Picture picture;
};

class PictureButtonFrame : public QFrame
{
    Q_OBJECT
public:
    enum class Focus { Keep, TakeOnClick };

    // Hints are named `hintName`_i ("Label1_0", "LbN_3"). With TakeOnClick a click moves the focus
    // to the button, so that the cell being edited is left (and stored) before the button acts.
    PictureButtonFrame(std::span<const PictureButton> buttons, const QString& hintName, Focus focus,
                       QWidget* parent);

    QToolButton* button(int i) const { return m_buttons[std::size_t(i)]; }
    QLabel* hint(int i) const { return m_hints[std::size_t(i)]; }
    void hideHints();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    std::vector<QToolButton*> m_buttons;
    std::vector<QLabel*> m_hints;
};
