#include "foundation/TaggedActions.h"

#include "foundation/cLang.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

namespace TaggedActions {

namespace {
constexpr const char *TagProperty = "textId";
}

QAction *action(QObject *parent, int textId)
{
    auto *a = new QAction(QString::number(textId), parent);
    a->setProperty(TagProperty, textId);
    return a;
}

int tagOf(const QObject *object)
{
    return object->property(TagProperty).toInt();
}

void localize(QAction *action)
{
    if (tagOf(action) > 0 && !action->isSeparator())
        action->setText(LRS(tagOf(action)));
}

QAction *addMenu(QMainWindow *window, int textId, const QString &objectName, QVector<QAction *> &items,
                 const QList<int> &ids)
{
    auto *menu = new QMenu(window);
    menu->setObjectName(objectName);
    QAction *top = window->menuBar()->addMenu(menu);
    top->setText(QString::number(textId));
    top->setProperty(TagProperty, textId);
    for (int id : ids) {
        QAction *a = nullptr;
        if (id < 0) {
            a = menu->addSeparator();
        } else {
            a = action(menu, id);
            menu->addAction(a);
        }
        items.append(a);
    }
    return top;
}

} // namespace TaggedActions
