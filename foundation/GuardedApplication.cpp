#include "foundation/GuardedApplication.h"

#include "foundation/cLang.h"
#include "foundation/modShared.h"
#include "platform/RuntimeError.h"

#include <QMetaEnum>
#include <QTimer>
#include <QWidget>

namespace {

int g_caught = 0;
bool g_reportPending = false;

// Where the "App Error" message says the failure happened: the active window and the kind of event. The
// receiver itself is not asked: the failing handler may have deleted it.
QString windowName()
{
    const QWidget *w = QApplication::activeWindow();
    return w && !w->objectName().isEmpty() ? w->objectName() : QStringLiteral("Orvel3");
}

QString eventName(const QEvent *event)
{
    const QMetaEnum types = QMetaEnum::fromType<QEvent::Type>();
    const char *name = types.valueToKey(event->type());
    return name ? QString::fromLatin1(name) : QString::number(int(event->type()));
}

// The message waits for the event loop: the failing event may have been a paint or a layout, in the middle
// of which no message box may open. Failures that follow before it is shown are not told again.
void report(const platform::RuntimeError &error, const QString &window, const QString &event)
{
    ++g_caught;
    if (g_reportPending)
        return;
    g_reportPending = true;
    QTimer::singleShot(0, qApp, [error, window, event] {
        ShowAppError(error, window, event, 0);
        g_reportPending = false;
    });
}

} // namespace

GuardedApplication::GuardedApplication(int &argc, char **argv)
    : QApplication(argc, argv)
{
}

bool GuardedApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const platform::RuntimeError &e) {
        report(e, windowName(), eventName(event));
    } catch (const std::exception &e) {
        report(platform::RuntimeError(platform::errors::DbGeneric, QStringLiteral("Orvel3"), QString::fromUtf8(e.what())),
               windowName(), eventName(event));
    } catch (...) {
        report(platform::RuntimeError(platform::errors::DbGeneric, QStringLiteral("Orvel3"), LRS(1956)),
               windowName(), eventName(event));
    }
    return false;
}

int GuardedApplication::caughtCount()
{
    return g_caught;
}
