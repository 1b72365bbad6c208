#include "editors/frmCloseDeadline.h"

#include "foundation/DateEntry.h"
#include "foundation/cLang.h"
#include "platform/Clock.h"
#include "platform/controls/DateField.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
// The help topic of the deadlines list, where closing a deadline is explained.
constexpr int HelpContext = 2;
}

frmCloseDeadline *frmCloseDeadline::Load(QWidget *owner)
{
    if (!s_window)
        s_window = new frmCloseDeadline(owner);
    return s_window;
}

frmCloseDeadline::frmCloseDeadline(QWidget *owner)
    : ModalDialog(owner)
{
    setObjectName(QStringLiteral("frmCloseDeadline"));
    lblData = new QLabel(this);
    lblData->setObjectName(QStringLiteral("lblData"));
    dtp = new platform::DateField(this);
    dtp->setObjectName(QStringLiteral("dtp"));
    lblData->setBuddy(dtp);
    cmdOK = new QPushButton(this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);

    auto *row = new QHBoxLayout;
    row->addWidget(dtp, 1);
    row->addWidget(cmdOK);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblData);
    layout->addLayout(row);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(cmdOK, &QPushButton::clicked, this, &frmCloseDeadline::cmdOK_Click);
    dtp->installEventFilter(this);
    Form_Load();
}

void frmCloseDeadline::Form_Load()
{
    setWindowTitle(LRS(1940));
    lblData->setText(LRS(1940));
    cmdOK->setText(LRS(1255));
    setHelpContextID(HelpContext);
    dtp->setDate(platform::today());
    ClosingDate = QDate();
    dtp->setFocus();
}

QDate frmCloseDeadline::Apri(int Id)
{
    Q_UNUSED(Id);
    // Only a date confirmed in this showing counts.
    ClosingDate = QDate();
    exec();
    return ClosingDate;
}

void frmCloseDeadline::cmdOK_Click()
{
    // A date being typed counts as it stands when Apply is pressed; a text that is not a date is refused
    // and the dialog stays.
    if (!DateConfirmed(dtp, this))
        return;
    ClosingDate = dtp->date();
    accept();
}

void frmCloseDeadline::reject()
{
    ClosingDate = QDate();
    QDialog::reject();
}

bool frmCloseDeadline::eventFilter(QObject *watched, QEvent *event)
{
    // Enter in the picker confirms its date. The key is taken here, so the default button does not
    // confirm a second time.
    if (watched == dtp && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            cmdOK_Click();
            return true;
        }
    }
    return ModalDialog::eventFilter(watched, event);
}
