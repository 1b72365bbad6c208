#include "editors/frmAccounts.h"

#include "foundation/TaggedActions.h"
#include "foundation/WindowSupport.h"

#include "editors/EditorIcons.h"
#include "editors/frmNewAcc.h"
#include "editors/frmNewCount.h"
#include "foundation/AccountTables.h"
#include "foundation/Globals.h"
#include "foundation/Icons.h"
#include "foundation/Twips.h"
#include "foundation/cAccessDb.h"
#include "foundation/cLang.h"
#include "foundation/cSheet.h"
#include "foundation/grid/GridColumn.h"
#include "foundation/grid/ListGrid.h"
#include "foundation/modShared.h"
#include "platform/database/Connection.h"
#include "platform/dialogs/Dialogs.h"
#include "platform/shell/Shell.h"

#include <QAction>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTabBar>
#include <QToolBar>
#include <QVBoxLayout>

using AccountTables::textId;

namespace {

const QString WindowName = QStringLiteral("frmAccounts");

using TaggedActions::tagOf;

// The window's size when it opens, in twips.
constexpr int StartWidth = 9000;
constexpr int StartHeight = 6600;

} // namespace

frmAccounts *frmAccounts::Load(QWidget *owner)
{
    if (!s_window) {
        s_window = new frmAccounts(owner);
        s_window->Form_Load();
    }
    return s_window;
}

frmAccounts *frmAccounts::Open(QWidget *owner)
{
    frmAccounts *w = Load(owner);
    if (!w->isVisible())
        PlaceOverOwner(w);
    w->show();
    w->raise();
    w->activateWindow();
    return w;
}

frmAccounts::frmAccounts(QWidget *owner)
    : QMainWindow(owner, OwnedWindowFlags)
{
    setObjectName(WindowName);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowIcon(Icons::program());

    auto *central = new QWidget(this);
    auto *layout = new QVBoxLayout(central);
    layout->setContentsMargins(TwipsToPixels(60), TwipsToPixels(60), TwipsToPixels(60), 0);
    layout->setSpacing(0);
    tbs = new QTabBar(central);
    tbs->setObjectName(QStringLiteral("tbs"));
    tbs->setExpanding(false);
    tbs->setDrawBase(true);
    for (int id : {1320, 1820}) {
        const int index = tbs->addTab(QString::number(id));
        tbs->setTabData(index, id);
    }
    layout->addWidget(tbs);
    gex = new ListGrid(central);
    gex->setObjectName(QStringLiteral("gex"));
    gex->setAutoSort(true);
    gex->setNavigatorVisible(true);
    // The grid's two pictures: 1 a person (Accounts), 2 a stack of coins (Counts).
    gex->setImageList({ListGrid::maskedIcon(EditorIcons::person()), ListGrid::maskedIcon(EditorIcons::coins())});
    gex->installEventFilter(this);
    layout->addWidget(gex, 1);
    setCentralWidget(central);

    BuildMenus();
    BuildToolbar();

    sbPanel1 = new QLabel(statusBar());
    sbPanel1->setObjectName(QStringLiteral("sbPanel1"));
    statusBar()->addWidget(sbPanel1, 1);

    connect(gex, &ListGrid::KeyDown, this, &frmAccounts::gex_KeyDown);
    connect(gex, &ListGrid::DblClick, this, &frmAccounts::EditRecord);
    connect(tbs, &QTabBar::currentChanged, this, &frmAccounts::tbs_Click);
    if (Lang)
        connect(Lang, &cLang::LanguageChanged, this, &frmAccounts::Localize);
    resize(TwipsToPixels(StartWidth), TwipsToPixels(StartHeight));
}

void frmAccounts::BuildMenus()
{
    auto makeMenu = [this](int textId, const QString &name, QVector<QAction *> &items, const QList<int> &ids) {
        return TaggedActions::addMenu(this, textId, name, items, ids);
    };
    mnuFileGrp = makeMenu(201, QStringLiteral("mnuFile"), mnuFile, {205, -1, 209});
    mnuRecordGrp = makeMenu(301, QStringLiteral("mnuRecord"), mnuRecord, {303, 304, 306});

    mnuFile[0]->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F12));
    mnuRecord[0]->setShortcut(QKeySequence(Qt::Key_F5));
    mnuRecord[2]->setShortcut(QKeySequence(Qt::Key_Delete));
    mnuRecord[2]->setShortcutContext(Qt::WidgetShortcut);   // the grid handles Delete itself

    connect(mnuFile[0], &QAction::triggered, this, &frmAccounts::PrintList);
    connect(mnuFile[2], &QAction::triggered, this, &QWidget::close);
    connect(mnuRecord[0], &QAction::triggered, this, &frmAccounts::NewRecord);
    connect(mnuRecord[1], &QAction::triggered, this, &frmAccounts::EditRecord);
    connect(mnuRecord[2], &QAction::triggered, this, &frmAccounts::DeleteRecord);
}

void frmAccounts::BuildToolbar()
{
    tb = addToolBar(QStringLiteral("tb"));
    tb->setObjectName(QStringLiteral("tb"));
    tb->setMovable(false);
    tb->setIconSize(QSize(16, 16));
    const QList<QIcon> images = Icons::commandImageList();
    // Button: tooltip text id (0 a separator) and picture.
    const struct {
        int tooltip;
        QIcon icon;
    } buttons[] = {{1340, images.value(0)}, {1341, images.value(1)}, {1342, images.value(2)}, {0, {}},
                   {907, images.value(5)},  {0, {}},               {210, EditorIcons::exit()}};
    for (const auto &b : buttons) {
        QAction *a = nullptr;
        if (b.tooltip == 0) {
            a = tb->addSeparator();
        } else {
            a = TaggedActions::action(tb, b.tooltip);
            a->setIcon(b.icon);
            tb->addAction(a);
            const int index = int(tbButtons.size()) + 1;
            connect(a, &QAction::triggered, this, [this, index] { tb_ButtonClick(index); });
        }
        tbButtons.append(a);
    }
}

// ---------------------------------------------------------------------------------------------------
// Load and unload

void frmAccounts::Form_Load()
{
    m_loading = true;
    Localize();
    {
        const QSignalBlocker block(tbs);
        tbs->setCurrentIndex(0);
    }
    LoadGrid(tbs->currentIndex() + 1);
    gex->setRowHeight(Sheet->RowHeight());
    gex->setHeaderHeight(Sheet->RowHeight());
    m_loading = false;
}

void frmAccounts::Localize()
{
    setWindowTitle(LRS(403));

    const auto localize = TaggedActions::localize;
    localize(mnuFileGrp);
    for (QAction *a : mnuFile)
        localize(a);
    localize(mnuRecordGrp);
    for (QAction *a : mnuRecord)
        localize(a);
    // The toolbar keeps the Accounts tooltips on both tabs; the same text names the picture-only buttons.
    for (QAction *a : tbButtons) {
        if (!a->isSeparator()) {
            localize(a);
            a->setToolTip(LRS(tagOf(a)));
        }
    }
    for (int i = 0; i < tbs->count(); ++i)
        tbs->setTabText(i, LRS(tbs->tabData(i)));
    LocalizeGrid();
    // The keys of the list; the text stays when the tab changes.
    sbPanel1->setText(LRS(1325));
}

void frmAccounts::LocalizeGrid()
{
    if (AccountTables::isTab(CurrentTab) && gex->columnCount() >= 2) {
        gex->column(2)->setCaption(LRS(textId(1321, CurrentTab)));
        if (CurrentTab == AccountTables::AccountsTab && gex->columnCount() >= 3)
            gex->column(3)->setCaption(LRS(1322));
    }
    gex->setNavigatorCaption(LRS(textId(1326, CurrentTab)));
}

void frmAccounts::Form_Unload()
{
    m_unloaded = true;
    // Account and count names appear in the main list: it is read again, whatever happened here.
    emit accountsChanged();
}

void frmAccounts::closeEvent(QCloseEvent *event)
{
    if (!m_unloaded)
        Form_Unload();
    event->accept();
    // The window is deleted once control returns to the event loop; opening it again before then loads a
    // fresh one.
    if (s_window == this)
        s_window = nullptr;
}

// ---------------------------------------------------------------------------------------------------
// The grid

void frmAccounts::LoadGrid(int tab)
{
    // Hidden while its source, captions and widths change, so the switch draws once.
    gex->setVisible(false);
    gex->setConnectionString(Adb->dcs());
    CurrentTab = tab;
    if (AccountTables::isTab(tab)) {
        try {
            gex->setRecordSource(AccountTables::tableName(tab));
            gex->rebind(false);
            GridColumn *icon = gex->column(1);
            icon->setWidth(Sheet->RowHeight());
            icon->setCaption(QString());
            icon->setContent(GridColumn::IconOnly);
            icon->setIconIndex(tab);
            icon->setAlignment(Qt::AlignCenter);
            gex->addSortKey(gex->column(2)->key(), 1);
            gex->setRowHeight(Sheet->RowHeight());
        } catch (const std::exception &e) {
            ShowAppError(e, WindowName, QStringLiteral("LoadGrid"), 4);
        }
    }
    LocalizeGrid();
    Form_Resize();
    gex->setVisible(true);
}

void frmAccounts::Form_Resize()
{
    // The name (and notes) columns share what the icon column and the scroll bar leave.
    const QList<int> widths =
        AccountTables::columnWidths(CurrentTab, PixelsToTwips(gex->width()), Sheet->sysVerticalBarWidth());
    for (int i = 0; i < widths.size() && i + 2 <= gex->columnCount(); ++i)
        gex->column(i + 2)->setWidth(widths[i]);
}

bool frmAccounts::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == gex && event->type() == QEvent::Resize)
        Form_Resize();
    return QMainWindow::eventFilter(watched, event);
}

void frmAccounts::gex_KeyDown(int &keyCode, Qt::KeyboardModifiers)
{
    if (gex->row() < 1)
        return;
    switch (keyCode) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        keyCode = 0;
        EditRecord();
        break;
    case Qt::Key_Delete:
        DeleteRecord();
        break;
    default:
        break;
    }
}

void frmAccounts::tbs_Click()
{
    if (!m_loading)
        LoadGrid(tbs->currentIndex() + 1);
}

int frmAccounts::CurrentId() const
{
    const int row = gex->row();
    if (row < 1)
        return 0;
    const GridRowData picked = gex->rowData(row);
    return picked.isRecord() ? picked.value(1).toInt() : 0;
}

void frmAccounts::Rebind(int id, const QString &procedure)
{
    try {
        gex->rebind(true);
        if (id > 0)
            gex->find(1, id);
    } catch (const std::exception &e) {
        ShowAppError(e, WindowName, procedure, 2);
    }
}

// ---------------------------------------------------------------------------------------------------
// Commands

void frmAccounts::tb_ButtonClick(int index)
{
    switch (index) {
    case 1: NewRecord(); break;
    case 2: EditRecord(); break;
    case 3: DeleteRecord(); break;
    case 5: PrintList(); break;
    case 7: close(); break;
    default: break;
    }
}

void frmAccounts::NewRecord()
{
    int newId = 0;
    if (CurrentTab == AccountTables::AccountsTab) {
        newId = frmNewAcc::Load(this)->Nuovo();
        frmNewAcc::Unload();
    } else if (CurrentTab == AccountTables::CountsTab) {
        newId = frmNewCount::Load(this)->Nuovo();
        frmNewCount::Unload();
    } else {
        return;
    }
    if (newId > 0)
        Rebind(newId, QStringLiteral("NewRecord"));
}

void frmAccounts::EditRecord()
{
    if (!AccountTables::isTab(CurrentTab))
        return;
    const int id = CurrentId();
    if (id == 0)
        return;
    bool saved = false;
    if (CurrentTab == AccountTables::AccountsTab) {
        saved = frmNewAcc::Load(this)->Apri(id);
        frmNewAcc::Unload();
    } else {
        saved = frmNewCount::Load(this)->Apri(id);
        frmNewCount::Unload();
    }
    if (saved)
        Rebind(id, QStringLiteral("EditRecord"));
}

void frmAccounts::DeleteRecord()
{
    if (!AccountTables::isTab(CurrentTab))
        return;
    const int id = CurrentId();
    if (id == 0)
        return;
    const int tab = CurrentTab;
    int step = 2;
    try {
        platform::Connection cn;
        cn.Open(Adb->dcs());
        step = 3;
        // Rows of every data sheet count.
        if (AccountTables::isReferenced(cn, tab, id)) {
            cn.Close();
            platform::MsgBox(LRS(textId(1327, tab)), platform::vbOKOnly);
            return;
        }
        if (AccountTables::isLastCount(cn, tab, id)) {
            cn.Close();
            platform::MsgBox(LRS(2039), platform::vbOKOnly);
            return;
        }
        step = 5;
        if (platform::MsgBox(LRS(1305), platform::vbYesNo) != platform::vbYes) {
            cn.Close();
            return;
        }
        step = 6;
        const AccountTables::DeleteResult result = AccountTables::deleteRow(cn, tab, id);
        cn.Close();
        PauseForDbRelease();
        if (result == AccountTables::DeleteResult::Referenced)
            platform::MsgBox(LRS(textId(1327, tab)), platform::vbOKOnly);
        else if (result == AccountTables::DeleteResult::LastCount)
            platform::MsgBox(LRS(2039), platform::vbOKOnly);
    } catch (const std::exception &e) {
        // The deletion was rolled back: the row is still there.
        ShowAppError(e, WindowName, QStringLiteral("DeleteRecord"), step);
        return;
    }
    Rebind(0, QStringLiteral("DeleteRecord"));
}

void frmAccounts::PrintList()
{
    emit printRequested(gex);
}

void frmAccounts::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_F1) {
        ShowHelpPage(this, helpContext());
        event->accept();
        return;
    }
    QMainWindow::keyPressEvent(event);
}
