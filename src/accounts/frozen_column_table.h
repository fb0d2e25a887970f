#pragma once

// A grid whose first column stays in view while the grid scrolls sideways: a second view of the
// same model, selection and rows lies over the grid's left edge and shows that column alone.

#include <QTableView>

class FrozenColumnTable : public QTableView
{
    Q_OBJECT
public:
    explicit FrozenColumnTable(QWidget* parent = nullptr);

    // Once the grid has its model: the overlay takes the header given for its caption.
    void freezeFirstColumn(QHeaderView* header);
    QTableView* frozenView() const { return m_frozen; }

    // A cell to the right is brought out from under the first column; the first column itself
    // needs no sideways scrolling.
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void updateGeometries() override;

private:
    void hideOtherColumns();
    void placeFrozen();

    QTableView* m_frozen = nullptr;
};
