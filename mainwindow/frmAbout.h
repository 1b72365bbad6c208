#pragma once

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

// The About box: the program title, its version and two links, one to the maker's web site and one that
// starts an e-mail to the maker's support address. It changes no data.
class frmAbout : public QDialog
{
    Q_OBJECT
public:
    // The Help menu's About: shows the box modal over owner and unloads it when it closes.
    static void ShowModal(QWidget *owner);

    explicit frmAbout(QWidget *owner = nullptr);

    // The maker's addresses, shown as the links' captions and opened by their clicks.
    static QString WebAddress();
    static QString WebLink();
    static QString SupportAddress();
    static QString SupportLink();
    // The program's version as major.minor.revision (the application's version, else the release's).
    static QString VersionNumbers();

    QLabel *Image1 = nullptr;
    QLabel *lblTitle = nullptr;
    QLabel *lblVersion = nullptr;
    QFrame *Line1 = nullptr;
    QLabel *lblWeb = nullptr;
    QLabel *lblMain = nullptr;
    QPushButton *cmdOK = nullptr;

    void lblWeb_Click();
    void lblMain_Click();
    void cmdOK_Click();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void Form_Load();
    // Opens a link with the busy pointer shown meanwhile; whether anything answered is not reported.
    void OpenLink(const QString &link);
};
