#include "importtool/frmImport.h"

#include "foundation/cAccessDb.h"
#include "foundation/Twips.h"
#include "foundation/comRegistry.h"
#include "foundation/modShared.h"
#include "importtool/DataImport.h"
#include "importtool/DatabaseFiles.h"
#include "importtool/OldDatabase.h"
#include "importtool/OldDatabaseReader.h"
#include "importtool/cEnvironment.h"
#include "importtool/modMain.h"
#include "platform/Clock.h"
#include "platform/RuntimeError.h"
#include "platform/database/Connection.h"
#include "platform/database/LockFile.h"
#include "platform/database/ScopedTransaction.h"
#include "platform/dialogs/Dialogs.h"
#include "platform/shell/Shell.h"

#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QStatusBar>
#include <QVBoxLayout>

namespace importtool {

namespace {

constexpr int WindowWidthTwips = 7425;

// Texts of the controls, by id.
constexpr int CaptionText = 1375;
constexpr int ExplanationTexts[] = {1376, 1377, 1381, 1382};
constexpr int ChooseText = 1383;
constexpr int ContinueText = 1414;
constexpr int CancelText = 1109;
// The status while the data is copied.
constexpr int WorkingText = 2300;
// The end message, and what it adds about rows not copied as the older database holds them.
constexpr int DoneMessage = 1380;
constexpr int RowsWithoutAccountText = 2304;
constexpr int MovementsWithoutCountText = 2305;
constexpr int RowsWithoutSheetText = 2306;

// Where each older product keeps its database.
struct OldProductFiles {
    const char *caption;      // the choice's caption, not translated
    const char *version;      // how the confirmation names the version
    const char *dbFile;
    const char *lockFile;
};
constexpr OldProductFiles Products[] = {
    {"Orvel 1", "1", "orvel.mdb", "orvel.ldb"},
    {"Orvel 2", "2", "orvel2.mdb", "orvel2.ldb"},
    {"Quilvaro", "Quilvaro", "quilvaro.mdb", "quilvaro.ldb"},
};

QString withoutTrailingSeparator(QString folder)
{
    while (folder.size() > 1 && (folder.endsWith(QLatin1Char('/')) || folder.endsWith(QLatin1Char('\\'))))
        folder.chop(1);
    return folder;
}

// The folders where a product's database is looked for, in order.
QStringList candidateFolders(int app)
{
    switch (app) {
    case 0: {
        const QString stored = GetRegValueEx(comRegistry::HKEY_LOCAL_MACHINE, comRegistry::REG_SZ,
                                             QStringLiteral("appset_curdb"),
                                             QStringLiteral("Software\\Tarnwel\\Orvel\\Settings"), QString())
                                   .toString();
        if (!stored.isEmpty())
            return {stored};
        const QString localData = GetSpecialFolder(platform::CSIDL_LOCAL_APPDATA);
        return {localData + QStringLiteral("/VirtualStore/Program Files/Tarnwel/Orvel"),
                localData + QStringLiteral("/VirtualStore/Program Files (x86)/Tarnwel/Orvel"),
                GetSpecialFolder(platform::CSIDL_PROGRAM_FILES) + QStringLiteral("/Tarnwel/Orvel")};
    }
    case 1: {
        const QString stored = RegRead(comRegistry::REG_SZ, QStringLiteral("appset_curdb"),
                                       QStringLiteral("Software\\Tarnwel\\Orvel 2\\Settings"), QString())
                                   .toString();
        return {stored.isEmpty() ? GetSpecialFolder(platform::CSIDL_PERSONAL) + QStringLiteral("/Orvel2DB") : stored};
    }
    case 2:
        return {GetSpecialFolder(platform::CSIDL_PERSONAL) + QStringLiteral("/QuilvaroDB")};
    default:
        return {};
    }
}

// Replaces the placeholders of a text in one pass, so that a value holding the other placeholder stays
// as it is.
QString fillPlaceholders(const QString &text, const QString &xxx, const QString &yyy)
{
    QString out;
    qsizetype i = 0;
    while (i < text.size()) {
        const QStringView rest = QStringView(text).mid(i);
        if (rest.startsWith(QLatin1String("xxx"))) {
            out += xxx;
            i += 3;
        } else if (rest.startsWith(QLatin1String("yyy"))) {
            out += yyy;
            i += 3;
        } else {
            out += text.at(i++);
        }
    }
    return out;
}

// The end message: the new database made, and the rows that could not be copied as the older one holds them.
QString DoneText(const ImportSummary &summary)
{
    QString text = LRS(DoneMessage);
    const std::pair<int, int> told[] = {{RowsWithoutAccountText, summary.rowsWithoutAccount},
                                        {MovementsWithoutCountText, summary.movementsWithoutCount},
                                        {RowsWithoutSheetText, summary.rowsWithoutSheet}};
    for (const auto &[id, count] : told)
        if (count > 0)
            text += QStringLiteral("\n\n") + LRSV(id, count);
    return text;
}

// Shows a message in the status bar while it lives, and clears it however the work ends.
class StatusMessage
{
public:
    StatusMessage(QStatusBar *bar, const QString &text) : m_bar(bar)
    {
        m_bar->showMessage(text);
        platform::doEvents();
    }
    ~StatusMessage()
    {
        m_bar->clearMessage();
        platform::doEvents();
    }

private:
    QStatusBar *m_bar;
};

} // namespace

// Marks the wizard as working (its buttons and choices disabled) while it lives.
class frmImport::WorkingState
{
public:
    explicit WorkingState(frmImport *w) : m_w(w) { m_w->setWorking(true); }
    ~WorkingState()
    {
        if (m_w)
            m_w->setWorking(false);
    }

private:
    QPointer<frmImport> m_w;
};

frmImport *frmImport::Load(QWidget *owner)
{
    if (!s_window)
        s_window = new frmImport(owner);
    return s_window;
}

void frmImport::Unload()
{
    delete s_window.data();
}

frmImport::frmImport(QWidget *owner)
    : QDialog(owner)
{
    setObjectName(QStringLiteral("frmImport"));

    // The two steps take the same place; the window keeps the size of the larger.
    m_steps = new QStackedWidget(this);
    m_picStep[0] = new QWidget(m_steps);
    m_picStep[0]->setObjectName(QStringLiteral("picStep(0)"));
    lblTitle = new QLabel(m_picStep[0]);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    lblTitle->setWordWrap(true);
    QFont titleFont = lblTitle->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.25);
    lblTitle->setFont(titleFont);
    auto *step0 = new QVBoxLayout(m_picStep[0]);
    step0->setContentsMargins(0, 0, 0, 0);
    step0->addWidget(lblTitle);
    for (int i = 0; i < 4; ++i) {
        m_lblText[i] = new QLabel(m_picStep[0]);
        m_lblText[i]->setObjectName(QStringLiteral("lblText(%1)").arg(i));
        m_lblText[i]->setWordWrap(true);
        step0->addWidget(m_lblText[i]);
    }
    step0->addStretch(1);

    m_picStep[1] = new QWidget(m_steps);
    m_picStep[1]->setObjectName(QStringLiteral("picStep(1)"));
    frmChoose = new QGroupBox(m_picStep[1]);
    frmChoose->setObjectName(QStringLiteral("frmChoose"));
    auto *choices = new QVBoxLayout(frmChoose);
    for (int i = 0; i < 3; ++i) {
        m_optApp[i] = new QRadioButton(QLatin1String(Products[i].caption), frmChoose);
        m_optApp[i]->setObjectName(QStringLiteral("optApp(%1)").arg(i));
        choices->addWidget(m_optApp[i]);
    }
    m_optApp[0]->setChecked(true);
    auto *step1 = new QVBoxLayout(m_picStep[1]);
    step1->setContentsMargins(0, 0, 0, 0);
    step1->addWidget(frmChoose);
    step1->addStretch(1);
    m_steps->addWidget(m_picStep[0]);
    m_steps->addWidget(m_picStep[1]);

    cmdProsegui = new QPushButton(this);
    cmdProsegui->setObjectName(QStringLiteral("cmdProsegui"));
    cmdProsegui->setDefault(true);
    cmdAnnulla = new QPushButton(this);
    cmdAnnulla->setObjectName(QStringLiteral("cmdAnnulla"));
    sb = new QStatusBar(this);
    sb->setObjectName(QStringLiteral("sb"));
    sb->setSizeGripEnabled(false);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdProsegui);
    buttons->addWidget(cmdAnnulla);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_steps, 1);
    layout->addLayout(buttons);
    layout->addWidget(sb);

    connect(cmdProsegui, &QPushButton::clicked, this, &frmImport::cmdProsegui_Click);
    connect(cmdAnnulla, &QPushButton::clicked, this, &frmImport::cmdAnnulla_Click);

    Form_Load();
}

void frmImport::Form_Load()
{
    WizardStep = 0;
    m_steps->setCurrentWidget(m_picStep[0]);
    setWindowTitle(LRS(CaptionText));
    // As wide as its layout asks, or as its title needs to be shown whole (a long language's title).
    setFixedWidth(qMax(TwipsToPixels(WindowWidthTwips), platform::titleBarWidth(windowTitle())));
    lblTitle->setText(LRS(CaptionText));
    for (int i = 0; i < 4; ++i)
        m_lblText[i]->setText(LRS(ExplanationTexts[i]));
    frmChoose->setTitle(LRS(ChooseText));
    cmdProsegui->setText(LRS(ContinueText));
    cmdAnnulla->setText(LRS(CancelText));
}

void frmImport::cmdProsegui_Click()
{
    // The import lets pending events run: a click or key meanwhile must not start it again.
    if (m_working)
        return;
    if (WizardStep == 0) {
        WizardStep = 1;
        m_steps->setCurrentWidget(m_picStep[1]);
        return;
    }
    const WorkingState working(this);
    switch (LocateOldDatabase()) {
    case NotFound:
        platform::MsgBox(LRS(1378), platform::vbOKOnly, QString(), this);
        return;
    case InUse:
        platform::MsgBox(LRS(1382), platform::vbOKOnly, QString(), this);
        return;
    default:
        break;
    }
    if (platform::MsgBox(ConfirmText(), platform::vbYesNo | platform::vbQuestion, QString(), this) != platform::vbYes)
        return;
    const auto summary = RunImport();
    if (!summary)
        return;
    platform::MsgBox(DoneText(*summary), platform::vbOKOnly, QString(), this);
    done(QDialog::Accepted);
}

void frmImport::cmdAnnulla_Click()
{
    done(QDialog::Rejected);
}

void frmImport::reject()
{
    if (!m_working)
        cmdAnnulla_Click();
}

void frmImport::setWorking(bool working)
{
    m_working = working;
    cmdProsegui->setEnabled(!working);
    cmdAnnulla->setEnabled(!working);
    frmChoose->setEnabled(!working);
}

int frmImport::LocateOldDatabase()
{
    SelectedApp = 0;
    for (int i = 0; i < 3; ++i) {
        if (m_optApp[i]->isChecked()) {
            SelectedApp = i;
            break;
        }
    }
    OldDbFile.clear();
    const OldProductFiles &product = Products[SelectedApp];
    for (const QString &candidate : candidateFolders(SelectedApp)) {
        const QString folder = withoutTrailingSeparator(candidate);
        const QString file = folder + QLatin1Char('/') + QLatin1String(product.dbFile);
        if (!QFileInfo(file).isFile())
            continue;
        OldDbFile = file;
        // The older product's engine keeps its lock file beside the database while it is open.
        return QFileInfo::exists(folder + QLatin1Char('/') + QLatin1String(product.lockFile)) ? InUse : Found;
    }
    return NotFound;
}

QString frmImport::ConfirmText() const
{
    // The Italian text names only the place; the others name the version too ("xxx") and the place ("yyy").
    const QString text = LRS(1379);
    const QString place = QDir::toNativeSeparators(OldDbFile);
    if (text.contains(QLatin1String("yyy")))
        return fillPlaceholders(text, QLatin1String(Products[SelectedApp].version), place);
    return fillPlaceholders(text, place, QString());
}

std::optional<ImportSummary> frmImport::RunImport()
{
    const QString dbFile = cAccessDb::databaseFileIn(Env->DbPath());
    // From here to the end the tool holds the database: Orvel 3, started or saving meanwhile, cannot open
    // it, so nothing it would write is lost with the old file. The main program may have been started
    // since the tool was: then the hold is refused.
    try {
        platform::holdDatabase(dbFile);
    } catch (const platform::RuntimeError &e) {
        if (e.number() == platform::errors::DbInUse)
            platform::MsgBox(LRS(1382), platform::vbOKOnly, QString(), this);
        else
            ShowToolError(e, QStringLiteral("frmImport.cmdProsegui_Click"), __LINE__, Env->Lsn());
        return std::nullopt;
    }
    const struct HoldEnd {
        QString file;
        ~HoldEnd() { platform::releaseDatabaseHold(file); }
    } holdEnd{dbFile};
    try {
        BackupDatabase(dbFile, platform::now());
        platform::doEvents();
        PauseForDbRelease();
        const QString fresh = PrepareFreshDatabase(Env->DbPath());
        const ImportSummary summary =
            ImportDatabase(platform::connectionStringFor(OldDbFile), platform::connectionStringFor(fresh));
        platform::doEvents();
        PauseForDbRelease();
        ReplaceDatabase(fresh, dbFile);
        DiscardFreshDatabase(Env->DbPath());
        return summary;
    } catch (const std::exception &e) {
        // The database file was not touched; the backup, when made, stays beside it.
        DiscardFreshDatabase(Env->DbPath());
        ShowToolError(e, QStringLiteral("frmImport.cmdProsegui_Click"), __LINE__, Env->Lsn());
        return std::nullopt;
    }
}

ImportSummary frmImport::ImportDatabase(const QString &source, const QString &target)
{
    const StatusMessage busy(sb, LRS(WorkingText));
    // The older database is read whole, bounded in time and memory, before the new one is opened.
    const OldProduct product = OldProduct(SelectedApp);
    const std::unique_ptr<OldDatabase> old = readOldDatabase(platform::dataSourceOf(source), OldTablesOf(product));
    platform::Connection cn;
    cn.Open(target);
    // One transaction: a failure halfway leaves nothing of the copy.
    platform::ScopedTransaction transaction(cn);
    const ImportSummary summary = ImportData(product, *old, cn);
    transaction.commit();
    cn.Close();
    return summary;
}

} // namespace importtool
