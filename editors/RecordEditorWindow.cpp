#include "editors/RecordEditorWindow.h"

#include "editors/AmountText.h"
#include "editors/RowEditorSave.h"
#include "editors/frmNewAcc.h"
#include "foundation/AccountTables.h"
#include "foundation/DateEntry.h"
#include "foundation/Globals.h"
#include "foundation/Icons.h"
#include "foundation/Twips.h"
#include "foundation/cLang.h"
#include "foundation/modShared.h"
#include "foundation/WindowSupport.h"
#include "platform/controls/DateField.h"
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
#include <algorithm>

RecordEditorWindow::RecordEditorWindow(const QString &windowName, QWidget *owner)
    : QWidget(owner, OwnedWindowFlags)
{
    setObjectName(windowName);
    if (Lang)
        connect(Lang, &cLang::LanguageChanged, this, &RecordEditorWindow::Localize);
}

RecordEditorWindow::~RecordEditorWindow()
{
    // The controls lose the focus as the window is taken down: that is no longer the user moving on.
    disconnect(m_focusWatch);
}

// ---------------------------------------------------------------------------------------------------
// Controls and loading

QGridLayout *RecordEditorWindow::BeginLayout()
{
    m_outer = new QVBoxLayout(this);
    m_outer->setContentsMargins(0, TwipsToPixels(120), 0, 0);
    auto *grid = new QGridLayout();
    grid->setContentsMargins(TwipsToPixels(120), 0, TwipsToPixels(120), 0);
    grid->setHorizontalSpacing(TwipsToPixels(90));
    grid->setVerticalSpacing(TwipsToPixels(90));
    m_outer->addLayout(grid);
    return grid;
}

void RecordEditorWindow::EndLayout()
{
    QHBoxLayout *buttons = NewSaveCancelRow(this, cmdSalva, cmdAnnulla);
    buttons->setContentsMargins(TwipsToPixels(120), TwipsToPixels(120), TwipsToPixels(120), 0);
    m_outer->addLayout(buttons);
    sb = NewStatusBar(this, sbPanel1);
    m_outer->addWidget(sb);
}

void RecordEditorWindow::SetControlOrder(const QList<QWidget *> &order)
{
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);

    // A disabled amount box or account list is painted in the colour of button faces.
    paintDisabledAsButtonFace(textBoxes()[AmountBox]);
    paintDisabledAsButtonFace(dtcData[1]);

    // The window sees the keys of its controls first.
    for (QWidget *w : order)
        w->installEventFilter(this);

    connect(cmdAdd, &QToolButton::clicked, this, &RecordEditorWindow::cmdAdd_Click);
    connect(cmdAnnulla, &QPushButton::clicked, this, &RecordEditorWindow::cmdAnnulla_Click);
    m_focusWatch = connect(qApp, &QApplication::focusChanged, this, &RecordEditorWindow::focusMoved);
}

void RecordEditorWindow::LoadCommon()
{
    setWindowIcon(Icons::program());
    DisableCloseButton(this);
}

void RecordEditorWindow::FillTypes(std::span<const EditorTypeItem> items)
{
    const QList<QIcon> images = Icons::rowImageList();
    const QSignalBlocker block(imgcmbData);
    m_types = QList<EditorTypeItem>(items.begin(), items.end());
    for (const EditorTypeItem &item : items)
        imgcmbData->addItem(images.value(item.image - 1), QString(), QString::fromLatin1(item.key));
    imgcmbData->setCurrentIndex(0);
}

void RecordEditorWindow::Localize()
{
    SetSaveCancelTexts(cmdSalva, cmdAnnulla);
    for (int i = 0; i < m_types.size() && i < imgcmbData->count(); ++i)
        imgcmbData->setItemText(i, LRS(m_types[i].textId));
    // The picture-only button is named by what it does.
    cmdAdd->setAccessibleName(LRS(1340));
    LocalizeWindow();
    // The hint of the control that has the focus, in the new language.
    sbPanel1->setText(hintOf(focusWidget()));
}

void RecordEditorWindow::InitCombos()
{
    rsCombo.fill(dtcData, objectName());
}

int RecordEditorWindow::selectedType() const
{
    return RowEditorSave::typeOfKey(imgcmbData->currentData().toString());
}

bool RecordEditorWindow::txtData_Validate(int Index)
{
    m_refusal = FieldRefusal(Index);
    return m_refusal.isEmpty();
}

bool RecordEditorWindow::FieldAccepted(int Index)
{
    if (txtData_Validate(Index))
        return true;
    ShowRefusal(textBoxes()[size_t(Index)], m_refusal);
    return false;
}

bool RecordEditorWindow::NotesAccepted()
{
    if (IsStorableText(txtNotes->toPlainText()))
        return true;
    ShowRefusal(txtNotes, LRS(2037));
    return false;
}

bool RecordEditorWindow::DateAccepted(platform::DateField *box)
{
    if (!box->isEnabled() || box->interpretText())
        return true;
    ShowRefusal(box, DateRefusalText(box));
    return false;
}

void RecordEditorWindow::ShowRefusal(QWidget *box, const QString &reason)
{
    // The focus goes back first: the box's own hint would otherwise take the status bar.
    m_validating = true;
    box->setFocus();
    m_validating = false;
    ShowReason(sbPanel1, reason);
}

bool RecordEditorWindow::ApplyTypeRule()
{
    QLineEdit *amountBox = textBoxes()[AmountBox];
    const bool amount = selectedType() != -2;
    if (!amount) {
        amountBox->clear();
        dtcData[1]->setCurrentIndex(-1);
    }
    amountBox->setEnabled(amount);
    dtcData[1]->setEnabled(amount);
    return amount;
}

void RecordEditorWindow::BringToFront()
{
    if (!isVisible())
        PlaceOverOwner(this);
    show();
    raise();
    activateWindow();
}

void RecordEditorWindow::ShowModeless(QWidget *firstDate)
{
    BringToFront();
    if (imgcmbData->isEnabled())
        imgcmbData->setFocus();
    else
        firstDate->setFocus();
    m_filled = true;
    m_filledState = inputState();
}

QVariantList RecordEditorWindow::inputState() const
{
    QVariantList state;
    const QLineEdit *amountBox = textBoxes()[AmountBox];
    for (const QWidget *w : findChildren<QWidget *>()) {
        if (const auto *field = qobject_cast<const platform::DateField *>(w)) {
            // A date by the day it names, however it is written; a text that names none as it stands.
            const QDate day = field->date();
            state << (day.isValid() ? QVariant(day) : QVariant(field->text()));
        } else if (const auto *box = qobject_cast<const QLineEdit *>(w)) {
            // The amount box shows its value in more than one form (the currency format, then plain).
            const auto amount = box == amountBox ? AmountText::parse(box->text(), platform::userLocale())
                                                 : std::optional<platform::Currency>();
            state << (amount ? QVariant::fromValue(amount->raw()) : QVariant(box->text()));
        } else if (const auto *notes = qobject_cast<const QPlainTextEdit *>(w)) {
            state << notes->toPlainText();
        } else if (const auto *list = qobject_cast<const QComboBox *>(w)) {
            // Lists of database rows by the row chosen (a refilled list may place it elsewhere).
            state << (list->currentData().isValid() ? list->currentData() : QVariant(list->currentIndex()));
        } else if (const auto *option = qobject_cast<const QAbstractButton *>(w); option && option->isCheckable()) {
            state << option->isChecked();
        }
    }
    return state;
}

bool RecordEditorWindow::isModified() const
{
    return isOpen() && (inputState() != m_filledState || hasOtherInput());
}

bool RecordEditorWindow::hasOtherInput() const
{
    return false;
}

bool RecordEditorWindow::ChosenEntriesExist(platform::Connection &cn, int acId, int countId)
{
    const int missing = AccountTables::missingEntry(cn, acId, countId);
    if (missing == 0)
        return true;
    platform::MsgBox(LRS(missing == AccountTables::AccountsTab ? 1952 : 1953), platform::vbExclamation, QString(), this);
    InitCombos();
    dtcData[missing == AccountTables::AccountsTab ? 0 : 1]->setFocus();
    return false;
}

// ---------------------------------------------------------------------------------------------------
// Buttons and unloading

void RecordEditorWindow::cmdAdd_Click()
{
    const int id = frmNewAcc::Load(this)->Nuovo();
    if (id > 0) {
        InitCombos();
        SelectBound(dtcData[0], id);
    }
    dtcData[0]->setFocus();
    frmNewAcc::Unload();
}

void RecordEditorWindow::cmdAnnulla_Click()
{
    Form_Unload();
}

void RecordEditorWindow::Unloading()
{
}

void RecordEditorWindow::Form_Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    disconnect(m_focusWatch);
    Unloading();
    rsCombo.close();
    hide();
    ReleaseInstance();
    deleteLater();
}

void RecordEditorWindow::ShowHelp() const
{
    ShowHelpPage(this, helpContext());
}

// ---------------------------------------------------------------------------------------------------
// Keyboard, focus and hints

bool RecordEditorWindow::FilterBoxKey(QObject *, QKeyEvent *)
{
    return false;
}

bool RecordEditorWindow::isPanel(const QWidget *) const
{
    return false;
}

bool RecordEditorWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    auto *key = static_cast<QKeyEvent *>(event);
    switch (key->key()) {
    case Qt::Key_Escape:
        cmdAnnulla_Click();
        return true;
    case Qt::Key_F1:
        ShowHelp();
        return true;
    case Qt::Key_F5:
        if (watched == dtcData[0]) {
            cmdAdd_Click();
            return true;
        }
        break;
    case Qt::Key_Delete:
    case Qt::Key_Backspace:
        // A list's selection can be taken away: no customer, no account.
        if (watched == dtcData[0] || watched == dtcData[1]) {
            static_cast<QComboBox *>(watched)->setCurrentIndex(-1);
            return true;
        }
        break;
    default:
        break;
    }
    if (isEnterKey(key)) {
        if (auto *button = qobject_cast<QAbstractButton *>(watched); button && !qobject_cast<QRadioButton *>(button)
                                                                      && !qobject_cast<QCheckBox *>(button)) {
            button->click();
            return true;
        }
        // Enter moves on to the next control, as Tab does (in the notes too).
        focusNextPrevChild(true);
        return true;
    }
    if (FilterBoxKey(watched, key))
        return true;
    return QWidget::eventFilter(watched, event);
}

void RecordEditorWindow::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
        cmdAnnulla_Click();
        event->accept();
        return;
    case Qt::Key_F1:
        ShowHelp();
        event->accept();
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

void RecordEditorWindow::closeEvent(QCloseEvent *event)
{
    // No Close command: the window system's close request is refused; a close asked by the program (its
    // owner closing) cancels.
    if (event->spontaneous() && !m_unloaded) {
        event->ignore();
        return;
    }
    if (!m_unloaded)
        cmdAnnulla_Click();
    event->accept();
}

QString RecordEditorWindow::hintOf(QWidget *w) const
{
    // The control that holds the focus widget (a date picker's inner box counts as the picker).
    for (QWidget *c = w; c && c != this; c = c->parentWidget()) {
        const QWidget *p = c->parentWidget();
        if (p == this || isPanel(p))
            return c->toolTip();
    }
    return QString();
}

void RecordEditorWindow::focusMoved(QWidget *old, QWidget *now)
{
    if (m_unloaded || !isVisible() || !now || !isAncestorOf(now))
        return;
    // A date field whose text is not a date keeps the focus (Cancel always works).
    const std::span<platform::DateField *const> dates = dateBoxes();
    if (const auto date = std::find(dates.begin(), dates.end(), old);
        !m_validating && date != dates.end() && now != cmdAnnulla && !DateAccepted(*date))
        return;
    const std::span<QLineEdit *const> boxes = textBoxes();
    // A text box that refuses its text keeps the focus (Cancel always works).
    const int box = old ? int(std::find(boxes.begin(), boxes.end(), old) - boxes.begin()) : -1;
    if (!m_validating && box >= 0 && box < int(boxes.size()) && boxes[box] && boxes[box]->isEnabled()
        && now != cmdAnnulla && !txtData_Validate(box)) {
        ShowRefusal(boxes[box], m_refusal);
        return;
    }
    sbPanel1->setText(hintOf(now));
    if (auto *edit = qobject_cast<QLineEdit *>(now); edit && std::find(boxes.begin(), boxes.end(), edit) != boxes.end())
        QTimer::singleShot(0, edit, [edit] {
            if (edit->hasFocus())
                edit->selectAll();
        });
    if (now == txtNotes)
        txtNotes->selectAll();
}
