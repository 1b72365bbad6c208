// The record commands of the main window on the current row of its list: new, edit, duplicate, delete, close
// or re-open, open the attachment, delete the closed deadlines; the grid's keys and its row popup.

#include "mainwindow/frmMain.h"
#include "mainwindow/frmMainParts.h"

#include "editors/frmCloseDeadline.h"
#include "editors/frmDelClosedRows.h"
#include "editors/frmGrpAdd.h"
#include "editors/frmGrpErase.h"
#include "editors/frmPN.h"
#include "editors/frmScadenze.h"
#include "editors/frmScadenzeNuovo.h"
#include "foundation/Globals.h"
#include "foundation/cEnvironment.h"
#include "foundation/cLang.h"
#include "foundation/modShared.h"
#include "mainwindow/RecordCommands.h"
#include "platform/RuntimeError.h"
#include "platform/controls/MonthView.h"
#include "platform/database/Currency.h"
#include "platform/dialogs/Dialogs.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>

using frmMainParts::WindowName;
using platform::Currency;

// The editor loaded over this window, its saves connected (once) to the refresh.
template <class Editor>
Editor *frmMain::LoadEditor()
{
    Editor *editor = Editor::Load(this);
    connect(editor, &RecordEditorWindow::rowSaved, this, &frmMain::RowSaved, Qt::UniqueConnection);
    return editor;
}

void frmMain::NewCommand()
try {
    if (curView == 1)
        LoadEditor<frmPN>()->Nuovo();
    else
        NewDeadline(gex->row());
} catch (const std::exception &e) {
    ShowAppError(e, WindowName, QStringLiteral("NewCommand"), 0);
}

void frmMain::NewDeadline(int row)
{
    // An open new-deadline editor comes to the front as it is: no series question, nothing reset.
    if (frmScadenzeNuovo *open = frmScadenzeNuovo::instance(); open && open->isOpen()) {
        open->BringToFront();
        return;
    }
    const GridRowData picked = gex->rowData(row);
    if (row < 1 || !picked.isRecord() || picked.value(QStringLiteral("TrGrpId")).toInt() == 0) {
        LoadEditor<frmScadenzeNuovo>()->Nuovo();
        return;
    }
    const int choice = frmGrpAdd::Load(this)->Apri();
    frmGrpAdd::Unload();
    if (choice == 1) {
        LoadEditor<frmScadenzeNuovo>()->Nuovo();
    } else if (choice == 2) {
        // The stored description, not the one shown with its series counter.
        const QVariant description =
            TransactionsList::field(rsGrid.get(), picked.bookmark(), m_list.fields().TrDescription);
        LoadEditor<frmScadenzeNuovo>()->Nuovo2(picked.value(QStringLiteral("TrType")).toInt(), description,
                                               picked.value(QStringLiteral("TrAcId")).toInt(),
                                               picked.value(QStringLiteral("TrValue")).value<Currency>(),
                                               picked.value(QStringLiteral("TrGrpId")).toInt());
    }
}

void frmMain::EditCommand()
try {
    // An empty list opens a new record of the view.
    if (gex->rowCount() < 1 || gex->recordCount() < 1) {
        if (curView == 1)
            LoadEditor<frmPN>()->Nuovo();
        else
            LoadEditor<frmScadenzeNuovo>()->Nuovo();
        return;
    }
    const GridRowData picked = gex->rowData(gex->row());
    if (!picked.isRecord())
        return;
    const int id = picked.value(QStringLiteral("TrRowId")).toInt();
    if (curView == 1)
        LoadEditor<frmPN>()->Apri(id);
    else
        LoadEditor<frmScadenze>()->Apri(id);
} catch (const std::exception &e) {
    ShowAppError(e, WindowName, QStringLiteral("EditCommand"), 0);
}

void frmMain::DuplicateCommand()
try {
    const GridRowData picked = gex->rowData(gex->row());
    if (!picked.isRecord())
        return;
    const int id = picked.value(QStringLiteral("TrRowId")).toInt();
    if (curView == 1)
        LoadEditor<frmPN>()->Duplica(id);
    else
        LoadEditor<frmScadenze>()->Duplica(id);
} catch (const std::exception &e) {
    ShowAppError(e, WindowName, QStringLiteral("DuplicateCommand"), 0);
}

void frmMain::DeleteCommand()
try {
    DeleteRecord(gex->row());
    mvUpdate();
    tasksUpdate(mv->selStart(), mv->selEnd());
} catch (const std::exception &e) {
    ShowAppError(e, WindowName, QStringLiteral("DeleteCommand"), 0);
}

void frmMain::DeleteRecord(int row)
{
    if (row < 1)
        return;
    const GridRowData picked = gex->rowData(row);
    if (!picked.isRecord())
        return;
    const int id = picked.value(QStringLiteral("TrRowId")).toInt();
    const int grpId = picked.value(QStringLiteral("TrGrpId")).toInt();
    try {
        if (grpId == 0 || curView == 1) {
            const QString question = LRS(curView == 1 ? 1058 : 1055);
            if (platform::MsgBox(question, platform::vbYesNo, Env->AppTitle, this) != platform::vbYes)
                return;
            // A series row deleted from the cash book leaves the rest of its series numbered again.
            if (grpId == 0)
                RecordCommands::DeleteRow(id);
            else
                RecordCommands::DeleteFromSeries(id, grpId);
        } else {
            const int choice = frmGrpErase::Load(this)->Apri();
            frmGrpErase::Unload();
            if (choice == 2)
                RecordCommands::DeleteSeries(grpId);
            else if (choice == 1)
                RecordCommands::DeleteFromSeries(id, grpId);
        }
    } catch (const platform::RuntimeError &e) {
        ShowAppError(e, QStringLiteral("frmMain"), QStringLiteral("DeleteRecord"), 0);
    }
    PauseForDbRelease();
    gexUpdate();
}

void frmMain::CloseOrReopen()
try {
    const int row = gex->row();
    const GridRowData picked = gex->rowData(row);
    if (!picked.isRecord() || curView != 0)
        return;
    const int id = picked.value(QStringLiteral("TrRowId")).toInt();
    try {
        if (picked.value(QStringLiteral("TrDone")).toBool()) {
            RecordCommands::ToggleDone(id);
        } else {
            const QDate d = frmCloseDeadline::Load(this)->Apri(id);
            frmCloseDeadline::Unload();
            // A dialog left without a date changes nothing.
            if (!d.isValid())
                return;
            RecordCommands::ToggleDone(id, d);
        }
    } catch (const platform::RuntimeError &e) {
        ShowAppError(e, QStringLiteral("frmMain"), QStringLiteral("ToggleDone"), 0);
        return;
    }
    PauseForDbRelease();
    mvUpdate();
    tasksUpdate(mv->selStart(), mv->selEnd());
    // The same query read again; the search ends; the grid returns to the row's place.
    gex->requery();
    rsGrid = gex->recordset();
    ResolveFields();
    txtFind->clear();
    gex->setRow(qMin(row, gex->rowCount()));
    interfaceUpdate();
} catch (const std::exception &e) {
    ShowAppError(e, WindowName, QStringLiteral("CloseOrReopen"), 0);
}

void frmMain::OpenAttachmentCommand()
try {
    const GridRowData picked = gex->rowData(gex->row());
    if (picked.isRecord())
        OpenAttachment(NullToString(picked.value(QStringLiteral("TrAttached"))), this);
} catch (const std::exception &e) {
    ShowAppError(e, WindowName, QStringLiteral("OpenAttachmentCommand"), 0);
}

void frmMain::DeleteClosedDeadlines()
try {
    const QString question = LRS(1301) + QStringLiteral("\n\n") + LRS(1302);
    if (platform::MsgBox(question, platform::vbYesNo, Env->AppTitle, this) != platform::vbYes)
        return;
    // The deleted rows leave the list, the calendar and the side list at once.
    if (frmDelClosedRows::ShowModal(this) > 0) {
        gexUpdate();
        mvUpdate();
        tasksUpdate(mv->selStart(), mv->selEnd());
    }
} catch (const std::exception &e) {
    ShowAppError(e, WindowName, QStringLiteral("DeleteClosedDeadlines"), 0);
}

// ---------------------------------------------------------------------------------------------------
// The grid's keys and its row popup

void frmMain::gex_KeyDown(int &keyCode, Qt::KeyboardModifiers)
{
    if (gex->row() < 1 || !gex->rowData(gex->row()).isRecord())
        return;
    switch (keyCode) {
    case Qt::Key_Space:
        if (curView == 0)
            CloseOrReopen();
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        keyCode = 0;
        EditCommand();
        break;
    case Qt::Key_Delete:
        keyCode = 0;
        DeleteCommand();
        break;
    default:
        break;
    }
}

void frmMain::gex_MouseUp(Qt::MouseButton button, const QPoint &pos)
{
    const bool any = gex->recordCount() > 0;
    for (int i = 1; i < mnuPopup.size(); ++i)
        mnuPopup[i]->setEnabled(any);
    mnuPopup[0]->setEnabled(true);
    if (button != Qt::RightButton)
        return;
    const GridRowData picked = gex->rowData(gex->row());
    if (!picked.isRecord())
        return;
    const bool done = picked.value(QStringLiteral("TrDone")).toBool();
    mnuPopup[4]->setText(LRS(done ? 709 : 703));
    mnuPopup[4]->setEnabled(curView == 0 && any);
    mnuPopup[7]->setEnabled(HasAttachment(picked.value(QStringLiteral("TrAttached"))));
    PopUp1->popup(gex->mapToGlobal(pos));
}
