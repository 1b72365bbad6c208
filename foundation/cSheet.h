#pragma once

#include <QString>

// The current data sheet: its id (the "TrDbId=" of every query of rows), its name, and display constants
// shared by the grids and the report.
class cSheet
{
public:
    // Takes the stored Id (default 1); when no sheet has that id, the sheet with the lowest id.
    cSheet();
    // Writes Id back.
    ~cSheet();
    cSheet(const cSheet &) = delete;
    cSheet &operator=(const cSheet &) = delete;

    int Id() const { return m_id; }
    void setId(int id) { m_id = id; }
    // Width of a vertical scroll bar, in twips.
    double sysVerticalBarWidth() const;
    // Row height of the grids, in twips.
    int RowHeight() const { return 420; }
    // The user's measurement system: 0 metric, 1 U.S.
    int PrintUnits() const;
    // The sheet's name, read from the database at each call.
    QString Name() const;

private:
    int m_id = 1;
};
