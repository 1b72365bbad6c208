#pragma once

#include <QDialog>

class ListGrid;
class QLabel;
class QPushButton;

// The export dialog: writes the records of the main list, as the list shows them now (its filter,
// search, grouping and order, computed columns included), to a tab-separated text file chosen by the
// user. The columns depend on the view: deadlines or cash book.
class frmExport : public QDialog
{
    Q_OBJECT
public:
    // File > Export of the main window: `grid` is its list, `curView` its view (0 deadlines, 1 cash
    // book). Shown modally over owner.
    static void showModal(QWidget *owner, ListGrid *grid, int curView);

    frmExport(ListGrid *grid, int curView, QWidget *owner = nullptr);
    ~frmExport() override;

    QLabel *lblExplain = nullptr;
    QPushButton *cmdProcedi = nullptr;
    QPushButton *cmdAnnulla = nullptr;

    // Builds the text, asks for the file, writes it and reports; the dialog closes unless writing failed
    // (then the error is shown and the user may choose another file).
    void cmdProcedi_Click();
    void cmdAnnulla_Click();

private:
    void Form_Load();

    ListGrid *m_grid;
    int m_view;
};
