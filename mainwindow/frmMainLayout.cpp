// The main window's texts in the current language and its layout: menus, toolbars, lists and labels
// localised, the command toolbars laid out, the panes fitted to the window's size and screen.

#include "mainwindow/frmMain.h"
#include "mainwindow/frmMainParts.h"

#include "foundation/Globals.h"
#include "foundation/TaggedActions.h"
#include "foundation/Twips.h"
#include "foundation/WindowSupport.h"
#include "foundation/cEnvironment.h"
#include "foundation/cLang.h"
#include "foundation/grid/GridColumn.h"
#include "foundation/modShared.h"
#include "platform/controls/MonthView.h"
#include "platform/shell/Shell.h"

#include <QAction>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QToolBar>

using frmMainParts::WindowName;
using MainListRules::FilterCount;
using MainListRules::GroupingCount;
using TaggedActions::tagOf;

namespace {

// The window's fixed layout values, in twips.
constexpr int MinOuterHeight = 10920;
constexpr int MinOuterWidth = 15570;
constexpr int ToolbarGap = 90;

} // namespace

// ---------------------------------------------------------------------------------------------------
// Texts

void frmMain::Localize()
{
    const auto applyTag = TaggedActions::localize;
    for (QAction *top : {mnuFileGrp, mnuRecordGrp, mnuViewGrp, mnuToolsGrp})
        applyTag(top);
    for (const auto *items : {&mnuFile, &mnuRecord, &mnuView, &mnuTools})
        for (QAction *a : *items)
            applyTag(a);
    applyTag(mnuLangs[0]);
    applyTag(mnuHelpGrp);
    mnuLangs[MainListRules::languageMenuItem(Lang->AppLanguageId())]->setChecked(true);
    for (QAction *a : mnuHelp)
        applyTag(a);
    for (QAction *a : mnuPopup)
        applyTag(a);

    for (QToolBar *bar : tb)
        for (QAction *a : bar->actions())
            applyTag(a);
    LayoutCommandToolbars();

    for (QAction *a : tbView->actions()) {
        const QString text = LRS(tagOf(a));
        a->setText(QStringLiteral("  ") + text + QString(qMax(0, 20 - int(text.size())), QLatin1Char(' ')));
    }
    // The group buttons show only their pictures: the text names them to the accessibility tools and in
    // the toolbar's overflow menu.
    for (QAction *a : tbGroup->actions()) {
        a->setText(LRS(tagOf(a)));
        a->setToolTip(LRS(tagOf(a)));
    }
    // Both buttons always show: the toolbar never folds them into its overflow menu.
    tbGroup->setMinimumWidth(tbGroup->sizeHint().width());

    for (int i = 0; i < FilterCount; ++i) {
        FilterTable[0][size_t(i)] = LRS(951 + i);
        FilterTable[1][size_t(i)] = LRS(970 + i);
    }
    cmbGroup->clear();
    for (int i = 0; i < GroupingCount; ++i)
        cmbGroup->addItem(QLatin1Char(' ') + LRS(412 + i));
    FitListWidth(cmbGroup);

    for (int i = 1; i <= gex->columnCount(); ++i) {
        GridColumn *c = gex->column(i);
        if (!c->tag().isEmpty())
            c->setCaption(LRS(c->tag()));
    }
    // The search box has no label: its tooltip names it.
    txtFind->setToolTip(LRS(2390));
    txtFind->setAccessibleName(txtFind->toolTip());
    UpdateSearchButton();
    lblOggi->setText(LRS(1053));
    lblMese->setText(LRS(971));
    gex->setNavigatorCaption(LRS(1052));
    mv->setLocale(platform::userLocale());
}

void frmMain::mnuLangs_Click(int index)
try {
    if (index == Lang->AppLanguageId())
        return;
    mnuLangs[MainListRules::languageMenuItem(index)]->setChecked(true);
    Lang->setAppLanguageId(index);
    Lang->LanguageUpdate();
    Localize();
    SetInterfaceOnCurrentView();
    gexUpdate();
    tasksUpdate(mv->selStart(), mv->selEnd());
} catch (const std::exception &e) {
    ShowAppError(e, WindowName, QStringLiteral("mnuLangs_Click"), 0);
}

void frmMain::FitListWidth(QComboBox *list)
{
    int widest = 0;
    const QFontMetrics metrics(list->font());
    for (int i = 0; i < list->count(); ++i)
        widest = qMax(widest, metrics.horizontalAdvance(list->itemText(i)));
    QStyleOptionComboBox option;
    option.initFrom(list);
    const QSize contents(widest, metrics.height());
    list->setMaximumWidth(list->style()->sizeFromContents(QStyle::CT_ComboBox, &option, contents, list).width() + 4);
}

void frmMain::LayoutCommandToolbars()
{
    double position = 0;
    for (QToolBar *bar : tb) {
        bar->adjustSize();
        const double width = ToolbarWidth(bar);
        bar->setGeometry(TwipsToPixels(position), 0, TwipsToPixels(width), bar->sizeHint().height());
        position += width + ToolbarGap;
    }
}

double frmMain::ToolbarWidth(QToolBar *toolbar) const
{
    double sum = 0;
    for (QAction *a : toolbar->actions())
        if (QWidget *w = toolbar->widgetForAction(a))
            sum += PixelsToTwips(w->sizeHint().width());
    return sum;
}

void frmMain::sbText(const QString &text)
{
    sbPanel2->setText(text);
}

// ---------------------------------------------------------------------------------------------------
// Layout

void frmMain::Form_Resize()
{
    const double widthTwips = PixelsToTwips(frameGeometry().width());
    setMinimumSize(MinimumOuterSize() - (frameGeometry().size() - size()));
    const int columns = MainListRules::calendarColumns(widthTwips, Env && Env->CalendarVariableColumns);
    if (mv->monthColumns() != columns)
        mv->setMonthColumns(columns);
    m_calendarPane->setFixedWidth(mv->sizeHint().width() + TwipsToPixels(30));
    ResizeGridColumns();
    PlaceNoRecsText();
}

void frmMain::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    Form_Resize();
}

QSize frmMain::MinimumOuterSize() const
{
    // The fixed minimum, as far as the screen has room for it.
    return SizeOnScreen(this, QSize(TwipsToPixels(MinOuterWidth), TwipsToPixels(MinOuterHeight)));
}

void frmMain::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    KeepOnScreenWhenFramed();
}

void frmMain::moveEvent(QMoveEvent *event)
{
    QMainWindow::moveEvent(event);
    KeepOnScreenWhenFramed();
}

void frmMain::KeepOnScreenWhenFramed()
{
    // The window system frames the window when it shows it, or only after (a window manager): once the
    // frame is known, the minimum counts it, and the window, sized before, is brought whole onto the screen.
    if (m_keptOnScreen || !isVisible() || frameGeometry() == geometry())
        return;
    m_keptOnScreen = true;
    Form_Resize();
    KeepOnScreen(this);
}
