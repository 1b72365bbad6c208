#include "SampleData.h"

#include "platform/database/Connection.h"
#include "platform/database/ScopedTransaction.h"

#include <QStringList>

namespace testenv {

namespace {
QString jetDate(const QDate &d)
{
    return d.toString(QStringLiteral("#MM/dd/yyyy#"));
}

QString row(int sheet, int type, const QDate &date, const QString &description, const QString &notes, int account,
            const QString &amount, bool done, bool pn, int count, int alert, const QString &grpType = QStringLiteral("n"),
            int grpRow = 0, int grpMDay = 0, int grpId = 0, const QString &attached = QString())
{
    const QString balance = type == -1 ? QLatin1Char('-') + amount : (type == -2 ? QStringLiteral("0") : amount);
    return QStringLiteral("INSERT INTO Transactions ( TrDbId, TrType, TrDate, TrDescription, TrNotes, TrAcId, TrValue, "
                          "TrBalance, TrGrpType, TrGrpRow, TrGrpMDay, TrGrpId, TrAlertDays, TrCountId, TrDone, "
                          "TrAttached, IsPN ) SELECT %1, %2, %3, '%4', '%5', %6, %7, %8, '%9', %10, %11, %12, %13, %14, "
                          "%15, %16, %17")
        .arg(sheet)
        .arg(type)
        .arg(jetDate(date), QString(description).replace(QLatin1Char('\''), QStringLiteral("''")),
             QString(notes).replace(QLatin1Char('\''), QStringLiteral("''")))
        .arg(account)
        .arg(amount, balance, grpType)
        .arg(grpRow)
        .arg(grpMDay)
        .arg(grpId)
        .arg(alert)
        .arg(count)
        .arg(done ? QStringLiteral("True") : QStringLiteral("False"),
             attached.isEmpty() ? QStringLiteral("NULL") : QLatin1Char('\'') + attached + QLatin1Char('\''),
             pn ? QStringLiteral("True") : QStringLiteral("False"));
}
} // namespace

int fillSample(const QString &dbFile, const QDate &t, int extraRows)
{
    platform::Connection cn;
    cn.Open(QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + dbFile);
    platform::ScopedTransaction transaction(cn);
    for (const char *name : {"Rossi Forniture", "Bianchi & Figli", "Studio Verdi", "O'Brien Ltd", "Élan Design"})
        cn.Execute(QStringLiteral("INSERT INTO Accounts (AcName, AcNotes) SELECT '%1', 'Notes of %1'")
                       .arg(QString::fromUtf8(name).replace(QLatin1Char('\''), QStringLiteral("''"))));
    cn.Execute(QStringLiteral("INSERT INTO Counts (CnName) SELECT 'Bank'"));
    cn.Execute(QStringLiteral("INSERT INTO Counts (CnName) SELECT 'Cash'"));
    cn.Execute(QStringLiteral("INSERT INTO Dbs ( DbId, DbName ) SELECT 2, 'Second sheet'"));

    const QStringList rows = {
        row(1, 1, t.addDays(-10), QStringLiteral("Invoice 118"), QStringLiteral("Call before sending"), 1, QStringLiteral("1200.5"), false, false, 1, 5),
        row(1, -1, t.addDays(1), QStringLiteral("Electricity bill"), QString(), 2, QStringLiteral("245.9"), false, false, 1, 2),
        row(1, -2, t, QStringLiteral("Meeting with accountant"), QStringLiteral("Bring the receipts"), 3, QStringLiteral("0"), false, false, 0, 0),
        row(1, 1, t.addDays(20), QStringLiteral("Invoice 121"), QString(), 4, QStringLiteral("880"), false, false, 1, 2),
        row(1, -1, t.addDays(-30), QStringLiteral("Office rent deposit"), QString(), 2, QStringLiteral("600"), true, false, 2, 2),
        row(1, 1, t.addDays(-40), QStringLiteral("Invoice 102"), QString(), 1, QStringLiteral("300.25"), true, false, 1, 2),
        row(1, -2, t.addDays(-2), QStringLiteral("Dentist"), QString(), 0, QStringLiteral("0"), true, false, 0, 0),
        row(1, 1, t.addDays(-3), QStringLiteral("Sale at the counter"), QString(), 0, QStringLiteral("150"), true, true, 2, 0),
        row(1, -1, t.addDays(-1), QStringLiteral("Stationery"), QString(), 5, QStringLiteral("42.1"), true, true, 2, 0),
        row(1, -1, t.addDays(45), QStringLiteral("Insurance"), QString(), 0, QStringLiteral("510"), false, false, 1, 10, QStringLiteral("n"), 0, 0, 0, QStringLiteral("/tmp/policy.pdf")),
        row(2, 1, t, QStringLiteral("Other sheet credit"), QString(), 1, QStringLiteral("99"), false, false, 1, 2),
    };
    int written = 0;
    for (const QString &sql : rows) {
        cn.Execute(sql);
        if (sql.contains(QLatin1String("SELECT 1,")))
            ++written;
    }
    // A monthly rent series of six rows, the first two paid.
    const QDate first(t.year(), t.month(), 1);
    for (int k = 1; k <= 6; ++k) {
        cn.Execute(row(1, -1, first.addMonths(k - 3), QStringLiteral("Rent"), QString(), 3, QStringLiteral("750"), k <= 2, false,
                       1, 3, QStringLiteral("m"), k, 6, 1));
        ++written;
    }
    static const char *words[] = {"Invoice", "Payment", "Supplies", "Fee", "Service", "Repair", "Transport", "Consulting"};
    for (int i = 0; i < extraRows; ++i) {
        const int type = i % 3 == 0 ? 1 : (i % 7 == 0 ? -2 : -1);
        const QString amount = type == -2 ? QStringLiteral("0") : QStringLiteral("%1.%2").arg(10 + i % 990).arg(i % 100, 2, 10, QLatin1Char('0'));
        cn.Execute(row(1, type, t.addDays((i * 37) % 1460 - 730), QStringLiteral("%1 %2").arg(QLatin1String(words[i % 8])).arg(i),
                       QString(), 1 + i % 5, amount, i % 4 == 0, i % 5 == 0, 1 + i % 2, i % 6));
        ++written;
    }
    transaction.commit();
    cn.Close();
    return written;
}

} // namespace testenv
