// The rules of a new series without the window: the row dates of every cadence at month ends and in leap
// years, the split of the amount (rounding, remainder on the last row, exact sum), the amounts typed in the
// user's locale, and what a save writes.

#include "editors/AmountText.h"
#include "editors/NewDeadlineSave.h"
#include "editors/SeriesDates.h"

#include "TestEnv.h"

#include "platform/RuntimeError.h"
#include "platform/database/Recordset.h"

#include <QLocale>
#include <QTemporaryDir>
#include <QtTest>

using platform::Currency;
using namespace SeriesDates;

Q_DECLARE_METATYPE(QVector<QDate>)

namespace {
QDate d(int y, int m, int day)
{
    return QDate(y, m, day);
}
Currency money(const char *text)
{
    return *Currency::parse(QLatin1String(text));
}
} // namespace

class tst_series : public QObject
{
    Q_OBJECT

private slots:
    void dates_data()
    {
        QTest::addColumn<int>("cadence");
        QTest::addColumn<QDate>("first");
        QTest::addColumn<QVector<QDate>>("expected");
        using V = QVector<QDate>;
        QTest::newRow("monthly from 31 January, common year") << int(Monthly) << d(2025, 1, 31)
                                                              << V{d(2025, 1, 31), d(2025, 2, 28), d(2025, 3, 31), d(2025, 4, 30)};
        QTest::newRow("monthly from 31 January, leap year") << int(Monthly) << d(2024, 1, 31)
                                                            << V{d(2024, 1, 31), d(2024, 2, 29), d(2024, 3, 31)};
        QTest::newRow("monthly from 30 January (not a last day)")
            << int(Monthly) << d(2025, 1, 30) << V{d(2025, 1, 30), d(2025, 2, 28), d(2025, 3, 30), d(2025, 4, 30)};
        QTest::newRow("monthly from 30 April (a last day)")
            << int(Monthly) << d(2025, 4, 30) << V{d(2025, 4, 30), d(2025, 5, 31), d(2025, 6, 30), d(2025, 7, 31)};
        QTest::newRow("monthly from 28 February, common year")
            << int(Monthly) << d(2025, 2, 28) << V{d(2025, 2, 28), d(2025, 3, 31), d(2025, 4, 30)};
        QTest::newRow("monthly from 28 February, leap year (not a last day)")
            << int(Monthly) << d(2024, 2, 28) << V{d(2024, 2, 28), d(2024, 3, 28), d(2024, 4, 28)};
        QTest::newRow("monthly from 29 February") << int(Monthly) << d(2024, 2, 29)
                                                  << V{d(2024, 2, 29), d(2024, 3, 31), d(2024, 4, 30)};
        QTest::newRow("monthly over the year end") << int(Monthly) << d(2024, 11, 15)
                                                   << V{d(2024, 11, 15), d(2024, 12, 15), d(2025, 1, 15)};
        QTest::newRow("bimonthly from 31 December") << int(Bimonthly) << d(2024, 12, 31)
                                                    << V{d(2024, 12, 31), d(2025, 2, 28), d(2025, 4, 30), d(2025, 6, 30)};
        QTest::newRow("bimonthly from 29 December") << int(Bimonthly) << d(2024, 12, 29)
                                                    << V{d(2024, 12, 29), d(2025, 2, 28), d(2025, 4, 29)};
        QTest::newRow("quarterly from 30 November") << int(Quarterly) << d(2024, 11, 30)
                                                    << V{d(2024, 11, 30), d(2025, 2, 28), d(2025, 5, 31), d(2025, 8, 31)};
        QTest::newRow("four-monthly from 31 October") << int(FourMonthly) << d(2023, 10, 31)
                                                      << V{d(2023, 10, 31), d(2024, 2, 29), d(2024, 6, 30), d(2024, 10, 31)};
        QTest::newRow("biannual from 31 August") << int(Biannual) << d(2023, 8, 31)
                                                 << V{d(2023, 8, 31), d(2024, 2, 29), d(2024, 8, 31)};
        QTest::newRow("biannual from 30 August") << int(Biannual) << d(2023, 8, 30)
                                                 << V{d(2023, 8, 30), d(2024, 2, 29), d(2024, 8, 30)};
        QTest::newRow("yearly from 29 February") << int(Yearly) << d(2024, 2, 29)
                                                 << V{d(2024, 2, 29), d(2025, 2, 28), d(2026, 2, 28), d(2027, 2, 28), d(2028, 2, 29)};
        QTest::newRow("yearly keeps no month end") << int(Yearly) << d(2023, 2, 28) << V{d(2023, 2, 28), d(2024, 2, 28)};
        QTest::newRow("yearly from 30 April") << int(Yearly) << d(2025, 4, 30) << V{d(2025, 4, 30), d(2026, 4, 30)};
        QTest::newRow("daily over 29 February") << int(Daily) << d(2024, 2, 28)
                                                << V{d(2024, 2, 28), d(2024, 2, 29), d(2024, 3, 1)};
        QTest::newRow("weekly from a month end") << int(Weekly) << d(2025, 1, 31)
                                                 << V{d(2025, 1, 31), d(2025, 2, 7), d(2025, 2, 14)};
        QTest::newRow("two-weekly from a month end") << int(Biweekly) << d(2025, 1, 31)
                                                     << V{d(2025, 1, 31), d(2025, 2, 14), d(2025, 2, 28), d(2025, 3, 14)};
        QTest::newRow("two-weekly over the year end") << int(Biweekly) << d(2024, 12, 20)
                                                      << V{d(2024, 12, 20), d(2025, 1, 3), d(2025, 1, 17)};
    }
    void dates()
    {
        QFETCH(int, cadence);
        QFETCH(QDate, first);
        QFETCH(QVector<QDate>, expected);
        QCOMPARE(seriesDates(first, cadence, int(expected.size())), expected);
    }

    void cadences()
    {
        QString letters;
        for (int c = 0; c < CadenceCount; ++c)
            letters += cadenceLetter(c);
        QCOMPARE(letters, QStringLiteral("dw2mbs4qy"));
        QVERIFY(cadenceLetter(9).isNull());
        QVERIFY(cadenceLetter(-1).isNull());
        QVERIFY(!stepDate(d(2025, 1, 1), 9, 1, false).isValid());
        QVERIFY(IsLastDayOfMonth(d(2024, 2, 29)));
        QVERIFY(!IsLastDayOfMonth(d(2024, 2, 28)));
        QVERIFY(IsLastDayOfMonth(d(2025, 12, 31)));
        QCOMPARE(LastDayOfMonth(d(2023, 2, 10)), d(2023, 2, 28));
    }

    void split_data()
    {
        QTest::addColumn<QString>("amount");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("100 over 3") << "100" << 3
                                    << QStringList{QStringLiteral("33.33"), QStringLiteral("33.33"),
                                                   QStringLiteral("33.34")};
        QTest::newRow("10 over 4") << "10" << 4
                                   << QStringList{QStringLiteral("2.5"), QStringLiteral("2.5"), QStringLiteral("2.5"),
                                                  QStringLiteral("2.5")};
        QTest::newRow("2 over 3: last row smaller")
            << "2" << 3 << QStringList{QStringLiteral("0.67"), QStringLiteral("0.67"), QStringLiteral("0.66")};
        QTest::newRow("half cent to even, down")
            << "0.05" << 2 << QStringList{QStringLiteral("0.02"), QStringLiteral("0.03")};
        QTest::newRow("half cent to even, up")
            << "0.15" << 2 << QStringList{QStringLiteral("0.08"), QStringLiteral("0.07")};
        QTest::newRow("one cent over 3") << "0.01" << 3
                                         << QStringList{QStringLiteral("0"), QStringLiteral("0"),
                                                        QStringLiteral("0.01")};
        QTest::newRow("negative") << "-100" << 3
                                  << QStringList{QStringLiteral("-33.33"), QStringLiteral("-33.33"),
                                                 QStringLiteral("-33.34")};
        QTest::newRow("large") << "922337203685" << 7
                               << QStringList{QStringLiteral("131762457669.29"), QStringLiteral("131762457669.29"),
                                              QStringLiteral("131762457669.29"), QStringLiteral("131762457669.29"),
                                              QStringLiteral("131762457669.29"), QStringLiteral("131762457669.29"),
                                              QStringLiteral("131762457669.26")};
    }
    void split()
    {
        QFETCH(QString, amount);
        QFETCH(int, rows);
        QFETCH(QStringList, expected);
        NewDeadlineSave::NewDeadline nd;
        nd.type = 1;
        nd.series = true;
        nd.split = true;
        nd.rows = rows;
        nd.cadence = Monthly;
        nd.date = d(2025, 1, 31);
        nd.amount = *Currency::parse(amount);
        const auto result = NewDeadlineSave::seriesRows(nd);
        QStringList got;
        Currency sum;
        for (const auto &r : result) {
            got << r.amount.toString();
            sum += r.amount;
        }
        QCOMPARE(got, expected);
        QCOMPARE(sum, nd.amount);
    }

    void splitNotForAppointments()
    {
        NewDeadlineSave::NewDeadline nd;
        nd.type = -2;
        nd.series = true;
        nd.split = true;
        nd.rows = 3;
        nd.date = d(2025, 1, 1);
        nd.amount = money("100");
        for (const auto &r : NewDeadlineSave::seriesRows(nd))
            QCOMPARE(r.amount, Currency());
        nd.type = -1;
        nd.split = false;
        for (const auto &r : NewDeadlineSave::seriesRows(nd))
            QCOMPARE(r.amount, money("100"));
    }

    void amountText_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QString>("shown");   // after the field's own rounding
        QTest::newRow("it: comma decimals rounded") << "it_IT" << "7,129" << true << "7,13";
        QTest::newRow("it: groups") << "it_IT" << "1.234,5" << true << "1234,5";
        QTest::newRow("it: currency format") << "it_IT" << QLocale(QLocale::Italian, QLocale::Italy).toCurrencyString(1200.5)
                                             << true << "1200,5";
        QTest::newRow("en: currency format") << "en_US" << "$1,200.50" << true << "1200.5";
        QTest::newRow("en: negative currency") << "en_US" << "-$5.00" << true << "-5";
        QTest::newRow("en: half to even") << "en_US" << "12.345" << true << "12.34";
        QTest::newRow("en: half to even, up") << "en_US" << "12.355" << true << "12.36";
        QTest::newRow("en: four decimals") << "en_US" << "0.0051" << true << "0.01";
        QTest::newRow("en: comma is no decimal") << "en_US" << "12,5" << false << "";
        QTest::newRow("en: two points") << "en_US" << "1.2.3" << false << "";
        QTest::newRow("en: five decimals refused") << "en_US" << "1.23456" << false << "";
        QTest::newRow("en: empty") << "en_US" << "" << false << "";
        QTest::newRow("en: letters") << "en_US" << "12a" << false << "";
        QTest::newRow("en: overflow") << "en_US" << "99999999999999999999" << false << "";
        QTest::newRow("fr: narrow blank groups") << "fr_FR" << QLocale(QLocale::French, QLocale::France).toString(1234.5, 'f', 2)
                                                 << true << "1234,5";
    }
    void amountText()
    {
        QFETCH(QString, locale);
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(QString, shown);
        const QLocale l(locale);
        const auto value = AmountText::parse(text, l);
        QCOMPARE(bool(value), valid);
        if (valid)
            QCOMPARE(AmountText::plain(AmountText::roundToCents(*value), l), shown);
    }

    // What a save writes, read back from a database: the amounts exact and signed by the type, texts
    // with apostrophes as typed, the attachment's name or Null, and the series columns of each row.
    void savedRows_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("amount");
        QTest::addColumn<QString>("description");
        QTest::addColumn<bool>("attach");
        QTest::addColumn<int>("rows");                 // 1: a single row
        QTest::addColumn<QStringList>("expected");     // per row: date, value, balance, type, row/size/group
        QTest::newRow("credit of 100") << 1 << "100" << "Invoice" << false << 1
                                       << QStringList{QStringLiteral("2025-03-05 100 100 n 0/0/0")};
        QTest::newRow("debit of 12.50") << -1 << "12.50" << "Bill" << false << 1
                                        << QStringList{QStringLiteral("2025-03-05 12.5 -12.5 n 0/0/0")};
        QTest::newRow("a ten-thousandth, apostrophes, attachment")
            << 1 << "0.0001" << "D'Angelo's" << true << 1
            << QStringList{QStringLiteral("2025-03-05 0.0001 0.0001 n 0/0/0")};
        QTest::newRow("appointment carries no amount") << -2 << "80" << "Meeting" << false << 1
                                                       << QStringList{QStringLiteral("2025-03-05 0 0 n 0/0/0")};
        QTest::newRow("closed quarterly debits")
            << -1 << "750" << "Rent" << false << 3
            << QStringList{QStringLiteral("2025-03-05 750 -750 s 1/3/1"), QStringLiteral("2025-06-05 750 -750 s 2/3/1"),
                           QStringLiteral("2025-09-05 750 -750 s 3/3/1")};
    }
    void savedRows()
    {
        QFETCH(int, type);
        QFETCH(QString, amount);
        QFETCH(QString, description);
        QFETCH(bool, attach);
        QFETCH(int, rows);
        QFETCH(QStringList, expected);
        testenv::Sandbox box;
        const QString cs = testenv::connectionString(box.makeDatabase(box.root() + QStringLiteral("/db")));
        NewDeadlineSave::NewDeadline nd;
        nd.sheetId = 2;
        nd.type = type;
        nd.closed = rows > 1;
        nd.date = d(2025, 3, 5);
        nd.description = description;
        nd.notes = QStringLiteral("a note");
        nd.acId = 4;
        nd.amount = *Currency::parse(amount);
        nd.alertDays = 3;
        nd.countId = 1;
        nd.series = rows > 1;
        nd.rows = rows;
        nd.cadence = Quarterly;
        if (attach) {
            nd.attachSourcePath = box.root() + QStringLiteral("/scan.pdf");
            QFile source(nd.attachSourcePath);
            QVERIFY(source.open(QIODevice::WriteOnly));
            nd.attachStoredName = QStringLiteral("2025030514030927.pdf");
        }
        QCOMPARE(NewDeadlineSave::save(nd, cs, box.root() + QStringLiteral("/db/attached/")).rows, rows);

        platform::Recordset rs;
        rs.Open(QStringLiteral("SELECT * FROM Transactions ORDER BY TrDate"), cs);
        QStringList stored;
        for (; !rs.EOF(); rs.MoveNext()) {
            QCOMPARE(rs.value(QStringLiteral("TrDescription")).toString(), description);
            QCOMPARE(rs.value(QStringLiteral("TrNotes")).toString(), QStringLiteral("a note"));
            QCOMPARE(rs.value(QStringLiteral("TrDbId")).toInt(), 2);
            QCOMPARE(rs.value(QStringLiteral("TrAcId")).toInt(), 4);
            QCOMPARE(rs.value(QStringLiteral("TrCountId")).toInt(), 1);
            QCOMPARE(rs.value(QStringLiteral("TrAlertDays")).toInt(), 3);
            QCOMPARE(rs.value(QStringLiteral("TrDone")).toBool(), rows > 1);
            QCOMPARE(rs.value(QStringLiteral("TrAttached")),
                     attach ? QVariant(nd.attachStoredName) : QVariant());
            const auto number = [&rs](const char *field) {
                return QString::number(rs.value(QLatin1String(field)).toInt());
            };
            stored << rs.value(QStringLiteral("TrDate")).toDate().toString(Qt::ISODate) + QLatin1Char(' ')
                          + rs.value(QStringLiteral("TrValue")).value<Currency>().toString() + QLatin1Char(' ')
                          + rs.value(QStringLiteral("TrBalance")).value<Currency>().toString() + QLatin1Char(' ')
                          + rs.value(QStringLiteral("TrGrpType")).toString() + QLatin1Char(' ') + number("TrGrpRow")
                          + QLatin1Char('/') + number("TrGrpMDay") + QLatin1Char('/') + number("TrGrpId");
        }
        QCOMPARE(stored, expected);
    }

    // The copy of an attachment goes into the attachments folder (made when missing) and never replaces a
    // file that is there.
    void attachmentCopy()
    {
        QTemporaryDir dir;
        const QString source = dir.filePath(QStringLiteral("scan.pdf"));
        QFile s(source);
        QVERIFY(s.open(QIODevice::WriteOnly));
        s.write("new");
        s.close();
        const QString attached = dir.filePath(QStringLiteral("db/attached/"));
        const QString copy = NewDeadlineSave::copyAttachment(source, attached, QStringLiteral("2025030514030927.pdf"));
        QCOMPARE(copy, attached + QStringLiteral("2025030514030927.pdf"));
        QFile c(copy);
        QVERIFY(c.open(QIODevice::ReadOnly));
        QCOMPARE(c.readAll(), QByteArray("new"));
        c.close();

        QFile old(attached + QStringLiteral("2025030514030927.pdf"));
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("already there");
        old.close();
        QVERIFY_THROWS_EXCEPTION(platform::RuntimeError,
                                 NewDeadlineSave::copyAttachment(source, attached, QStringLiteral("2025030514030927.pdf")));
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("already there"));
        QVERIFY_THROWS_EXCEPTION(platform::RuntimeError,
                                 NewDeadlineSave::copyAttachment(dir.filePath(QStringLiteral("gone.pdf")), attached,
                                                                 QStringLiteral("2025030514030928.pdf")));
        QCOMPARE(QDir(attached).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }
};

QTEST_GUILESS_MAIN(tst_series)
#include "tst_series.moc"
