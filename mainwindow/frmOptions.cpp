#include "mainwindow/frmOptions.h"

#include "foundation/Globals.h"
#include "foundation/Preferences.h"
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

// The check boxes chkData(0..6): their captions, their frames (0 global settings, 1 deadlines data sheet)
// and the preferences they edit. chkData(0) edits the start with the system, which is no value of the
// settings key but the autostart entry.
struct CheckBox {
    int caption;
    int frame;
    const char *preference;   // none for chkData(0)
};
constexpr CheckBox CheckBoxes[frmOptions::CheckCount] = {
    {1212, 0, nullptr},
    {1214, 1, "DeadlinesShowGroupTotals"},
    {1215, 1, "DeadlinesShowRecurringCounters"},
    {1218, 0, "AlertOperations"},
    {1208, 1, "DeadlinesShowId"},
    {1207, 0, "DebitCreditToPN"},
    {1206, 0, "CalendarVariableColumns"},
};
// The days field.
constexpr char DaysPreference[] = "AlertDefaultDays";

// The place of a preference in Choices::values.
size_t indexOf(const char *preference)
{
    return size_t(&Preferences::named(preference) - Preferences::all().data());
}

} // namespace

frmOptions::Choices frmOptions::ReadChoices(const cEnvironment &env)
{
    Choices c;
    c.StartOnWindows = env.StartOnWindows();
    for (const Preferences::Preference &p : Preferences::all())
        c.values.push_back(Preferences::value(env, p));
    return c;
}

void frmOptions::SaveChoices(const Choices &choices, cEnvironment &env)
{
    for (const CheckBox &box : CheckBoxes)
        if (box.preference)
            Preferences::setValue(env, Preferences::named(box.preference), choices.values.at(indexOf(box.preference)));
    Preferences::setValue(env, Preferences::named(DaysPreference), choices.values.at(indexOf(DaysPreference)));
    env.setStartOnWindows(choices.StartOnWindows);
}

short frmOptions::AlertDaysFromText(const QString &text, short kept)
{
    const Preferences::Preference &days = Preferences::named(DaysPreference);
    const QString t = text.trimmed();
    if (t.isEmpty() || t.size() > QString::number(days.high).size())
        return kept;
    for (const QChar c : t)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return kept;
    const int n = t.toInt();
    return n >= days.low && n <= days.high ? short(n) : kept;
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
        auto *box = new QCheckBox(frmopt[CheckBoxes[i].frame]);
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
    const Preferences::Preference &alertDays = Preferences::named(DaysPreference);
    txtData->setRange(alertDays.low, alertDays.high);
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
        chkData[i]->setText(LRS(CheckBoxes[i].caption));
    lblWarn[0]->setText(LRS(1217));
    lblWarn[1]->setText(LRS(1216));
    cmdSalva->setText(LRS(1108));
    cmdAnnulla->setText(LRS(1109));

    const Choices c = ReadChoices(*Env);
    for (int i = 0; i < CheckCount; ++i) {
        const char *preference = CheckBoxes[i].preference;
        chkData[i]->setChecked(preference ? c.values.at(indexOf(preference)) == 1 : c.StartOnWindows);
    }
    chkData[3]->setEnabled(chkData[0]->isChecked());
    txtData->setValue(c.values.at(indexOf(DaysPreference)));

    DisableCloseButton(this);
    m_loaded = true;
}

frmOptions::Choices frmOptions::choicesOnScreen() const
{
    Choices c = ReadChoices(*Env);
    for (int i = 0; i < CheckCount; ++i) {
        if (const char *preference = CheckBoxes[i].preference)
            c.values.at(indexOf(preference)) = chkData[i]->isChecked() ? 1 : 0;
        else
            c.StartOnWindows = chkData[i]->isChecked();
    }
    c.values.at(indexOf(DaysPreference)) = AlertDaysFromText(txtData->cleanText(), Env->AlertDefaultDays);
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
