// The shared helpers: key filters, null conversions, SQL literals, dates, attachment names and opening.

#include "TestEnv.h"

#include "foundation/Globals.h"
#include "foundation/cAccessDb.h"
#include "foundation/cLang.h"
#include "foundation/modShared.h"
#include "platform/Clock.h"
#include "platform/RuntimeError.h"
#include "platform/database/Currency.h"
#include "platform/shell/Shell.h"

#include <QTest>

namespace {
QStringList g_opened;
}

class tst_Shared : public QObject
{
    Q_OBJECT

private slots:
    void filterDecimalKey_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("expected");
        const QLocale it(QLocale::Italian, QLocale::Italy);
        const QLocale en(QLocale::English, QLocale::UnitedStates);
        QTest::newRow("it: full stop becomes comma") << it << int('.') << int(',');
        QTest::newRow("en: full stop stays") << en << int('.') << int('.');
        QTest::newRow("it: comma passes") << it << int(',') << int(',');
        QTest::newRow("en: comma passes") << en << int(',') << int(',');
        QTest::newRow("letter swallowed") << en << int('a') << 0;
        QTest::newRow("minus swallowed") << en << int('-') << 0;
        QTest::newRow("digit") << it << int('7') << int('7');
        QTest::newRow("backspace") << it << 8 << 8;
        QTest::newRow("tab") << it << 9 << 9;
    }
    void filterDecimalKey()
    {
        QFETCH(QLocale, locale);
        QFETCH(int, key);
        QFETCH(int, expected);
        testenv::Sandbox box(QDate(2025, 3, 15), locale);
        QCOMPARE(FilterDecimalKey(key), expected);
    }

    void filterIntegerKey_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("expected");
        QTest::newRow("digit") << int('0') << int('0');
        QTest::newRow("full stop") << int('.') << 0;
        QTest::newRow("comma") << int(',') << 0;
        QTest::newRow("backspace") << 8 << 8;
        QTest::newRow("enter") << 13 << 0;
    }
    void filterIntegerKey()
    {
        QFETCH(int, key);
        QFETCH(int, expected);
        QCOMPARE(FilterIntegerKey(key), expected);
    }

    void sqlLiterals_data()
    {
        QTest::addColumn<QString>("actual");
        QTest::addColumn<QString>("expected");
        QTest::newRow("quote") << SqlQuote(QStringLiteral("O'Brien")) << QStringLiteral("O''Brien");
        QTest::newRow("two quotes") << SqlQuote(QStringLiteral("''")) << QStringLiteral("''''");
        QTest::newRow("no quote") << SqlQuote(QStringLiteral("plain")) << QStringLiteral("plain");
        QTest::newRow("date") << SqlDate(QDate(2024, 3, 5)) << QStringLiteral("#03/05/2024#");
        QTest::newRow("iso date") << SqlDate(QDate(2024, 3, 5), true) << QStringLiteral("'2024-03-05'");
        QTest::newRow("short date") << SqlDateShort(QDate(2024, 3, 5)) << QStringLiteral("#03/05/24#");
    }
    void sqlLiterals()
    {
        QFETCH(QString, actual);
        QFETCH(QString, expected);
        QCOMPARE(actual, expected);
    }

    void sqlDateIgnoresTheLocale()
    {
        testenv::Sandbox box(QDate(2025, 3, 15), QLocale(QLocale::German, QLocale::Germany));
        QCOMPARE(SqlDate(QDate(2024, 12, 31)), QStringLiteral("#12/31/2024#"));
    }

    void calendarHelpers_data()
    {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<int>("days");
        QTest::addColumn<int>("period");
        QTest::newRow("leap February") << QDate(2024, 2, 10) << 29 << 1;
        QTest::newRow("common February") << QDate(2023, 2, 28) << 28 << 1;
        QTest::newRow("31 January") << QDate(2024, 1, 31) << 31 << 1;
        QTest::newRow("April") << QDate(2024, 4, 30) << 30 << 1;
        QTest::newRow("May") << QDate(2024, 5, 1) << 31 << 2;
        QTest::newRow("August") << QDate(2024, 8, 31) << 31 << 2;
        QTest::newRow("September") << QDate(2024, 9, 1) << 30 << 3;
        QTest::newRow("December") << QDate(2024, 12, 31) << 31 << 3;
    }
    void calendarHelpers()
    {
        QFETCH(QDate, date);
        QFETCH(int, days);
        QFETCH(int, period);
        QCOMPARE(DaysInMonth(date), days);
        QCOMPARE(FourMonthPeriod(date), period);
    }

    void nullConversions()
    {
        testenv::Sandbox box(QDate(2025, 3, 15), QLocale(QLocale::Italian, QLocale::Italy));
        QCOMPARE(NullToString(QVariant(), QString()), QString());
        QCOMPARE(NullToString(QVariant(QMetaType(QMetaType::QString)), QStringLiteral("d")), QStringLiteral("d"));
        QCOMPARE(NullToString(QStringLiteral("x"), QStringLiteral("d")), QStringLiteral("x"));
        QCOMPARE(NullToDouble(QStringLiteral("12,5"), 0), 12.5);
        QCOMPARE(NullToDouble(QVariant(), 0), 0.0);
        QCOMPARE(NullToDouble(QStringLiteral("abc"), 3), 3.0);
        QCOMPARE(NullToDouble(7, 0), 7.0);
        QCOMPARE(NullToDouble(QVariant::fromValue(platform::Currency::fromRaw(125000)), 0), 12.5);
    }

    void newAttachmentName()
    {
        testenv::Sandbox box;
        platform::setNow(QDateTime(QDate(2024, 3, 5), QTime(14, 3, 9, 270)));
        QCOMPARE(NewAttachmentName(QStringLiteral(".pdf")), QStringLiteral("2024030514030927.pdf"));
        platform::setNow(QDateTime(QDate(2024, 3, 5), QTime(0, 0, 0, 5)));
        QCOMPARE(NewAttachmentName(QStringLiteral(".txt")), QStringLiteral("2024030500000000.txt"));
    }

    void openAttachment_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("opened");
        QTest::newRow("generated name") << QStringLiteral("2024030514030927.pdf ") << QStringLiteral("ATT2024030514030927.pdf");
        QTest::newRow("full path") << QStringLiteral(" /home/me/bill.pdf ") << QStringLiteral("/home/me/bill.pdf");
        QTest::newRow("empty") << QString() << QString();
    }
    void openAttachment()
    {
        QFETCH(QString, stored);
        QFETCH(QString, opened);
        testenv::Sandbox box;
        Lang = new cLang();
        Adb = new cAccessDb();
        g_opened.clear();
        platform::setOpenHandler([](const QString &p) { g_opened << p; return true; });
        OpenAttachment(stored);
        opened.replace(QStringLiteral("ATT"), Adb->attachedPath());
        QCOMPARE(g_opened.value(0), opened);
        ReleaseGlobals();
    }

    void appErrorText()
    {
        testenv::Sandbox box;
        Lang = new cLang();
        const platform::RuntimeError e(5, QStringLiteral("x"), QStringLiteral("Disk full"));
        QCOMPARE(AppErrorText(e, QStringLiteral("frmMain"), QStringLiteral("gexUpdate"), 12),
                 QStringLiteral("Disk full\nin Orvel3.frmMain.gexUpdate line 12"));
        ReleaseGlobals();
    }
};

QTEST_MAIN(tst_Shared)
#include "tst_shared.moc"
