// Builds the template database from the schema text: mkmaster <schema.sql> <out.gen>.
// The output is written under a temporary name and renamed into place, so a failed build never leaves a
// half-made template behind.

#include "platform/RuntimeError.h"
#include "platform/database/Connection.h"

#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTextStream err(stderr);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        err << "usage: mkmaster <schema.sql> <out.gen>\n";
        return 2;
    }
    QFile schema(args[1]);
    if (!schema.open(QIODevice::ReadOnly)) {
        err << "mkmaster: cannot read " << args[1] << ": " << schema.errorString() << "\n";
        return 1;
    }
    try {
        platform::createDatabase(args[2], QString::fromUtf8(schema.readAll()));
    } catch (const platform::RuntimeError &e) {
        err << "mkmaster: " << e.description() << "\n";
        return 1;
    }
    return 0;
}
