// The UI text table resources/strings.tsv: its format, the agreement of the five languages of each text,
// the few texts the code relies on in a particular shape, and that every text number the sources ask for is
// in the table. Reads the files of the source tree only; needs nothing but Qt Core.

#include <QDirIterator>
#include <QFile>
#include <QHash>
#include <QSet>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QtTest>

namespace {

const QString TablePath = QStringLiteral(ORVEL_SOURCE_DIR "/resources/strings.tsv");
const QString Header = QStringLiteral("id\tit\ten\tfr\tes\tde");
const QStringList Languages = {QStringLiteral("it"), QStringLiteral("en"), QStringLiteral("fr"),
                               QStringLiteral("es"), QStringLiteral("de")};
constexpr int FirstId = 201;
constexpr int LastId = 2999;   // 1941 and up: messages of the program beyond the original table (a block holds 3000)
// The confirmation of the import tool: the Italian text names only the location ("xxx"); the other
// languages name the version ("xxx") and the location ("yyy").
constexpr int ImportConfirmId = 1379;

struct Row
{
    int line = 0;          // 1-based line in the file
    QString idField;       // the id as written
    QStringList fields;    // the five texts as written (escaped), in the order of Languages
};

// Undoes the escapes of a field (\n, \t, \\). Returns false and leaves `out` undefined when the field holds
// a backslash followed by anything else, or a backslash at its end.
bool unescape(const QString &field, QString &out)
{
    out.clear();
    for (qsizetype i = 0; i < field.size(); ++i) {
        const QChar c = field.at(i);
        if (c != QLatin1Char('\\')) {
            out += c;
            continue;
        }
        if (++i == field.size())
            return false;
        switch (field.at(i).unicode()) {
        case 'n': out += QLatin1Char('\n'); break;
        case 't': out += QLatin1Char('\t'); break;
        case '\\': out += QLatin1Char('\\'); break;
        default: return false;
        }
    }
    return true;
}

// Where a source asks for a text by a literal number. Recognised:
//   LRS(1366)  LRSV(1220, n)  Lang->LRS(1368)  lang.LRS(QStringLiteral("1672"))  LRS("1672 ")
//   textId(1234)   -- the marker for a number handed to any other helper (a caption, a tooltip, a tag)
// The number must be the whole first argument: LRS(1368 + i) or LRS(id) are not literal and not checked.
// In .ui files: a text, tooltip, status tip, "what's this", title or window title (property or attribute)
// whose value is a number of three or four digits.
const QRegularExpression CodeCall(QStringLiteral(
    R"re(\b(LRSV?|textId)\s*\(\s*(?:(?:QStringLiteral|QLatin1String|QString)\s*\(\s*)?"?\s*(\d+)\s*"?\s*\)?\s*[,)])re"));
const QRegularExpression UiCaption(QStringLiteral(
    R"re(<(?:property|attribute)\s+name="(text|toolTip|statusTip|whatsThis|title|windowTitle)"[^>]*>\s*<string[^>]*>\s*(\d{3,4})\s*</string>)re"));

struct Reference
{
    int line;
    int id;
    QString text;   // what asks for it, for the message: "LRSV(1220)", "toolTip 1110"
};

QList<Reference> referencesIn(const QString &source, bool uiFile)
{
    QList<Reference> refs;
    auto it = (uiFile ? UiCaption : CodeCall).globalMatch(source);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        const int line = int(QStringView(source).left(m.capturedStart()).count(QLatin1Char('\n'))) + 1;
        const QString id = m.captured(2);
        const QString what = uiFile ? m.captured(1) + QLatin1Char(' ') + id
                                    : m.captured(1) + QLatin1Char('(') + id + QLatin1Char(')');
        refs.append({line, id.toInt(), what});
    }
    return refs;
}

} // namespace

class TestStrings : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void tableFormat();
    void row_data();
    void row();
    void textShapes_data();
    void textShapes();
    void importConfirmation();
    void scannerRecognises_data();
    void scannerRecognises();
    void codeIds_data();
    void codeIds();

private:
    QString m_header;
    QList<Row> m_rows;
    QStringList m_formatProblems;   // found while reading the file
    QSet<int> m_ids;                 // every id of the table
    QHash<int, QStringList> m_texts; // id -> the five unescaped texts (well-formed rows only)
};

void TestStrings::initTestCase()
{
    QFile file(TablePath);
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(TablePath + QStringLiteral(": ") + file.errorString()));
    const QByteArray bytes = file.readAll();

    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder.decode(bytes);
    if (decoder.hasError())
        m_formatProblems << QStringLiteral("the file is not valid UTF-8");
    if (bytes.startsWith("\xEF\xBB\xBF"))
        m_formatProblems << QStringLiteral("the file starts with a byte-order mark");
    if (text.contains(QLatin1Char('\r')))
        m_formatProblems << QStringLiteral("the file holds carriage returns (lines end with LF only)");
    if (!text.endsWith(QLatin1Char('\n')))
        m_formatProblems << QStringLiteral("the last line has no line end");

    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    QVERIFY2(!lines.isEmpty(), "the table is empty");
    m_header = lines.first();

    for (qsizetype n = 1; n < lines.size(); ++n) {
        const QStringList fields = lines[n].split(QLatin1Char('\t'));
        Row row;
        row.line = int(n) + 1;
        row.idField = fields.first();
        row.fields = fields.mid(1);
        m_rows.append(row);

        bool ok = false;
        const int id = row.idField.toInt(&ok);
        if (!ok)
            continue;
        m_ids.insert(id);
        QStringList texts;
        for (const QString &field : std::as_const(row.fields)) {
            QString unescaped;
            if (unescape(field, unescaped))
                texts << unescaped;
        }
        if (texts.size() == Languages.size() && row.fields.size() == Languages.size())
            m_texts.insert(id, texts);
    }
}

void TestStrings::tableFormat()
{
    QStringList problems = m_formatProblems;
    if (m_header != Header)
        problems << QStringLiteral("line 1: the header must read \"%1\"")
                        .arg(QString(Header).replace(QLatin1Char('\t'), QStringLiteral("<TAB>")));

    static const QRegularExpression digits(QStringLiteral("^[1-9][0-9]*$"));
    int previous = 0;
    QHash<int, int> firstLine;
    for (const Row &row : std::as_const(m_rows)) {
        if (row.idField.isEmpty() && row.fields.isEmpty()) {
            problems << QStringLiteral("line %1: empty line").arg(row.line);
            continue;
        }
        if (!digits.match(row.idField).hasMatch()) {
            problems << QStringLiteral("line %1: the id \"%2\" is not a plain number").arg(row.line).arg(row.idField);
            continue;
        }
        const int id = row.idField.toInt();
        if (firstLine.contains(id))
            problems << QStringLiteral("line %1: id %2 already on line %3").arg(row.line).arg(id).arg(firstLine.value(id));
        else
            firstLine.insert(id, row.line);
        if (id <= previous)
            problems << QStringLiteral("line %1: id %2 does not follow %3 in ascending order").arg(row.line).arg(id).arg(previous);
        previous = std::max(previous, id);
    }
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
    QVERIFY2(!m_rows.isEmpty(), "the table holds no text");
}

void TestStrings::row_data()
{
    QTest::addColumn<QString>("idField");
    QTest::addColumn<QStringList>("fields");
    for (const Row &row : std::as_const(m_rows))
        QTest::addRow("%s (line %d)", qPrintable(row.idField), row.line) << row.idField << row.fields;
}

// One text in its five languages: a valid id, five non-empty texts with valid escapes, and the same
// placeholders, mnemonics, line breaks and "|" separators in every language.
void TestStrings::row()
{
    QFETCH(QString, idField);
    QFETCH(QStringList, fields);

    bool ok = false;
    const int id = idField.toInt(&ok);
    QVERIFY2(ok, "the id is not a number");
    QVERIFY2(id >= FirstId && id <= LastId,
             qPrintable(QStringLiteral("id %1 lies outside %2..%3").arg(id).arg(FirstId).arg(LastId)));
    QVERIFY2(fields.size() == Languages.size(),
             qPrintable(QStringLiteral("%1 texts instead of %2 (a missing language, or a TAB inside a text?)")
                            .arg(fields.size()).arg(Languages.size())));

    QStringList texts;
    for (qsizetype l = 0; l < fields.size(); ++l) {
        QString text;
        QVERIFY2(unescape(fields[l], text),
                 qPrintable(QStringLiteral("%1: malformed escape (only \\n, \\t and \\\\ are allowed)").arg(Languages[l])));
        QVERIFY2(!text.isEmpty(), qPrintable(QStringLiteral("%1: empty text").arg(Languages[l])));
        texts << text;
    }

    struct Mark { QString what; QString token; };
    const QList<Mark> marks = {{QStringLiteral("placeholder xxx"), QStringLiteral("xxx")},
                               {QStringLiteral("placeholder yyy"), QStringLiteral("yyy")},
                               {QStringLiteral("mnemonic &"), QStringLiteral("&")},
                               {QStringLiteral("line break"), QStringLiteral("\n")},
                               {QStringLiteral("separator |"), QStringLiteral("|")}};
    for (const Mark &mark : marks) {
        if (id == ImportConfirmId && mark.token == QLatin1String("yyy"))
            continue; // the Italian confirmation has no "yyy": importConfirmation checks it
        const qsizetype expected = texts[1].count(mark.token); // English
        for (qsizetype l = 0; l < texts.size(); ++l) {
            QVERIFY2(texts[l].count(mark.token) == expected,
                     qPrintable(QStringLiteral("%1: %2 times %3, English %4 times")
                                    .arg(Languages[l]).arg(texts[l].count(mark.token)).arg(mark.what).arg(expected)));
        }
    }
}

void TestStrings::textShapes_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QStringList>("required");   // each must appear exactly once in every language
    QTest::addColumn<int>("maxLength");          // -1: no limit
    QTest::addColumn<QString>("forbidden");      // characters no language may hold

    // Texts filled with a value.
    for (int id : {1220, 1391, 1392, 1394, 1395, 1396, 1930})
        QTest::addRow("%d value placeholder", id) << id << QStringList{QStringLiteral("xxx")} << -1 << QString();
    // Record navigators: the word before the row and the word before the count.
    for (int id : {1052, 1326, 1826})
        QTest::addRow("%d navigator", id) << id << QStringList{QStringLiteral("|")} << -1 << QString();
    QTest::addRow("1364 save filter") << 1364 << QStringList{QStringLiteral("|*.txt")} << -1 << QString();
    // The view buttons pad their captions to 20 characters after two blanks.
    QTest::addRow("1672 view name") << 1672 << QStringList() << 15 << QString();
    QTest::addRow("1673 view name") << 1673 << QStringList() << 15 << QString();
    // Written as one escaped literal letter into a date format.
    QTest::addRow("1670 quarter letter") << 1670 << QStringList() << 1 << QStringLiteral("'\\");
    // Default count names are written into SQL text as they are.
    QTest::addRow("1368 default count") << 1368 << QStringList() << -1 << QStringLiteral("'");
    QTest::addRow("1369 default count") << 1369 << QStringList() << -1 << QStringLiteral("'");
}

void TestStrings::textShapes()
{
    QFETCH(int, id);
    QFETCH(QStringList, required);
    QFETCH(int, maxLength);
    QFETCH(QString, forbidden);

    QVERIFY2(m_texts.contains(id), qPrintable(QStringLiteral("id %1 is missing or malformed").arg(id)));
    const QStringList texts = m_texts.value(id);
    for (qsizetype l = 0; l < texts.size(); ++l) {
        const QString &text = texts[l];
        for (const QString &token : std::as_const(required))
            QVERIFY2(text.count(token) == 1,
                     qPrintable(QStringLiteral("%1: \"%2\" must appear once in \"%3\"").arg(Languages[l], token, text)));
        if (maxLength >= 0)
            QVERIFY2(text.size() <= maxLength,
                     qPrintable(QStringLiteral("%1: \"%2\" is longer than %3 characters").arg(Languages[l], text).arg(maxLength)));
        for (const QChar c : forbidden)
            QVERIFY2(!text.contains(c), qPrintable(QStringLiteral("%1: \"%2\" holds %3").arg(Languages[l], text, c)));
    }
}

void TestStrings::importConfirmation()
{
    QVERIFY2(m_texts.contains(ImportConfirmId), "the import confirmation is missing or malformed");
    const QStringList texts = m_texts.value(ImportConfirmId);
    QCOMPARE(texts[0].count(QLatin1String("xxx")), 1);   // Italian: the location
    QCOMPARE(texts[0].count(QLatin1String("yyy")), 0);
    for (qsizetype l = 1; l < texts.size(); ++l) {
        QVERIFY2(texts[l].count(QLatin1String("xxx")) == 1 && texts[l].count(QLatin1String("yyy")) == 1,
                 qPrintable(Languages[l] + QStringLiteral(": needs one \"xxx\" (version) and one \"yyy\" (location)")));
    }
}

void TestStrings::scannerRecognises_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<bool>("ui");
    QTest::addColumn<QList<int>>("ids");

    QTest::newRow("plain") << QStringLiteral("MsgBox(LRS(1366));") << false << QList<int>{1366};
    QTest::newRow("with value") << QStringLiteral("x = LRSV( 1220 , n);") << false << QList<int>{1220};
    QTest::newRow("through the object") << QStringLiteral("Lang->LRS(1368); lang.LRSV(1391, name, QString());") << false
                                        << QList<int>{1368, 1391};
    QTest::newRow("design-time number") << QStringLiteral("LRS(QStringLiteral(\"1672 \")) + LRS(\"1673\")") << false
                                        << QList<int>{1672, 1673};
    QTest::newRow("marker") << QStringLiteral("setCaption(button, textId(1250));") << false << QList<int>{1250};
    QTest::newRow("computed, not checked") << QStringLiteral("LRS(1368 + i); LRS(999 + n); LRS(id); LRSV(Id, v)") << false
                                           << QList<int>{};
    QTest::newRow("other names") << QStringLiteral("XLRS(1200); myLRS(1201); LRSX(1202)") << false << QList<int>{};
    QTest::newRow("ui caption") << QStringLiteral("<property name=\"text\">\n <string>1253</string>\n</property>"
                                                  "<property name=\"maximum\"><number>100</number></property>"
                                                  "<attribute name=\"title\"><string notr=\"true\">1606</string></attribute>")
                                << true << QList<int>{1253, 1606};
}

void TestStrings::scannerRecognises()
{
    QFETCH(QString, source);
    QFETCH(bool, ui);
    QFETCH(QList<int>, ids);
    QList<int> found;
    for (const Reference &r : referencesIn(source, ui))
        found << r.id;
    QCOMPARE(found, ids);
}

void TestStrings::codeIds_data()
{
    QTest::addColumn<QString>("path");
    const QStringList folders = {QStringLiteral("foundation"), QStringLiteral("mainwindow"), QStringLiteral("editors"),
                                 QStringLiteral("reports"),    QStringLiteral("importtool"), QStringLiteral("platform"),
                                 QStringLiteral("app")};
    const QString root = QStringLiteral(ORVEL_SOURCE_DIR);
    QStringList paths;
    for (const QString &folder : folders) {
        QDirIterator it(root + QLatin1Char('/') + folder,
                        {QStringLiteral("*.cpp"), QStringLiteral("*.h"), QStringLiteral("*.ui")}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            paths << it.next().mid(root.size() + 1);
    }
    paths.sort();
    if (paths.isEmpty())
        QTest::newRow("no sources yet") << QString();
    for (const QString &path : std::as_const(paths))
        QTest::newRow(qPrintable(path)) << path;
}

void TestStrings::codeIds()
{
    QFETCH(QString, path);
    if (path.isEmpty())
        QSKIP("no sources to scan");
    QFile file(QStringLiteral(ORVEL_SOURCE_DIR) + QLatin1Char('/') + path);
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.errorString()));
    const QString source = QString::fromUtf8(file.readAll());

    QStringList missing;
    for (const Reference &r : referencesIn(source, path.endsWith(QLatin1String(".ui")))) {
        if (!m_ids.contains(r.id))
            missing << QStringLiteral("%1:%2: %3 asks for text %4, which the table does not hold")
                           .arg(path).arg(r.line).arg(r.text).arg(r.id);
    }
    QVERIFY2(missing.isEmpty(), qPrintable(missing.join(QLatin1Char('\n'))));
}

QTEST_GUILESS_MAIN(TestStrings)
#include "tst_strings.moc"
