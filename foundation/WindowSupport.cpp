#include "foundation/WindowSupport.h"

#include "foundation/Globals.h"
#include "foundation/cLang.h"
#include "foundation/grid/GridPreview.h"
#include "platform/dialogs/Dialogs.h"
#include "platform/shell/Shell.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QScreen>
#include <QWidget>

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
    if (const QScreen *screen = owner->screen()) {
        const QRect free = screen->availableGeometry();
        placed.moveLeft(qBound(free.left(), placed.left(), qMax(free.left(), free.right() - placed.width())));
        placed.moveTop(qBound(free.top(), placed.top(), qMax(free.top(), free.bottom() - placed.height())));
    }
    window->move(placed.topLeft());
}

int TitleWidth(const QString &title)
{
    // Window systems draw titles in a bold face of about the program's size; the title bar's icon and
    // three buttons take about eight times the font's height beside it.
    QFont font = QApplication::font();
    font.setBold(true);
    const QFontMetrics metrics(font);
    return metrics.horizontalAdvance(title) + 8 * metrics.height();
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
    if (platform::showHelp(file, context))
        return;
    const int text = QFileInfo(file).isFile() ? 2101 : 2100;
    platform::MsgBox(LRSV(text, QDir::toNativeSeparators(file)), platform::vbExclamation, QString(),
                     const_cast<QWidget *>(owner));
}
