#pragma once

#include <QMainWindow>

// The main window of the program.
class frmMain : public QMainWindow
{
    Q_OBJECT
public:
    // Loads the window (hidden) once; later calls return the loaded window.
    static frmMain *Load();
    static frmMain *instance();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    frmMain();
    ~frmMain() override;
};
