#pragma once

// The floors the program's figures are set beside:
//   - the engine alone: SQLite running the same statement (translated from the Jet dialect as the program
//     translates it), stepping through every row and reading every column, nothing kept;
//   - a bare Qt list: the same rows as plain values in a minimal model under a bare QTreeView, filtered
//     and sorted by the plainest code.

#include <QAbstractTableModel>
#include <QByteArray>
#include <QDate>
#include <QString>
#include <QTreeView>
#include <vector>

namespace bare {

// A statement of the Jet dialect as the engine runs it.
QByteArray translated(const QString &dbFile, const QString &jetSql);

// Runs the statement on a connection of its own (the program's SQL functions registered); returns the rows
// it gave. Statements that change rows change them.
int runStatement(const QString &dbFile, const QByteArray &sql);

// The first column of the statement's first row, as a date.
QDate firstDate(const QString &dbFile, const QByteArray &sql);

// What the main list shows of a row.
struct Row {
    qint64 id = 0;
    int day = 0;                 // Julian day of the date
    bool done = false;
    qint64 value = 0;            // ten-thousandths
    QString description;
    QString account;
};

// The rows of a list statement (it holds TrRowId, TrDone, TrDate, TrDescription, TrValue and AcName).
std::vector<Row> loadRows(const QString &dbFile, const QByteArray &sql);

// The rows in a table: id, date, description, account, amount; `shown` picks and orders them.
class RowsModel : public QAbstractTableModel
{
public:
    explicit RowsModel(std::vector<Row> rows, QObject *parent = nullptr);

    // Rows whose description or account holds the text (case-insensitively); all rows for "".
    void filter(const QString &text);
    // By date then id, both in the direction given.
    void sortByDate(int direction);
    void setRows(std::vector<Row> rows);
    int shownCount() const { return int(m_shown.size()); }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::vector<Row> m_rows;
    std::vector<int> m_sorted;   // every row, by date
    std::vector<int> m_shown;
    QString m_text;
    int m_direction = 1;
};

// The rows as a plain table in a PDF file: a line of five texts per row, pages of A4.
void writePdf(const std::vector<Row> &rows, const QString &file);

// A bare QTreeView over the model, sized as the program's list.
class View
{
public:
    explicit View(RowsModel *model);
    QTreeView &widget() { return m_view; }
    void paint();                // draws the visible rows now

private:
    QTreeView m_view;
};

} // namespace bare
