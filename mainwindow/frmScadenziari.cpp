#include "mainwindow/frmScadenziari.h"

#include "editors/EditorWindows.h"
#include "foundation/DefaultCounts.h"
#include "foundation/WindowSupport.h"

#include "foundation/Globals.h"
#include "foundation/Icons.h"
#include "foundation/SheetsTable.h"
#include "foundation/Twips.h"
#include "foundation/cAccessDb.h"
#include "foundation/cLang.h"
#include "foundation/cSheet.h"
#include "foundation/grid/GridColumn.h"
#include "foundation/grid/ListGrid.h"
#include "foundation/modShared.h"
#include "platform/RuntimeError.h"
#include "platform/dialogs/Dialogs.h"
#include "platform/shell/Shell.h"

#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString WindowName = QStringLiteral("frmScadenziari");
const QString ErrorSource = QStringLiteral("Orvel3.frmScadenziari");

// Messages that read the same in every language: "Error" (sheet 1 cannot be erased) and "Db Error" (the
// chosen folder's database is unusable).
QString errorText()
{
    return LRS(1946);
}
QString dbErrorText()
{
    return LRS(1947);
}

// The sheets' picture: a stack of coins, 16 x 16.
QIcon coinStack()
{
    return Icons::drawn([](QPainter &p) {
        const QColor gold(222, 170, 40);
        const QColor rim(150, 105, 20);
        for (int i = 0; i < 4; ++i) {
            const double top = 10.5 - i * 3.0;
            p.setPen(QPen(rim, 0.9));
            p.setBrush(gold.darker(112));
            p.drawRect(QRectF(2.5, top + 1.5, 11, 2));
            p.setPen(Qt::NoPen);
            p.drawRect(QRectF(2.95, top + 1.5, 10.1, 2));
            p.setPen(QPen(rim, 0.9));
            p.setBrush(gold);
            p.drawEllipse(QRectF(2.5, top, 11, 3.2));
        }
    });
}

void makeAttachedFolder(const QString &folder)
{
    const QString attached = cAccessDb::attachedPathFor(folder);
    if (!QFileInfo(attached).isDir() && !QDir().mkpath(attached))
        throw platform::RuntimeError(platform::errors::DbGeneric, ErrorSource,
                                     LRSV(1942, QDir::toNativeSeparators(attached)));
}

} // namespace

frmScadenziari::frmScadenziari(QWidget *owner)
    : QDialog(owner)
{
    setObjectName(WindowName);
    setModal(true);
    BuildControls();
    Form_Load();
}

frmScadenziari::~frmScadenziari() = default;

void frmScadenziari::BuildControls()
{
    auto button = [this](const QString &name) {
        auto *b = new QPushButton(this);
        b->setObjectName(name);
        b->setAutoDefault(false);
        return b;
    };

    Frame2 = new QGroupBox(this);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    gex = new ListGrid(Frame2);
    gex->setObjectName(QStringLiteral("gex"));
    gex->setColumnHeaders(false);
    gex->setNavigatorVisible(false);
    gex->setImageList({coinStack()});
    cmdNuovo = button(QStringLiteral("cmdNuovo"));
    cmdEdit = button(QStringLiteral("cmdEdit"));
    cmdErase = button(QStringLiteral("cmdErase"));
    cmdSelect = button(QStringLiteral("cmdSelect"));
    auto *sheetButtons = new QVBoxLayout;
    for (QPushButton *b : {cmdNuovo, cmdEdit, cmdErase})
        sheetButtons->addWidget(b);
    sheetButtons->addSpacing(TwipsToPixels(240));
    sheetButtons->addWidget(cmdSelect);
    sheetButtons->addStretch(1);
    auto *sheets = new QHBoxLayout(Frame2);
    sheets->addWidget(gex, 1);
    sheets->addLayout(sheetButtons);

    Frame1 = new QGroupBox(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    lblDb = new QLabel(Frame1);
    lblDb->setObjectName(QStringLiteral("lblDb"));
    lblDb->setTextFormat(Qt::PlainText);   // the database folder's path
    lblDb->setWordWrap(true);
    lblDb->setTextInteractionFlags(Qt::TextSelectableByMouse);
    cmdDatabase = button(QStringLiteral("cmdDatabase"));
    auto *folderBox = new QVBoxLayout(Frame1);
    folderBox->addWidget(lblDb);
    auto *folderButton = new QHBoxLayout;
    folderButton->addStretch(1);
    folderButton->addWidget(cmdDatabase);
    folderBox->addLayout(folderButton);

    cmdClose = button(QStringLiteral("cmdClose"));
    auto *bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(cmdClose);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Frame2, 1);
    layout->addWidget(Frame1);
    layout->addLayout(bottom);
    resize(TwipsToPixels(7600), TwipsToPixels(6400));

    connect(cmdNuovo, &QPushButton::clicked, this, &frmScadenziari::cmdNuovo_Click);
    connect(cmdEdit, &QPushButton::clicked, this, &frmScadenziari::cmdEdit_Click);
    connect(cmdErase, &QPushButton::clicked, this, &frmScadenziari::cmdErase_Click);
    connect(cmdSelect, &QPushButton::clicked, this, &frmScadenziari::cmdSelect_Click);
    connect(cmdDatabase, &QPushButton::clicked, this, &frmScadenziari::cmdDatabase_Click);
    connect(cmdClose, &QPushButton::clicked, this, &frmScadenziari::cmdClose_Click);
    connect(gex, &ListGrid::RowColChange, this, &frmScadenziari::gex_RowColChange);
    gex->installEventFilter(this);
}

void frmScadenziari::Form_Load()
{
    GridColumn *id = gex->addColumn(QStringLiteral("DbId"));
    id->setWidth(600);
    id->setAlignment(Qt::AlignCenter);
    id->setSortType(GridColumn::SortNumeric);
    GridColumn *name = gex->addColumn(QStringLiteral("DbName"));
    name->setWidth(4200);
    name->setContent(GridColumn::IconAndText);
    name->setIconIndex(1);
    gex->setConnectionString(Adb->dcs());
    gex->setRecordSource(SheetsTable::listSql());
    try {
        RebindGrid();
    } catch (const std::exception &e) {
        // The dialog still opens: another folder can be chosen, and Close rebuilds the main window.
        ShowAppError(e, WindowName, QStringLiteral("Form_Load"), __LINE__);
    }

    cmdSelect->setText(LRS(1254));
    cmdNuovo->setText(LRS(1250));
    cmdEdit->setText(LRS(1251));
    cmdErase->setText(LRS(1252));
    cmdDatabase->setText(LRS(506));
    cmdClose->setText(LRS(1324));
    Frame1->setTitle(LRS(1403));
    Frame2->setTitle(LRS(1253) + QLatin1Char(' '));
    setWindowTitle(LRS(1253));

    ShowDbPath();
    gex->setRowHeight(Sheet->RowHeight());
    FindSheet(Sheet->Id());
    DisableCloseButton(this);
}

void frmScadenziari::RebindGrid()
{
    gex->rebind(true);
    gex->rowCount();   // builds the rows now: the first becomes current
    gex_RowColChange(0, 0);
}

bool frmScadenziari::FindSheet(int sheetId)
{
    const bool found = gex->find(1, sheetId);
    gex_RowColChange(0, 0);
    return found;
}

void frmScadenziari::ShowDbPath()
{
    lblDb->setText(QDir::toNativeSeparators(Adb->dbPath() + QLatin1Char('/')));
}

void frmScadenziari::gex_RowColChange(int, int)
{
    const GridRowData row = gex->rowData(gex->row());
    SelectedDbId = row.isRecord() ? row.value(QStringLiteral("DbId")).toInt() : 0;
    SelectedDbName = row.isRecord() ? row.value(QStringLiteral("DbName")).toString() : QString();
}

// ---------------------------------------------------------------------------------------------------
// The rules of the data sheets

frmScadenziari::EraseCheck frmScadenziari::CanErase(int sheetCount, int sheetId, int currentSheetId)
{
    if (sheetCount == 1)
        return EraseOnlySheet;
    if (sheetId == currentSheetId)
        return EraseCurrentSheet;
    if (sheetId == 1)
        return EraseFirstSheet;
    return EraseAllowed;
}

void frmScadenziari::EnsureDefaultCounts(const QString &connectionString)
{
    ::EnsureDefaultCounts(connectionString);
}

frmScadenziari::PreparedFolder frmScadenziari::PrepareFolder(const QString &folder)
{
    PreparedFolder prepared;
    if (!QFileInfo::exists(cAccessDb::databaseFileIn(folder))) {
        cAccessDb::CopyTemplate(folder);
        prepared.created = true;
        makeAttachedFolder(folder);
        platform::doEvents();
    }
    prepared.test = Adb->TestDb(folder);
    return prepared;
}

void frmScadenziari::UseFolder(const QString &folder)
{
    // Everything that can fail on the new folder comes first: until DbPath is stored the program keeps
    // its folder and sheet.
    EnsureDefaultCounts(cAccessDb::connectionStringFor(folder));
    cAccessDb::AddTemplateIndexes(folder);
    makeAttachedFolder(folder);
    // Sheet 1, or the lowest sheet of a database that has no sheet 1, as at start.
    const int sheet = SheetsTable::sheetToUse(cAccessDb::connectionStringFor(folder), 1);
    const QString previous = Adb->dbPath();
    Adb->setDbPath(folder);
    try {
        Adb->StoreDbPath();
    } catch (...) {
        Adb->setDbPath(previous);
        throw;
    }
    // Attachments of this run go beside the database in use.
    Adb->setAttachedPath(cAccessDb::attachedPathFor(folder));
    Sheet->setId(sheet);
}

// ---------------------------------------------------------------------------------------------------
// Commands

bool frmScadenziari::ChangeAllowed()
{
    // An open editor or accounts window holds rows, customers and accounts of the sheet and database in use.
    if (!EditorWindows::anyOpen())
        return true;
    platform::MsgBox(LRS(1951), platform::vbExclamation, QString(), this);
    return false;
}

void frmScadenziari::cmdSelect_Click()
{
    if (SelectedDbId <= 0 || (SelectedDbId != Sheet->Id() && !ChangeAllowed()))
        return;
    Sheet->setId(SelectedDbId);
    platform::MsgBox(LRSV(1391, SelectedDbName), platform::vbOKOnly, QString(), this);
}

bool frmScadenziari::SheetNameStorable(const QString &name)
{
    if (IsStorableText(name))
        return true;
    platform::MsgBox(LRS(2037), platform::vbExclamation, QString(), this);
    return false;
}

void frmScadenziari::cmdNuovo_Click()
{
    // The new sheet becomes the current one.
    if (!ChangeAllowed())
        return;
    const QString name = platform::InputBox(LRS(1409), QString(), QString(), nullptr, this).trimmed();
    if (name.isEmpty() || !SheetNameStorable(name))
        return;
    int newId = 0;
    try {
        if (SheetsTable::nameExists(Adb->dcs(), name)) {
            platform::MsgBox(LRS(1399), platform::vbOKOnly, QString(), this);
            return;
        }
        newId = SheetsTable::create(Adb->dcs(), name);
        PauseForDbRelease();
        RebindGrid();
    } catch (const std::exception &e) {
        ShowAppError(e, WindowName, QStringLiteral("cmdNuovo_Click"), __LINE__);
        if (newId == 0)
            return;
    }
    platform::MsgBox(LRSV(1394, name), platform::vbOKOnly, QString(), this);
    FindSheet(newId);
    Sheet->setId(newId);
}

void frmScadenziari::cmdEdit_Click()
{
    if (SelectedDbId <= 0)
        return;
    const int sheetId = SelectedDbId;
    const QString name = platform::InputBox(LRS(1411), QString(), SelectedDbName, nullptr, this).trimmed();
    if (name.isEmpty() || !SheetNameStorable(name))
        return;
    try {
        if (SheetsTable::nameExists(Adb->dcs(), name)) {
            platform::MsgBox(LRS(1399), platform::vbOKOnly, QString(), this);
            return;
        }
        SheetsTable::rename(Adb->dcs(), sheetId, name);
        PauseForDbRelease();
        RebindGrid();
        FindSheet(sheetId);
    } catch (const std::exception &e) {
        ShowAppError(e, WindowName, QStringLiteral("cmdEdit_Click"), __LINE__);
        return;
    }
    platform::MsgBox(LRSV(1392, name), platform::vbOKOnly, QString(), this);
}

void frmScadenziari::cmdErase_Click()
{
    if (SelectedDbId <= 0)
        return;
    switch (CanErase(gex->rowCount(), SelectedDbId, Sheet->Id())) {
    case EraseOnlySheet:
        platform::MsgBox(LRS(1405), platform::vbOKOnly, QString(), this);
        return;
    case EraseCurrentSheet:
        platform::MsgBox(LRS(1406), platform::vbOKOnly, QString(), this);
        return;
    case EraseFirstSheet:
        platform::MsgBox(errorText(), platform::vbOKOnly, QString(), this);
        return;
    case EraseAllowed:
        break;
    }
    if (platform::MsgBox(LRS(1407), platform::vbYesNo, QString(), this) != platform::vbYes)
        return;
    try {
        SheetsTable::erase(Adb->dcs(), SelectedDbId);
        PauseForDbRelease();
        RebindGrid();
    } catch (const std::exception &e) {
        ShowAppError(e, WindowName, QStringLiteral("cmdErase_Click"), __LINE__);
        return;
    }
    platform::MsgBox(LRS(1408), platform::vbOKOnly, QString(), this);
}

void frmScadenziari::cmdDatabase_Click()
{
    NewDbCreated = false;
    if (!ChangeAllowed())
        return;
    const QString folder = BrowseForFolder(this, LRS(506));
    if (folder.isEmpty())
        return;
    try {
        const PreparedFolder prepared = PrepareFolder(folder);
        NewDbCreated = prepared.created;
        if (prepared.test != cAccessDb::Usable) {
            platform::MsgBox(dbErrorText(), platform::vbOKOnly, QString(), this);
            return;
        }
        UseFolder(folder);
    } catch (const std::exception &e) {
        ShowAppError(e, WindowName, QStringLiteral("cmdDatabase_Click"), __LINE__);
        return;
    }
    gex->setConnectionString(Adb->dcs());
    try {
        RebindGrid();
    } catch (const std::exception &e) {
        ShowAppError(e, WindowName, QStringLiteral("cmdDatabase_Click"), __LINE__);
    }
    FindSheet(Sheet->Id());
    ShowDbPath();
    const QString shown = QDir::toNativeSeparators(Adb->dbPath());
    platform::MsgBox(NewDbCreated ? LRSV(1396, shown) : LRSV(1395, shown), platform::vbOKOnly, QString(), this);
    gex->setFocus();
}

void frmScadenziari::cmdClose_Click()
{
    if (m_closing)
        return;
    m_closing = true;
    emit closing();
    QDialog::done(QDialog::Accepted);
    m_closing = false;
}

void frmScadenziari::reject()
{
    cmdClose_Click();
}

bool frmScadenziari::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == gex && event->type() == QEvent::Resize && gex->hasColumn(QStringLiteral("DbName"))) {
        // The names take the width that the id column and the scroll bar leave.
        const double free = PixelsToTwips(gex->width()) - gex->column(QStringLiteral("DbId"))->width()
                            - Sheet->sysVerticalBarWidth() - 90;
        gex->column(QStringLiteral("DbName"))->setWidth(qMax(1200, int(free)));
    }
    return QDialog::eventFilter(watched, event);
}

void frmScadenziari::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_F1) {
        ShowHelpPage(this, HelpContext);
        return;
    }
    QDialog::keyPressEvent(event);
}
