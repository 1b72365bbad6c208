#pragma once

// What the files of the main window share among themselves; nothing outside mainwindow/frmMain*.cpp
// includes it.

#include "foundation/grid/ListGrid.h"
#include "mainwindow/frmMain.h"

#include <QString>

namespace frmMainParts {

// The window as the "App Error" report names it.
inline const QString WindowName = QStringLiteral("frmMain");

// A grid bound to nothing: no rows; its columns stay.
inline void Unbind(ListGrid *grid)
{
    grid->setRecordSource(QString());
    grid->rebind(true);
}

} // namespace frmMainParts

// While it lives the window counts as rebuilding its list (inUpdate) and the grid does not draw; both end
// however the rebuild ends, a failure included.
class frmMain::ListRebuild
{
public:
    ListRebuild(frmMain *w, ListGrid *grid, bool markUpdate)
        : m_w(w), m_grid(grid), m_markUpdate(markUpdate)
    {
        if (m_markUpdate)
            m_w->inUpdate = true;
        if (m_grid)
            m_grid->setUpdatesEnabled(false);
    }
    ~ListRebuild() { end(); }
    // Ends the rebuild before the scope does.
    void end()
    {
        if (m_grid)
            m_grid->setUpdatesEnabled(true);
        if (m_markUpdate)
            m_w->inUpdate = false;
        m_grid = nullptr;
        m_markUpdate = false;
    }
    ListRebuild(const ListRebuild &) = delete;
    ListRebuild &operator=(const ListRebuild &) = delete;

private:
    frmMain *m_w;
    ListGrid *m_grid;
    bool m_markUpdate;
};
