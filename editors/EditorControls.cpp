#include "editors/EditorControls.h"

#include "editors/NewDeadlineSave.h"
#include "foundation/AccountTables.h"
#include "foundation/Globals.h"
#include "foundation/Tables.h"
#include "foundation/Twips.h"
#include "foundation/cAccessDb.h"
#include "foundation/cLang.h"
#include "foundation/modShared.h"
#include "platform/RuntimeError.h"
#include "platform/database/Connection.h"
#include "platform/database/Recordset.h"
#include "platform/dialogs/Dialogs.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QResizeEvent>
#include <QStatusBar>
#include <QVariant>
#include <limits>

namespace {

// The folder the last attachment was taken from, remembered with the settings.
const QString AttachFolderValue = QStringLiteral("AttachFromFolder");

} // namespace

EditorCombos::EditorCombos() = default;

EditorCombos::~EditorCombos()
{
    close();
}

void EditorCombos::fill(const std::array<QComboBox *, 2> &lists, const QString &windowName)
{
    // The selections survive the refill (a new customer is selected by the caller afterwards).
    const QVariant selected[2] = {lists[0]->currentData(), lists[1]->currentData()};
    close();
    int line = 0;
    try {
        line = __LINE__, m_connection = std::make_unique<platform::Connection>();
        line = __LINE__, m_connection->Open(Adb->dcs());
        for (int i = 0; i < 2; ++i) {
            m_lists[i] = std::make_unique<platform::Recordset>();
            const int tab = i == 0 ? AccountTables::AccountsTab : AccountTables::CountsTab;
            line = __LINE__, m_lists[i]->Open(AccountTables::listSql(tab), *m_connection,
                                              platform::Recordset::adOpenStatic, platform::Recordset::adLockReadOnly);
            const QSignalBlocker block(lists[i]);
            lists[i]->clear();
            for (m_lists[i]->MoveFirst(); !m_lists[i]->EOF(); m_lists[i]->MoveNext())
                lists[i]->addItem(NullToString(m_lists[i]->value(1)), m_lists[i]->value(0).toInt());
            lists[i]->setCurrentIndex(-1);
        }
    } catch (const std::exception &e) {
        ShowAppError(e, windowName, QStringLiteral("InitCombos"), line);
    }
    for (int i = 0; i < 2; ++i)
        if (selected[i].isValid())
            SelectBound(lists[i], selected[i].toInt());
}

void EditorCombos::close()
{
    for (auto &rs : m_lists) {
        try {
            if (rs && rs->isOpen())
                rs->Close();
        } catch (const std::exception &) {
        }
        rs.reset();
    }
    try {
        if (m_connection && m_connection->isOpen())
            m_connection->Close();
    } catch (const std::exception &) {
    }
    m_connection.reset();
}

void SelectBound(QComboBox *combo, int id)
{
    combo->setCurrentIndex(combo->findData(id));
}

bool isEnterKey(const QKeyEvent *key)
{
    return (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
           && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier));
}

bool filterNumberKey(QLineEdit *box, const QKeyEvent *key, bool decimal)
{
    if (key->text().isEmpty() || (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
        return false;
    const int code = key->text().at(0).unicode();
    if (code < 32 || code == 127)
        return false;   // Backspace, Tab, Enter and the other control keys keep their own meaning
    const int kept = decimal ? FilterDecimalKey(code) : FilterIntegerKey(code);
    if (kept == 0)
        return true;
    if (kept != code) {
        box->insert(QString(QChar(kept)));
        return true;
    }
    return false;
}

int BoxMaxLength(const platform::Recordset &rs, const QString &field, const QString &stored)
{
    const int f = rs.fieldIndex(field);
    if (f < 0 || rs.fieldType(f) != platform::FieldType::VarWChar || rs.fieldDefinedSize(f) <= 0)
        return std::numeric_limits<int>::max();
    return qMax(rs.fieldDefinedSize(f), int(stored.size()));
}

void RequireRowStillThere(platform::Connection &cn, const Tables::Table &table, int id)
{
    if (!Tables::exists(cn, table, id))
        throw platform::RuntimeError(
            platform::errors::DbNoCurrentRecord, table.name,
            QStringLiteral("The row %1=%2 was deleted since it was read.").arg(table.key).arg(id),
            platform::ErrorKind::RowChanged);
}

void paintDisabledAsButtonFace(QWidget *w)
{
    QPalette p = w->palette();
    p.setColor(QPalette::Disabled, QPalette::Base, p.color(QPalette::Active, QPalette::Button));
    p.setColor(QPalette::Disabled, QPalette::Button, p.color(QPalette::Active, QPalette::Button));
    w->setPalette(p);
}

QHBoxLayout *NewSaveCancelRow(QWidget *window, QPushButton *&save, QPushButton *&cancel)
{
    auto *buttons = new QHBoxLayout();
    buttons->addStretch(1);
    save = new QPushButton(window);
    save->setObjectName(QStringLiteral("cmdSalva"));
    cancel = new QPushButton(window);
    cancel->setObjectName(QStringLiteral("cmdAnnulla"));
    for (QPushButton *b : {save, cancel}) {
        b->setMinimumWidth(TwipsToPixels(1300));
        buttons->addWidget(b);
    }
    return buttons;
}

void SetSaveCancelTexts(QPushButton *save, QPushButton *cancel)
{
    save->setText(LRS(1108));
    save->setToolTip(LRS(1116));
    cancel->setText(LRS(1109));
    cancel->setToolTip(LRS(1117));
}

namespace {

// The panel of an editor's status bar. It never widens the window: a hint takes one line and is cut at the
// window's edge; the reason for a refusal (ShowReason) wraps to the lines it needs while it is shown, the
// window's lower edge moving down by as much, and back when the panel shows a hint again.
class StatusPanel : public QLabel
{
public:
    explicit StatusPanel(QStatusBar *bar)
        : QLabel(bar), m_height(fontMetrics().height())
    {
        setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        // The bar is laid out again after every change of the panel's text.
        bar->installEventFilter(this);
    }
    void setReason(const QString &reason)
    {
        m_reason = reason;
        setText(reason);
    }
    // The height is that of the text at the panel's own width, given below.
    bool hasHeightForWidth() const override { return false; }
    QSize sizeHint() const override { return {QLabel::sizeHint().width(), m_height}; }
    QSize minimumSizeHint() const override { return {0, m_height}; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == parent() && event->type() == QEvent::LayoutRequest)
            fit(true);
        return false;
    }
    void resizeEvent(QResizeEvent *event) override
    {
        QLabel::resizeEvent(event);
        if (event->size().width() != event->oldSize().width())
            fit(false);
    }

private:
    void fit(bool moveWindowEdge)
    {
        const bool reason = !m_reason.isEmpty() && text() == m_reason;
        if (wordWrap() != reason)
            setWordWrap(reason);
        const int height =
            qMax(fontMetrics().height(), reason ? QLabel::heightForWidth(width()) : QLabel::sizeHint().height());
        if (height == m_height)
            return;
        const int grown = height - m_height;
        m_height = height;
        updateGeometry();
        QWidget *w = window();
        if (!moveWindowEdge || !w->isVisible() || (w->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)))
            return;
        // The window's height follows once its layout knows the panel's new height (its minimum may be
        // the window's height until then).
        const bool scheduled = m_windowHeight >= 0;
        m_windowHeight = (scheduled ? m_windowHeight : w->height()) + grown;
        if (!scheduled)
            QMetaObject::invokeMethod(this, [this] { resizeWindow(); }, Qt::QueuedConnection);
    }
    void resizeWindow()
    {
        QWidget *w = window();
        if (w->layout())
            w->layout()->activate();
        w->resize(w->width(), qMax(m_windowHeight, w->minimumSizeHint().height()));
        m_windowHeight = -1;
    }

    QString m_reason;
    int m_height;
    int m_windowHeight = -1;   // the window's height to come; -1 none
};

} // namespace

QStatusBar *NewStatusBar(QWidget *window, QLabel *&panel)
{
    auto *sb = new QStatusBar(window);
    sb->setObjectName(QStringLiteral("sb"));
    sb->setSizeGripEnabled(false);
    panel = new StatusPanel(sb);
    panel->setObjectName(QStringLiteral("sbPanel1"));
    sb->addWidget(panel, 1);
    return sb;
}

void ShowReason(QLabel *panel, const QString &reason)
{
    if (auto *status = dynamic_cast<StatusPanel *>(panel))
        status->setReason(reason);
    else
        panel->setText(reason);
}

FileNameLabel::FileNameLabel(QWidget *parent)
    : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
}

QSize FileNameLabel::sizeHint() const
{
    return {fontMetrics().averageCharWidth() * 20, QLabel::sizeHint().height()};
}

QSize FileNameLabel::minimumSizeHint() const
{
    return {0, QLabel::minimumSizeHint().height()};
}

void FileNameLabel::setFileName(const QString &name)
{
    m_name = name;
    setToolTip(name);
    showFitted();
}

void FileNameLabel::resizeEvent(QResizeEvent *event)
{
    QLabel::resizeEvent(event);
    showFitted();
}

void FileNameLabel::showFitted()
{
    setText(fontMetrics().elidedText(m_name, Qt::ElideMiddle, contentsRect().width()));
}

std::optional<AttachmentChoice> chooseAttachment(QWidget *owner)
{
    const QString path = platform::getOpenFileName(
        owner, LRS(1170), LRS(1163) + QStringLiteral("|*.pdf;*.jpg;*.bmp;*.doc;*.docx;*.xls;*.xlsx"),
        FileDialogFolder(AttachFolderValue));
    if (path.isEmpty())
        return std::nullopt;   // cancelled
    RememberFileDialogFolder(AttachFolderValue, path);
    // A named pipe or a device would never end the copy; a folder is no file.
    if (!NewDeadlineSave::isAttachableFile(path)) {
        platform::MsgBox(LRSV(2043, QDir::toNativeSeparators(path)), platform::vbExclamation, QString(), owner);
        return std::nullopt;
    }
    AttachmentChoice c;
    c.sourcePath = path;
    c.title = QFileInfo(path).fileName();
    const qsizetype dot = c.title.lastIndexOf(QLatin1Char('.'));
    c.storedName = NewAttachmentName(dot >= 0 ? c.title.mid(dot) : QString());
    return c;
}
