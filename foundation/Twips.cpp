#include "foundation/Twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <cmath>

double LogicalDpi()
{
    if (auto *app = qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        if (const QScreen *screen = app->primaryScreen())
            return screen->logicalDotsPerInch();
    return 96.0;
}

int TwipsToPixels(double twips)
{
    return int(std::lround(twips * LogicalDpi() / 1440.0));
}

double PixelsToTwips(int pixels)
{
    return pixels * 1440.0 / LogicalDpi();
}
