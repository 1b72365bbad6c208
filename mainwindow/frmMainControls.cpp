// The main window's controls, menus and toolbars, and the connections of their events.

#include "mainwindow/frmMain.h"
#include "mainwindow/frmMainParts.h"

#include "foundation/Icons.h"
#include "foundation/TaggedActions.h"
#include "foundation/Twips.h"
#include "foundation/grid/GridRowStyle.h"
#include "foundation/grid/GridView.h"
#include "mainwindow/frmAbout.h"
#include "platform/controls/MonthView.h"
#include "platform/controls/OneLineText.h"
#include "reports/frmExport.h"
#include "reports/frmPrint.h"

#include <QAction>
#include <QActionGroup>
#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// The languages of the Languages submenu after "Automatic": their names are never translated. The
// position of an item is the language id it chooses.
const char *const LanguageNames[] = {"Deutch", "English", "Español", "Français", "Italiano"};

} // namespace

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
