#include "editors/frmTableEditor.h"

#include "editors/EditorControls.h"

#include "foundation/Globals.h"
#include "foundation/Twips.h"
#include "foundation/cAccessDb.h"
#include "foundation/cLang.h"
#include "foundation/grid/ListGrid.h"
#include "foundation/modShared.h"
#include "platform/controls/OneLineText.h"
#include "platform/database/Connection.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

namespace {

// The window's layout values, in twips.
constexpr int BoxWidth = 4800;
constexpr int LabelWidth = 1200;

} // namespace

frmTableEditor::frmTableEditor(const TableEditorLayout &layout, QWidget *owner)
    : ModalDialog(owner), m_layout(layout)
{
    setObjectName(layout.windowName);

    auto *outer = new QVBoxLayout(this);
    outer->setSizeConstraint(QLayout::SetFixedSize);
    outer->setContentsMargins(0, TwipsToPixels(120), 0, 0);
    outer->setSpacing(TwipsToPixels(120));

    auto *body = new QHBoxLayout();
    body->setContentsMargins(TwipsToPixels(120), 0, TwipsToPixels(120), 0);
    body->setSpacing(TwipsToPixels(120));
    if (!layout.picture.isNull()) {
        Picture1 = new QLabel(this);
        Picture1->setObjectName(QStringLiteral("Picture1"));
        Picture1->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
        Picture1->setPixmap(ListGrid::maskedIcon(layout.picture).pixmap(layout.picture.size()));
        body->addWidget(Picture1);
    }
    auto *fields = new QGridLayout();
    fields->setHorizontalSpacing(TwipsToPixels(90));
    fields->setVerticalSpacing(TwipsToPixels(90));
    for (int i = 0; i < layout.boxes.size(); ++i) {
        auto *label = new QLabel(this);
        label->setObjectName(QStringLiteral("lblData%1").arg(i));
        label->setMinimumWidth(TwipsToPixels(LabelWidth));
        label->installEventFilter(this);
        auto *box = new QLineEdit(this);
        box->setObjectName(QStringLiteral("txtData%1").arg(i));
        box->setMinimumWidth(TwipsToPixels(BoxWidth));
        box->installEventFilter(this);
        // The box is named by its label (to the accessibility tools too) and holds one line.
        label->setBuddy(box);
        platform::keepOnOneLine(box);
        fields->addWidget(label, i, 0);
        fields->addWidget(box, i, 1);
        lblData.append(label);
        txtData.append(box);
    }
    body->addLayout(fields, 1);
    outer->addLayout(body);

    QHBoxLayout *buttons = NewSaveCancelRow(this, cmdSalva, cmdAnnulla);
    buttons->setContentsMargins(TwipsToPixels(120), 0, TwipsToPixels(120), 0);
    cmdSalva->installEventFilter(this);
    cmdAnnulla->installEventFilter(this);
    outer->addLayout(buttons);

    sb = NewStatusBar(this, sbPanel1);
    outer->addWidget(sb);

    // Tab order: the boxes, Save, Cancel.
    QWidget *previous = nullptr;
    for (QWidget *w : txtData) {
        if (previous)
            setTabOrder(previous, w);
        previous = w;
    }
    setTabOrder(previous, cmdSalva);
    setTabOrder(cmdSalva, cmdAnnulla);

    connect(cmdSalva, &QPushButton::clicked, this, &frmTableEditor::cmdSalva_Click);
    connect(cmdAnnulla, &QPushButton::clicked, this, &frmTableEditor::cmdAnnulla_Click);
    m_focusWatch = connect(qApp, &QApplication::focusChanged, this, &frmTableEditor::focusMoved);
}

frmTableEditor::~frmTableEditor()
{
    // The boxes lose the focus as the window is taken down: that is no longer the user moving on.
    disconnect(m_focusWatch);
    // Unloaded while still holding its row (never shown, or its owner went away): nothing is written.
    CloseData();
}

void frmTableEditor::Form_Load()
{
    for (int i = 0; i < lblData.size(); ++i) {
        lblData[i]->setText(LRS(m_layout.boxes[i].labelId));
        txtData[i]->setToolTip(LRS(m_layout.boxes[i].tooltipId));
    }
    SetSaveCancelTexts(cmdSalva, cmdAnnulla);
    setHelpContextID(8);
}

// ---------------------------------------------------------------------------------------------------
// Public procedures

int frmTableEditor::Nuovo()
{
    m_openedId = 0;
    NewId = 0;
    Saved = false;
    setWindowTitle(LRS(m_layout.newCaptionId));
    if (!OpenData(m_layout.table.name, platform::Recordset::adCmdTable, QStringLiteral("Nuovo")))
        return 0;
    try {
        m_rs->AddNew();
    } catch (const std::exception &e) {
        CloseData();
        ShowAppError(e, m_layout.windowName, QStringLiteral("Nuovo"), 4);
        return 0;
    }
    BindControls();
    exec();
    return NewId;
}

bool frmTableEditor::Apri(int id)
{
    m_openedId = id;
    NewId = 0;
    Saved = false;
    setWindowTitle(LRS(m_layout.editCaptionId));
    if (!OpenData(Tables::rowSql(m_layout.table, id), platform::Recordset::adCmdText, QStringLiteral("Apri")))
        return false;
    // A row that is no longer there is not edited.
    if (m_rs->EOF()) {
        CloseData();
        return false;
    }
    BindControls();
    exec();
    return Saved;
}

int frmTableEditor::txtData_Refusal(int index, const QString &text)
{
    if (index == 0 && text.isEmpty())
        return 2050;
    return IsStorableText(text) ? 0 : 2037;
}

bool frmTableEditor::BoxesAccepted()
{
    for (int i = 0; i < txtData.size(); ++i) {
        if (const int refusal = txtData_Refusal(i, txtData[i]->text())) {
            txtData[i]->setFocus();
            ShowReason(sbPanel1, LRS(refusal));
            return false;
        }
    }
    return true;
}

// ---------------------------------------------------------------------------------------------------
// Data

bool frmTableEditor::OpenData(const QString &source, platform::Recordset::CommandType options,
                              const QString &procedure)
{
    CloseData();
    int step = 2;
    try {
        m_cn = std::make_unique<platform::Connection>();
        m_cn->Open(Adb->dcs());
        step = 3;
        m_rs = std::make_unique<platform::Recordset>();
        m_rs->Open(source, *m_cn, platform::Recordset::adOpenStatic, platform::Recordset::adLockBatchOptimistic,
                   options);
        return true;
    } catch (const std::exception &e) {
        CloseData();
        ShowAppError(e, m_layout.windowName, procedure, step);
        return false;
    }
}

void frmTableEditor::BindControls()
{
    m_boundText.clear();
    for (int i = 0; i < txtData.size(); ++i) {
        const int field = m_rs->fieldIndex(m_layout.boxes[i].field);
        const QString text = field >= 0 ? NullToString(m_rs->value(field)) : QString();
        // A text column takes at most its defined size; a memo any length.
        txtData[i]->setMaxLength(BoxMaxLength(*m_rs, m_layout.boxes[i].field, text));
        txtData[i]->setText(text);
        m_boundText.append(text);
    }
    sbPanel1->clear();
    if (!txtData.isEmpty())
        txtData[0]->setFocus();
}

void frmTableEditor::CloseData()
{
    // Closing never raises: a recordset or connection that cannot close cleanly is dropped.
    try {
        if (m_rs && m_rs->isOpen())
            m_rs->Close();
    } catch (const std::exception &) {
    }
    m_rs.reset();
    try {
        if (m_cn && m_cn->isOpen())
            m_cn->Close();
    } catch (const std::exception &) {
    }
    m_cn.reset();
}

// ---------------------------------------------------------------------------------------------------
// Buttons

void frmTableEditor::cmdSalva_Click()
{
    if (!m_rs)
        return;
    // The boxes are validated as they lose the focus to Save: a refused one keeps the focus and nothing is
    // written.
    if (!BoxesAccepted())
        return;
    int step = 1;
    try {
        // A row deleted meanwhile is told also when nothing was changed here.
        if (m_openedId > 0)
            RequireRowStillThere(*m_cn, m_layout.table, m_openedId);
        for (int i = 0; i < txtData.size(); ++i)
            if (txtData[i]->text() != m_boundText.value(i))
                m_rs->setValue(m_layout.boxes[i].field, txtData[i]->text());
        m_rs->Update();
        step = 2;
        NewId = m_rs->value(m_layout.table.key).toInt();
    } catch (const std::exception &e) {
        // Nothing was written: the window stays open with what the user typed, to try again or cancel.
        ShowAppError(e, m_layout.windowName, QStringLiteral("cmdSalva_Click"), step);
        return;
    }
    Saved = true;
    CloseData();
    PauseForDbRelease();
    QDialog::accept();
}

void frmTableEditor::cmdAnnulla_Click()
{
    NewId = 0;
    Saved = false;
    try {
        if (m_rs && m_rs->isOpen())
            m_rs->CancelUpdate();
    } catch (const std::exception &) {
    }
    CloseData();
    QDialog::reject();
}

void frmTableEditor::reject()
{
    cmdAnnulla_Click();
}

// ---------------------------------------------------------------------------------------------------
// Keyboard, focus and hints

void frmTableEditor::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
        cmdAnnulla_Click();
        event->accept();
        return;
    default:
        ModalDialog::keyPressEvent(event);
    }
}

void frmTableEditor::closeEvent(QCloseEvent *event)
{
    // The window has no Close command: the window system's close request is refused. A close asked by the
    // program (it ends) cancels.
    if (event->spontaneous()) {
        event->ignore();
        return;
    }
    if (isVisible())
        cmdAnnulla_Click();
    event->accept();
}

bool frmTableEditor::eventFilter(QObject *watched, QEvent *event)
{
    auto indexIn = [watched](const auto &controls) {
        for (int i = 0; i < controls.size(); ++i)
            if (controls[i] == watched)
                return i;
        return -1;
    };
    const int box = indexIn(txtData);
    if (box >= 0) {
        if (event->type() == QEvent::KeyPress) {
            const auto *key = static_cast<QKeyEvent *>(event);
            if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
                && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
                // Enter moves on to the next control, as Tab does.
                focusNextPrevChild(true);
                return true;
            }
        } else if (event->type() == QEvent::FocusIn) {
            QLineEdit *edit = txtData[box];
            // After the click that gave the focus has placed the cursor.
            QTimer::singleShot(0, edit, [edit] {
                if (edit->hasFocus())
                    edit->selectAll();
            });
            sbPanel1->setText(edit->toolTip());
        }
        return ModalDialog::eventFilter(watched, event);
    }
    if ((watched == cmdSalva || watched == cmdAnnulla) && event->type() == QEvent::FocusIn) {
        sbPanel1->setText(static_cast<QWidget *>(watched)->toolTip());
        return ModalDialog::eventFilter(watched, event);
    }
    const int label = indexIn(lblData);
    if (label >= 0 && event->type() == QEvent::MouseButtonRelease) {
        lblData_Click(label);
        return true;
    }
    return ModalDialog::eventFilter(watched, event);
}

void frmTableEditor::lblData_Click(int index)
{
    if (index >= 0 && index < txtData.size())
        txtData[index]->setFocus(Qt::MouseFocusReason);
}

void frmTableEditor::focusMoved(QWidget *old, QWidget *now)
{
    // A box is validated when it loses the focus to another control of the window (not to Cancel, which
    // always works): a refused text keeps the focus, and the status bar says why.
    const int box = int(txtData.indexOf(qobject_cast<QLineEdit *>(old)));
    if (box < 0 || !now || now == cmdAnnulla || !isVisible() || !isAncestorOf(now))
        return;
    if (const int refusal = txtData_Refusal(box, txtData[box]->text())) {
        txtData[box]->setFocus();
        ShowReason(sbPanel1, LRS(refusal));
    }
}
