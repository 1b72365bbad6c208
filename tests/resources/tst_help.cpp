// The help pages resources/help/<language>_help.html: F1 opens the page of the current language at the anchor
// "#context-N" of the window's help context, so every page must carry each of those anchors exactly once,
// be valid UTF-8 and declare its language. Reads the files of the source tree only; needs nothing but Qt Core.

#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>
#include <QtTest>

namespace {

const QString HelpDir = QStringLiteral(ORVEL_SOURCE_DIR "/resources/help/");

// Every help context a window of the program sets: main window (1 general, 2 deadlines view, 9 cash-book
// view), new deadline and add-to-series (3), deadline editor (4), duplicate and erase-series (5), accounts
// and counts (8), cash-book editor (10 new, 11 open, 12 duplicate), report (22), preferences (23), data
// sheets (27).
const QList<int> Contexts = {1, 2, 3, 4, 5, 8, 9, 10, 11, 12, 22, 23, 27};

} // namespace

class tst_help : public QObject
{
    Q_OBJECT

private slots:
    void page_data();
    void page();
};

void tst_help::page_data()
{
    QTest::addColumn<QString>("language");
    for (const char *lang : {"it", "en", "fr", "es", "de"})
        QTest::newRow(lang) << QString::fromLatin1(lang);
}

void tst_help::page()
{
    QFETCH(QString, language);
    QFile file(HelpDir + language + QStringLiteral("_help.html"));
    QVERIFY2(file.exists(), qPrintable(file.fileName() + QStringLiteral(" is missing")));
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.errorString()));
    const QByteArray bytes = file.readAll();

    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(bytes);
    QVERIFY2(!utf8.hasError(), "the page is not valid UTF-8");
    QVERIFY2(bytes.contains("<meta charset=\"utf-8\">"), "the page does not declare its UTF-8 encoding");

    const QRegularExpression htmlTag(QStringLiteral(R"re(<html\b[^>]*\blang="([^"]*)")re"));
    const QRegularExpressionMatch lang = htmlTag.match(text);
    QVERIFY2(lang.hasMatch(), "the <html> element has no lang attribute");
    QCOMPARE(lang.captured(1), language);

    for (int n : Contexts) {
        const QString anchor = QStringLiteral("id=\"context-%1\"").arg(n);
        QVERIFY2(text.count(anchor) == 1,
                 qPrintable(QStringLiteral("%1 occurs %2 times, expected once").arg(anchor).arg(text.count(anchor))));
    }

    // Links inside the page (the table of contents, the cross references) lead to an element of the page.
    QSet<QString> ids;
    for (const QRegularExpressionMatch &m : QRegularExpression(QStringLiteral(R"re(\bid="([^"]+)")re")).globalMatch(text))
        ids.insert(m.captured(1));
    for (const QRegularExpressionMatch &m : QRegularExpression(QStringLiteral(R"re(\bhref="#([^"]+)")re")).globalMatch(text))
        QVERIFY2(ids.contains(m.captured(1)), qPrintable(QStringLiteral("link to a missing #%1").arg(m.captured(1))));
}

QTEST_APPLESS_MAIN(tst_help)
#include "tst_help.moc"
