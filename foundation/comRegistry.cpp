#include "foundation/comRegistry.h"

#include "platform/RuntimeError.h"
#include "platform/registry/RegistryStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QtEndian>
#include <cmath>
#include <limits>
#include <optional>

namespace reg = platform::registry;

namespace {

const QString kClasses = QStringLiteral("SOFTWARE\\Classes\\");

// The program's executable name, as the error source names it.
QString programName()
{
    QString name;
    if (QCoreApplication::instance())
        name = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    if (name.isEmpty())
        name = QCoreApplication::applicationName();
    return name;
}

// A text is expandable when two "%" enclose at least one character.
bool isExpandable(const QString &text)
{
    const qsizetype first = text.indexOf(QLatin1Char('%'));
    return first >= 0 && text.lastIndexOf(QLatin1Char('%')) - first >= 2;
}

// The 32 bits of a number value: whole numbers that fit 32 bits (signed, or unsigned as their bit
// pattern) and finite real numbers rounded to the nearest whole number (halves to even); nothing else.
std::optional<qint32> toDword(const QVariant &value)
{
    constexpr qint64 lowest = std::numeric_limits<qint32>::min();
    constexpr qint64 highest = std::numeric_limits<quint32>::max();
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::SChar:
    case QMetaType::Char:
    case QMetaType::Long:
    case QMetaType::LongLong: {
        const qint64 n = value.toLongLong();
        if (n < lowest || n > highest)
            return std::nullopt;
        return qint32(quint32(n));
    }
    case QMetaType::UInt:
    case QMetaType::UShort:
    case QMetaType::UChar:
    case QMetaType::ULong:
    case QMetaType::ULongLong: {
        const quint64 n = value.toULongLong();
        if (n > quint64(highest))
            return std::nullopt;
        return qint32(quint32(n));
    }
    case QMetaType::Float:
    case QMetaType::Double: {
        const double d = std::nearbyint(value.toDouble());
        if (!std::isfinite(d) || d < double(lowest) || d > double(std::numeric_limits<qint32>::max()))
            return std::nullopt;
        return qint32(d);
    }
    default:
        return std::nullopt;
    }
}

qint32 dwordOf(const QByteArray &data)
{
    QByteArray four = data.left(4);
    four.resize(4, '\0');
    return qFromLittleEndian<qint32>(four.constData());
}

// The registry keeps a big-endian number with its bytes in the other order.
qint32 swapEndian(qint32 n)
{
    return qbswap(n);
}

} // namespace

void comRegistry::setMachine(const QString &machine)
{
    if (machine.size() < 3)
        m_Machine.clear();
    else if (!machine.startsWith(QLatin1String("\\\\")))
        m_Machine = QStringLiteral("\\\\") + machine;
    else
        m_Machine = machine;
}

void comRegistry::raise(qint64 number, const QString &description) const
{
    throw platform::RuntimeError(number, programName() + QStringLiteral(".comRegistry"), description);
}

void comRegistry::raiseFailedWrite(qint64 number, const QString &description) const
{
    // A hive that the disk had no room for is told as a full disk, naming the settings file.
    const platform::ErrorKind kind = reg::lastWriteFailure();
    const QString file = kind == platform::ErrorKind::Other
                             ? QString()
                             : QDir::toNativeSeparators(reg::hiveFile(quint32(m_ClassKey)));
    throw platform::RuntimeError(number, programName() + QStringLiteral(".comRegistry"), description, kind, file);
}

QString comRegistry::rootText() const
{
    return QString::number(m_ClassKey);
}

QString comRegistry::failedToSetText(const QVariant &value) const
{
    return QStringLiteral("Failed to set registry value Key: '") + rootText() + QStringLiteral("',Section: '")
           + m_SectionKey + QStringLiteral("',Key: '") + m_ValueKey + QStringLiteral("' to value: '")
           + value.toString() + QLatin1Char('\'');
}

bool comRegistry::KeyExists() const
{
    return reg::keyExists(quint32(m_ClassKey), m_SectionKey);
}

bool comRegistry::CreateKey()
{
    if (!reg::createKey(quint32(m_ClassKey), m_SectionKey))
        raiseFailedWrite(ErrKey, QStringLiteral("Failed to create registry Key: '") + m_SectionKey);
    return true;
}

bool comRegistry::DeleteKey()
{
    if (!reg::deleteKey(quint32(m_ClassKey), m_SectionKey))
        raiseFailedWrite(ErrKey, QStringLiteral("Failed to delete registry Key: '") + rootText()
                                     + QStringLiteral("',Section: '") + m_SectionKey);
    return true;
}

bool comRegistry::DeleteValue()
{
    if (!reg::keyExists(quint32(m_ClassKey), m_SectionKey))
        raise(ErrKey, QStringLiteral("Failed to open key '") + rootText() + QStringLiteral("',Section: '")
                          + m_SectionKey + QStringLiteral("' for delete access"));
    if (!reg::deleteValue(quint32(m_ClassKey), m_SectionKey, m_ValueKey))
        raiseFailedWrite(ErrKey, QStringLiteral("Failed to delete registry Key: '") + rootText()
                                     + QStringLiteral("',Section: '") + m_SectionKey + QStringLiteral("',Key: '")
                                     + m_ValueKey);
    return true;
}

QVariant comRegistry::Value()
{
    if (!m_Machine.isEmpty())
        return m_Default;
    const std::optional<reg::RawValue> raw = reg::readValue(quint32(m_ClassKey), m_SectionKey, m_ValueKey);
    if (!raw)
        return m_Default;
    m_ValueType = raw->kind;
    switch (raw->kind) {
    case REG_SZ:
    case REG_MULTI_SZ:
        return reg::textOf(*raw);
    case REG_EXPAND_SZ:
        return reg::expandEnvironmentStrings(reg::textOf(*raw));
    case REG_DWORD:
        return int(dwordOf(raw->data));
    case REG_DWORD_BIG_ENDIAN:
        return int(swapEndian(dwordOf(raw->data)));
    default:
        return raw->data;
    }
}

void comRegistry::setValue(const QVariant &value)
{
    const QString failed = failedToSetText(value);
    // The value is checked against the kind before anything is created, so a wrong one changes nothing.
    reg::RawValue raw;
    switch (m_ValueType) {
    case REG_SZ:
    case REG_EXPAND_SZ: {
        const QString text = value.toString();
        raw = reg::makeText(isExpandable(text) ? REG_EXPAND_SZ : REG_SZ, text);
        break;
    }
    case REG_BINARY:
        if (value.typeId() != QMetaType::QByteArray)
            raise(ErrKey, QString());
        raw.kind = REG_BINARY;
        raw.data = value.toByteArray();
        break;
    case REG_DWORD:
    case REG_DWORD_BIG_ENDIAN: {
        const std::optional<qint32> n = toDword(value);
        if (!n)
            raise(ErrKey, failed);
        raw.kind = REG_DWORD;
        raw.data.resize(4);
        qToLittleEndian<qint32>(*n, raw.data.data());
        break;
    }
    case REG_MULTI_SZ: {
        QString text;
        if (value.typeId() == QMetaType::QStringList) {
            for (const QString &part : value.toStringList())
                text += part + QChar(0);
        } else if (value.canConvert<QString>()) {
            text = value.toString();
            if (!text.isEmpty() && !text.endsWith(QChar(0)))
                text += QChar(0);
        } else {
            raise(ErrKey, failed);
        }
        raw = reg::makeText(REG_MULTI_SZ, text);
        break;
    }
    default:
        raise(ErrKey, failed);
    }
    // No other computer's registry can be reached from here.
    if (!m_Machine.isEmpty())
        raise(ErrKey, failed);
    if (!reg::createKey(quint32(m_ClassKey), m_SectionKey))
        raiseFailedWrite(ErrKey, failed);
    if (!reg::writeValue(quint32(m_ClassKey), m_SectionKey, m_ValueKey, raw))
        raiseFailedWrite(ErrSetValue, failed);
}

bool comRegistry::EnumerateValues(QStringList &names, int &count) const
{
    const std::optional<QStringList> found = reg::valueNames(quint32(m_ClassKey), m_SectionKey);
    if (!found)
        return false;
    names = *found;
    count = int(names.size());
    return true;
}

bool comRegistry::EnumerateSections(QStringList &names, int &count) const
{
    const std::optional<QStringList> found = reg::subkeyNames(quint32(m_ClassKey), m_SectionKey);
    if (!found)
        return false;
    names = *found;
    count = int(names.size());
    return true;
}

void comRegistry::setClassesValue(const QString &sectionKey, const QString &text)
{
    comRegistry r;
    r.m_ClassKey = m_ClassKey;
    r.m_SectionKey = kClasses + sectionKey;
    r.m_ValueType = REG_SZ;
    r.setValue(text);
}

void comRegistry::CreateEXEAssociation(const QString &exePath, const QString &className,
                                       const QString &classDescription, const QString &association,
                                       const QString &openMenuText, bool supportPrint, const QString &printMenuText,
                                       bool supportNew, const QString &newMenuText, bool supportInstall,
                                       const QString &installMenuText, int defaultIconIndex)
{
    const QString extension = association.startsWith(QLatin1Char('.')) ? association : QLatin1Char('.') + association;
    const QString shell = className + QStringLiteral("\\shell\\");
    auto verb = [&](const QString &name, const QString &menuText, const QString &switches) {
        setClassesValue(shell + name, menuText);
        setClassesValue(shell + name + QStringLiteral("\\command"), exePath + switches + QStringLiteral(" \"%1\""));
    };
    setClassesValue(extension, className);
    setClassesValue(className, classDescription);
    verb(QStringLiteral("open"), openMenuText, QString());
    if (supportPrint)
        verb(QStringLiteral("print"), printMenuText, QStringLiteral(" /p"));
    if (supportInstall)
        verb(QStringLiteral("add"),
             installMenuText.isEmpty() ? QStringLiteral("&Install ") + classDescription : installMenuText,
             QStringLiteral(" /a"));
    if (supportNew)
        verb(QStringLiteral("new"), newMenuText, QStringLiteral(" /n"));
    if (defaultIconIndex >= 0)
        setClassesValue(className + QStringLiteral("\\DefaultIcon"),
                        exePath + QLatin1Char(',') + QString::number(defaultIconIndex));
}

void comRegistry::CreateAdditionalEXEAssociations(const QString &className, const QStringList &items)
{
    if (items.size() % 3 != 0)
        raise(ErrKey, QStringLiteral("Invalid parameter list passed to CreateAdditionalEXEAssociations - expected "
                                     "Name/Text/Command"));
    if (!reg::keyExists(quint32(m_ClassKey), kClasses + className))
        raise(ErrKey, QStringLiteral("Error - attempt to create additional associations before class defined."));
    for (qsizetype i = 0; i < items.size(); i += 3) {
        const QString verb = className + QStringLiteral("\\shell\\") + items.at(i);
        setClassesValue(verb, items.at(i + 1));
        setClassesValue(verb + QStringLiteral("\\command"), items.at(i + 2));
    }
}

QVariant comRegistry::ValueEx(qint32 classKey, const QString &sectionKey, const QString &valueKey, int valueType,
                              const QVariant &defaultValue)
{
    m_ClassKey = classKey;
    m_SectionKey = sectionKey;
    m_ValueKey = valueKey;
    m_ValueType = valueType;
    m_Default = defaultValue;
    return Value();
}

void comRegistry::setValueEx(qint32 classKey, const QString &sectionKey, const QString &valueKey, int valueType,
                             const QVariant &defaultValue, const QVariant &value)
{
    m_ClassKey = classKey;
    m_SectionKey = sectionKey;
    m_ValueKey = valueKey;
    m_ValueType = valueType;
    m_Default = defaultValue;
    setValue(value);
}

QVariant RegRead(int kind, const QString &valueName, const QString &keyPath, const QVariant &defaultValue)
{
    comRegistry r;
    r.setClassKey(comRegistry::HKEY_CURRENT_USER);
    r.setSectionKey(keyPath);
    r.setValueType(kind);
    r.setValueKey(valueName);
    if (defaultValue.isValid())
        r.setDefault(defaultValue);
    return r.Value();
}

void RegWrite(int kind, const QString &valueName, const QString &keyPath, const QVariant &value)
{
    comRegistry r;
    r.setClassKey(comRegistry::HKEY_CURRENT_USER);
    r.setSectionKey(keyPath);
    r.setValueKey(valueName);
    r.setValueType(kind);
    r.setValue(value);
}

void RegDeleteValue(int kind, const QString &valueName, const QString &keyPath)
{
    comRegistry r;
    r.setClassKey(comRegistry::HKEY_CURRENT_USER);
    r.setSectionKey(keyPath);
    r.setValueType(kind);
    r.setValueKey(valueName);
    r.DeleteValue();
}

int RegReadNumber(const QString &valueName, const QString &keyPath, int defaultValue, int low, int high,
                  OutOfRange rule)
{
    const QVariant stored = RegRead(comRegistry::REG_DWORD, valueName, keyPath, defaultValue);
    if (stored.typeId() != QMetaType::Int)
        return defaultValue;
    const int n = stored.toInt();
    if (n >= low && n <= high)
        return n;
    if (rule == OutOfRange::Default)
        return defaultValue;
    return n < low ? low : high;
}
