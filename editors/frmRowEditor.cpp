#include "editors/frmRowEditor.h"

#include "editors/AmountText.h"
#include "editors/EditorIcons.h"
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
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

using platform::Currency;
using namespace RowEditorSave;

namespace {

QString amountText(Currency value)
{
    return formatNamed(QVariant::fromValue(value), QStringLiteral("Currency"));
}

} // namespace

frmRowEditor::frmRowEditor(const RowEditorLayout &layout, QWidget *owner)
    : RecordEditorWindow(layout.windowName, owner), m_layout(layout)
{
    BuildControls();
    Form_Load();
}

frmRowEditor::~frmRowEditor()
{
    // Unloaded while still holding a row (its owner went away): nothing is written.
    CloseData();
}

// ---------------------------------------------------------------------------------------------------
// Controls and loading

void frmRowEditor::BuildControls()
{
    const bool deadlines = !m_layout.cashBook;
    for (int i = 0; i < m_layout.labelIds.size(); ++i) {
        auto *l = new QLabel(this);
        l->setObjectName(QStringLiteral("lblData%1").arg(i));
        l->installEventFilter(this);
        lblData.append(l);
    }
    QGridLayout *grid = BeginLayout();
    int row = 0;
    const auto named = [](QWidget *w, const QString &name) {
        w->setObjectName(name);
        return w;
    };

    imgcmbData = new QComboBox(this);
    named(imgcmbData, QStringLiteral("imgcmbData"));
    grid->addWidget(lblData[0], row, 0);
    grid->addWidget(imgcmbData, row++, 1, 1, 2);

    datData = new platform::DateField(this);
    named(datData, QStringLiteral("datData"));
    grid->addWidget(lblData[1], row, 0);
    grid->addWidget(datData, row++, 1);

    txtData[0] = new QLineEdit(this);
    named(txtData[0], QStringLiteral("txtData0"));
    grid->addWidget(lblData[2], row, 0);
    grid->addWidget(txtData[0], row++, 1, 1, 2);

    dtcData[0] = new QComboBox(this);
    named(dtcData[0], QStringLiteral("dtcData0"));
    cmdAdd = new QToolButton(this);
    named(cmdAdd, QStringLiteral("cmdAdd"));
    cmdAdd->setIcon(ListGrid::maskedIcon(EditorIcons::person()));
    grid->addWidget(lblData[3], row, 0);
    grid->addWidget(dtcData[0], row, 1);
    grid->addWidget(cmdAdd, row++, 2);

    txtData[1] = new QLineEdit(this);
    named(txtData[1], QStringLiteral("txtData1"));
    txtData[1]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    grid->addWidget(lblData[4], row, 0);
    grid->addWidget(txtData[1], row++, 1);

    txtNotes = new QPlainTextEdit(this);
    named(txtNotes, QStringLiteral("txtData2"));
    txtNotes->setTabChangesFocus(true);
    txtNotes->setFixedHeight(TwipsToPixels(900));
    grid->addWidget(lblData[5], row, 0, Qt::AlignTop);
    grid->addWidget(txtNotes, row++, 1, 1, 2);

    int next = 6;
    if (deadlines) {
        // "Highlight [n] days before the Deadline expires", on one line.
        txtData[3] = new QLineEdit(this);
        named(txtData[3], QStringLiteral("txtData3"));
        txtData[3]->setAlignment(Qt::AlignCenter);
        txtData[3]->setMaximumWidth(TwipsToPixels(600));
        UpDown1 = new UpDown(txtData[3], 0, 60, this);
        named(UpDown1, QStringLiteral("UpDown1"));
        auto *l = new QHBoxLayout();
        l->setSpacing(0);
        l->addWidget(txtData[3]);
        l->addWidget(UpDown1);
        l->addSpacing(TwipsToPixels(90));
        l->addWidget(lblData[7]);
        l->addStretch(1);
        grid->addWidget(lblData[6], row, 0);
        grid->addLayout(l, row++, 1, 1, 2);
        next = 8;
    }

    dtcData[1] = new QComboBox(this);
    named(dtcData[1], QStringLiteral("dtcData1"));
    grid->addWidget(lblData[next], row, 0);
    grid->addWidget(dtcData[1], row++, 1);

    if (deadlines) {
        chkData = new QCheckBox(this);
        named(chkData, QStringLiteral("chkData"));
        grid->addWidget(chkData, row++, 1, 1, 2);
    }

    auto *attach = new QHBoxLayout();
    for (int i = 0; i < 3; ++i) {
        cmdAllegato[i] = new QPushButton(this);
        named(cmdAllegato[i], QStringLiteral("cmdAllegato%1").arg(i));
        attach->addWidget(cmdAllegato[i]);
        connect(cmdAllegato[i], &QPushButton::clicked, this, [this, i] { cmdAllegato_Click(i); });
    }
    lblAttached = new FileNameLabel(this);
    named(lblAttached, QStringLiteral("lblAttached"));
    attach->addWidget(lblAttached, 1);
    grid->addWidget(lblData[next + 1], row, 0);
    grid->addLayout(attach, row++, 1, 1, 2);
    grid->setColumnStretch(1, 1);
    EndLayout();

    // Each field is named by its label (to the accessibility tools too).
    QWidget *labelled[] = {imgcmbData, datData, txtData[0], dtcData[0], txtData[1], txtNotes};
    for (int i = 0; i < 6; ++i)
        lblData[i]->setBuddy(labelled[i]);
    if (deadlines)
        lblData[6]->setBuddy(txtData[3]);
    lblData[next]->setBuddy(dtcData[1]);
    for (QLineEdit *box : txtData)
        if (box)
            platform::keepOnOneLine(box);

    QList<QWidget *> order = {imgcmbData, datData, txtData[0], dtcData[0], cmdAdd, txtData[1], txtNotes};
    if (deadlines)
        order << txtData[3];
    order << dtcData[1];
    if (deadlines)
        order << chkData;
    order << cmdAllegato[0] << cmdAllegato[1] << cmdAllegato[2] << cmdSalva << cmdAnnulla;
    SetControlOrder(order);

    if (deadlines)
        connect(imgcmbData, &QComboBox::currentIndexChanged, this, [this] { imgcmbData_Click(); });
    connect(cmdSalva, &QPushButton::clicked, this, &frmRowEditor::cmdSalva_Click);
}

void frmRowEditor::Form_Load()
{
    LoadCommon();
    FillTypes(m_layout.types);
    Localize();
}

void frmRowEditor::LocalizeWindow()
{
    for (int i = 0; i < lblData.size(); ++i)
        lblData[i]->setText(LRS(m_layout.labelIds[i]));
    const int attachIds[3] = {1365, 981, 1252};
    for (int i = 0; i < 3; ++i)
        cmdAllegato[i]->setText(LRS(attachIds[i]));
    QWidget *tipped[7] = {imgcmbData, datData, txtData[0], dtcData[0], txtData[1], txtNotes, dtcData[1]};
    for (int i = 0; i < 7; ++i)
        tipped[i]->setToolTip(m_layout.tooltipIds[i] ? LRS(m_layout.tooltipIds[i]) : QString());
    if (!m_layout.cashBook) {
        txtData[3]->setToolTip(LRS(1167));
        // The box stands inside its sentence: "Highlight [n] days before the Deadline expires".
        txtData[3]->setAccessibleName(lblData[6]->text() + QLatin1Char(' ') + lblData[7]->text());
        chkData->setText(LRS(1107));
        chkData->setToolTip(LRS(1115));
    }
    ShowEntryTexts();
}

void frmRowEditor::ShowEntryTexts()
{
    if (m_captionId == 0)
        return;   // no entry procedure has filled the window yet
    QString caption = LRS(m_captionId);
    if (m_captionRowId > 0)
        caption += QStringLiteral(" [#%1]").arg(m_captionRowId);
    setWindowTitle(caption);
    cmdSalva->setText(LRS(m_newRow ? 1365 : 1108));
}

// ---------------------------------------------------------------------------------------------------
// Entry procedures' work

bool frmRowEditor::holdsRow() const
{
    return rsRow != nullptr;
}

void frmRowEditor::OpenData(const QString &source)
{
    CloseData();
    cnRow = std::make_unique<platform::Connection>();
    cnRow->Open(Adb->dcs());
    rsRow = std::make_unique<platform::Recordset>();
    rsRow->Open(source, *cnRow, platform::Recordset::adOpenStatic, platform::Recordset::adLockBatchOptimistic,
                platform::Recordset::adCmdText);
}

void frmRowEditor::CloseData()
{
    try {
        if (rsRow && rsRow->isOpen()) {
            if (rsRow->editing())
                rsRow->CancelUpdate();
            rsRow->Close();
        }
    } catch (const std::exception &) {
    }
    rsRow.reset();
    try {
        if (cnRow && cnRow->isOpen())
            cnRow->Close();
    } catch (const std::exception &) {
    }
    cnRow.reset();
}

bool frmRowEditor::OpenExisting(int rowId, int helpContext)
{
    m_captionId = 902;
    m_captionRowId = Env && Env->DeadlinesShowId ? rowId : 0;
    m_newRow = false;
    ShowEntryTexts();
    m_helpContext = helpContext;
    InitCombos();
    int line = 0;
    try {
        // The row is found by its id alone, whatever the current data sheet.
        line = __LINE__, OpenData(Tables::rowSql(Tables::Transactions, rowId));
        line = __LINE__, m_row = readRow(*rsRow);
    } catch (const std::exception &e) {
        // A row deleted meanwhile, or a database that cannot be read: the window does not open.
        ShowAppError(e, m_layout.windowName, QStringLiteral("Apri"), line);
        Form_Unload();
        return false;
    }
    BindControls(m_row);
    SelectType(m_row.type);
    imgcmbData->setEnabled(false);   // an existing row keeps its type
    if (!m_layout.cashBook)
        imgcmbData_Click();
    ShowModeless();
    return true;
}

bool frmRowEditor::OpenCopy(int rowId, int helpContext)
{
    m_captionId = 916;
    m_captionRowId = 0;
    m_newRow = true;
    ShowEntryTexts();
    m_helpContext = helpContext;
    InitCombos();
    int line = 0;
    try {
        RowValues source;
        {
            platform::Recordset rs;
            line = __LINE__, rs.Open(Tables::rowSql(Tables::Transactions, rowId), Adb->dcs(),
                                     platform::Recordset::adOpenStatic, platform::Recordset::adLockReadOnly,
                                     platform::Recordset::adCmdText);
            line = __LINE__, source = readRow(rs);
            rs.Close();
        }
        m_row = duplicateOf(source, m_layout.cashBook, platform::today());
        // The copy lives only in rsRow until Save: a new row of the table, added to an empty selection.
        line = __LINE__, OpenData(Tables::columnsSql(Tables::Transactions.name));
        line = __LINE__, rsRow->AddNew();
    } catch (const std::exception &e) {
        ShowAppError(e, m_layout.windowName, QStringLiteral("Duplica"), line);
        Form_Unload();
        return false;
    }
    BindControls(m_row);
    SelectType(m_row.type);
    imgcmbData->setEnabled(false);
    if (!m_layout.cashBook)
        imgcmbData_Click();
    ShowModeless();
    return true;
}

bool frmRowEditor::OpenNewMovement(int helpContext)
{
    m_captionId = 1900;
    m_captionRowId = 0;
    m_newRow = true;
    ShowEntryTexts();
    m_helpContext = helpContext;
    InitCombos();
    int line = 0;
    try {
        line = __LINE__, OpenData(Tables::columnsSql(Tables::Transactions.name));
        line = __LINE__, rsRow->AddNew();
    } catch (const std::exception &e) {
        ShowAppError(e, m_layout.windowName, QStringLiteral("Nuovo"), line);
        Form_Unload();
        return false;
    }
    m_row = newMovement(Sheet ? Sheet->Id() : 1, platform::today());
    BindControls(m_row);
    // The type list stays enabled, on income as the load left it.
    imgcmbData->setCurrentIndex(0);
    ShowModeless();
    return true;
}

void frmRowEditor::BindControls(const RowValues &values)
{
    // The description takes at most its column's size.
    txtData[0]->setMaxLength(BoxMaxLength(*rsRow, QStringLiteral("TrDescription"), values.description));
    txtData[0]->setText(values.description);
    m_amountShown = amountText(values.value);
    txtData[1]->setText(m_amountShown);
    txtNotes->setPlainText(values.notes);
    if (txtData[3])
        txtData[3]->setText(QString::number(values.alertDays));
    datData->setDate(values.date.isValid() ? values.date : platform::today());
    SelectBound(dtcData[0], values.acId);
    SelectBound(dtcData[1], values.countId);
    if (chkData)
        chkData->setChecked(values.done);
    const bool attached = HasAttachment(values.attached);
    cmdAllegato[0]->setEnabled(!attached);
    cmdAllegato[1]->setEnabled(attached);
    cmdAllegato[2]->setEnabled(attached);
    lblAttached->setFileName(QString());
    Attach = {};
}

void frmRowEditor::SelectType(int type)
{
    const QString key = type == -2 ? QStringLiteral("d-2") : (type == -1 ? QStringLiteral("d-1") : QStringLiteral("d+1"));
    int index = imgcmbData->findData(key);
    if (index < 0)
        index = imgcmbData->findData(QStringLiteral("d+1"));
    imgcmbData->setCurrentIndex(index);
}

void frmRowEditor::ShowModeless()
{
    RecordEditorWindow::ShowModeless(datData);
    sbPanel1->clear();
}

// ---------------------------------------------------------------------------------------------------
// Type rule and field checks

void frmRowEditor::imgcmbData_Click()
{
    if (m_layout.cashBook)
        return;
    ApplyTypeRule();
}

QString frmRowEditor::FieldRefusal(int Index)
{
    switch (Index) {
    case 0: {
        const int refusal = descriptionRefusal(txtData[0]->text());
        return refusal ? LRS(refusal) : QString();
    }
    case 1: {
        if (!txtData[1]->isEnabled())
            return QString();
        const QLocale locale = platform::userLocale();
        // An untouched amount is the stored one, kept exact: it is checked as stored.
        return AmountText::refusalText(txtData[1]->text() == m_amountShown
                                           ? AmountText::refusalOf(m_row.value)
                                           : AmountText::refusalOf(txtData[1]->text(), locale),
                                       locale);
    }
    case 3:
        return !txtData[3] || alertDaysAccepted(txtData[3]->text()) ? QString() : LRSV(2036, MaxAlertDays);
    default:
        return QString();
    }
}

RowValues frmRowEditor::ReadValues() const
{
    RowValues v = m_row;
    v.type = selectedType();
    v.date = datData->date();
    v.description = txtData[0]->text();
    v.notes = txtNotes->toPlainText();
    v.acId = dtcData[0]->currentIndex() >= 0 ? dtcData[0]->currentData().toInt() : 0;
    v.countId = dtcData[1]->currentIndex() >= 0 ? dtcData[1]->currentData().toInt() : 0;
    if (v.type == -2)
        v.value = Currency();   // an appointment has no amount
    else if (txtData[1]->text() != m_amountShown)   // an untouched amount keeps its stored value exactly
        v.value = amountOf(txtData[1]->text(), platform::userLocale()).value_or(Currency());
    if (!m_layout.cashBook) {
        v.alertDays = txtData[3]->text().trimmed().toInt();
        v.done = chkData->isChecked();
    }
    return v;
}

// ---------------------------------------------------------------------------------------------------
// Buttons

void frmRowEditor::cmdSalva_Click()
{
    if (!rsRow)
        return;
    if (!DateAccepted(datData))
        return;
    // Every check again: the up-down buttons and a click on Save do not pass the boxes' own checks.
    for (int box : {0, 1, 3})
        if (txtData[box] && !FieldAccepted(box))
            return;
    if (!NotesAccepted())
        return;
    int line = 0;
    int id = 0;
    try {
        const RowValues values = ReadValues();
        // A customer or account deleted meanwhile: told, nothing written, the window stays open.
        line = __LINE__;
        if (!ChosenEntriesExist(*cnRow, values.acId, values.countId))
            return;
        // A row deleted meanwhile is told also when nothing was changed here (a change would fail to write).
        if (!m_newRow)
            line = __LINE__, RequireRowStillThere(*cnRow, Tables::Transactions,
                                                  rsRow->value(QStringLiteral("TrRowId")).toInt());
        // An opened row gets only what the user changed here.
        id = writeRow(*rsRow, values, WriteScope{m_newRow, m_layout.cashBook, m_newRow ? nullptr : &m_row}, Attach,
                      Adb->attachedPath(), &line);
    } catch (const std::exception &e) {
        // Nothing was written: the window stays open with what the user typed, to try again or cancel.
        ShowAppError(e, m_layout.windowName, QStringLiteral("cmdSalva_Click"), line);
        return;
    }
    CloseData();
    PauseForDbRelease();
    emit rowSaved(id);
    Form_Unload();
}

void frmRowEditor::Unloading()
{
    CloseData();
}

bool frmRowEditor::hasOtherInput() const
{
    return Attach.action != AttachmentChange::None;
}

void frmRowEditor::cmdAllegato_Click(int Index)
{
    switch (Index) {
    case 0: {
        const std::optional<AttachmentChoice> choice = chooseAttachment(this);
        if (!choice)
            return;   // cancelled
        Attach = {AttachmentChange::Chosen, choice->sourcePath, choice->storedName};
        cmdAllegato[0]->setEnabled(false);
        cmdAllegato[1]->setEnabled(false);
        cmdAllegato[2]->setEnabled(true);
        lblAttached->setFileName(choice->title);
        return;
    }
    case 1:
        // Only the attachment the row held when the window opened can be shown.
        OpenAttachment(m_row.attached, this);
        return;
    case 2:
        if (platform::MsgBox(LRS(1169), platform::vbYesNo, QString(), this) != platform::vbYes)
            return;
        // The copy in the attachments folder stays: only the row lets go of it.
        Attach = {AttachmentChange::Removed, QString(), QString()};
        cmdAllegato[0]->setEnabled(true);
        cmdAllegato[1]->setEnabled(false);
        cmdAllegato[2]->setEnabled(false);
        lblAttached->setFileName(QString());
        return;
    default:
        return;
    }
}

void frmRowEditor::lblData_Click(int Index)
{
    QWidget *targets[5] = {imgcmbData, datData, txtData[0], dtcData[0], txtData[1]};
    // A disabled field does not take the focus: the click does nothing.
    if (Index >= 0 && Index < 5 && targets[Index]->isEnabled())
        targets[Index]->setFocus(Qt::MouseFocusReason);
}

// ---------------------------------------------------------------------------------------------------
// Keyboard, focus and hints

bool frmRowEditor::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonRelease) {
        const int label = int(lblData.indexOf(static_cast<QLabel *>(watched)));
        if (label >= 0) {
            lblData_Click(label);
            return true;
        }
    }
    return RecordEditorWindow::eventFilter(watched, event);
}

bool frmRowEditor::FilterBoxKey(QObject *watched, QKeyEvent *key)
{
    if (watched == txtData[1] && filterNumberKey(txtData[1], key, true))
        return true;
    return txtData[3] && watched == txtData[3] && filterNumberKey(txtData[3], key, false);
}
