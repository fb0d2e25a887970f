#pragma once

// Column captions in two tiers over a grid: a caption over a group of columns and, under it, one
// caption per column, or one caption filling both tiers of its column. The captions follow the
// columns when they are resized or scrolled.

#include <QHeaderView>
#include <QString>
#include <vector>

struct HeaderCaption
{
    enum Tier { Both, Upper, Lower };
    int firstColumn = 0;
    int lastColumn = 0;
    Tier tier = Both;
    QString text;
    Qt::Alignment alignment = Qt::AlignCenter;
};

class TwoTierHeader : public QHeaderView
{
    Q_OBJECT
public:
    TwoTierHeader(std::vector<HeaderCaption> captions, QWidget* parent = nullptr);

    QSize sizeHint() const override;
    // Where a caption is drawn, in the header's viewport (empty while its columns have no width).
    QRect captionRect(const HeaderCaption& caption) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int upperHeight() const;

    std::vector<HeaderCaption> m_captions;
};

// Lengths of the window's layout are kept in twips of a small font, so that a larger font gets
// wider columns and the captions still fit.
int twipsToPixels(const QWidget* widget, int twips);
// The width that an amount column needs so that the sums of a full ledger (up to 9 999 999,99)
// show whole.
int amountWidth(const QWidget* widget);
