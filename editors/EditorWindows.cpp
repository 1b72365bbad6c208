#include "editors/EditorWindows.h"

#include "editors/frmAccounts.h"
#include "editors/frmPN.h"
#include "editors/frmScadenze.h"
#include "editors/frmScadenzeNuovo.h"
#include "foundation/cLang.h"
#include "platform/dialogs/Dialogs.h"

#include <QPointer>
#include <QPushButton>

namespace EditorWindows {

QList<RecordEditorWindow *> openEditors()
{
    QList<RecordEditorWindow *> editors;
    for (RecordEditorWindow *w : {static_cast<RecordEditorWindow *>(frmScadenzeNuovo::instance()),
                                  static_cast<RecordEditorWindow *>(frmScadenze::instance()),
                                  static_cast<RecordEditorWindow *>(frmPN::instance())})
        if (w && w->isOpen())
            editors.append(w);
    return editors;
}

bool anyOpen()
{
    return !openEditors().isEmpty() || frmAccounts::instance();
}

bool ConfirmClose()
{
    for (RecordEditorWindow *editor : openEditors()) {
        if (!editor->isModified())
            continue;
        QPointer<RecordEditorWindow> w(editor);
        w->BringToFront();
        // Asked over the editor it is about.
        const int answer = platform::MsgBox(LRSV(1954, w->windowTitle()),
                                            platform::vbYesNoCancel | platform::vbQuestion, QString(), w);
        if (answer == platform::vbCancel || !w)
            return false;
        if (answer == platform::vbYes) {
            // Save runs every check of the window; a refused or failed save leaves it open.
            w->cmdSalva->click();
            if (w && w->isOpen()) {
                w->BringToFront();
                return false;
            }
        } else {
            w->cmdAnnulla_Click();
        }
    }
    return true;
}

} // namespace EditorWindows
