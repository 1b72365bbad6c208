#include "foundation/modShared.h"

#include "foundation/Globals.h"
#include "foundation/cAccessDb.h"
#include "foundation/cLang.h"
#include "foundation/comRegistry.h"
#include "foundation/SettingsKeys.h"
#include "platform/Clock.h"
#include "platform/RuntimeError.h"
#include "platform/database/Connection.h"
#include "platform/database/Currency.h"
#include "platform/dialogs/Dialogs.h"
#include "platform/shell/Shell.h"

#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QWidget>

int FilterDecimalKey(int keyAscii)
{
    if ((keyAscii >= '0' && keyAscii <= '9') || keyAscii == 8 || keyAscii == 9 || keyAscii == ',')
        return keyAscii;
    if (keyAscii == '.') {
        const QString sep = GetLocaleString(1024, platform::LOCALE_SDECIMAL);
        return sep.isEmpty() ? '.' : sep.at(0).unicode();
    }
    return 0;
}

int FilterIntegerKey(int keyAscii)
{
    if ((keyAscii >= '0' && keyAscii <= '9') || keyAscii == 8 || keyAscii == 9)
        return keyAscii;
    return 0;
}

QString NullToString(const QVariant &value, const QString &defaultValue)
{
    if (value.isNull() || !value.isValid())
        return defaultValue;
    if (value.typeId() == QMetaType::QString)
        return value.toString();
    return defaultValue;
}

double NullToDouble(const QVariant &value, double defaultValue)
{
    if (value.isNull() || !value.isValid())
        return defaultValue;
    if (value.canConvert<platform::Currency>() && value.typeId() == qMetaTypeId<platform::Currency>())
        return value.value<platform::Currency>().toDouble();
    if (value.typeId() == QMetaType::QString) {
        const QString text = value.toString().trimmed();
        bool ok = false;
        double d = platform::userLocale().toDouble(text, &ok);
        if (!ok)
            d = QLocale::c().toDouble(text, &ok);
        return ok ? d : defaultValue;
    }
    bool ok = false;
    const double d = value.toDouble(&ok);
    return ok ? d : defaultValue;
}

void PauseForDbRelease()
{
    platform::sleepMs(platform::dbReleasePauseMs());
}

void DisableCloseButton(QWidget *window)
{
    if (!window)
        return;
    window->setWindowFlag(Qt::CustomizeWindowHint, true);
    window->setWindowFlag(Qt::WindowCloseButtonHint, false);
}

QString GetLocaleString(int localeId, int item)
{
    return platform::localeString(localeId, item);
}

QString GetSpecialFolder(int csidl)
{
    return platform::specialFolder(csidl);
}

QString BrowseForFolder(QWidget *owner, const QString &title)
{
    return platform::browseForFolder(owner, title);
}

QString FileDialogFolder(const QString &valueName)
{
    const QString last = RegRead(1, valueName, QLatin1String(SettingsKey), QString()).toString();
    if (!last.isEmpty() && QFileInfo(last).isDir())
        return last;
    return platform::specialFolder(platform::CSIDL_PERSONAL);
}

void RememberFileDialogFolder(const QString &valueName, const QString &file)
{
    try {
        RegWrite(1, valueName, QLatin1String(SettingsKey), QDir::toNativeSeparators(QFileInfo(file).absolutePath()));
    } catch (const std::exception &) {
        // The file was taken or written all the same.
    }
}

QString NewAttachmentName(const QString &extension)
{
    const QDateTime t = platform::now();
    const int hundredths = (t.time().msec() / 10) % 100;
    return t.toString(QStringLiteral("yyyyMMddHHmmss")) + QString::number(hundredths).rightJustified(2, QLatin1Char('0'))
           + extension;
}

bool HasAttachment(const QVariant &stored)
{
    return !NullToString(stored).trimmed().isEmpty();
}

bool OpenAttachment(const QString &stored, QWidget *owner)
{
    const QString text = stored.trimmed();
    if (text.isEmpty())
        return false;
    QString path = text;
    if (text.startsWith(QLatin1Char('2'))) {
        // A generated name is a file of the attachments folder, never a path that leads out of it.
        const bool bareName = !text.contains(QLatin1Char('/')) && !text.contains(QLatin1Char('\\'));
        path = bareName && Adb ? Adb->attachedPath() + text : QString();
    }
    const QString shown = QDir::toNativeSeparators(path.isEmpty() ? text : path);
    // A failure the desktop's opener tells later is told over the same window, if it is still open.
    const QPointer<QWidget> window = owner;
    const auto tell = [shown, window](platform::OpenFileResult result) {
        const int message = result == platform::OpenFileResult::NotFound         ? 2040
                            : result == platform::OpenFileResult::RunsWhenOpened ? 2041
                                                                                  : 2042;
        platform::MsgBox(LRSV(message, shown), platform::vbExclamation, QString(), window.data());
    };
    const platform::OpenFileResult result = platform::openFile(path, tell);
    if (result == platform::OpenFileResult::Opened)
        return true;
    tell(result);
    return false;
}

bool IsStorableText(const QString &text)
{
    return !text.contains(QChar(0));
}

QString SqlQuote(const QString &text)
{
    QString out = text;
    out.replace(QLatin1Char('\''), QStringLiteral("''"));
    return out;
}

QString SqlDate(const QDate &date, bool iso)
{
    if (iso)
        return QLatin1Char('\'') + date.toString(QStringLiteral("yyyy-MM-dd")) + QLatin1Char('\'');
    return QLatin1Char('#') + date.toString(QStringLiteral("MM/dd/yyyy")) + QLatin1Char('#');
}

QString SqlDateShort(const QDate &date)
{
    return QLatin1Char('#') + date.toString(QStringLiteral("MM/dd/yy")) + QLatin1Char('#');
}

int DaysInMonth(const QDate &date)
{
    const QDate next = date.addMonths(1);
    return QDate(next.year(), next.month(), 1).addDays(-1).day();
}

int FourMonthPeriod(const QDate &date)
{
    return (date.month() - 1) / 4 + 1;
}

namespace {

// The text that tells a known failure (0 for ErrorKind::Other).
int ErrorKindTextId(platform::ErrorKind kind)
{
    switch (kind) {
    case platform::ErrorKind::RowChanged: return 2044;
    case platform::ErrorKind::DatabaseLocked: return 2045;
    case platform::ErrorKind::DatabaseReadOnly: return 2046;
    case platform::ErrorKind::DiskFull: return 2047;
    case platform::ErrorKind::NotADatabase: return 2048;
    case platform::ErrorKind::WrongStructure: return 2202;
    case platform::ErrorKind::DatabaseNotFound: return 2049;
    case platform::ErrorKind::TextTooLong: return 2052;
    case platform::ErrorKind::TextNotStorable: return 2037;
    case platform::ErrorKind::AmountTooLarge: return 2051;
    case platform::ErrorKind::OldDatabaseUnreadable: return 2161;
    case platform::ErrorKind::OldDatabaseIncomplete: return 2162;
    case platform::ErrorKind::OldValueUnreadable: return 2163;
    case platform::ErrorKind::FileNotWritten: return 2164;
    case platform::ErrorKind::Other: break;
    }
    return 0;
}

} // namespace

QString ErrorDescription(const std::exception &error, const std::function<QString(int)> &text)
{
    const auto *re = dynamic_cast<const platform::RuntimeError *>(&error);
    if (!re)
        return QString::fromUtf8(error.what());
    // The import tool holds the database: that too is said in the user's language.
    const int id = re->number() == platform::errors::DbHeldElsewhere ? 2001 : ErrorKindTextId(re->kind());
    if (!id)
        return re->description();
    const QString told = text ? text(id) : LRS(id);
    return re->subject().isEmpty() ? told : told + QLatin1Char('\n') + re->subject();
}

QString AppErrorText(const std::exception &error, const QString &window, const QString &procedure, int line)
{
    return ErrorDescription(error) + QLatin1Char('\n') + LRSV(1944, window + QLatin1Char('.') + procedure)
           + LRS(1945) + QString::number(line);
}

void ShowAppError(const std::exception &error, const QString &window, const QString &procedure, int line)
{
    platform::MsgBox(AppErrorText(error, window, procedure, line), platform::vbExclamation, LRS(1943));
}
