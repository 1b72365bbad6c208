// Writes the program's scalable icon from the drawing of its window icon: mkicon <out.svg>.
// The output is written under a temporary name and renamed into place.

#include "foundation/Icons.h"

#include <QCoreApplication>
#include <QFile>
#include <QPainter>
#include <QSvgGenerator>
#include <QTextStream>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTextStream err(stderr);
    const QStringList args = app.arguments();
    if (args.size() != 2) {
        err << "usage: mkicon <out.svg>\n";
        return 2;
    }
    const QString temporary = args[1] + QStringLiteral(".part");
    {
        QSvgGenerator svg;
        svg.setFileName(temporary);
        svg.setSize(QSize(16, 16));
        svg.setViewBox(QRect(0, 0, 16, 16));
        svg.setTitle(QStringLiteral("Orvel 3"));
        QPainter p;
        if (!p.begin(&svg)) {
            err << "mkicon: cannot write " << temporary << "\n";
            return 1;
        }
        p.setRenderHint(QPainter::Antialiasing);
        Icons::drawProgram(p);
        p.end();
    }
    QFile::remove(args[1]);
    if (!QFile::rename(temporary, args[1])) {
        err << "mkicon: cannot write " << args[1] << "\n";
        QFile::remove(temporary);
        return 1;
    }
    return 0;
}
