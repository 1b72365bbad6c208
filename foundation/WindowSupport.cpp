#include "foundation/WindowSupport.h"

#include "foundation/Globals.h"
#include "foundation/cLang.h"
#include "foundation/grid/GridPreview.h"
#include "platform/dialogs/Dialogs.h"
#include "platform/shell/Shell.h"

#include <QApplication>
#include <QDir>
#include <QFontMetrics>
#include <QPointer>
#include <QScreen>
#include <QWidget>

namespace {

// The rectangle moved, as little as it takes, inside free (its top left edge first when it is larger).
QRect MovedInside(QRect placed, const QRect &free)
{
    placed.moveLeft(qBound(free.left(), placed.left(), qMax(free.left(), free.right() - placed.width() + 1)));
    placed.moveTop(qBound(free.top(), placed.top(), qMax(free.top(), free.bottom() - placed.height() + 1)));
    return placed;
}

} // namespace

void PlaceOverOwner(QWidget *window)
{
    const QWidget *owner = window->parentWidget() ? window->parentWidget()->window() : nullptr;
    if (!owner || !owner->isVisible())
        return;
    const QRect over = owner->frameGeometry();
    // A window not sized by the program takes its layout's size as it is first shown: that size, now.
    if (!window->testAttribute(Qt::WA_Resized))
        window->adjustSize();
    QRect placed(QPoint(0, 0), window->frameGeometry().size());
    placed.moveCenter(over.center());
    if (const QScreen *screen = owner->screen())
        placed = MovedInside(placed, screen->availableGeometry());
    window->move(placed.topLeft());
}

QSize SizeOnScreen(const QWidget *window, const QSize &outer)
{
    const QScreen *screen = window->screen();
    return screen ? outer.boundedTo(screen->availableGeometry().size()) : outer;
}

void KeepOnScreen(QWidget *window)
{
    const QScreen *screen = window->screen();
    if (!screen)
        return;
    const QRect free = screen->availableGeometry();
    const QSize frame = window->frameGeometry().size() - window->size();
    if (window->frameGeometry().width() > free.width() || window->frameGeometry().height() > free.height())
        window->resize((window->frameGeometry().size().boundedTo(free.size()) - frame).expandedTo(window->minimumSize()));
    const QRect placed = MovedInside(window->frameGeometry(), free);
    if (placed.topLeft() != window->frameGeometry().topLeft())
        window->move(placed.topLeft());
}

int TitleWidth(const QString &title)
{
    return platform::titleBarWidth(title);
}

void LocalizePreview(GridPreview *preview)
{
    preview->setButtonTexts(LRS(1600), LRS(1602), LRS(1604));
    QObject::connect(preview, &GridPreview::printFailed, preview,
                     [preview](const QString &file, const QString &description) {
                         QString text = file.isEmpty() ? LRS(2104) : LRSV(2103, QDir::toNativeSeparators(file));
                         if (!description.isEmpty())
                             text += QStringLiteral("\n\n") + description;
                         platform::MsgBox(text, platform::vbExclamation, QString(), preview);
                     });
}

void ShowHelpPage(const QWidget *owner, int context)
{
    const QString file = Lang ? Lang->helpFile() : QString();
    // The failure may be known only once the desktop's opener has ended: the owner may be gone by then.
    const QPointer<QWidget> over(const_cast<QWidget *>(owner));
    platform::showHelp(file, context, [file, over](platform::HelpFailure failure) {
        const int text = failure == platform::HelpFailure::PageMissing ? 2100
                         : failure == platform::HelpFailure::NoViewer  ? 2101
                                                                       : 2391;
        platform::MsgBox(LRSV(text, QDir::toNativeSeparators(file)), platform::vbExclamation, QString(), over.data());
    });
}
