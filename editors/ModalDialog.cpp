#include "editors/ModalDialog.h"

#include "foundation/modShared.h"
#include "foundation/WindowSupport.h"

#include <QBoxLayout>
#include <QKeyEvent>
#include <QSpacerItem>

ModalDialog::ModalDialog(QWidget *owner)
    : QDialog(owner)
{
    setModal(true);
    DisableCloseButton(this);
}

void ModalDialog::ShowHelp() const
{
    ShowHelpPage(this, m_helpContextId);
}

void ModalDialog::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
        ShowHelp();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void ModalDialog::setVisible(bool visible)
{
    // Sized before the dialog is placed over its owner.
    if (visible)
        FitTitle();
    QDialog::setVisible(visible);
}

void ModalDialog::FitTitle()
{
    const int needed = TitleWidth(windowTitle());
    auto *box = qobject_cast<QBoxLayout *>(layout());
    if (!box) {
        setMinimumWidth(qMax(minimumWidth(), needed));
        return;
    }
    // The dialogs size themselves to their layouts: a strut in the layout holds the title's width.
    const QMargins margins = box->contentsMargins();
    if (!m_titleStrut) {
        m_titleStrut = new QSpacerItem(0, 0, QSizePolicy::Fixed, QSizePolicy::Minimum);
        box->addItem(m_titleStrut);
    }
    m_titleStrut->changeSize(qMax(0, needed - margins.left() - margins.right()), 0, QSizePolicy::Fixed,
                             QSizePolicy::Minimum);
    box->invalidate();
}
