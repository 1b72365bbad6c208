#include "editors/ModalDialog.h"

#include "foundation/Globals.h"
#include "foundation/cLang.h"
#include "foundation/modShared.h"
#include "platform/shell/Shell.h"

#include <QKeyEvent>

ModalDialog::ModalDialog(QWidget *owner)
    : QDialog(owner)
{
    setModal(true);
    DisableCloseButton(this);
}

void ModalDialog::ShowHelp() const
{
    platform::showHelp(Lang ? Lang->helpFile() : QString(), m_helpContextId);
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
