// The main window's life (load, unload, close), the routing of its controls' events, help, and the other
// windows it opens, connected to what they tell.

#include "mainwindow/frmMain.h"
#include "mainwindow/frmMainParts.h"

#include "editors/EditorWindows.h"
#include "editors/RecordEditorWindow.h"
#include "editors/frmAccounts.h"
#include "foundation/DefaultCounts.h"
#include "foundation/Globals.h"
#include "foundation/Icons.h"
#include "foundation/Twips.h"
#include "foundation/WindowSupport.h"
#include "foundation/cAccessDb.h"
#include "foundation/cEnvironment.h"
#include "foundation/cLang.h"
#include "foundation/grid/GridColumn.h"
#include "foundation/grid/GridPreview.h"
#include "foundation/grid/GridPrinter.h"
#include "foundation/grid/GridView.h"
#include "foundation/modMain.h"
#include "foundation/modShared.h"
#include "mainwindow/frmOptions.h"
#include "mainwindow/frmScadenziari.h"
#include "platform/controls/MonthView.h"

#include <QCloseEvent>
#include <QDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include <functional>

using frmMainParts::WindowName;
using platform::Currency;

namespace {

frmMain *g_instance = nullptr;

// A print preview of a list of the program (its pages, page set-up and print).
void PreviewGrid(ListGrid *grid, QWidget *owner)
{
    GridPrinter printer(grid);
    QDialog dialog(owner);
    dialog.setWindowTitle(LRS(205));
    auto *layout = new QVBoxLayout(&dialog);
    auto *preview = new GridPreview(&printer, &dialog);
    LocalizePreview(preview);
    QObject::connect(preview, &GridPreview::closeClicked, &dialog, &QDialog::reject);
    layout->addWidget(preview);
    dialog.resize(owner ? owner->size() : QSize(900, 700));
    preview->updatePreview();
    dialog.exec();
}

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
// Load and unload

void frmMain::Form_Load()
{
    m_helpContext = 1;
    // The view state as it was stored (the MainViewState base of the window).
    static_cast<MainViewState &>(*this) = ReadViewState();

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
    WriteViewState(viewState());
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
// Events of the controls, help

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

// ---------------------------------------------------------------------------------------------------
// The other windows: opened here, connected to what they tell

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
