#include "platform/database/FileStamp.h"

#include <QFile>

#include <sys/stat.h>

namespace platform {

QString fileStamp(const QString &file)
{
    struct stat st {};
    if (::stat(QFile::encodeName(file).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return QString();
    // The header's change counter: four bytes, big-endian, at offset 24.
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    const QByteArray header = f.read(28);
    if (header.size() < 28)
        return QString();
    const quint32 counter = (quint32(quint8(header[24])) << 24) | (quint32(quint8(header[25])) << 16)
                            | (quint32(quint8(header[26])) << 8) | quint32(quint8(header[27]));
    return QStringLiteral("%1:%2:%3:%4.%5:%6.%7:%8")
        .arg(quint64(st.st_dev))
        .arg(quint64(st.st_ino))
        .arg(qint64(st.st_size))
        .arg(qint64(st.st_mtim.tv_sec))
        .arg(qint64(st.st_mtim.tv_nsec))
        .arg(qint64(st.st_ctim.tv_sec))
        .arg(qint64(st.st_ctim.tv_nsec))
        .arg(counter);
}

} // namespace platform
