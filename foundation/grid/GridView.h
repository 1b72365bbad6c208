#pragma once

#include "foundation/grid/GridRowStyle.h"

#include <QTreeView>
#include <functional>

class GridModel;

// Draws the visible rows of a grid model (only those in the viewport): record rows cell by cell with
// their icons and named styles, group rows across the whole width with an expand box, a caption and the
// grid lines. It puts the model's columns on its header and follows their changes; a caption wider than
// its column wraps at its words, and the header grows to the lines it takes. A screen reader reads it
// through GridAccessible. Keys and mouse
// buttons are told through its signals; a click on a group's box (or a double click on a group row, or
// the arrow keys on one) asks for the group to open or close.
class GridView : public QTreeView
{
    Q_OBJECT
public:
    explicit GridView(GridModel *model, QWidget *parent = nullptr);

    GridModel *gridModel() const { return m_model; }

    // Called before each paint: brings the rows up to date and returns true when it built them again
    // (the paint then waits for the next one). Also called before a key reads the current row.
    void setPrepare(std::function<bool()> prepare) { m_prepare = std::move(prepare); }

    // Puts the model's column widths, visibility, order and sort indicator on the header.
    void applyColumns();
    bool applyingColumns() const { return m_applying; }
    int rowHeight() const { return m_rowHeight; }      // twips
    void setRowHeight(int twips);
    int rowHeightPixels() const;
    void setHeaderHeightPixels(int pixels);
    bool gridLines() const { return m_gridLines; }
    void setGridLines(bool shown);
    // The look of group rows; a group row's named style is laid over it.
    GridRowStyle groupRowStyle() const { return m_groupStyle; }
    void setGroupRowStyle(const GridRowStyle &style);
    // The expand box of a group row (viewport coordinates).
    QRect expanderRect(const QRect &rowRect, int level) const;
    // What a record cell is drawn with: its text, font (smaller for an amount that would not fit
    // otherwise), alignment and rectangle.
    QStyleOptionViewItem cellOption(const QModelIndex &index) const;

signals:
    // A key went down in the rows (Qt key code); setting keyCode to 0 consumes it.
    void keyDown(int &keyCode, Qt::KeyboardModifiers modifiers);
    // A mouse button was released over the rows; pos in the viewport's coordinates.
    void buttonReleased(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, const QPoint &pos);
    // The left button was double-clicked over the rows.
    void rowsDoubleClicked();
    // The group row (1-based) is to open (expand) or close.
    void groupToggleRequested(int row, bool expand);

protected:
    void drawRow(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyboardSearch(const QString &) override {}
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void selectionChanged(const QItemSelection &selected, const QItemSelection &deselected) override;

private:
    void fitHeader();
    void drawGridLines(QPainter *painter, const QRect &rowRect, bool cells) const;
    bool toggleGroupAt(const QPoint &pos, bool anywhere);

    GridModel *m_model;
    std::function<bool()> m_prepare;
    bool m_applying = false;
    bool m_gridLines = true;
    int m_rowHeight = 300;
    GridRowStyle m_groupStyle;
};
