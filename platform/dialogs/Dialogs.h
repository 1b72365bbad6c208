#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

namespace platform {

// Every message box, input box, folder browser and file dialog of the system goes through here, so a test
// can answer them: with a responder installed no modal window is shown; the responder sees what was asked
// and gives the answer.

// Buttons and icons, combinable as the system writes them (vbYesNo + vbQuestion, ...).
enum MsgBoxStyle : int {
    vbOKOnly = 0,
    vbOKCancel = 1,
    vbAbortRetryIgnore = 2,
    vbYesNoCancel = 3,
    vbYesNo = 4,
    vbRetryCancel = 5,
    vbCritical = 16,
    vbQuestion = 32,
    vbExclamation = 48,
    vbInformation = 64,
    vbDefaultButton2 = 256,
    vbDefaultButton3 = 512,
    vbMsgBoxSetForeground = 65536,   // comes to the front, above the windows of other programs
};
enum MsgBoxResult : int { vbOK = 1, vbCancel = 2, vbAbort = 3, vbRetry = 4, vbIgnore = 5, vbYes = 6, vbNo = 7 };

enum class DialogKind { Message, Input, Folder, OpenFile, SaveFile };

// What was asked.
struct DialogRequest {
    DialogKind kind = DialogKind::Message;
    QString text;        // message / prompt
    QString title;       // caption
    int style = 0;       // message box style
    QString initial;     // input default, start folder or file name
    QString filter;      // file dialogs: "Text (*.txt)|*.txt" or Qt filter text
};
// The answer: a button for messages; text for input (cancel = empty and accepted false); a path for the
// folder and file dialogs ("" = cancel).
struct DialogAnswer {
    int button = vbOK;
    QString text;
    bool accepted = true;
};

using DialogResponder = std::function<DialogAnswer(const DialogRequest &)>;
// Installs a responder (an empty function removes it and real dialogs are shown again).
void setDialogResponder(DialogResponder responder);
bool hasDialogResponder();

int MsgBox(const QString &text, int style = vbOKOnly, const QString &title = QString(), QWidget *owner = nullptr);
// "" and accepted=false on cancel.
QString InputBox(const QString &prompt, const QString &title, const QString &initial, bool *accepted = nullptr,
                 QWidget *owner = nullptr);
// The chosen folder (native separators, no trailing separator except a root), "" when cancelled.
QString browseForFolder(QWidget *owner, const QString &title);
QString getOpenFileName(QWidget *owner, const QString &title, const QString &filter, const QString &initial = {});
QString getSaveFileName(QWidget *owner, const QString &title, const QString &filter, const QString &initial = {});

// The width in pixels that a window needs for the window system to show its whole title beside the title
// bar's icon and buttons. A message box is made at least that wide.
int titleBarWidth(const QString &title);

// The program title that message boxes without a title of their own carry.
QString defaultTitle();
void setDefaultTitle(const QString &title);

} // namespace platform
