#include "mainwindow/frmMain.h"

#include "editors/EditorWindows.h"
#include "editors/frmAccounts.h"
#include "editors/frmCloseDeadline.h"
#include "editors/frmDelClosedRows.h"
#include "editors/frmGrpAdd.h"
#include "editors/frmGrpErase.h"
#include "editors/frmPN.h"
#include "editors/frmScadenze.h"
#include "editors/frmScadenzeNuovo.h"
#include "mainwindow/RecordCommands.h"
#include "mainwindow/frmAbout.h"
#include "mainwindow/frmOptions.h"
#include "mainwindow/frmScadenziari.h"
#include "reports/frmExport.h"
#include "reports/frmPrint.h"

#include "foundation/DefaultCounts.h"
#include "foundation/Globals.h"
#include "foundation/Icons.h"
#include "foundation/RowRules.h"
#include "foundation/SettingsKeys.h"
#include "foundation/TaggedActions.h"
#include "foundation/Twips.h"
#include "foundation/cAccessDb.h"
#include "foundation/cEnvironment.h"
#include "foundation/cLang.h"
#include "foundation/cSheet.h"
#include "foundation/comRegistry.h"
#include "foundation/modMain.h"
#include "foundation/grid/GridColumn.h"
#include "foundation/grid/GridFormat.h"
#include "foundation/grid/GridPreview.h"
#include "foundation/grid/GridPrinter.h"
#include "foundation/grid/GridRowFormat.h"
#include "foundation/grid/ListGrid.h"
#include "foundation/grid/TextLines.h"
#include "foundation/grid/GridView.h"
#include "foundation/modShared.h"
#include "foundation/WindowSupport.h"
#include "platform/Clock.h"
#include "platform/RuntimeError.h"
#include "platform/controls/MonthView.h"
#include "platform/controls/OneLineText.h"
#include "platform/database/Connection.h"
#include "platform/database/Currency.h"
#include "platform/database/TextFold.h"
#include "platform/dialogs/Dialogs.h"
#include "platform/shell/Shell.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QStatusBar>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QToolBar>
#include <QSet>
#include <QTextDocument>
#include <QToolButton>
#include <QVBoxLayout>

#include <functional>

using MainListRules::FilterCount;
using MainListRules::GroupingCount;
using platform::Currency;

namespace {

frmMain *g_instance = nullptr;

const QString WindowName = QStringLiteral("frmMain");

// While it lives the window counts as rebuilding its list (inUpdate) and the grid does not draw; both end
// however the rebuild ends, a failure included.
class ListRebuild
{
public:
    ListRebuild(frmMain *w, ListGrid *grid, bool markUpdate)
        : m_w(w), m_grid(grid), m_markUpdate(markUpdate)
    {
        if (m_markUpdate)
            m_w->inUpdate = true;
        if (m_grid)
            m_grid->setUpdatesEnabled(false);
    }
    ~ListRebuild() { end(); }
    // Ends the rebuild before the scope does.
    void end()
    {
        if (m_grid)
            m_grid->setUpdatesEnabled(true);
        if (m_markUpdate)
            m_w->inUpdate = false;
        m_grid = nullptr;
        m_markUpdate = false;
    }
    ListRebuild(const ListRebuild &) = delete;
    ListRebuild &operator=(const ListRebuild &) = delete;

private:
    frmMain *m_w;
    ListGrid *m_grid;
    bool m_markUpdate;
};

const QString Key = QLatin1String(SettingsKey);

using TaggedActions::tagOf;

// The window's fixed layout values, in twips.
constexpr int MinOuterHeight = 10920;
constexpr int MinOuterWidth = 15570;
constexpr int ToolbarGap = 90;

// The stored view state: registry value names with their defaults.
struct ViewStateValue {
    const char *name;
    int frmMain::*field;
    int defaultValue;
};
const ViewStateValue ViewState[] = {
    {"viewKey", &frmMain::curView, 0},
    {"curFilterIndexKey", &frmMain::curFilterIndex, 0},
    {"curFilterPnIndexKey", &frmMain::curFilterPnIndex, 0},
    {"curGroupIndexKey", &frmMain::curGroupIndex, 0},
    {"curGroupPnIndexKey", &frmMain::curGroupPnIndex, 0},
    {"curDateSortingKey", &frmMain::curDateSorting, 1},
    {"curDatePnSortingKey", &frmMain::curDatePnSorting, -1},
};

// The languages of the Languages submenu after "Automatic": their names are never translated. The
// position of an item is the language id it chooses.
const char *const LanguageNames[] = {"Deutch", "English", "Español", "Français", "Italiano"};

} // namespace

frmMain *frmMain::Load()
{
    if (!g_instance) {
        g_instance = new frmMain();
        try {
            g_instance->Form_Load();
        } catch (...) {
            // A window that could not load is not kept half built: the caller is told.
            delete g_instance;
            throw;
        }
    }
    return g_instance;
}

frmMain *frmMain::instance()
{
    return g_instance;
}

frmMain::frmMain()
    : m_list({[this](const QDate &trDate) { return MainListRules::dateGroup(trDate, currentGroupIndex(), m_today); },
              [this](bool done, Currency balance) {
                  return MainListRules::totalOf(curView, currentFilterIndex(), done, balance);
              },
              [this] { return MainListRules::showsClosedIcons(curFilterIndex); }})
{
    setObjectName(QStringLiteral("frmMain"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(Env ? Env->AppTitle : QString());
    setWindowIcon(Icons::program());
    BuildControls();
    BuildMenus();
    BuildToolbars();
}

frmMain::~frmMain()
{
    if (!m_unloaded)
        Form_Unload();
    if (g_instance == this)
        g_instance = nullptr;
}

// ---------------------------------------------------------------------------------------------------
// Controls

void frmMain::BuildControls()
{
    auto *central = new QWidget(this);
    auto *outer = new QVBoxLayout(central);
    outer->setContentsMargins(TwipsToPixels(30), TwipsToPixels(30), TwipsToPixels(60), 0);
    outer->setSpacing(TwipsToPixels(60));

    // Title strip: the data sheet's name (a click opens the data sheets) and the view buttons.
    auto *titleRow = new QHBoxLayout();
    lblTitle = new QLabel(central);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    lblTitle->setTextFormat(Qt::PlainText);   // the sheet's name as the user wrote it
    QFont titleFont = lblTitle->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.6);
    titleFont.setBold(true);
    lblTitle->setFont(titleFont);
    lblTitle->setStyleSheet(QStringLiteral("color: rgb(37,75,108);"));
    lblTitle->setCursor(Qt::PointingHandCursor);
    titleRow->addWidget(lblTitle);
    titleRow->addSpacing(TwipsToPixels(330));
    tbView = new QToolBar(central);
    tbView->setObjectName(QStringLiteral("tbView"));
    tbView->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    tbView->setIconSize(QSize(24, 24));
    titleRow->addWidget(tbView);
    titleRow->addStretch(1);
    outer->addLayout(titleRow);

    // Command toolbars, one button each, laid out by Localize.
    auto *commandRow = new QWidget(central);
    commandRow->setObjectName(QStringLiteral("picToolbars"));
    commandRow->setMinimumHeight(TwipsToPixels(700));
    outer->addWidget(commandRow);
    for (int i = 0; i < 9; ++i) {
        auto *bar = new QToolBar(commandRow);
        bar->setObjectName(QStringLiteral("tb%1").arg(i));
        bar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        bar->setIconSize(QSize(20, 20));
        tb.append(bar);
    }

    auto *body = new QHBoxLayout();
    body->setSpacing(TwipsToPixels(60));
    outer->addLayout(body, 1);

    // Left: list controls, grid, notes.
    auto *left = new QVBoxLayout();
    left->setSpacing(TwipsToPixels(30));
    auto *listBar = new QHBoxLayout();
    cmbFilter = new QComboBox(central);
    cmbFilter->setObjectName(QStringLiteral("cmbFilter"));
    cmbGroup = new QComboBox(central);
    cmbGroup->setObjectName(QStringLiteral("cmbGroup"));
    // The lists grow up to their longest item where there is room, and give way before the group
    // buttons and the search box do (a long item is then cut in the closed list, whole in the open one).
    for (QComboBox *list : {cmbFilter, cmbGroup}) {
        list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        list->setMinimumContentsLength(16);
        list->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        listBar->addWidget(list, 1);
    }
    listBar->addStretch(0);
    tbGroup = new QToolBar(central);
    tbGroup->setObjectName(QStringLiteral("tbGroup"));
    tbGroup->setIconSize(QSize(16, 16));
    listBar->addWidget(tbGroup);
    listBar->addSpacing(TwipsToPixels(30));
    auto *searchPane = new QFrame(central);
    searchPane->setObjectName(QStringLiteral("picSearchText"));
    searchPane->setFrameShape(QFrame::StyledPanel);
    auto *searchLayout = new QHBoxLayout(searchPane);
    searchLayout->setContentsMargins(2, 0, 2, 0);
    searchLayout->setSpacing(2);
    imgSearch = new QToolButton(searchPane);
    imgSearch->setObjectName(QStringLiteral("imgSearch"));
    imgSearch->setAutoRaise(true);
    imgSearch->setIcon(Icons::searchImageList().value(0));
    txtFind = new QLineEdit(searchPane);
    txtFind->setObjectName(QStringLiteral("txtFind"));
    txtFind->setFrame(false);
    txtFind->setMinimumWidth(TwipsToPixels(2600));
    txtFind->installEventFilter(this);
    platform::keepOnOneLine(txtFind);
    searchLayout->addWidget(imgSearch);
    searchLayout->addWidget(txtFind);
    listBar->addWidget(searchPane);
    left->addLayout(listBar);

    gex = new ListGrid(central);
    gex->setObjectName(QStringLiteral("gex"));
    gex->setGroupRowWhenEmpty(true);
    gex->setNavigatorVisible(true);
    gex->installEventFilter(this);
    left->addWidget(gex, 1);
    txtNoRecs = new QLabel(gex);
    txtNoRecs->setObjectName(QStringLiteral("txtNoRecs"));
    txtNoRecs->setAlignment(Qt::AlignCenter);
    txtNoRecs->setWordWrap(true);
    txtNoRecs->setStyleSheet(QStringLiteral("color: rgb(110,110,120); background: transparent;"));
    QFont noRecsFont = txtNoRecs->font();
    noRecsFont.setPointSizeF(noRecsFont.pointSizeF() * 1.2);
    txtNoRecs->setFont(noRecsFont);
    txtNoRecs->setAttribute(Qt::WA_TransparentForMouseEvents);
    txtNoRecs->hide();

    auto *notes = new QFrame(central);
    notes->setObjectName(QStringLiteral("picNotes"));
    notes->setFrameShape(QFrame::StyledPanel);
    auto *notesLayout = new QVBoxLayout(notes);
    notesLayout->setContentsMargins(6, 3, 6, 3);
    notesLayout->setSpacing(2);
    lblDeadlineNotes = new QLabel(notes);
    lblDeadlineNotes->setObjectName(QStringLiteral("lblDeadlineNotes"));
    lblAccNotes = new QLabel(notes);
    lblAccNotes->setObjectName(QStringLiteral("lblAccNotes"));
    lblAccNotes->setStyleSheet(QStringLiteral("color: rgb(37,75,108);"));
    // The pane keeps its height whatever the notes hold: the row's notes on two lines, the account's on
    // one, each wrapped to the pane's width and cut with an ellipsis; the whole text is the tooltip.
    for (QLabel *l : {lblDeadlineNotes, lblAccNotes}) {
        l->setTextFormat(Qt::PlainText);   // the user's notes, shown as written
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
        l->setTextFormat(Qt::PlainText);
        l->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
        l->setFixedHeight(l->fontMetrics().lineSpacing() * NoteLines(l) + 2);
        notesLayout->addWidget(l);
    }
    notes->installEventFilter(this);
    left->addWidget(notes);
    body->addLayout(left, 1);

    // Right: the calendar pane with its title, the calendar, the two links and the side list.
    m_calendarPane = new QFrame(central);
    m_calendarPane->setObjectName(QStringLiteral("picCalendar"));
    auto *pane = new QVBoxLayout(m_calendarPane);
    pane->setContentsMargins(0, 0, 0, TwipsToPixels(135));
    pane->setSpacing(TwipsToPixels(60));
    auto *calTitle = new QFrame(m_calendarPane);
    calTitle->setObjectName(QStringLiteral("picCalTitle"));
    calTitle->setStyleSheet(QStringLiteral("QFrame#picCalTitle { background: rgb(37,75,108); }"));
    auto *calTitleLayout = new QHBoxLayout(calTitle);
    calTitleLayout->setContentsMargins(6, 3, 6, 3);
    lblCalTitle = new QLabel(calTitle);
    lblCalTitle->setObjectName(QStringLiteral("lblCalTitle"));
    lblCalTitle->setStyleSheet(QStringLiteral("color: white; font-weight: bold;"));
    // The pane is as wide as the calendar: a title longer than that goes on to a second line, whole.
    lblCalTitle->setWordWrap(true);
    calTitleLayout->addWidget(lblCalTitle);
    pane->addWidget(calTitle);
    mv = new platform::MonthView(m_calendarPane);
    mv->setObjectName(QStringLiteral("mv"));
    pane->addWidget(mv, 0, Qt::AlignHCenter);
    auto *links = new QHBoxLayout();
    links->setSpacing(4);
    imgOggi = new QToolButton(m_calendarPane);
    imgOggi->setObjectName(QStringLiteral("imgOggi"));
    imgOggi->setAutoRaise(true);
    imgOggi->setIcon(Icons::today());
    lblOggi = new QLabel(m_calendarPane);
    lblOggi->setObjectName(QStringLiteral("lblOggi"));
    imgMese = new QToolButton(m_calendarPane);
    imgMese->setObjectName(QStringLiteral("imgMese"));
    imgMese->setAutoRaise(true);
    imgMese->setIcon(Icons::currentMonth());
    lblMese = new QLabel(m_calendarPane);
    lblMese->setObjectName(QStringLiteral("lblMese"));
    for (QLabel *l : {lblOggi, lblMese}) {
        l->setCursor(Qt::PointingHandCursor);
        l->setStyleSheet(QStringLiteral("color: rgb(37,75,108); text-decoration: underline;"));
        l->installEventFilter(this);
    }
    links->addWidget(imgOggi);
    links->addWidget(lblOggi);
    links->addSpacing(TwipsToPixels(480));
    links->addWidget(imgMese);
    links->addWidget(lblMese);
    links->addStretch(1);
    pane->addLayout(links);
    gextasks = new ListGrid(m_calendarPane);
    gextasks->setObjectName(QStringLiteral("gextasks"));
    gextasks->setColumnHeaders(false);
    gextasks->setGridLines(false);
    gextasks->setBorder(false);
    gextasks->setNavigatorVisible(false);
    gextasks->setImageList(Icons::sideListPictures());
    gextasks->view()->viewport()->installEventFilter(this);
    pane->addWidget(gextasks, 1);
    body->addWidget(m_calendarPane);

    setCentralWidget(central);

    auto *bar = statusBar();
    sbPanel1 = new QLabel(bar);
    sbPanel1->setObjectName(QStringLiteral("sbPanel1"));
    sbPanel2 = new QLabel(bar);
    sbPanel2->setObjectName(QStringLiteral("sbPanel2"));
    sbPanel2->setTextFormat(Qt::PlainText);   // the database folder's path
    bar->addWidget(sbPanel1, 1);
    bar->addPermanentWidget(sbPanel2, 2);

    // The main grid's look and its answers.
    QList<QIcon> images = Icons::rowImageList();
    gex->setImageList(images);
    GridRowStyle expired;
    expired.name = QStringLiteral("Expired");
    expired.bold = true;
    gex->setRowStyle(expired);
    GridRowStyle barrato;
    barrato.name = QStringLiteral("barrato");
    barrato.strikeOut = true;
    barrato.foreColor = QColor(192, 192, 192);
    gex->setRowStyle(barrato);
    gex->setHeaderHeight(315);

    connect(gex, &ListGrid::UnboundColumnFetch, this, &frmMain::gex_UnboundColumnFetch);
    connect(gex, &ListGrid::FetchIcon, this, &frmMain::gex_FetchIcon);
    connect(gex, &ListGrid::FormatRow, this, &frmMain::gex_FormatRow);
    connect(gex, &ListGrid::ColumnHeaderClick, this, &frmMain::gex_ColumnHeaderClick);
    connect(gex, &ListGrid::KeyDown, this, &frmMain::gex_KeyDown);
    connect(gex, &ListGrid::RowColChange, this, &frmMain::gex_RowColChange);
    connect(gex, &ListGrid::MouseUp, this,
            [this](Qt::MouseButton b, Qt::KeyboardModifiers, const QPoint &pos) { gex_MouseUp(b, pos); });
    // The grid's own messages are not shown: its failures surface through the window's procedures.
    connect(gex, &ListGrid::Error, this, [](qint64, const QString &, bool &show) { show = false; });
    connect(gex, &ListGrid::DblClick, this, &frmMain::EditCommand);
    connect(gextasks, &ListGrid::UnboundColumnFetch, this, &frmMain::gextasks_UnboundColumnFetch);
    connect(gextasks, &ListGrid::Click, this, &frmMain::gextasks_Click);
    connect(gextasks, &ListGrid::Error, this, [](qint64, const QString &, bool &show) { show = false; });

    connect(mv, &platform::MonthView::getDayBold, this, &frmMain::mv_GetDayBold);
    connect(mv, &platform::MonthView::selChange, this, &frmMain::mv_SelChange);
    connect(imgOggi, &QToolButton::clicked, this, &frmMain::imgOggi_Click);
    connect(imgMese, &QToolButton::clicked, this, &frmMain::imgMese_Click);
    connect(imgSearch, &QToolButton::clicked, this, &frmMain::imgSearch_Click);
    connect(txtFind, &QLineEdit::textChanged, this, &frmMain::txtFind_Change);
    connect(cmbFilter, qOverload<int>(&QComboBox::activated), this, [this](int) { cmbFilter_Click(); });
    connect(cmbGroup, qOverload<int>(&QComboBox::activated), this, [this](int) { cmbGroup_Click(); });
    lblTitle->installEventFilter(this);
}

void frmMain::BuildMenus()
{
    auto makeMenu = [this](int textId, const QString &name, QVector<QAction *> &items, const QList<int> &ids) {
        return TaggedActions::addMenu(this, textId, name, items, ids);
    };
    mnuFileGrp = makeMenu(201, QStringLiteral("mnuFile"), mnuFile, {203, -1, 205, 207, -1, 209});
    mnuRecordGrp = makeMenu(301, QStringLiteral("mnuRecord"), mnuRecord, {303, 304, 306, -1, 307, -1, 308, 309});
    mnuViewGrp = makeMenu(401, QStringLiteral("mnuView"), mnuView, {1672, 1673, -1, 403, -1, 419});
    mnuToolsGrp = makeMenu(501, QStringLiteral("mnuTools"), mnuTools, {504, -1, 503, -1, 506});
    mnuHelpGrp = makeMenu(601, QStringLiteral("mnuHelp"), mnuHelp, {603, -1, 607});

    mnuFile[0]->setShortcut(QKeySequence(Qt::Key_F12));
    mnuFile[2]->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F12));
    mnuRecord[0]->setShortcut(QKeySequence(Qt::Key_F5));
    mnuRecord[2]->setShortcut(QKeySequence(Qt::Key_Delete));
    mnuRecord[2]->setShortcutContext(Qt::WidgetShortcut);   // the grid handles Delete itself
    mnuRecord[4]->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    mnuView[0]->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F1));
    mnuView[1]->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F2));
    mnuView[3]->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F5));
    mnuView[0]->setCheckable(true);
    mnuView[1]->setCheckable(true);

    // Languages submenu under Tools item 0: "Automatic" (translated), a separator, the fixed names.
    auto *langs = new QMenu(this);
    langs->setObjectName(QStringLiteral("mnuLangs"));
    mnuTools[0]->setMenu(langs);
    QAction *automatic = TaggedActions::action(langs, 505);
    langs->addAction(automatic);
    mnuLangs.append(automatic);
    mnuLangs.append(langs->addSeparator());
    for (const char *name : LanguageNames)
        mnuLangs.append(langs->addAction(QString::fromUtf8(name)));
    // One language is always checked: choosing the checked one again keeps its mark.
    auto *languages = new QActionGroup(langs);
    languages->setExclusive(true);
    for (int i = 0; i < mnuLangs.size(); ++i) {
        if (i == 1)
            continue;
        mnuLangs[i]->setCheckable(true);
        languages->addAction(mnuLangs[i]);
        connect(mnuLangs[i], &QAction::triggered, this, [this, i] { mnuLangs_Click(i); });
    }

    // The row popup.
    PopUp1 = new QMenu(this);
    PopUp1->setObjectName(QStringLiteral("PopUp1"));
    for (int id : {700, 701, -1, 702, 703, 704, -1, 705}) {
        QAction *a = nullptr;
        if (id < 0) {
            a = PopUp1->addSeparator();
        } else {
            a = TaggedActions::action(PopUp1, id);
            PopUp1->addAction(a);
        }
        mnuPopup.append(a);
    }

    // Each item is named by its menu and its position.
    const std::pair<const char *, const QVector<QAction *> *> named[] = {
        {"mnuFile", &mnuFile}, {"mnuRecord", &mnuRecord}, {"mnuView", &mnuView}, {"mnuTools", &mnuTools},
        {"mnuLangs", &mnuLangs}, {"mnuHelp", &mnuHelp}, {"mnuPopup", &mnuPopup}};
    for (const auto &[name, items] : named)
        for (int i = 0; i < items->size(); ++i)
            items->at(i)->setObjectName(QLatin1String(name) + QString::number(i));

    connect(mnuFile[0], &QAction::triggered, this, &frmMain::ShowDataSheets);
    connect(mnuFile[2], &QAction::triggered, this, [this] { frmPrint::showModal(this); });
    connect(mnuFile[3], &QAction::triggered, this, [this] { frmExport::showModal(this, gex, curView); });
    connect(mnuFile[5], &QAction::triggered, this, &QWidget::close);
    connect(mnuRecord[0], &QAction::triggered, this, &frmMain::NewCommand);
    connect(mnuRecord[1], &QAction::triggered, this, &frmMain::EditCommand);
    connect(mnuRecord[2], &QAction::triggered, this, &frmMain::DeleteCommand);
    connect(mnuPopup[0], &QAction::triggered, this, &frmMain::NewCommand);
    connect(mnuPopup[1], &QAction::triggered, this, &frmMain::DuplicateCommand);
    connect(mnuPopup[3], &QAction::triggered, this, &frmMain::EditCommand);
    connect(mnuView[3], &QAction::triggered, this, &frmMain::ShowAccounts);
    connect(mnuView[5], &QAction::triggered, this, &frmMain::ShowPreferences);
    connect(mnuTools[2], &QAction::triggered, this, &frmMain::DeleteClosedDeadlines);
    connect(mnuTools[4], &QAction::triggered, this, &frmMain::ShowDataSheets);
    connect(mnuHelp[2], &QAction::triggered, this, [this] { frmAbout::ShowModal(this); });
    connect(mnuPopup[4], &QAction::triggered, this, &frmMain::CloseOrReopen);
    connect(mnuPopup[5], &QAction::triggered, this, &frmMain::DeleteCommand);
    connect(mnuPopup[7], &QAction::triggered, this, &frmMain::OpenAttachmentCommand);
    connect(mnuView[0], &QAction::triggered, this, [this] { SwitchView(0); });
    connect(mnuView[1], &QAction::triggered, this, [this] { SwitchView(1); });
    connect(mnuRecord[4], &QAction::triggered, this, [this] { txtFind->setFocus(); });
    connect(mnuRecord[6], &QAction::triggered, this, [this] { gex->setRow(1); gex->setFocus(); });
    connect(mnuRecord[7], &QAction::triggered, this, [this] { gex->setRow(gex->rowCount()); gex->setFocus(); });
    connect(mnuHelp[0], &QAction::triggered, this, &frmMain::ShowHelp);
}

void frmMain::BuildToolbars()
{
    const QList<QIcon> commandImages = Icons::commandImageList();
    const int ids[9] = {700, 702, 704, 917, 905, 907, 909, 911, 918};
    for (int i = 0; i < 9; ++i) {
        QAction *a = TaggedActions::action(tb[i], ids[i]);
        a->setIcon(commandImages.value(i));
        tb[i]->addAction(a);
    }
    connect(tb[0]->actions().first(), &QAction::triggered, this, &frmMain::NewCommand);
    connect(tb[1]->actions().first(), &QAction::triggered, this, &frmMain::EditCommand);
    connect(tb[2]->actions().first(), &QAction::triggered, this, &frmMain::DeleteCommand);
    connect(tb[3]->actions().first(), &QAction::triggered, this, &frmMain::RefreshList);
    connect(tb[4]->actions().first(), &QAction::triggered, this, &frmMain::ShowAccounts);
    connect(tb[5]->actions().first(), &QAction::triggered, this, [this] { frmPrint::showModal(this); });
    connect(tb[6]->actions().first(), &QAction::triggered, this, [this] { frmExport::showModal(this, gex, curView); });
    connect(tb[7]->actions().first(), &QAction::triggered, this, &frmMain::ShowPreferences);
    connect(tb[8]->actions().first(), &QAction::triggered, this, &frmMain::ShowHelp);

    const QList<QIcon> plain = Icons::viewImageList(false);
    const QList<QIcon> coloured = Icons::viewImageList(true);
    m_viewDeadlines = TaggedActions::action(tbView, 1672);
    m_viewDeadlines->setObjectName(QStringLiteral("scadenzario"));
    m_viewCashBook = TaggedActions::action(tbView, 1673);
    m_viewCashBook->setObjectName(QStringLiteral("quilvaro"));
    for (QAction *a : {m_viewDeadlines, m_viewCashBook}) {
        a->setCheckable(true);
        tbView->addAction(a);
    }
    // The pressed button shows its picture in colour, the other in grey.
    QIcon deadlines, cash;
    deadlines.addPixmap(plain[0].pixmap(24), QIcon::Normal, QIcon::Off);
    deadlines.addPixmap(coloured[0].pixmap(24), QIcon::Normal, QIcon::On);
    cash.addPixmap(plain[1].pixmap(24), QIcon::Normal, QIcon::Off);
    cash.addPixmap(coloured[1].pixmap(24), QIcon::Normal, QIcon::On);
    m_viewDeadlines->setIcon(deadlines);
    m_viewCashBook->setIcon(cash);
    connect(m_viewDeadlines, &QAction::triggered, this, [this] { SwitchView(0); });
    connect(m_viewCashBook, &QAction::triggered, this, [this] { SwitchView(1); });

    m_expandAll = TaggedActions::action(tbGroup, 913);
    m_expandAll->setObjectName(QStringLiteral("expandall"));
    m_expandAll->setIcon(Icons::expandAll());
    m_collapseAll = TaggedActions::action(tbGroup, 915);
    m_collapseAll->setObjectName(QStringLiteral("collapseall"));
    m_collapseAll->setIcon(Icons::collapseAll());
    tbGroup->addAction(m_expandAll);
    tbGroup->addAction(m_collapseAll);
    connect(m_expandAll, &QAction::triggered, this, [this] { tbGroup_ButtonClick(QStringLiteral("expandall")); });
    connect(m_collapseAll, &QAction::triggered, this, [this] { tbGroup_ButtonClick(QStringLiteral("collapseall")); });
}

// ---------------------------------------------------------------------------------------------------
// Load and unload

void frmMain::Form_Load()
{
    m_helpContext = 1;
    for (const ViewStateValue &v : ViewState)
        this->*(v.field) = RegReadNumber(QLatin1String(v.name), Key, v.defaultValue);
    // Values edited by hand outside their ranges (or of another kind) fall back to the defaults.
    curView = MainListRules::validView(curView);
    curFilterIndex = MainListRules::validFilter(curFilterIndex);
    curFilterPnIndex = MainListRules::validFilter(curFilterPnIndex);
    curGroupIndex = MainListRules::validGrouping(curGroupIndex);
    curGroupPnIndex = MainListRules::validGrouping(curGroupPnIndex);
    curDateSorting = MainListRules::validSortDirection(curDateSorting, 1);
    curDatePnSorting = MainListRules::validSortDirection(curDatePnSorting, -1);

    try {
        EnsureDefaultCounts();
    } catch (const std::exception &e) {
        // A database that cannot be written (read-only, a full disk) or is damaged gets no counts; the
        // program goes on with what it can read.
        ShowAppError(e, WindowName, QStringLiteral("Form_Load"), 0);
    }
    InitEnvironment();
    Localize();
    SetInterfaceOnCurrentView();
    gexUpdate();
    tasksUpdate(mv->selStart(), mv->selEnd());
    resize(MinimumOuterSize());
}

void frmMain::EnsureDefaultCounts()
{
    ::EnsureDefaultCounts(Adb->dcs());
}

void frmMain::Form_Unload()
{
    m_unloaded = true;
    for (const ViewStateValue &v : ViewState) {
        try {
            RegWrite(4, QLatin1String(v.name), Key, this->*(v.field));
        } catch (const std::exception &e) {
            // The unload is never refused; a registry that cannot be written keeps the previous view.
            NoteSettingsNotWritten(e);
        }
    }
}

void frmMain::closeEvent(QCloseEvent *event)
{
    // The editors go with this window: what the user typed into them is saved or dropped as the user says,
    // or the window stays. A log-out or SIGTERM ends without a question.
    if (!m_unloaded && !SessionEnding() && !EditorWindows::ConfirmClose()) {
        event->ignore();
        return;
    }
    if (!m_unloaded)
        Form_Unload();
    event->accept();
}

// ---------------------------------------------------------------------------------------------------
// The other windows: opened here, connected to what they tell

template <class Editor>
Editor *frmMain::LoadEditor()
{
    Editor *editor = Editor::Load(this);
    connect(editor, &RecordEditorWindow::rowSaved, this, &frmMain::RowSaved, Qt::UniqueConnection);
    return editor;
}

void frmMain::RowSaved(int savedRowId)
{
    const std::pair<const char *, std::function<void()>> steps[] = {
        {"gexUpdate", [this] { gexUpdate(); }},
        {"mvUpdate", [this] { mvUpdate(); }},
        {"tasksUpdate", [this] { tasksUpdate(mv->selStart(), mv->selEnd()); }},
        {"interfaceUpdate", [this] { interfaceUpdate(); }},
        {"gexFind", [this, savedRowId] { gexFind(savedRowId); }},
    };
    for (const auto &[name, step] : steps) {
        try {
            step();
        } catch (const std::exception &e) {
            // The save is done: a refresh that fails is told, and the editor still closes.
            ShowAppError(e, WindowName, QLatin1String(name), 0);
            return;
        }
    }
}

void frmMain::ShowAccounts()
{
    frmAccounts *accounts = frmAccounts::Open(this);
    connect(accounts, &frmAccounts::accountsChanged, this, &frmMain::AccountsChanged, Qt::UniqueConnection);
    connect(accounts, &frmAccounts::printRequested, this, &frmMain::PrintGrid, Qt::UniqueConnection);
}

void frmMain::AccountsChanged()
{
    int step = 1;
    try {
        gexUpdate();
        step = 2;
        interfaceUpdate();
    } catch (const std::exception &e) {
        // Told as a failure of the accounts window's unload, which asked for it.
        ShowAppError(e, QStringLiteral("frmAccounts"), QStringLiteral("Form_Unload"), step);
    }
}

void frmMain::PrintGrid(ListGrid *grid)
{
    PreviewGrid(grid, this);
}

void frmMain::ShowPreferences()
{
    frmOptions dialog(this);
    connect(&dialog, &frmOptions::preferencesSaved, this, &frmMain::RebuildAfterPreferences);
    dialog.exec();
}

void frmMain::ShowDataSheets()
{
    frmScadenziari dialog(this);
    connect(&dialog, &frmScadenziari::closing, this, &frmMain::RebuildAfterSheetChange);
    dialog.exec();
}

// ---------------------------------------------------------------------------------------------------
// The list

void frmMain::InitEnvironment()
{
    ListRebuild rebuild(this, nullptr, true);
    m_today = platform::today();
    lblTitle->setText(Sheet->Name());
    mv->setLocale(platform::userLocale());
    mv->setValue(m_today);
    mv->setStartOfWeek(Env->StartOfWeek());
    gextasks->setRowHeight(Sheet->RowHeight());

    gex->setConnectionString(Adb->dcs());
    gex->setRecordSource(MainListRules::BuildGridSql(QStringLiteral("Where TrDbId=0")));
    gex->rebind(false);
    rsGrid = gex->recordset();

    m_list.setUpColumns(gex);
    // Widths in twips; the description and the names share the rest of the grid's width.
    const std::pair<const char *, int> widths[] = {
        {"TrRowId", 800}, {"TrDbId", 330}, {"TrType", 330}, {"TrDate", 1460}, {"TrDescription", 3000},
        {"TrValue", 1660}, {"AcName", 2000}, {"CnName", 2000}, {"TrAttached", 330}, {"gexIncomes", 1360},
        {"gexExpenses", 1360}};
    for (const auto &[key, twips] : widths)
        gex->column(QLatin1String(key))->setWidth(twips);
    for (int i = 1; i <= gex->columnCount(); ++i) {
        gex->column(i)->setCaption(QString());
        gex->column(i)->setTag(QString());
    }
    const std::pair<const char *, int> tags[] = {{"TrRowId", 1000}, {"TrDate", 1004}, {"TrDescription", 1005},
                                                 {"TrValue", 1007}, {"AcName", 1015}, {"CnName", 1019},
                                                 {"gexIncomes", 1023}, {"gexExpenses", 1024}};
    for (const auto &[key, id] : tags)
        gex->column(QLatin1String(key))->setTag(QString::number(id));

    // Display order; the view decides which of them are visible.
    const char *order[] = {"TrRowId", "TrType", "TrDate", "TrDescription", "AcName", "CnName",
                           "TrValue", "gexIncomes", "gexExpenses", "TrAttached"};
    int position = 1;
    for (const char *key : order)
        gex->column(QLatin1String(key))->setPosition(position++);
    for (int i = 1; i <= gex->columnCount(); ++i) {
        GridColumn *c = gex->column(i);
        if (c->position() > int(std::size(order)))
            c->setVisible(false);
    }

    gex->setRowHeight(Sheet->RowHeight());

    MainListRules::BuildFilterConditions(FilterTable, Env->DebitCreditToPN, m_today);
    rebuild.end();
    // Another data sheet, database folder or setting: the bold days are those of the new data.
    mv->refreshDayBold();
}

void frmMain::ResolveFields()
{
    m_list.resolveFields(rsGrid.get());
}

void frmMain::gexUpdate()
{
    const int sheetId = Sheet->Id();
    const int view = MainListRules::validView(curView);
    const QString tail = MainListRules::GridTail(sheetId, FilterTable[size_t(view)][size_t(currentFilterIndex() + 6)]);
    const ListRebuild rebuild(this, gex, true);
    gex->setRecordSource(MainListRules::BuildGridSql(tail));
    // The grid lets the rows of the last list go before it reads the new ones: so does the window.
    rsGrid.reset();
    try {
        gex->rebind(true);
    } catch (...) {
        // No rows, in the columns of the view chosen.
        EmptyLists();
        ApplyColumnVisibility();
        throw;
    }
    rsGrid = gex->recordset();
    ResolveFields();
    // Emptying the search box ends any search of the previous list.
    txtFind->clear();
    SetGridSortKeys(curView == 1 ? curDatePnSorting : curDateSorting);
    gex->clearGroups();
    gex->addGroup(QStringLiteral("TrDbId"));
    SetGroupColumn();
    ApplyColumnVisibility();
    interfaceUpdate();
}

namespace {
// A grid bound to nothing: no rows; its columns stay.
void Unbind(ListGrid *grid)
{
    grid->setRecordSource(QString());
    grid->rebind(true);
}
} // namespace

void frmMain::EmptyLists()
{
    Unbind(gex);
    Unbind(gextasks);
    rsGrid.reset();
    ResolveFields();
    txtFind->clear();
    // The calendar shows no days with rows either, rather than those of the list before.
    mv->clearDayBold();
    interfaceUpdate();
}

void frmMain::SetGroupColumn()
{
    const QString key = MainListRules::groupColumnKey(currentGroupIndex());
    if (!key.isEmpty())
        gex->addGroup(key);
}

void frmMain::ApplyColumnVisibility()
{
    const bool cash = curView == 1;
    gex->column(QStringLiteral("TrRowId"))->setVisible(Env->DeadlinesShowId);
    gex->column(QStringLiteral("CnName"))->setVisible(cash);
    gex->column(QStringLiteral("gexIncomes"))->setVisible(cash);
    gex->column(QStringLiteral("gexExpenses"))->setVisible(cash);
    gex->column(QStringLiteral("TrValue"))->setVisible(!cash);
    gex->column(QStringLiteral("TrType"))->setVisible(!cash);
    gex->column(QStringLiteral("TrDescription"))->setContent(cash ? GridColumn::TextOnly : GridColumn::IconAndText);
}

void frmMain::SetGridSortKeys(int direction)
{
    gex->clearSortKeys();
    gex->addSortKey(QStringLiteral("TrDate"), direction);
    gex->addSortKey(QStringLiteral("TrRowId"), direction);
}

void frmMain::gexFind(int Id)
{
    gex->find(QStringLiteral("TrRowId"), Id);
}

// ---------------------------------------------------------------------------------------------------
// The main grid's answers

void frmMain::gex_UnboundColumnFetch(int, int colIndex, qint64 bookmark, QVariant &value)
{
    m_list.computedValue(rsGrid.get(), bookmark, colIndex, value);
}

void frmMain::gex_FetchIcon(int, int colIndex, qint64 bookmark, int &icon)
{
    m_list.icon(rsGrid.get(), bookmark, colIndex, icon);
}

void frmMain::gex_FormatRow(GridRowFormat &row)
{
    if (row.isGroupHeader()) {
        const QString groupKey = row.groupColumn() ? row.groupColumn()->key() : QString();
        QString caption;
        if (groupKey == QLatin1String("TrDbId")) {
            caption = QLatin1Char(' ') + LRS(curView == 1 ? 1673 : 1672) + QLatin1Char(' ') + QChar(0x2022)
                      + cmbFilter->currentText();
        } else if (groupKey == QLatin1String("AcName") || groupKey == QLatin1String("CnName")) {
            const QString name = row.groupValue().toString();
            caption = QLatin1Char(' ') + (name.isEmpty() ? LRS(1054) : name);
        } else if (groupKey == QLatin1String("gexDateGroup")) {
            if (currentGroupIndex() == 1)
                caption = QLatin1Char(' ') + LRS(1060 + row.groupValue().toInt());
            else
                caption = QLatin1Char(' ')
                          + platform::userLocale().toString(row.value(QStringLiteral("TrDate")).toDate(),
                                                            QStringLiteral("MMMM yyyy"));
        } else {
            caption = row.groupCaption();
        }
        if (Env->DeadlinesShowGroupTotals) {
            // An empty group sums to 0; a sum too large for an amount says so.
            const QVariant sum = row.groupSum(QStringLiteral("gexTotals"));
            caption += QStringLiteral(" [") + formatNamed(sum, QStringLiteral("Currency")) + QLatin1Char(']');
        }
        row.setCaption(caption);
        return;
    }
    if (!row.isRecord())
        return;
    if (NullToString(row.value(QStringLiteral("AcName"))).isEmpty())
        row.setCellText(QStringLiteral("AcName"), LRS(1054));
    const int filter = currentFilterIndex();
    if (MainListRules::hidesAmount(curView, filter, row.value(QStringLiteral("TrType")).toInt()))
        row.setCellText(QStringLiteral("TrValue"), QString());
    const auto style = MainListRules::recordStyle(curView, filter, row.value(QStringLiteral("TrDone")).toBool(),
                                                  row.value(QStringLiteral("TrDate")).toDate(),
                                                  row.value(QStringLiteral("TrAlertDays")).toInt(), m_today);
    if (style == MainListRules::Expired)
        row.setStyle(QStringLiteral("Expired"));
    else if (style == MainListRules::Barrato)
        row.setStyle(QStringLiteral("barrato"));
}

void frmMain::gex_ColumnHeaderClick(GridColumn *column)
{
    if (!column || column->key() != QLatin1String("TrDate"))
        return;
    const int direction = column->sortOrder() == 1 ? -1 : 1;
    SetGridSortKeys(direction);
    if (curView == 1)
        curDatePnSorting = direction;
    else
        curDateSorting = direction;
}

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

// ---------------------------------------------------------------------------------------------------
// Record commands

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
    const GridRowData data = gex->rowData(row);
    if (row < 1 || !data.isRecord() || data.value(QStringLiteral("TrGrpId")).toInt() == 0) {
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
            TransactionsList::field(rsGrid.get(), data.bookmark(), m_list.fields().TrDescription);
        LoadEditor<frmScadenzeNuovo>()->Nuovo2(data.value(QStringLiteral("TrType")).toInt(), description,
                                             data.value(QStringLiteral("TrAcId")).toInt(),
                                             data.value(QStringLiteral("TrValue")).value<Currency>(),
                                             data.value(QStringLiteral("TrGrpId")).toInt());
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
    const GridRowData data = gex->rowData(gex->row());
    if (!data.isRecord())
        return;
    const int id = data.value(QStringLiteral("TrRowId")).toInt();
    if (curView == 1)
        LoadEditor<frmPN>()->Apri(id);
    else
        LoadEditor<frmScadenze>()->Apri(id);
} catch (const std::exception &e) {
    ShowAppError(e, WindowName, QStringLiteral("EditCommand"), 0);
}

void frmMain::DuplicateCommand()
try {
    const GridRowData data = gex->rowData(gex->row());
    if (!data.isRecord())
        return;
    const int id = data.value(QStringLiteral("TrRowId")).toInt();
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
    const GridRowData data = gex->rowData(row);
    if (!data.isRecord())
        return;
    const int id = data.value(QStringLiteral("TrRowId")).toInt();
    const int grpId = data.value(QStringLiteral("TrGrpId")).toInt();
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
    const GridRowData data = gex->rowData(row);
    if (!data.isRecord() || curView != 0)
        return;
    const int id = data.value(QStringLiteral("TrRowId")).toInt();
    try {
        if (data.value(QStringLiteral("TrDone")).toBool()) {
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
    const GridRowData data = gex->rowData(gex->row());
    if (data.isRecord())
        OpenAttachment(NullToString(data.value(QStringLiteral("TrAttached"))), this);
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

void frmMain::gex_RowColChange(int lastRow, int)
{
    if (gex->row() != lastRow)
        ShowNotesOfCurrentRow();
}

void frmMain::ShowNotesOfCurrentRow()
{
    // A group row has no notes of its own.
    const GridRowData data = gex->rowData(gex->row());
    const bool record = data.isRecord();
    m_deadlineNotes = record ? NullToString(data.value(QStringLiteral("TrNotes"))) : QString();
    m_accNotes = record ? NullToString(data.value(QStringLiteral("AcNotes"))) : QString();
    // The whole note stands in the tooltip; a tooltip takes rich text, so the note goes in escaped.
    for (auto [label, text] : {std::pair{lblDeadlineNotes, &m_deadlineNotes}, std::pair{lblAccNotes, &m_accNotes}})
        label->setToolTip(text->isEmpty() ? QString() : Qt::convertFromPlainText(*text, Qt::WhiteSpaceNormal));
    FitNotes();
}

int frmMain::NoteLines(const QLabel *label) const
{
    return label == lblDeadlineNotes ? 2 : 1;
}

void frmMain::FitNotes()
{
    for (auto [l, text] : {std::pair{lblDeadlineNotes, &m_deadlineNotes}, std::pair{lblAccNotes, &m_accNotes}}) {
        const int width = l->contentsRect().width();
        l->setText(TextLines(*text, l->font(), nullptr, qMax(1, width), NoteLines(l)).join(QLatin1Char('\n')));
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
    const GridRowData data = gex->rowData(gex->row());
    if (!data.isRecord())
        return;
    const bool done = data.value(QStringLiteral("TrDone")).toBool();
    mnuPopup[4]->setText(LRS(done ? 709 : 703));
    mnuPopup[4]->setEnabled(curView == 0 && any);
    mnuPopup[7]->setEnabled(HasAttachment(data.value(QStringLiteral("TrAttached"))));
    PopUp1->popup(gex->mapToGlobal(pos));
}

void frmMain::ResizeGridColumns()
{
    if (!gex->hasColumn(QStringLiteral("TrDate")))
        return;
    const auto w = MainListRules::sharedColumnWidths(
        curView, PixelsToTwips(gex->width()), Env->DeadlinesShowId, Sheet->sysVerticalBarWidth(), gex->columnCount(),
        gex->column(QStringLiteral("TrDate"))->width(), gex->column(QStringLiteral("TrValue"))->width(),
        gex->column(QStringLiteral("gexIncomes"))->width());
    auto setWidth = [this](const char *key, double twips) {
        gex->column(QLatin1String(key))->setWidth(qMax(300, int(twips)));
    };
    setWidth("TrDescription", w.description);
    setWidth("AcName", w.account);
    if (curView == 1)
        setWidth("CnName", w.count);
}

// ---------------------------------------------------------------------------------------------------
// Command state and search

void frmMain::interfaceUpdate()
{
    const bool empty = !rsGrid || rsGrid->RecordCount() == 0;
    // A list that could not be read tells nothing about the rows there are.
    txtNoRecs->setVisible(empty && rsGrid);
    if (empty && rsGrid) {
        // The texts tell an empty sheet from an empty list. Rows the list read, all hidden by the search, are
        // rows of the sheet; else its first row in either view, if any, tells.
        bool sheetHasRows = rsGrid->loadedRowCount() > 0;
        if (!sheetHasRows) {
            platform::Recordset rs;
            rs.setMaxRecords(1);
            rs.Open(QStringLiteral("SELECT TrRowId FROM Transactions WHERE TrDbId=") + QString::number(Sheet->Id()),
                    Adb->dcs(), platform::Recordset::adOpenForwardOnly, platform::Recordset::adLockReadOnly,
                    platform::Recordset::adCmdText);
            sheetHasRows = !rs.EOF();
            rs.Close();
        }
        txtNoRecs->setText(LRS(sheetHasRows ? 991 : 990));
        PlaceNoRecsText();
    }
    for (QAction *a : {tb[1]->actions().value(0), tb[2]->actions().value(0), mnuRecord[1], mnuRecord[2], m_expandAll})
        if (a)
            a->setEnabled(!empty);
    m_collapseAll->setEnabled(m_expandAll->isEnabled());
    ShowNotesOfCurrentRow();
    imgSearch->setIcon(Icons::searchImageList().value(txtFind->text().isEmpty() ? 0 : 1));
    sbPanel2->setText(QDir::toNativeSeparators(Adb->dbPath()));
}

void frmMain::txtFind_Change()
try {
    if (!rsGrid)
        return;
    const QString s = txtFind->text().trimmed();
    if (s.size() < 2) {
        rsGrid->setFilter(QString());
    } else {
        const QString q = SqlQuote(s);
        const QString filter = QStringLiteral("TrDescription LIKE '*") + q + QStringLiteral("*' OR AcName LIKE '*") + q
                               + QStringLiteral("*'");
        // A row that holds the longer text holds the shorter one it grew from: a key typed at the end of the
        // search tests only the rows that pass now.
        const QString before = rsGrid->Filter();
        const QString shorter = before.section(QLatin1Char('*'), 1, 1);
        const bool narrower = !before.isEmpty() && before == QStringLiteral("TrDescription LIKE '*") + shorter
                                                                + QStringLiteral("*' OR AcName LIKE '*") + shorter
                                                                + QStringLiteral("*'")
                              && platform::foldText(q).contains(platform::foldText(shorter));
        rsGrid->setFilter(filter, narrower ? platform::Recordset::PassingRows : platform::Recordset::AllRows);
    }
    gex->refetch();
    interfaceUpdate();
} catch (const std::exception &e) {
    ShowAppError(e, WindowName, QStringLiteral("txtFind_Change"), 0);
}

void frmMain::imgSearch_Click()
{
    if (txtFind->text().isEmpty())
        txtFind->setFocus();
    else
        txtFind->clear();
}

bool frmMain::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == gex && event->type() == QEvent::Resize) {
        // The grid's size follows the window's layout: its shared columns follow the grid.
        ResizeGridColumns();
        PlaceNoRecsText();
    } else if (event->type() == QEvent::Resize && gextasks && watched == gextasks->view()->viewport()) {
        // The side list's one column fills its width.
        if (gextasks->columnCount() > 0)
            gextasks->column(1)->setWidth(int(PixelsToTwips(gextasks->view()->viewport()->width())));
    } else if (event->type() == QEvent::Resize && lblDeadlineNotes && watched == lblDeadlineNotes->parentWidget()) {
        FitNotes();
    } else if (watched == txtFind && event->type() == QEvent::KeyRelease) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Down || key == Qt::Key_Tab)
            gex->setFocus();
    } else if (event->type() == QEvent::MouseButtonRelease) {
        if (watched == lblOggi)
            imgOggi_Click();
        else if (watched == lblMese)
            imgMese_Click();
        else if (watched == lblTitle)
            ShowDataSheets();
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------------------------------
// Calendar and side list

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
    gextasks->setRecordSource(
        QStringLiteral("SELECT TrDescription, TrGrpType, TrGrpRow, TrGrpMDay, TrRowId FROM Transactions Where (TrDate Between ")
        + SqlDate(d1) + QStringLiteral(" And ") + SqlDate(d2) + QStringLiteral(") AND ") + c
        + QStringLiteral(" AND TrDbId=") + QString::number(Sheet->Id()) + QStringLiteral(" ORDER BY TrDate DESC"));
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

// ---------------------------------------------------------------------------------------------------
// View, language, layout

void frmMain::SetInterfaceOnCurrentView()
{
    inUpdate = true;
    mnuView[0]->setChecked(curView == 0);
    mnuView[1]->setChecked(curView == 1);
    m_viewDeadlines->setChecked(curView == 0);
    m_viewCashBook->setChecked(curView == 1);
    const int view = MainListRules::validView(curView);
    cmbFilter->clear();
    for (int i = 0; i < FilterCount; ++i)
        cmbFilter->addItem(QLatin1Char(' ') + FilterTable[size_t(view)][size_t(i)]);
    cmbFilter->setCurrentIndex(currentFilterIndex());
    cmbGroup->setCurrentIndex(currentGroupIndex());
    FitListWidth(cmbFilter);
    lblCalTitle->setText(LRS(curView == 1 ? 1071 : 1070));
    inUpdate = false;
    m_helpContext = curView == 1 ? 9 : 2;
}

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
    lblOggi->setText(LRS(1053));
    lblMese->setText(LRS(971));
    gex->setNavigatorCaption(LRS(1052));
    mv->setLocale(platform::userLocale());
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

void frmMain::RebuildAfterPreferences()
try {
    InitEnvironment();
    Localize();
    SetInterfaceOnCurrentView();
    gexUpdate();
    mvUpdate();
    tasksUpdate(mv->selStart(), mv->selEnd());
    Form_Resize();
} catch (const std::exception &e) {
    // Whatever step failed, no rows of the sheet or database before are left listed.
    EmptyLists();
    // Told as a failure of the dialog's Save, which the user chose.
    ShowAppError(e, QStringLiteral("frmOptions"), QStringLiteral("cmdSalva_Click"), 0);
}

void frmMain::RebuildAfterSheetChange()
try {
    InitEnvironment();
    Localize();
    SetInterfaceOnCurrentView();
    gexUpdate();
    tasksUpdate(mv->selStart(), mv->selEnd());
    Form_Resize();
} catch (const std::exception &e) {
    EmptyLists();
    ShowAppError(e, QStringLiteral("frmScadenziari"), QStringLiteral("cmdClose_Click"), 0);
}

void frmMain::PlaceNoRecsText()
{
    // Over the middle of the grid.
    txtNoRecs->setGeometry(gex->rect().adjusted(20, gex->height() / 3, -20, -gex->height() / 3));
    txtNoRecs->raise();
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

void frmMain::SwitchView(int view)
try {
    curView = view;
    SetInterfaceOnCurrentView();
    ResizeGridColumns();
    gexUpdate();
    mvUpdate();
    tasksUpdate(mv->selStart(), mv->selEnd());
} catch (const std::exception &e) {
    ShowAppError(e, WindowName, QStringLiteral("SwitchView"), 0);
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

void frmMain::cmbFilter_Click()
try {
    if (inUpdate)
        return;
    if (curView == 1)
        curFilterPnIndex = MainListRules::validFilter(cmbFilter->currentIndex());
    else
        curFilterIndex = MainListRules::validFilter(cmbFilter->currentIndex());
    gexUpdate();
    gex->setFocus();
} catch (const std::exception &e) {
    ShowAppError(e, WindowName, QStringLiteral("cmbFilter_Click"), 0);
}

void frmMain::cmbGroup_Click()
try {
    if (inUpdate)
        return;
    if (curView == 1)
        curGroupPnIndex = MainListRules::validGrouping(cmbGroup->currentIndex());
    else
        curGroupIndex = MainListRules::validGrouping(cmbGroup->currentIndex());
    gexUpdate();
    gex->setFocus();
} catch (const std::exception &e) {
    ShowAppError(e, WindowName, QStringLiteral("cmbGroup_Click"), 0);
}

void frmMain::tbGroup_ButtonClick(const QString &key)
{
    if (key == QLatin1String("expandall")) {
        gex->expandAll();
        return;
    }
    gex->collapseAll();
    if (curView == 0 && curGroupIndex != 0)
        gex->expandRow(1);
}

void frmMain::RefreshList()
try {
    gexUpdate();
    tasksUpdate(mv->selStart(), mv->selEnd());
} catch (const std::exception &e) {
    ShowAppError(e, WindowName, QStringLiteral("RefreshList"), 0);
}

void frmMain::PreviewGrid(ListGrid *grid, QWidget *owner)
{
    GridPrinter printer(grid);
    QDialog dialog(owner);
    dialog.setWindowTitle(LRS(205));
    auto *layout = new QVBoxLayout(&dialog);
    auto *preview = new GridPreview(&printer, &dialog);
    LocalizePreview(preview);
    connect(preview, &GridPreview::closeClicked, &dialog, &QDialog::reject);
    layout->addWidget(preview);
    dialog.resize(owner ? owner->size() : QSize(900, 700));
    preview->updatePreview();
    dialog.exec();
}

void frmMain::ShowHelp()
{
    ShowHelpPage(this, m_helpContext);
}

void frmMain::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_F1) {
        ShowHelp();
        return;
    }
    QMainWindow::keyPressEvent(event);
}
