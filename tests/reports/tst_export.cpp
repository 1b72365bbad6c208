// The export of the main list: the file's lines for both views (titles, type names, dates, amounts, empty
// account and count fields), records only and all of them whatever the grouping, the list's filter, the
// encoding, and the dialog: the file asked for, written whole or not at all, the messages.

#include "ReportsFixture.h"

#include "foundation/grid/ListGrid.h"
#include "platform/database/Recordset.h"
#include "reports/ExportRules.h"
#include "reports/ReportRules.h"
#include "reports/frmExport.h"
#include "platform/shell/Shell.h"

#include "foundation/RowRules.h"
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTest>

using platform::DialogKind;

namespace {

// A list of the rows of sheet 1 in a view (with closed credits and debits in the cash book) as the main list
// shows them: by date and id, the description with the series counter and the incomes and expenses
// computed by the owner.
class MainList
{
public:
    MainList(int view, const QString &condition)
    {
        grid.setConnectionString(Adb->dcs());
        grid.setRecordSource(ReportRules::ReportSelect() + QStringLiteral("WHERE TrDbId=1 AND ")
                             + RowRules::viewMembership(view, true) + condition);
        grid.rebind(false);
        grid.column(QStringLiteral("TrDescription"))->setComputed(true);
        grid.addComputedColumn(QStringLiteral("gexIncomes"));
        grid.addComputedColumn(QStringLiteral("gexExpenses"));
        grid.addSortKey(QStringLiteral("TrDate"));
        grid.addSortKey(QStringLiteral("TrRowId"));
        QObject::connect(&grid, &ListGrid::UnboundColumnFetch, &grid, [this](int, int col, qint64 bm, QVariant &v) {
            const auto rs = grid.recordset();
            auto field = [&](const char *name) { return rs->valueAt(bm, rs->fieldIndex(QLatin1String(name))); };
            const QString key = grid.column(col)->key();
            if (key == QLatin1String("TrDescription")) {
                v = RowRules::describedRow(field("TrDescription").toString(), field("TrGrpId").toInt(),
                                              field("TrGrpRow").toInt(), field("TrGrpMDay").toInt(), true, LRS(1050));
            } else if (field("TrType").toInt() == (key == QLatin1String("gexIncomes") ? 1 : -1)) {
                v = field("TrValue");
            }
        });
    }
    ListGrid grid;
};

const QString kMarch = QStringLiteral(" AND TrDate Between #03/01/2025# And #03/31/2025#");
const QString kFebruaryMarch = QStringLiteral(" AND TrDate Between #02/01/2025# And #03/31/2025#");

QByteArray readAll(const QString &file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestExport : public QObject
{
    Q_OBJECT

private slots:
    void exportedText_data();
    void exportedText();
    void recordsOnlyWhateverTheGrouping();
    void listFilterLimitsTheExport();
    void textsStayOnOneLine();
    void dialogWritesTheFile_data();
    void dialogWritesTheFile();
    void cancelOrEmptyList();
    void unwritableFolderKeepsTheDialogAndNoFile();
    void fullDiskKeepsTheFileAsItWas_data();
    void fullDiskKeepsTheFileAsItWas();
};

void TestExport::exportedText_data()
{
    QTest::addColumn<int>("view");
    QTest::addColumn<QString>("condition");
    QTest::addColumn<bool>("italian");
    QTest::addColumn<QString>("text");

    QTest::newRow("deadlines of March")
        << 0 << kMarch << false
        << "Id\tType\tDate\tDescription\tClient/Supplier\tIncome/Expense Count\tAmount\tPast\r\n"
           "14\tDebit\t3/1/2025\tRent 3of6\tStudio Verdi\tBank\t750\tFalse\r\n"
           "1\tCredit\t3/5/2025\tInvoice 118\tRossi Forniture\tBank\t1200.5\tFalse\r\n"
           "7\tExpiry Date\t3/13/2025\tDentist\t\t\t0\tTrue\r\n"
           "3\tExpiry Date\t3/15/2025\tMeeting with accountant\tStudio Verdi\t\t0\tFalse\r\n"
           "2\tDebit\t3/16/2025\tElectricity bill\tBianchi & Figli\tBank\t245.9\tFalse\r\n";
    QTest::newRow("cash book of February and March")
        << 1 << kFebruaryMarch << false
        << "Id\tDate\tDescription\tClient/Supplier\tIncome/Expense Count\tIncome\tExpense\r\n"
           "13\t2/1/2025\tRent 2of6\tStudio Verdi\tBank\t\t750\r\n"
           "6\t2/3/2025\tInvoice 102\tRossi Forniture\tBank\t300.25\t\r\n"
           "5\t2/13/2025\tOffice rent deposit\tBianchi & Figli\tCash\t\t600\r\n"
           "8\t3/12/2025\tSale at the counter\t\tCash\t150\t\r\n"
           "9\t3/14/2025\tStationery\t\u00C9lan Design\tCash\t\t42.1\r\n";
    QTest::newRow("Italian deadlines")
        << 0 << kMarch << true
        << "Id\tTipo\tData\tDescrizione\tCliente/Fornitore\tConto Entrate/Uscite\tImporto\tChiusa\r\n"
           "14\tDebito\t01/03/2025\tRent 3/6\tStudio Verdi\tBank\t750\tFalse\r\n"
           "1\tCredito\t05/03/2025\tInvoice 118\tRossi Forniture\tBank\t1200,5\tFalse\r\n"
           "7\tAppuntamento\t13/03/2025\tDentist\t\t\t0\tTrue\r\n"
           "3\tAppuntamento\t15/03/2025\tMeeting with accountant\tStudio Verdi\t\t0\tFalse\r\n"
           "2\tDebito\t16/03/2025\tElectricity bill\tBianchi & Figli\tBank\t245,9\tFalse\r\n";
}

void TestExport::exportedText()
{
    QFETCH(int, view);
    QFETCH(QString, condition);
    QFETCH(bool, italian);
    QFETCH(QString, text);
    ReportsFixture f(0, italian ? QLocale(QLocale::Italian, QLocale::Italy) : QLocale(QLocale::English, QLocale::UnitedStates),
                     italian ? 6 : 3);
    MainList list(view, condition);
    QCOMPARE(ExportRules::Text(&list.grid, view), text);
}

void TestExport::recordsOnlyWhateverTheGrouping()
{
    ReportsFixture f;
    MainList list(0, kMarch);
    list.grid.addGroup(QStringLiteral("TrDbId"));
    list.grid.addGroup(QStringLiteral("AcName"));
    list.grid.collapseAll();
    QCOMPARE(list.grid.rowCount(), 1);   // the list shows its heading only
    const QList<QStringList> records = ExportRules::Records(&list.grid, 0);
    QStringList ids;
    for (const QStringList &r : records)
        ids << r[0];
    // In the list's order: by account (none first), then date.
    QCOMPARE(ids, (QStringList{QStringLiteral("7"), QStringLiteral("2"), QStringLiteral("1"), QStringLiteral("14"),
                               QStringLiteral("3")}));
}

void TestExport::listFilterLimitsTheExport()
{
    ReportsFixture f;
    MainList list(0, QString());
    list.grid.recordset()->setFilter(QStringLiteral("TrDescription LIKE '*Invoice*'"));
    list.grid.refetch();
    QStringList descriptions;
    for (const QStringList &r : ExportRules::Records(&list.grid, 0))
        descriptions << r[3];
    QCOMPARE(descriptions, (QStringList{QStringLiteral("Invoice 102"), QStringLiteral("Invoice 118"),
                                        QStringLiteral("Invoice 121")}));
}

void TestExport::textsStayOnOneLine()
{
    ReportsFixture f;
    {
        platform::Recordset rs;
        rs.Open(QStringLiteral("SELECT * FROM Transactions WHERE TrRowId=1"), Adb->dcs(), platform::Recordset::adOpenKeyset,
                platform::Recordset::adLockOptimistic);
        rs.setValue(QStringLiteral("TrDescription"), QStringLiteral("Invoice\t118\r\nsecond line"));
        rs.Update();
        rs.Close();
    }
    MainList list(0, kMarch);
    const QString text = ExportRules::Text(&list.grid, 0);
    QCOMPARE(text.count(QStringLiteral("\r\n")), 6);
    QVERIFY(text.contains(QStringLiteral("\tInvoice 118  second line\t")));
    for (const QString &line : text.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts))
        QCOMPARE(line.count(QLatin1Char('\t')), 7);
}

void TestExport::dialogWritesTheFile_data()
{
    QTest::addColumn<int>("view");
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("written");
    QTest::addColumn<QString>("explanation");
    QTest::newRow("deadlines, name with extension")
        << 0 << "/export.txt" << "/export.txt"
        << "This procedure exports the \"Bill Book\" View data, according to the current data filter, to a tab-delimited text file.";
    QTest::newRow("cash book, name without extension")
        << 1 << "/cash" << "/cash.txt"
        << "This procedure exports the \"Petty Cash Book\" View data, according to the current data filter, to a tab-delimited text file.";
}

void TestExport::dialogWritesTheFile()
{
    QFETCH(int, view);
    QFETCH(QString, chosen);
    QFETCH(QString, written);
    QFETCH(QString, explanation);
    ReportsFixture f;
    MainList list(view, kFebruaryMarch);
    const QString folder = f.box->root() + QStringLiteral("/exports");
    QDir().mkpath(folder);
    // An earlier export of the same name is replaced.
    {
        QFile old(folder + written);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(100000, 'x'));
    }

    frmExport dialog(&list.grid, view);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Export data"));
    QCOMPARE(dialog.lblExplain->text(), explanation);
    QCOMPARE(dialog.cmdProcedi->text(), QStringLiteral("Continue"));
    QCOMPARE(dialog.cmdAnnulla->text(), QStringLiteral("Cancel"));

    f.box->answerText(folder + chosen);
    QTest::mouseClick(dialog.cmdProcedi, Qt::LeftButton);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));

    const auto &asked = f.box->requests();
    QCOMPARE(asked.size(), 2);
    QCOMPARE(asked[0].kind, DialogKind::SaveFile);
    QCOMPARE(asked[0].title, QStringLiteral("Orvel 3 - Export data"));
    QCOMPARE(asked[0].filter, QStringLiteral("Text file (*.txt)|*.txt"));
    // The first export opens in the documents folder, never in the working folder.
    QCOMPARE(asked[0].initial, f.box->documents());
    QCOMPARE(asked[1].kind, DialogKind::Message);
    QCOMPARE(asked[1].text, QStringLiteral("Data export successful.\nFile written: ") + QDir::toNativeSeparators(folder + written));
    QCOMPARE(asked[1].title, QStringLiteral("Orvel 3"));

    const QByteArray bytes = readAll(folder + written);
    QCOMPARE(bytes, (ExportRules::Text(&list.grid, view) + QStringLiteral("\r\n")).toUtf8());
    QVERIFY(bytes.endsWith("\r\n\r\n"));
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), 1);
    if (view == 1)   // UTF-8 keeps every name
        QVERIFY(bytes.contains("\tStationery\t\xC3\x89lan Design\t"));

    // The next export opens where this one wrote; once that folder is gone, in the documents again.
    frmExport next(&list.grid, view);
    next.cmdProcedi_Click();
    QCOMPARE(f.box->requests().size(), 3);
    QCOMPARE(f.box->requests()[2].initial, QDir::toNativeSeparators(folder));
    QVERIFY(QDir(folder).removeRecursively());
    frmExport afterRemoval(&list.grid, view);
    afterRemoval.cmdProcedi_Click();
    QCOMPARE(f.box->requests()[3].initial, f.box->documents());
}

void TestExport::cancelOrEmptyList()
{
    ReportsFixture f;
    MainList list(1, QStringLiteral(" AND TrDate > #01/01/2099#"));
    frmExport cancelled(&list.grid, 1);
    QTest::mouseClick(cancelled.cmdProcedi, Qt::LeftButton);   // the save dialog is cancelled: no file, no message
    QCOMPARE(cancelled.result(), int(QDialog::Accepted));
    QCOMPARE(f.box->requests().size(), 1);

    // An empty list writes its titles and two line ends.
    const QString file = f.box->root() + QStringLiteral("/empty.txt");
    f.box->answerText(file);
    frmExport dialog(&list.grid, 1);
    dialog.cmdProcedi_Click();
    QCOMPARE(readAll(file), QByteArray("Id\tDate\tDescription\tClient/Supplier\tIncome/Expense Count\tIncome\tExpense\r\n\r\n"));
}

void TestExport::unwritableFolderKeepsTheDialogAndNoFile()
{
    ReportsFixture f;
    MainList list(0, kMarch);
    // A file where the folder should be: nothing can be created in it, whoever runs the test.
    const QString blocked = f.box->root() + QStringLiteral("/blocked");
    {
        QFile file(blocked);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    const QString target = blocked + QStringLiteral("/export.txt");
    frmExport dialog(&list.grid, 0);
    dialog.show();
    f.box->answerText(target);
    QTest::mouseClick(dialog.cmdProcedi, Qt::LeftButton);

    const auto &asked = f.box->requests();
    QCOMPARE(asked.size(), 2);
    QCOMPARE(asked[1].kind, DialogKind::Message);
    QCOMPARE(asked[1].title, QStringLiteral("App Error"));
    QVERIFY2(asked[1].text.startsWith(QDir::toNativeSeparators(target) + QStringLiteral(": ")), qPrintable(asked[1].text));
    QVERIFY(asked[1].text.contains(QStringLiteral("in Orvel3.frmExport.cmdProcedi_Click ")));
    QVERIFY(!QFile::exists(target));
    QCOMPARE(QFileInfo(blocked).size(), 0);
    // The dialog stays for another try; a good folder then works.
    QVERIFY(dialog.isVisible());
    const QString good = f.box->root() + QStringLiteral("/export.txt");
    f.box->answerText(good);
    QTest::mouseClick(dialog.cmdProcedi, Qt::LeftButton);
    QVERIFY(QFile::exists(good));
    QVERIFY(!dialog.isVisible());
    QCOMPARE(asked.last().text, QStringLiteral("Data export successful.\nFile written: ") + QDir::toNativeSeparators(good));
}

void TestExport::fullDiskKeepsTheFileAsItWas_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<int>("language");
    QTest::newRow("Italian") << QLocale(QLocale::Italian, QLocale::Italy) << 6;
    QTest::newRow("German") << QLocale(QLocale::German, QLocale::Germany) << 2;
}

// The disk fills up while the export is written: the file chosen keeps what it held, the user is told in
// the user's language, and the dialog stays for another try.
void TestExport::fullDiskKeepsTheFileAsItWas()
{
    QFETCH(QLocale, locale);
    QFETCH(int, language);
    ReportsFixture f(0, locale, language);
    MainList list(0, kMarch);
    const QString target = f.box->root() + QStringLiteral("/export.txt");
    {
        QFile old(target);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("an earlier export\n");
    }
    platform::setWriteFault([](const QString &file) { return file.endsWith(QLatin1String("/export.txt")); });
    frmExport dialog(&list.grid, 0);
    dialog.show();
    f.box->answerText(target);
    QTest::mouseClick(dialog.cmdProcedi, Qt::LeftButton);
    platform::setWriteFault(nullptr);
    const auto &asked = f.box->requests();
    QCOMPARE(asked.size(), 2);
    QVERIFY2(asked[1].text.startsWith(LRS(2047) + QLatin1Char('\n') + QDir::toNativeSeparators(target)),
             qPrintable(asked[1].text));
    QCOMPARE(readAll(target), QByteArray("an earlier export\n"));
    QVERIFY(dialog.isVisible());
}

QTEST_MAIN(TestExport)
#include "tst_export.moc"
