#include "editors/frmDelClosedRows.h"

#include "foundation/DateEntry.h"
#include "foundation/Globals.h"
#include "foundation/TransactionsTable.h"
#include "foundation/cAccessDb.h"
#include "foundation/cEnvironment.h"
#include "foundation/cLang.h"
#include "foundation/cSheet.h"
#include "foundation/modShared.h"
#include "platform/Clock.h"
#include "platform/controls/DateField.h"
#include "platform/database/Connection.h"
#include "platform/dialogs/Dialogs.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
// The help topic of the deadlines list, where the deletion of closed deadlines is explained.
constexpr int HelpContext = 2;

QString appTitle()
{
    return Env ? Env->AppTitle : QString();
}
} // namespace

frmDelClosedRows *frmDelClosedRows::Load(QWidget *owner)
{
    if (!s_window)
        s_window = new frmDelClosedRows(owner);
    return s_window;
}

frmDelClosedRows::frmDelClosedRows(QWidget *owner)
    : ModalDialog(owner)
{
    setObjectName(QStringLiteral("frmDelClosedRows"));
    lblData = new QLabel(this);
    lblData->setObjectName(QStringLiteral("lblData"));
    lblData->setWordWrap(true);
    dtp = new platform::DateField(this);
    dtp->setObjectName(QStringLiteral("dtp"));
    lblData->setBuddy(dtp);
    cmdSalva = new QPushButton(this);
    cmdSalva->setObjectName(QStringLiteral("cmdSalva"));
    cmdAnnulla = new QPushButton(this);
    cmdAnnulla->setObjectName(QStringLiteral("cmdAnnulla"));

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdSalva);
    buttons->addWidget(cmdAnnulla);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblData);
    layout->addWidget(dtp, 0, Qt::AlignLeft);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(cmdSalva, &QPushButton::clicked, this, &frmDelClosedRows::cmdSalva_Click);
    connect(cmdAnnulla, &QPushButton::clicked, this, &frmDelClosedRows::cmdAnnulla_Click);
    Form_Load();
}

void frmDelClosedRows::Form_Load()
{
    setWindowTitle(LRS(1300));
    lblData->setText(LRS(1303));
    cmdSalva->setText(LRS(1306));
    cmdAnnulla->setText(LRS(1109));
    setHelpContextID(HelpContext);
    dtp->setDate(platform::today().addDays(-1));
    dtp->setFocus();
}

int frmDelClosedRows::ShowModal(QWidget *owner)
{
    frmDelClosedRows *w = Load(owner);
    w->exec();
    const int deleted = w->RowsDeleted();
    Unload();
    return deleted;
}

QString frmDelClosedRows::QuestionText(int n)
{
    const QString thereAre = LRS(1307);
    const QString lead = thereAre == QLatin1String(" ") ? QString() : thereAre + QLatin1Char(' ');
    return lead + QString::number(n) + QLatin1Char(' ') + LRS(1308) + QLatin1Char('\n') + LRS(1305);
}

void frmDelClosedRows::cmdSalva_Click()
{
    // A text that is not a date is refused and the dialog stays; nothing is counted or deleted.
    if (!DateConfirmed(dtp, this))
        return;
    const QDate lastDay = dtp->date();
    const int sheetId = Sheet ? Sheet->Id() : 0;
    int line = 0;
    platform::Connection cn;
    try {
        line = __LINE__;
        cn.Open(Adb->dcs());
        line = __LINE__;
        const int n = TransactionsTable::countClosedRows(cn, lastDay, sheetId);
        const int answer = platform::MsgBox(QuestionText(n), platform::vbYesNo | platform::vbDefaultButton2, appTitle(), this);
        if (answer == platform::vbYes) {
            line = __LINE__;
            m_rowsDeleted = TransactionsTable::deleteClosedRows(cn, lastDay, sheetId);
            cn.Close();
            PauseForDbRelease();
            platform::MsgBox(LRS(1309), platform::vbOKOnly, appTitle(), this);
        } else {
            cn.Close();
            PauseForDbRelease();
            platform::MsgBox(LRS(1312), platform::vbOKOnly, appTitle(), this);
        }
    } catch (const std::exception &e) {
        if (cn.isOpen()) {
            cn.Close();
            PauseForDbRelease();
        }
        ShowAppError(e, QStringLiteral("frmDelClosedRows"), QStringLiteral("cmdSalva_Click"), line);
    }
    accept();
}

void frmDelClosedRows::cmdAnnulla_Click()
{
    QDialog::reject();
}

void frmDelClosedRows::reject()
{
    cmdAnnulla_Click();
}
