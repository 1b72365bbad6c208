#include "foundation/cLang.h"

#include "foundation/Globals.h"
#include "foundation/comRegistry.h"
#include "foundation/SettingsKeys.h"
#include "platform/controls/DateField.h"
#include "platform/shell/Shell.h"

#include <QCoreApplication>
#include <QFile>
#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>
#include <QStringList>

namespace {

// Texts are stored with \n, \t and \\ escaped.
QString unescape(const QString &field)
{
    QString out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        const QChar c = field.at(i);
        if (c == QLatin1Char('\\') && i + 1 < field.size()) {
            const QChar n = field.at(++i);
            if (n == QLatin1Char('n'))
                out += QLatin1Char('\n');
            else if (n == QLatin1Char('t'))
                out += QLatin1Char('\t');
            else
                out += n;
        } else {
            out += c;
        }
    }
    return out;
}

QHash<int, QString> loadTable()
{
    QHash<int, QString> table;
    QFile file(QStringLiteral(":/strings.tsv"));
    if (!file.open(QIODevice::ReadOnly))
        return table;
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    // Columns after the id, in the order of their block offsets: it 0, en 3000, fr 6000, es 9000, de 12000.
    for (qsizetype n = 1; n < lines.size(); ++n) {
        QString line = lines[n];
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.isEmpty())
            continue;
        const QStringList fields = line.split(QLatin1Char('\t'));
        bool ok = false;
        const int id = fields.value(0).toInt(&ok);
        if (!ok)
            continue;
        for (int lang = 0; lang < 5 && lang + 1 < fields.size(); ++lang)
            table.insert(id + lang * 3000, unescape(fields[lang + 1]));
    }
    return table;
}


} // namespace

void InstallQtTranslation(int offset)
{
    static QPointer<QTranslator> installed;
    static int installedOffset = -1;
    if (!QCoreApplication::instance() || offset == installedOffset)
        return;
    installedOffset = offset;
    if (installed) {
        QCoreApplication::removeTranslator(installed);
        delete installed;
    }
    static const char *const codes[] = {"it", "en", "fr", "es", "de"};
    const QString code = QLatin1String(codes[qBound(0, offset / 3000, 4)]);
    if (code == QLatin1String("en"))
        return;
    auto *translator = new QTranslator(QCoreApplication::instance());
    if (translator->load(QStringLiteral("qtbase_") + code, QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(translator);
        installed = translator;
    } else {
        delete translator;
    }
}

const QHash<int, QString> &textTable()
{
    static const QHash<int, QString> table = loadTable();
    return table;
}

cLang::cLang()
{
    m_appLanguageId = StoredLanguageId();
    LanguageUpdate();
}

int cLang::StoredLanguageId()
{
    // The choice is a 16-bit number; anything else is a hand-edited value and means automatic.
    return RegReadNumber(QStringLiteral("AppLanguageId"), QLatin1String(SettingsKey), 0,
                         std::numeric_limits<qint16>::min(), std::numeric_limits<qint16>::max(), OutOfRange::Default);
}

cLang::~cLang()
{
    try {
        RegWrite(4, QStringLiteral("AppLanguageId"), QLatin1String(SettingsKey), m_appLanguageId);
    } catch (const std::exception &e) {
        // The process is ending; a registry that cannot be written loses only the language choice.
        NoteSettingsNotWritten(e);
    }
}

int cLang::offsetForLanguageId(int appLanguageId, const QString &windowsLanguageId)
{
    switch (appLanguageId) {
    case 2: return 12000;
    case 4: return 9000;
    case 5: return 6000;
    case 6: return 0;
    case 0: break;
    default: return 3000;
    }
    static const QStringList italian = {QStringLiteral("0410"), QStringLiteral("0810")};
    static const QStringList french = {
        QStringLiteral("040c"), QStringLiteral("080c"), QStringLiteral("2c0c"), QStringLiteral("0c0c"),
        QStringLiteral("240c"), QStringLiteral("300c"), QStringLiteral("3c0c"), QStringLiteral("140c"),
        QStringLiteral("340c"), QStringLiteral("180c"), QStringLiteral("380c"), QStringLiteral("e40c"),
        QStringLiteral("200c"), QStringLiteral("280c"), QStringLiteral("100c"), QStringLiteral("1c0c")};
    static const QStringList spanish = {
        QStringLiteral("0c0a"), QStringLiteral("040a"), QStringLiteral("2c0a"), QStringLiteral("400a"),
        QStringLiteral("340a"), QStringLiteral("240a"), QStringLiteral("140a"), QStringLiteral("1c0a"),
        QStringLiteral("300a"), QStringLiteral("440a"), QStringLiteral("100a"), QStringLiteral("480a"),
        QStringLiteral("e40a"), QStringLiteral("080a"), QStringLiteral("4c0a"), QStringLiteral("180a"),
        QStringLiteral("3c0a"), QStringLiteral("280a"), QStringLiteral("500a"), QStringLiteral("540a"),
        QStringLiteral("380a"), QStringLiteral("200a")};
    static const QStringList german = {QStringLiteral("0407"), QStringLiteral("0c07"), QStringLiteral("1407"),
                                       QStringLiteral("1007"), QStringLiteral("0807")};
    if (italian.contains(windowsLanguageId))
        return 0;
    if (french.contains(windowsLanguageId))
        return 6000;
    if (spanish.contains(windowsLanguageId))
        return 9000;
    if (german.contains(windowsLanguageId))
        return 12000;
    return 3000;
}

bool cLang::LanguageUpdate()
{
    m_offset = offsetForLanguageId(m_appLanguageId, platform::localeString(1024, platform::LOCALE_ILANGUAGE));
    // One help page per language, with the program's data files.
    static const char *const pages[] = {"it_help.html", "en_help.html", "fr_help.html", "es_help.html", "de_help.html"};
    m_helpFile = platform::programDataFile(QLatin1String(pages[m_offset / 3000]));
    InstallQtTranslation(m_offset);
    platform::DateField::setPopupButtonText(LRS(2362));
    emit LanguageChanged();
    return true;
}

QString cLang::LRS(const QVariant &id, const QString &defstring) const
{
    bool ok = false;
    const int n = id.typeId() == QMetaType::QString ? id.toString().trimmed().toInt(&ok) : id.toInt(&ok);
    if (!ok)
        return defstring;
    const auto &table = textTable();
    const auto it = table.constFind(n + m_offset);
    return it == table.constEnd() ? defstring : *it;
}

QString cLang::LRSV(const QVariant &id, const QVariant &val, const QString &defstring) const
{
    const QString text = LRS(id, QString());
    if (text.isNull())
        return defstring;
    QString out = text;
    out.replace(QStringLiteral("xxx"), val.toString());
    return out;
}

QString LRS(const QVariant &id, const QString &defstring)
{
    return Lang ? Lang->LRS(id, defstring) : defstring;
}

QString LRSV(const QVariant &id, const QVariant &val, const QString &defstring)
{
    return Lang ? Lang->LRSV(id, val, defstring) : defstring;
}
