// The main window's calendar pane: the days that hold rows of the view in bold, the today and current-month
// links, and the side list of the rows of the selected days.

#include "mainwindow/frmMain.h"
#include "mainwindow/frmMainParts.h"

#include "foundation/Globals.h"
#include "foundation/RowRules.h"
#include "foundation/Twips.h"
#include "foundation/cAccessDb.h"
#include "foundation/cEnvironment.h"
#include "foundation/cSheet.h"
#include "foundation/grid/GridColumn.h"
#include "foundation/grid/GridView.h"
#include "foundation/modShared.h"
#include "platform/Clock.h"
#include "platform/controls/MonthView.h"

using frmMainParts::Unbind;
using frmMainParts::WindowName;

QSet<QDate> frmMain::DaysWithRows(const QDate &first, const QDate &last) const
{
    QSet<QDate> days;
    platform::Recordset rs;
    rs.Open(MainListRules::DaysWithRowsSql(first, last, RowRules::calendarCondition(curView, Env->DebitCreditToPN),
                                           Sheet->Id()),
            Adb->dcs(), platform::Recordset::adOpenForwardOnly, platform::Recordset::adLockReadOnly,
            platform::Recordset::adCmdText);
    for (; !rs.EOF(); rs.MoveNext())
        days.insert(rs.value(QStringLiteral("TrDate")).toDate());
    rs.Close();
    return days;
}

void frmMain::mv_GetDayBold(const QDate &startDate, int count, QVector<bool> &state)
{
    if (inUpdate || !Sheet || !Adb || count <= 0)
        return;
    // One query over the days asked for (the date index answers it), then one pass over them.
    const QSet<QDate> days = DaysWithRows(startDate, startDate.addDays(count - 1));
    for (int i = 0; i < count; ++i)
        state[i] = days.contains(startDate.addDays(i));
}

void frmMain::mvUpdate()
{
    const QDate first = mv->visibleDay(1);
    const QDate last = mv->visibleEnd();
    const QSet<QDate> days = DaysWithRows(first, last);
    for (QDate d = first; d <= last; d = d.addDays(1))
        mv->setDayBold(d, days.contains(d));
}

void frmMain::tasksUpdate(const QDate &d1, const QDate &d2)
{
    const QString c = RowRules::calendarCondition(curView, Env->DebitCreditToPN);
    const ListRebuild rebuild(this, gextasks, false);
    gextasks->setConnectionString(Adb->dcs());
    gextasks->setRecordSource(MainListRules::SideListSql(d1, d2, c, Sheet->Id()));
    try {
        gextasks->rebind(false);
    } catch (...) {
        Unbind(gextasks);
        throw;
    }
    GridColumn *text = gextasks->column(1);
    text->setComputed(true);
    text->setContent(GridColumn::IconAndText);
    text->setIconIndex(curView == 1 ? 2 : 1);
    text->setWidth(int(PixelsToTwips(gextasks->view()->viewport()->width())));
    for (int i = 2; i <= gextasks->columnCount(); ++i)
        gextasks->column(i)->setVisible(false);
    gextasks->setRow(0);
}

void frmMain::gextasks_UnboundColumnFetch(int, int colIndex, qint64 bookmark, QVariant &value)
{
    if (colIndex != 1)
        return;
    const auto rs = gextasks->recordset();
    if (!rs)
        return;
    const QString description = rs->valueAt(bookmark, 0).toString();
    const QString grpType = rs->valueAt(bookmark, 1).toString();
    if (grpType != QLatin1String("n") && Env->DeadlinesShowRecurringCounters)
        value = description + QLatin1Char(' ') + QString::number(rs->valueAt(bookmark, 2).toInt()) + QLatin1Char('/')
                + QString::number(rs->valueAt(bookmark, 3).toInt());
    else
        value = description;
}

void frmMain::gextasks_Click()
{
    if (gextasks->rowCount() > 0 && gextasks->row() > 0) {
        const QVariant id = gextasks->rowData(gextasks->row()).value(5);
        gex->find(1, id);
    }
    gex->setFocus();
}

void frmMain::mv_SelChange(const QDate &startDate, const QDate &endDate)
try {
    tasksUpdate(startDate, endDate);
} catch (const std::exception &e) {
    ShowAppError(e, WindowName, QStringLiteral("mv_SelChange"), 0);
}

void frmMain::imgOggi_Click()
try {
    const QDate t = platform::today();
    mv->setValue(t);
    mv->setSelection(t, t);
    tasksUpdate(mv->selStart(), mv->selEnd());
} catch (const std::exception &e) {
    ShowAppError(e, WindowName, QStringLiteral("imgOggi_Click"), 0);
}

void frmMain::imgMese_Click()
try {
    const QDate t = platform::today();
    mv->setValue(t);
    const QDate first(t.year(), t.month(), 1);
    mv->setSelection(first, QDate(t.year(), t.month(), DaysInMonth(t)));
    tasksUpdate(mv->selStart(), mv->selEnd());
} catch (const std::exception &e) {
    ShowAppError(e, WindowName, QStringLiteral("imgMese_Click"), 0);
}
