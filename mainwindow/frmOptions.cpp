#include "mainwindow/frmOptions.h"

#include "foundation/Globals.h"
#include "foundation/Twips.h"
#include "foundation/cEnvironment.h"
#include "foundation/cLang.h"
#include "foundation/modShared.h"
#include "foundation/WindowSupport.h"
#include "platform/dialogs/Dialogs.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

const QString WindowName = QStringLiteral("frmOptions");

// Captions of the check boxes chkData(0..6).
constexpr int CheckCaptions[frmOptions::CheckCount] = {1212, 1214, 1215, 1218, 1208, 1207, 1206};

} // namespace

bool frmOptions::Choices::*frmOptions::checkChoice(int index)
{
    static bool Choices::*const choices[CheckCount] = {
        &Choices::StartOnWindows,                   // 0
        &Choices::DeadlinesShowGroupTotals,         // 1
        &Choices::DeadlinesShowRecurringCounters,   // 2
        &Choices::AlertOperations,                  // 3
        &Choices::DeadlinesShowId,                  // 4
        &Choices::DebitCreditToPN,                  // 5
        &Choices::CalendarVariableColumns,          // 6
    };
    return index >= 0 && index < CheckCount ? choices[index] : nullptr;
}

frmOptions::Choices frmOptions::ReadChoices(const cEnvironment &env)
{
    Choices c;
    c.StartOnWindows = env.StartOnWindows();
    c.AlertOperations = env.AlertOperations;
    c.DeadlinesShowGroupTotals = env.DeadlinesShowGroupTotals;
    c.DeadlinesShowRecurringCounters = env.DeadlinesShowRecurringCounters;
    c.DeadlinesShowId = env.DeadlinesShowId;
    c.DebitCreditToPN = env.DebitCreditToPN;
    c.CalendarVariableColumns = env.CalendarVariableColumns;
    c.AlertDefaultDays = env.AlertDefaultDays;
    return c;
}

void frmOptions::SaveChoices(const Choices &choices, cEnvironment &env)
{
    env.AlertOperations = choices.AlertOperations;
    env.DeadlinesShowGroupTotals = choices.DeadlinesShowGroupTotals;
    env.DeadlinesShowRecurringCounters = choices.DeadlinesShowRecurringCounters;
    env.DeadlinesShowId = choices.DeadlinesShowId;
    env.DebitCreditToPN = choices.DebitCreditToPN;
    env.CalendarVariableColumns = choices.CalendarVariableColumns;
    env.AlertDefaultDays = choices.AlertDefaultDays;
    env.setStartOnWindows(choices.StartOnWindows);
}

short frmOptions::AlertDaysFromText(const QString &text, short kept)
{
    const QString t = text.trimmed();
    if (t.isEmpty() || t.size() > 2)
        return kept;
    for (const QChar c : t)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return kept;
    const int days = t.toInt();
    return days <= MaxAlertDays ? short(days) : kept;
}

frmOptions::frmOptions(QWidget *owner)
    : QDialog(owner)
{
    setObjectName(WindowName);
    setModal(true);
    BuildControls();
    Form_Load();
}

frmOptions::~frmOptions() = default;

void frmOptions::BuildControls()
{
    for (int i = 0; i < 2; ++i) {
        auto *frame = new QGroupBox(this);
        frame->setObjectName(QStringLiteral("frmopt%1").arg(i));
        frmopt.append(frame);
    }
    for (int i = 0; i < CheckCount; ++i) {
        auto *box = new QCheckBox(frmopt[i == 1 || i == 2 || i == 4 ? 1 : 0]);
        box->setObjectName(QStringLiteral("chkData%1").arg(i));
        chkData.append(box);
        connect(box, &QCheckBox::clicked, this, [this, i] { chkData_Click(i); });
    }
    for (int i = 0; i < 2; ++i) {
        auto *label = new QLabel(frmopt[0]);
        label->setObjectName(QStringLiteral("lblWarn%1").arg(i));
        lblWarn.append(label);
    }
    picdata = new QWidget(frmopt[0]);
    picdata->setObjectName(QStringLiteral("picdata"));
    txtData = new QSpinBox(picdata);
    txtData->setObjectName(QStringLiteral("txtData"));
    txtData->setRange(0, MaxAlertDays);
    txtData->setAlignment(Qt::AlignRight);
    auto *days = new QHBoxLayout(picdata);
    days->setContentsMargins(0, 0, 0, 0);
    days->setSpacing(TwipsToPixels(60));
    days->addWidget(txtData);
    days->addWidget(lblWarn[0]);

    // Deadlines data sheet.
    auto *sheet = new QVBoxLayout(frmopt[1]);
    for (int i : {4, 2, 1})
        sheet->addWidget(chkData[i]);

    // Global settings.
    auto *global = new QVBoxLayout(frmopt[0]);
    global->addWidget(chkData[6]);
    global->addWidget(chkData[5]);
    auto *term = new QHBoxLayout;
    term->setSpacing(TwipsToPixels(60));   // the days field 60 twips after the end of its label
    term->addWidget(lblWarn[1]);
    term->addWidget(picdata);
    term->addStretch(1);
    global->addLayout(term);
    global->addWidget(chkData[0]);
    auto *notify = new QHBoxLayout;
    notify->addSpacing(TwipsToPixels(300));
    notify->addWidget(chkData[3]);
    global->addLayout(notify);

    cmdSalva = new QPushButton(this);
    cmdSalva->setObjectName(QStringLiteral("cmdSalva"));
    cmdAnnulla = new QPushButton(this);
    cmdAnnulla->setObjectName(QStringLiteral("cmdAnnulla"));
    for (QPushButton *b : {cmdSalva, cmdAnnulla})
        b->setAutoDefault(false);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdSalva);
    buttons->addWidget(cmdAnnulla);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(frmopt[1]);
    layout->addWidget(frmopt[0]);
    layout->addLayout(buttons);

    connect(cmdSalva, &QPushButton::clicked, this, &frmOptions::cmdSalva_Click);
    connect(cmdAnnulla, &QPushButton::clicked, this, &frmOptions::cmdAnnulla_Click);
}

void frmOptions::Form_Load()
{
    setWindowTitle(LRS(1210));
    frmopt[0]->setTitle(LRS(1211));
    frmopt[1]->setTitle(LRS(1213));
    for (int i = 0; i < CheckCount; ++i)
        chkData[i]->setText(LRS(CheckCaptions[i]));
    lblWarn[0]->setText(LRS(1217));
    lblWarn[1]->setText(LRS(1216));
    cmdSalva->setText(LRS(1108));
    cmdAnnulla->setText(LRS(1109));

    const Choices c = ReadChoices(*Env);
    for (int i = 0; i < CheckCount; ++i)
        chkData[i]->setChecked(c.*checkChoice(i));
    chkData[3]->setEnabled(chkData[0]->isChecked());
    txtData->setValue(c.AlertDefaultDays);

    DisableCloseButton(this);
    m_loaded = true;
}

frmOptions::Choices frmOptions::choicesOnScreen() const
{
    Choices c;
    for (int i = 0; i < CheckCount; ++i)
        c.*checkChoice(i) = chkData[i]->isChecked();
    c.AlertDefaultDays = AlertDaysFromText(txtData->cleanText(), Env->AlertDefaultDays);
    return c;
}

void frmOptions::chkData_Click(int index)
{
    if (!m_loaded || index != 0)
        return;
    // Notifying operations belongs to the program started with the system.
    chkData[3]->setEnabled(chkData[0]->isChecked());
    if (!chkData[0]->isChecked())
        chkData[3]->setChecked(false);
}

void frmOptions::cmdSalva_Click()
{
    const Choices c = choicesOnScreen();
    bool stored = true;
    try {
        SaveChoices(c, *Env);
    } catch (const std::exception &e) {
        // The other preferences are saved; only the autostart entry could not be changed.
        stored = false;
        ShowAppError(e, WindowName, QStringLiteral("cmdSalva_Click"), __LINE__);
    }
    if (c.StartOnWindows && stored)
        platform::MsgBox(LRS(1209), platform::vbOKOnly, QString(), this);
    QDialog::done(QDialog::Accepted);
    emit preferencesSaved();
}

void frmOptions::cmdAnnulla_Click()
{
    QDialog::done(QDialog::Rejected);
}

void frmOptions::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_F1) {
        ShowHelpPage(this, HelpContext);
        return;
    }
    QDialog::keyPressEvent(event);
}
