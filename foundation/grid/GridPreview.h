#pragma once

#include <QWidget>

class GridPrinter;
class QPrinter;
class QPushButton;
class QToolButton;

// The print preview of a grid: the pages of its GridPrinter, fitted to the width and scrolled, with a
// row of buttons: Close (the owner decides what closing means), Page set-up (the printer's paper,
// orientation and margins; the pages are laid out again), Print (the print dialog, then the printer),
// and zoom out / zoom in. The button texts are the owner's. The pages are laid out when the preview is
// updated, and each is drawn when it comes into view: a report of many pages shows its first at once.
class GridPreview : public QWidget
{
    Q_OBJECT
public:
    explicit GridPreview(GridPrinter *printer, QWidget *parent = nullptr);
    ~GridPreview() override;

    GridPrinter *gridPrinter() const { return m_gridPrinter; }
    void setButtonTexts(const QString &close, const QString &pageSetup, const QString &print);

    // Lays the pages out again and shows them (after the grid or the print settings changed).
    void updatePreview();
    // Pages of the preview shown.
    int pageCount() const;

    QPushButton *closeButton() const { return m_close; }
    QPushButton *pageSetupButton() const { return m_pageSetup; }
    QPushButton *printButton() const { return m_print; }
    // The scrolled pages.
    QWidget *pagesWidget() const;
    // The pages drawn since the last update (each once while it stays in view).
    int pagesDrawn() const;

signals:
    void closeClicked();
    // Printing from the print dialog failed: file is the file that was not written ("" for a printer),
    // description what went wrong, in the user's language where the failure's kind is known. The owner
    // tells the user.
    void printFailed(const QString &file, const QString &description);

private:
    class PageView;
    void pageSetupClicked();
    void printClicked();

    GridPrinter *m_gridPrinter;
    PageView *m_preview;
    QPushButton *m_close;
    QPushButton *m_pageSetup;
    QPushButton *m_print;
    QToolButton *m_zoomOut;
    QToolButton *m_zoomIn;
};
