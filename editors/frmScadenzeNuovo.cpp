#include "editors/frmScadenzeNuovo.h"

#include "editors/AmountText.h"
#include "editors/EditorIcons.h"
#include "editors/NewDeadlineSave.h"
#include "editors/RowEditorSave.h"
#include "editors/SeriesDates.h"
#include "editors/UpDown.h"
#include "editors/frmNewAcc.h"
#include "foundation/Globals.h"
#include "foundation/Icons.h"
#include "foundation/Tables.h"
#include "foundation/Twips.h"
#include "foundation/cAccessDb.h"
#include "foundation/cEnvironment.h"
#include "foundation/cLang.h"
#include "foundation/cSheet.h"
#include "foundation/grid/GridFormat.h"
#include "foundation/grid/ListGrid.h"
#include "foundation/modShared.h"
#include "platform/Clock.h"
#include "platform/Dates.h"
#include "platform/controls/DateField.h"
#include "platform/controls/OneLineText.h"
#include "platform/database/Connection.h"
#include "platform/database/Recordset.h"
#include "platform/dialogs/Dialogs.h"
#include "platform/shell/Shell.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

using platform::Currency;

namespace {

const QString WindowName = QStringLiteral("frmScadenzeNuovo");

// The type list's keys, in list order, and the texts and pictures (row image numbers) of their items.
constexpr EditorTypeItem TypeItems[] = {{"d-2", 1043, 7}, {"d-1", 1042, 6}, {"d+1", 1041, 5}};

// The new-deadline editor takes alert days up to 99.
constexpr int MaxAlertDays = 99;
// The whole number a box holds, when it holds one within [minimum, maximum].
bool wholeNumberIn(const QString &text, int minimum, int maximum)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok && value >= minimum && value <= maximum;
}

} // namespace

frmScadenzeNuovo *frmScadenzeNuovo::Load(QWidget *owner)
{
    if (!s_window)
        s_window = new frmScadenzeNuovo(owner);
    return s_window;
}

frmScadenzeNuovo::frmScadenzeNuovo(QWidget *owner)
    : RecordEditorWindow(WindowName, owner)
{
    m_helpContext = 3;
    BuildControls();
    Form_Load();
}

frmScadenzeNuovo::~frmScadenzeNuovo()
{
    // Unloaded by its owner while still open: the split choice is remembered as after a cancel.
    if (!m_unloaded && Env && chkSplit)
        Env->DeadlinesSplitAmount = chkSplit->isChecked();
}

// ---------------------------------------------------------------------------------------------------
// Controls and loading

void frmScadenzeNuovo::BuildControls()
{
    QGridLayout *grid = BeginLayout();
    int row = 0;
    const auto label = [this](const char *name) {
        auto *l = new QLabel(this);
        l->setObjectName(QLatin1String(name));
        return l;
    };

    // Type.
    QLabel *lblType = label("lblType");
    imgcmbData = new QComboBox(this);
    imgcmbData->setObjectName(QStringLiteral("imgcmbData"));
    lblType->setBuddy(imgcmbData);
    grid->addWidget(lblType, row, 0);
    grid->addWidget(imgcmbData, row++, 1, 1, 2);

    // Single deadline: its date.
    optgrp[0] = new QRadioButton(this);
    optgrp[0]->setObjectName(QStringLiteral("optgrp0"));
    picgrp[0] = new QWidget(this);
    picgrp[0]->setObjectName(QStringLiteral("picgrp0"));
    {
        auto *l = new QHBoxLayout(picgrp[0]);
        l->setContentsMargins(TwipsToPixels(240), 0, 0, 0);
        QLabel *lblDate = label("lblDate");
        lblDate->setParent(picgrp[0]);
        datData[0] = new platform::DateField(picgrp[0]);
        datData[0]->setObjectName(QStringLiteral("datData0"));
        lblDate->setBuddy(datData[0]);
        l->addWidget(lblDate);
        l->addWidget(datData[0]);
        l->addStretch(1);
    }
    grid->addWidget(optgrp[0], row++, 0, 1, 3);
    grid->addWidget(picgrp[0], row++, 0, 1, 3);

    // Recurring series: first date, rows, cadence, split.
    optgrp[1] = new QRadioButton(this);
    optgrp[1]->setObjectName(QStringLiteral("optgrp1"));
    picgrp[1] = new QWidget(this);
    picgrp[1]->setObjectName(QStringLiteral("picgrp1"));
    {
        auto *l = new QGridLayout(picgrp[1]);
        l->setContentsMargins(TwipsToPixels(240), 0, 0, 0);
        l->setHorizontalSpacing(TwipsToPixels(90));
        QLabel *lblFirst = new QLabel(picgrp[1]);
        lblFirst->setObjectName(QStringLiteral("lblFirstDate"));
        datData[1] = new platform::DateField(picgrp[1]);
        datData[1]->setObjectName(QStringLiteral("datData1"));
        lblFirst->setBuddy(datData[1]);
        QLabel *lblRows = new QLabel(picgrp[1]);
        lblRows->setObjectName(QStringLiteral("lblRows"));
        txtData[2] = new QLineEdit(picgrp[1]);
        txtData[2]->setObjectName(QStringLiteral("txtData2"));
        txtData[2]->setMaximumWidth(TwipsToPixels(600));
        lblRows->setBuddy(txtData[2]);
        UpDown1 = new UpDown(txtData[2], 1, 100, picgrp[1]);
        UpDown1->setObjectName(QStringLiteral("UpDown1"));
        auto *rowsBox = new QHBoxLayout();
        rowsBox->setSpacing(0);
        rowsBox->addWidget(txtData[2]);
        rowsBox->addWidget(UpDown1);
        rowsBox->addStretch(1);
        // The frequency list stands 30 twips after the end of its label, whatever the label's length.
        QLabel *lblCadenza = new QLabel(picgrp[1]);
        lblCadenza->setObjectName(QStringLiteral("lblCadenza"));
        cmbCadenza = new QComboBox(picgrp[1]);
        cmbCadenza->setObjectName(QStringLiteral("cmbCadenza"));
        lblCadenza->setBuddy(cmbCadenza);
        auto *cadenceBox = new QHBoxLayout();
        cadenceBox->setSpacing(TwipsToPixels(30));
        cadenceBox->addWidget(lblCadenza);
        cadenceBox->addWidget(cmbCadenza);
        cadenceBox->addStretch(1);
        chkSplit = new QCheckBox(picgrp[1]);
        chkSplit->setObjectName(QStringLiteral("chkSplit"));
        l->addWidget(lblFirst, 0, 0);
        l->addWidget(datData[1], 0, 1);
        l->addWidget(lblRows, 1, 0);
        l->addLayout(rowsBox, 1, 1);
        l->addLayout(cadenceBox, 2, 0, 1, 3);
        l->addWidget(chkSplit, 3, 0, 1, 3);
        l->setColumnStretch(2, 1);
    }
    grid->addWidget(optgrp[1], row++, 0, 1, 3);
    grid->addWidget(picgrp[1], row++, 0, 1, 3);

    // Description.
    QLabel *lblDescription = label("lblDescription");
    txtData[0] = new QLineEdit(this);
    txtData[0]->setObjectName(QStringLiteral("txtData0"));
    lblDescription->setBuddy(txtData[0]);
    grid->addWidget(lblDescription, row, 0);
    grid->addWidget(txtData[0], row++, 1, 1, 2);

    // Customer or supplier, with the button that creates one.
    QLabel *lblCustomer = label("lblCustomer");
    dtcData[0] = new QComboBox(this);
    dtcData[0]->setObjectName(QStringLiteral("dtcData0"));
    lblCustomer->setBuddy(dtcData[0]);
    cmdAdd = new QToolButton(this);
    cmdAdd->setObjectName(QStringLiteral("cmdAdd"));
    cmdAdd->setIcon(ListGrid::maskedIcon(EditorIcons::person()));
    grid->addWidget(lblCustomer, row, 0);
    grid->addWidget(dtcData[0], row, 1);
    grid->addWidget(cmdAdd, row++, 2);

    // Amount.
    QLabel *lblAmount = label("lblAmount");
    txtData[1] = new QLineEdit(this);
    txtData[1]->setObjectName(QStringLiteral("txtData1"));
    txtData[1]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblAmount->setBuddy(txtData[1]);
    grid->addWidget(lblAmount, row, 0);
    grid->addWidget(txtData[1], row++, 1);

    // Collection or payment account.
    QLabel *lblCount = label("lblCount");
    dtcData[1] = new QComboBox(this);
    dtcData[1]->setObjectName(QStringLiteral("dtcData1"));
    lblCount->setBuddy(dtcData[1]);
    grid->addWidget(lblCount, row, 0);
    grid->addWidget(dtcData[1], row++, 1);

    // Alert days.
    QLabel *lblHighlight = label("lblHighlight");
    txtData[4] = new QLineEdit(this);
    txtData[4]->setObjectName(QStringLiteral("txtData4"));
    txtData[4]->setAlignment(Qt::AlignCenter);
    txtData[4]->setMaximumWidth(TwipsToPixels(600));
    lblHighlight->setBuddy(txtData[4]);
    UpDown2 = new UpDown(txtData[4], 0, 100, this);
    UpDown2->setObjectName(QStringLiteral("UpDown2"));
    QLabel *lblDaysBefore = label("lblDaysBefore");
    {
        auto *l = new QHBoxLayout();
        l->setSpacing(0);
        l->addWidget(txtData[4]);
        l->addWidget(UpDown2);
        l->addSpacing(TwipsToPixels(90));
        l->addWidget(lblDaysBefore);
        l->addStretch(1);
        grid->addWidget(lblHighlight, row, 0);
        grid->addLayout(l, row++, 1, 1, 2);
    }

    // Notes.
    QLabel *lblNotes = label("lblNotes");
    txtNotes = new QPlainTextEdit(this);
    txtNotes->setObjectName(QStringLiteral("txtData3"));
    txtNotes->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtNotes->setTabChangesFocus(true);
    txtNotes->setFixedHeight(TwipsToPixels(900));
    lblNotes->setBuddy(txtNotes);
    grid->addWidget(lblNotes, row, 0, Qt::AlignTop);
    grid->addWidget(txtNotes, row++, 1, 1, 2);

    // Closed, and the attachment.
    chkData = new QCheckBox(this);
    chkData->setObjectName(QStringLiteral("chkData"));
    grid->addWidget(chkData, row++, 1, 1, 2);
    QLabel *lblAttachedCaption = label("lblAttachedCaption");
    cmdAllegato = new QPushButton(this);
    cmdAllegato->setObjectName(QStringLiteral("cmdAllegato0"));
    lblAttached = new FileNameLabel(this);
    lblAttached->setObjectName(QStringLiteral("lblAttached"));
    {
        auto *l = new QHBoxLayout();
        l->addWidget(cmdAllegato);
        l->addWidget(lblAttached, 1);
        grid->addWidget(lblAttachedCaption, row, 0);
        grid->addLayout(l, row++, 1, 1, 2);
    }
    grid->setColumnStretch(1, 1);

    // Save, Cancel, the status bar.
    EndLayout();
    for (QLineEdit *box : txtData)
        if (box)
            platform::keepOnOneLine(box);

    // Tab order: type, single date, series fields, description, customer, amount, account, alert days,
    // notes, closed, attachment, Save, Cancel.
    SetControlOrder({imgcmbData, optgrp[0], datData[0], optgrp[1], datData[1], txtData[2], cmbCadenza,
                     chkSplit,   txtData[0], dtcData[0], cmdAdd,   txtData[1], dtcData[1], txtData[4],
                     txtNotes,   chkData,   cmdAllegato, cmdSalva, cmdAnnulla});

    connect(imgcmbData, &QComboBox::currentIndexChanged, this, [this] { imgcmbData_Click(); });
    for (int i = 0; i < 2; ++i)
        connect(optgrp[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on)
                optgrp_Click(i);
        });
    connect(cmdAllegato, &QPushButton::clicked, this, &frmScadenzeNuovo::cmdAllegato_Click);
    connect(cmdSalva, &QPushButton::clicked, this, &frmScadenzeNuovo::cmdSalva_Click);

    // Texts by id, set at load.
    lblType->setProperty("textId", 1102);
    lblDescription->setProperty("textId", 1104);
    lblCustomer->setProperty("textId", 1105);
    lblAmount->setProperty("textId", 1106);
    lblCount->setProperty("textId", 1139);
    lblHighlight->setProperty("textId", 1137);
    lblDaysBefore->setProperty("textId", 1138);
    lblNotes->setProperty("textId", 1333);
    lblAttachedCaption->setProperty("textId", 1164);
    findChild<QLabel *>(QStringLiteral("lblDate"))->setProperty("textId", 1103);
    findChild<QLabel *>(QStringLiteral("lblFirstDate"))->setProperty("textId", 1129);
    findChild<QLabel *>(QStringLiteral("lblRows"))->setProperty("textId", 1121);
    findChild<QLabel *>(QStringLiteral("lblCadenza"))->setProperty("textId", 1122);
}

void frmScadenzeNuovo::Form_Load()
{
    LoadCommon();
    // Type items, the first (appointment) selected.
    FillTypes(TypeItems);
    for (int c = 0; c < SeriesDates::CadenceCount; ++c)
        cmbCadenza->addItem(QString());
    Localize();

    datData[0]->setDate(platform::today());
    datData[1]->setDate(platform::today());

    optgrp[0]->setChecked(true);
    optgrp_Click(0);
    sbPanel1->clear();

    cmbCadenza->setCurrentIndex(0);
    txtData[2]->setText(QStringLiteral("2"));

    txtData[4]->setText(QString::number(Env ? Env->AlertDefaultDays : 0));

    chkSplit->setChecked(Env && Env->DeadlinesSplitAmount);
}

void frmScadenzeNuovo::LocalizeWindow()
{
    setWindowTitle(LRS(1100));
    for (QLabel *l : findChildren<QLabel *>())
        if (l->property("textId").isValid())
            l->setText(LRS(l->property("textId")));
    cmdAllegato->setText(LRS(1365));
    chkData->setText(LRS(1107));
    imgcmbData->setToolTip(LRS(1110));
    datData[0]->setToolTip(LRS(1111));
    txtData[0]->setToolTip(LRS(1112));
    dtcData[0]->setToolTip(LRS(1113));
    txtData[1]->setToolTip(LRS(1114));
    datData[1]->setToolTip(LRS(1133));
    txtData[2]->setToolTip(LRS(1134));
    cmbCadenza->setToolTip(LRS(1135));
    optgrp[0]->setText(LRS(1128));
    optgrp[1]->setText(LRS(1120));
    optgrp[0]->setToolTip(LRS(1136));
    optgrp[1]->setToolTip(LRS(1136));
    for (int c = 0; c < SeriesDates::CadenceCount; ++c)
        cmbCadenza->setItemText(c, LRS(SeriesDates::cadenceTextId(c)));
    chkSplit->setText(LRS(1168));
    // The alert days field is named by its label and the words after it, as a screen reader should say it.
    txtData[4]->setAccessibleName(LRS(1137) + QLatin1Char(' ') + LRS(1138));
}

// ---------------------------------------------------------------------------------------------------
// Public procedures

void frmScadenzeNuovo::LimitDescription(const QString &procedure)
{
    int line = 0;
    try {
        platform::Recordset rs;
        line = __LINE__, rs.Open(Tables::columnsSql(Tables::Transactions.name), Adb->dcs(),
                                 platform::Recordset::adOpenStatic, platform::Recordset::adLockReadOnly,
                                 platform::Recordset::adCmdText);
        txtData[0]->setMaxLength(BoxMaxLength(rs, QStringLiteral("TrDescription"), txtData[0]->text()));
        rs.Close();
    } catch (const std::exception &e) {
        ShowAppError(e, WindowName, procedure, line);
    }
}

void frmScadenzeNuovo::Nuovo()
{
    // The open window comes to the front with what it holds.
    if (isOpen()) {
        BringToFront();
        return;
    }
    GrpId = 0;
    InitCombos();
    LimitDescription(QStringLiteral("Nuovo"));
    txtData[1]->setText(formatNamed(QVariant::fromValue(Currency()), QStringLiteral("Currency")));
    imgcmbData_Click();
    ShowModeless();
}

void frmScadenzeNuovo::Nuovo2(int TrType, const QVariant &TrDescription, int TrAcId, Currency TrValue, int TrGrpId)
{
    if (isOpen()) {
        BringToFront();
        return;
    }
    InitCombos();
    imgcmbData->setCurrentIndex(TrType == -2 ? 0 : (TrType == -1 ? 1 : 2));
    txtData[0]->setText(NullToString(TrDescription));
    LimitDescription(QStringLiteral("Nuovo2"));
    if (TrAcId > 0)
        ::SelectBound(dtcData[0], TrAcId);
    txtData[1]->setText(formatNamed(QVariant::fromValue(TrValue), QStringLiteral("Currency")));
    GrpId = TrGrpId;
    imgcmbData_Click();
    // Description, type and customer stay those of the group: the button that makes a new customer (and
    // selects it) is locked with the list.
    txtData[0]->setEnabled(false);
    imgcmbData->setEnabled(false);
    dtcData[0]->setEnabled(false);
    cmdAdd->setEnabled(false);
    ShowModeless();
}

void frmScadenzeNuovo::ShowModeless()
{
    RecordEditorWindow::ShowModeless(datData[0]);
}

// ---------------------------------------------------------------------------------------------------
// Type, single or series, field checks

void frmScadenzeNuovo::imgcmbData_Click()
{
    const bool amount = ApplyTypeRule();
    // Only the box is disabled: its tick stays for the next deadline with an amount.
    chkSplit->setEnabled(amount);
}

void frmScadenzeNuovo::optgrp_Click(int Index)
{
    for (int i = 0; i < 2; ++i) {
        picgrp[i]->setEnabled(i == Index);
        QFont f = optgrp[i]->font();
        f.setBold(i == Index);
        optgrp[i]->setFont(f);
    }
    sbPanel1->setText(optgrp[Index]->toolTip());
}

QString frmScadenzeNuovo::FieldRefusal(int Index)
{
    switch (Index) {
    case 0: {
        const int refusal = RowEditorSave::descriptionRefusal(txtData[0]->text());
        return refusal ? LRS(refusal) : QString();
    }
    case 1: {
        const QLocale locale = platform::userLocale();
        const AmountText::Refusal refusal = AmountText::refusalOf(txtData[1]->text(), locale);
        if (refusal != AmountText::Refusal::None)
            return AmountText::refusalText(refusal, locale);
        txtData[1]->setText(AmountText::plain(*AmountText::parse(txtData[1]->text(), locale), locale));
        return QString();
    }
    case 2:
        return wholeNumberIn(txtData[2]->text(), NewDeadlineSave::MinSeriesRows, NewDeadlineSave::MaxSeriesRows)
                   ? QString()
                   : LRS(2035);
    case 4:
        return wholeNumberIn(txtData[4]->text(), 0, MaxAlertDays) ? QString() : LRSV(2036, MaxAlertDays);
    default:
        return QString();
    }
}

// ---------------------------------------------------------------------------------------------------
// Buttons

void frmScadenzeNuovo::cmdAllegato_Click()
{
    const std::optional<AttachmentChoice> choice = chooseAttachment(this);
    if (!choice)
        return;   // cancelled
    AttachSourcePath = choice->sourcePath;
    AttachStoredName = choice->storedName;
    cmdAllegato->setEnabled(false);
    lblAttached->setFileName(choice->title);
}

void frmScadenzeNuovo::cmdSalva_Click()
{
    // The date of the panel chosen (the other one is disabled and passes).
    for (platform::DateField *d : datData)
        if (!DateAccepted(d))
            return;
    if (!FieldAccepted(0))
        return;
    if (selectedType() != -2 && !FieldAccepted(1))
        return;
    // The row count and the alert days are checked here too: the up-down buttons can put a value the box
    // itself refuses (100) without the box ever having the focus.
    if (optgrp[1]->isChecked() && !FieldAccepted(2))
        return;
    if (!FieldAccepted(4) || !NotesAccepted())
        return;
    // Every row of a series must fall within the dates the program keeps.
    if (optgrp[1]->isChecked()) {
        const QVector<QDate> dates =
            SeriesDates::seriesDates(datData[1]->date(), cmbCadenza->currentIndex(), txtData[2]->text().trimmed().toInt());
        if (!dates.isEmpty() && !(dates.last().isValid() && dates.last() <= platform::lastStoredDate())) {
            ShowRefusal(txtData[2], LRS(2038));
            return;
        }
    }
    // Nothing was saved: the window stays open with what the user entered.
    if (!Salva())
        return;
    PauseForDbRelease();
    emit rowSaved(0);
    Form_Unload();
}

NewDeadlineSave::NewDeadline frmScadenzeNuovo::ReadValues() const
{
    const QLocale locale = platform::userLocale();
    NewDeadlineSave::NewDeadline d;
    d.sheetId = Sheet ? Sheet->Id() : 1;
    d.closed = chkData->isChecked();
    d.type = selectedType();
    d.description = txtData[0]->text();
    d.notes = txtNotes->toPlainText();
    if (d.type != -2)
        d.amount = AmountText::roundToCents(AmountText::parse(txtData[1]->text(), locale).value_or(Currency()));
    d.acId = int(NullToDouble(dtcData[0]->currentData(), 0));
    d.alertDays = int(NullToDouble(txtData[4]->text(), 0));
    d.countId = int(NullToDouble(dtcData[1]->currentData(), 0));
    d.series = optgrp[1]->isChecked();
    d.date = d.series ? datData[1]->date() : datData[0]->date();
    if (d.series) {
        d.rows = txtData[2]->text().trimmed().toInt();
        d.cadence = cmbCadenza->currentIndex();
        d.split = d.type != -2 && chkSplit->isChecked();
    }
    d.grpId = GrpId;
    d.attachStoredName = AttachStoredName;
    d.attachSourcePath = AttachSourcePath;
    return d;
}

bool frmScadenzeNuovo::Salva()
{
    int line = 0;
    try {
        const NewDeadlineSave::NewDeadline values = ReadValues();
        {
            // A customer or account deleted meanwhile: told, nothing written.
            platform::Connection cn;
            line = __LINE__, cn.Open(Adb->dcs());
            line = __LINE__;
            if (!ChosenEntriesExist(cn, values.acId, values.countId))
                return false;
        }
        NewDeadlineSave::save(values, Adb->dcs(), Adb->attachedPath(), &line);
        return true;
    } catch (const std::exception &e) {
        ShowAppError(e, WindowName, QStringLiteral("Salva"), line);
        return false;
    }
}

bool frmScadenzeNuovo::hasOtherInput() const
{
    return !AttachStoredName.isEmpty();
}

void frmScadenzeNuovo::Unloading()
{
    if (Env)
        Env->DeadlinesSplitAmount = chkSplit->isChecked();
}

void frmScadenzeNuovo::ReleaseInstance()
{
    // The next Nuovo or Nuovo2 loads a fresh window.
    s_window.clear();
}

// ---------------------------------------------------------------------------------------------------
// Keyboard and hints

bool frmScadenzeNuovo::FilterBoxKey(QObject *watched, QKeyEvent *key)
{
    // Key filters of the number boxes: keys they do not take are swallowed; the full stop of the amount
    // becomes the locale's decimal separator.
    const int box = watched == txtData[1] ? 1 : (watched == txtData[2] ? 2 : (watched == txtData[4] ? 4 : -1));
    return box >= 0 && filterNumberKey(txtData[box], key, box == 1);
}

bool frmScadenzeNuovo::isPanel(const QWidget *w) const
{
    return w == picgrp[0] || w == picgrp[1];
}
