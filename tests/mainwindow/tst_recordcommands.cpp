// The statements of the record commands: deleting from a series with renumbering (over all sheets, in one
// transaction), whole series, single rows, and closing and re-opening a deadline.

#include "MainWindowFixture.h"

#include "mainwindow/RecordCommands.h"
#include "platform/database/Connection.h"
#include "platform/database/Recordset.h"
#include "platform/database/ScopedTransaction.h"
#include "platform/RuntimeError.h"

#include <QTest>

#include <optional>

namespace {

// A series of five rows (id 7) dated 1..5 April, rows 1-2 in sheet 1, rows 3-5 in sheet 2, entered out of
// date order; returns their TrRowIds by date.
QList<int> makeSeries(const QString &file)
{
    platform::Connection cn;
    cn.Open(testenv::connectionString(file));
    const int days[] = {3, 1, 5, 2, 4};
    for (int day : days)
        cn.Execute(QStringLiteral("INSERT INTO Transactions ( TrDbId, TrType, TrDate, TrDescription, TrGrpType, TrGrpRow, "
                                  "TrGrpMDay, TrGrpId ) SELECT %1, -1, #04/0%2/2025#, 'Rent', 'm', %2, 5, 7")
                       .arg(day <= 2 ? 1 : 2)
                       .arg(day));
    platform::Recordset rs;
    rs.Open(QStringLiteral("SELECT TrRowId FROM Transactions WHERE TrGrpId=7 ORDER BY TrDate"), cn);
    QList<int> ids;
    for (; !rs.EOF(); rs.MoveNext())
        ids << rs.value(0).toInt();
    return ids;
}

QList<QPair<int, int>> numbering(const QString &file)
{
    platform::Recordset rs;
    rs.Open(QStringLiteral("SELECT TrGrpRow, TrGrpMDay FROM Transactions WHERE TrGrpId=7 ORDER BY TrDate"),
            testenv::connectionString(file));
    QList<QPair<int, int>> out;
    for (; !rs.EOF(); rs.MoveNext())
        out << qMakePair(rs.value(0).toInt(), rs.value(1).toInt());
    return out;
}

} // namespace

class tst_RecordCommands : public QObject
{
    Q_OBJECT

private slots:
    void deleteFromSeriesRenumbers()
    {
        MainWindowFixture f(false);
        const QList<int> ids = makeSeries(f.dbFile);
        RecordCommands::DeleteFromSeries(ids[2], 7);
        QCOMPARE(numbering(f.dbFile), (QList<QPair<int, int>>{{1, 4}, {2, 4}, {3, 4}, {4, 4}}));
    }

    void deleteLastMember()
    {
        MainWindowFixture f(false);
        const QList<int> ids = makeSeries(f.dbFile);
        RecordCommands::DeleteSeries(7);
        QVERIFY(numbering(f.dbFile).isEmpty());
        // A series of one: deleting it leaves nothing to renumber.
        platform::Connection cn;
        cn.Open(testenv::connectionString(f.dbFile));
        cn.Execute(QStringLiteral("INSERT INTO Transactions ( TrDbId, TrType, TrDate, TrDescription, TrGrpId ) "
                                  "SELECT 1, 1, #04/01/2025#, 'Alone', 7"));
        platform::Recordset rs;
        rs.Open(QStringLiteral("SELECT TrRowId FROM Transactions WHERE TrGrpId=7"), cn);
        const int id = rs.value(0).toInt();
        rs.Close();
        cn.Close();
        RecordCommands::DeleteFromSeries(id, 7);
        QVERIFY(numbering(f.dbFile).isEmpty());
        Q_UNUSED(ids);
    }

    // A delete from a series that fails, before the delete or halfway through the renumbering after it,
    // keeps every row of the series as it was.
    void failedDeleteKeepsTheSeries_data()
    {
        QTest::addColumn<QString>("failure");
        QTest::addColumn<QString>("told");
        QTest::newRow("another connection writes") << "locked" << "locked";
        QTest::newRow("renumbering refused") << "renumbering" << "disk is full";
    }
    void failedDeleteKeepsTheSeries()
    {
        QFETCH(QString, failure);
        QFETCH(QString, told);
        MainWindowFixture f(false);
        const QList<int> ids = makeSeries(f.dbFile);
        platform::Connection other;
        std::optional<platform::ScopedTransaction> held;
        if (failure == QLatin1String("locked")) {
            other.Open(testenv::connectionString(f.dbFile));
            held.emplace(other);
            other.Execute(QStringLiteral("UPDATE Transactions SET TrNotes='busy' WHERE TrGrpId=7"));
        } else {
            testenv::rawExec(f.dbFile, "CREATE TRIGGER full BEFORE UPDATE OF TrGrpRow ON Transactions "
                                       "BEGIN SELECT RAISE(ABORT, 'database or disk is full'); END;");
        }
        try {
            RecordCommands::DeleteFromSeries(ids[0], 7);
            QFAIL("the delete did not fail");
        } catch (const platform::RuntimeError &e) {
            QVERIFY2(e.description().contains(told), qPrintable(e.description()));
        }
        held.reset();
        QCOMPARE(numbering(f.dbFile), (QList<QPair<int, int>>{{1, 5}, {2, 5}, {3, 5}, {4, 5}, {5, 5}}));
    }

    // Closing on 5 June a deadline due on 10 June dates it 5 June; re-opening it keeps that date.
    void toggleDone()
    {
        MainWindowFixture f(false);
        platform::Connection cn;
        cn.Open(testenv::connectionString(f.dbFile));
        cn.Execute(QStringLiteral("INSERT INTO Transactions ( TrDbId, TrType, TrDate, TrDescription, TrDone ) "
                                  "SELECT 1, 1, #06/10/2025#, 'Due 10 June', False"));
        const int id = int(cn.lastInsertId());
        cn.Close();
        auto state = [&] {
            platform::Recordset rs;
            rs.Open(QStringLiteral("SELECT TrDone, TrDate FROM Transactions WHERE TrRowId=%1").arg(id),
                    testenv::connectionString(f.dbFile));
            return qMakePair(rs.value(0).toBool(), rs.value(1).toDate());
        };
        RecordCommands::ToggleDone(id, QDate(2025, 6, 5));
        QCOMPARE(state(), qMakePair(true, QDate(2025, 6, 5)));
        RecordCommands::ToggleDone(id);
        QCOMPARE(state(), qMakePair(false, QDate(2025, 6, 5)));
    }
};

QTEST_MAIN(tst_RecordCommands)
#include "tst_recordcommands.moc"
