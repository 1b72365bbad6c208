#include "reports/frmExport.h"

#include "foundation/Globals.h"
#include "foundation/Twips.h"
#include "foundation/cEnvironment.h"
#include "foundation/cLang.h"
#include "foundation/modShared.h"
#include "platform/dialogs/Dialogs.h"
#include "reports/ExportRules.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString WindowName = QStringLiteral("frmExport");

QString programTitle()
{
    return Env ? Env->AppTitle : platform::defaultTitle();
}

// The folder of the last export, remembered with the settings.
const QString ExportFolderValue = QStringLiteral("ExportFolder");

} // namespace

void frmExport::showModal(QWidget *owner, ListGrid *grid, int curView)
{
    frmExport dialog(grid, curView, owner);
    dialog.exec();
}

frmExport::frmExport(ListGrid *grid, int curView, QWidget *owner)
    : QDialog(owner), m_grid(grid), m_view(curView == ExportRules::CashBook ? ExportRules::CashBook : ExportRules::Deadlines)
{
    setObjectName(WindowName);
    setModal(true);
    DisableCloseButton(this);

    lblExplain = new QLabel(this);
    lblExplain->setObjectName(QStringLiteral("lblExplain"));
    lblExplain->setWordWrap(true);
    lblExplain->setMinimumWidth(TwipsToPixels(5000));
    cmdProcedi = new QPushButton(this);
    cmdProcedi->setObjectName(QStringLiteral("cmdProcedi"));
    cmdProcedi->setDefault(true);
    cmdAnnulla = new QPushButton(this);
    cmdAnnulla->setObjectName(QStringLiteral("cmdAnnulla"));

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdProcedi);
    buttons->addWidget(cmdAnnulla);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblExplain);
    layout->addSpacing(TwipsToPixels(240));
    layout->addLayout(buttons);

    connect(cmdProcedi, &QPushButton::clicked, this, [this] { cmdProcedi_Click(); });
    connect(cmdAnnulla, &QPushButton::clicked, this, [this] { cmdAnnulla_Click(); });
    Form_Load();
}

frmExport::~frmExport() = default;

void frmExport::Form_Load()
{
    try {
        setWindowTitle(LRS(1363));
        lblExplain->setText(LRSV(1930, LRS(1672 + m_view), QString()));
        cmdProcedi->setText(LRS(1306));
        cmdAnnulla->setText(LRS(1109));
    } catch (const std::exception &e) {
        ShowAppError(e, WindowName, QStringLiteral("Form_Load"), __LINE__);
    }
}

void frmExport::cmdProcedi_Click()
{
    try {
        const QString text = ExportRules::Text(m_grid, m_view);
        QString file = platform::getSaveFileName(this, programTitle() + QStringLiteral(" - ") + LRS(1363), LRS(1364),
                                                 FileDialogFolder(ExportFolderValue));
        if (!file.isEmpty()) {
            if (QFileInfo(file).suffix().isEmpty())
                file += QStringLiteral(".txt");
            ExportRules::WriteFile(file, text + ExportRules::LineEnd);
            RememberFileDialogFolder(ExportFolderValue, file);
            platform::MsgBox(LRS(1931) + QStringLiteral("\n") + LRSV(2102, QDir::toNativeSeparators(file)),
                             platform::vbOKOnly, programTitle(), this);
        }
        accept();
    } catch (const std::exception &e) {
        // Nothing was written: the dialog stays, so that another folder can be chosen.
        ShowAppError(e, WindowName, QStringLiteral("cmdProcedi_Click"), __LINE__);
    }
}

void frmExport::cmdAnnulla_Click()
{
    reject();
}
