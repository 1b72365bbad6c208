#pragma once

#include <QTreeView>

class ListGrid;
class GridModel;

// Draws the visible rows of a ListGrid's model (only those in the viewport): record rows cell by cell
// with their icons and named styles, group rows across the whole width with an expand box, a caption and
// the grid lines. Passes keys and mouse buttons to the grid's events.
class GridView : public QTreeView
{
    Q_OBJECT
public:
    explicit GridView(ListGrid *grid);

    // Puts the grid's column widths, visibility, order and sort indicator on the header.
    void applyColumns();
    void applyRowHeight();
    void setHeaderHeightPixels(int pixels);
    bool applyingColumns() const { return m_applying; }
    int rowHeightPixels() const;
    // The expand box of a group row (viewport coordinates).
    QRect expanderRect(const QRect &rowRect, int level) const;
    // What a record cell is drawn with: its text, font (smaller for an amount that would not fit
    // otherwise), alignment and rectangle.
    QStyleOptionViewItem cellOption(const QModelIndex &index) const;

protected:
    void drawRow(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyboardSearch(const QString &) override {}
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;

private:
    GridModel *gridModel() const;
    void drawGridLines(QPainter *painter, const QRect &rowRect, bool cells) const;
    bool toggleGroupAt(const QPoint &pos, bool anywhere);

    ListGrid *m_grid;
    bool m_applying = false;
};
