// The deadline editor and the cash-book editor driven through their controls: changing an opened row
// (balance from value and type), duplicates, new movements, the refusals, dates typed in each language's
// locale, a failing write that leaves everything as it was, the attachment buttons, the refresh of the
// main window with the saved id, and rows that are gone.

#include "EditorsFixture.h"

#include "editors/RowEditorSave.h"
#include "editors/UpDown.h"
#include "editors/frmPN.h"
#include "editors/frmScadenze.h"
#include "platform/RuntimeError.h"
#include "platform/controls/DateField.h"
#include "platform/database/Connection.h"
#include "platform/shell/Shell.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>

using platform::Currency;

namespace {

// The rows the editors told as saved (rowSaved), in order.
QList<int> g_saved;

template <class Editor>
Editor *load()
{
    return loadEditor<Editor>(g_saved);
}
QStringList g_opened;

// A Transactions row as stored.
struct Stored {
    int id = 0, sheet = 0, type = 0, acId = 0, countId = 0, alert = 0, grpId = 0;
    bool done = false, isPN = false;
    QDate date;
    QString description, notes, grpType, value, balance;
    QVariant attached;
    bool operator==(const Stored &) const = default;
};

Stored stored(const QString &dbFile, const QString &where)
{
    platform::Recordset rs;
    rs.Open(QStringLiteral("SELECT * FROM Transactions WHERE ") + where, testenv::connectionString(dbFile));
    Stored s;
    if (rs.EOF())
        return s;
    s.id = rs.value(QStringLiteral("TrRowId")).toInt();
    s.sheet = rs.value(QStringLiteral("TrDbId")).toInt();
    s.type = rs.value(QStringLiteral("TrType")).toInt();
    s.acId = rs.value(QStringLiteral("TrAcId")).toInt();
    s.countId = rs.value(QStringLiteral("TrCountId")).toInt();
    s.alert = rs.value(QStringLiteral("TrAlertDays")).toInt();
    s.grpId = rs.value(QStringLiteral("TrGrpId")).toInt();
    s.done = rs.value(QStringLiteral("TrDone")).toBool();
    s.isPN = rs.value(QStringLiteral("IsPN")).toBool();
    s.date = rs.value(QStringLiteral("TrDate")).toDate();
    s.description = rs.value(QStringLiteral("TrDescription")).toString();
    s.notes = rs.value(QStringLiteral("TrNotes")).toString();
    s.grpType = rs.value(QStringLiteral("TrGrpType")).toString();
    s.value = rs.value(QStringLiteral("TrValue")).value<Currency>().toString();
    s.balance = rs.value(QStringLiteral("TrBalance")).value<Currency>().toString();
    s.attached = rs.value(QStringLiteral("TrAttached"));
    return s;
}

void typeInto(QLineEdit *box, const QString &text)
{
    box->setFocus();
    box->clear();
    QTest::keyClicks(box, text);
}

} // namespace

class tst_roweditors : public QObject
{
    Q_OBJECT

    std::unique_ptr<EditorsFixture> f;

    Stored row(const QString &description) const
    {
        return stored(f->dbFile, QStringLiteral("TrDescription = '%1' ORDER BY TrRowId").arg(description));
    }
    Stored rowId(int id) const { return stored(f->dbFile, QStringLiteral("TrRowId = %1").arg(id)); }
    int total() const { return f->count(QStringLiteral("SELECT Count(*) FROM Transactions")); }
    QStringList attachedFiles() const { return QDir(Adb->attachedPath()).entryList(QDir::Files); }
    bool appErrorShown(const QString &where) const
    {
        for (const platform::DialogRequest &r : f->box->requests())
            if (r.title == LRS(1943) && r.text.contains(where))
                return true;
        return false;
    }
    QString makeFile(const QString &name) const
    {
        const QString path = f->box->root() + QLatin1Char('/') + name;
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write("contents of " + name.toUtf8());
        return path;
    }
    template <class Editor>
    Editor *shown(Editor *w)
    {
        QApplication::setActiveWindow(w);
        return w;
    }
    frmScadenze *openDeadline(const QString &description)
    {
        load<frmScadenze>()->Apri(row(description).id);
        return frmScadenze::instance() ? shown(frmScadenze::instance()) : nullptr;
    }

private slots:
    void init()
    {
        f = std::make_unique<EditorsFixture>();
        g_saved.clear();
        platform::setOpenHandler([](const QString &p) {
            g_opened << p;
            return true;
        });
    }
    void cleanup()
    {
        f.reset();
    }

    void editSaves_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("amount");   // "" leaves the box untouched
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("balance");
        QTest::addColumn<bool>("amountEnabled");
        QTest::newRow("credit, new amount") << "Invoice 118" << "99.5" << "99.5" << "99.5" << true;
        QTest::newRow("credit, amount as shown") << "Invoice 118" << "" << "1200.5" << "1200.5" << true;
        QTest::newRow("debit, currency text") << "Electricity bill" << "$1,234.56" << "1234.56" << "-1234.56" << true;
        QTest::newRow("appointment") << "Meeting with accountant" << "" << "0" << "0" << false;
    }
    void editSaves()
    {
        QFETCH(QString, source);
        QFETCH(QString, amount);
        QFETCH(QString, value);
        QFETCH(QString, balance);
        QFETCH(bool, amountEnabled);
        const Stored before = row(source);
        const int rows = total();
        frmScadenze *w = openDeadline(source);
        QVERIFY(w);
        QCOMPARE(w->windowTitle(), LRS(902));
        QVERIFY(!w->imgcmbData->isEnabled());
        QCOMPARE(w->selectedType(), before.type);
        QCOMPARE(w->txtData[1]->isEnabled(), amountEnabled);
        QCOMPARE(w->dtcData[1]->isEnabled(), amountEnabled);
        QCOMPARE(w->cmdSalva->text(), LRS(1108));
        typeInto(w->txtData[0], QStringLiteral("Changed it"));
        if (!amount.isEmpty())
            typeInto(w->txtData[1], amount);
        w->datData->setDate(QDate(2025, 4, 30));
        w->chkData->setChecked(true);
        w->cmdSalva->click();

        QVERIFY(!frmScadenze::instance());
        QCOMPARE(total(), rows);
        const Stored after = rowId(before.id);
        QCOMPARE(after.description, QStringLiteral("Changed it"));
        QCOMPARE(after.value, value);
        QCOMPARE(after.balance, balance);
        QCOMPARE(after.type, before.type);
        QCOMPARE(after.date, QDate(2025, 4, 30));
        QVERIFY(after.done);
        QCOMPARE(after.countId, amountEnabled ? before.countId : 0);
        QCOMPARE(after.grpId, before.grpId);
        QCOMPARE(after.isPN, before.isPN);
        QCOMPARE(g_saved, QList<int>{before.id});
    }

    // The balance follows value and type whatever the type is: written straight through the save.
    void balanceIsValueTimesType_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("balance");
        QTest::newRow("credit") << 1 << "12.34";
        QTest::newRow("debit") << -1 << "-12.34";
        QTest::newRow("appointment") << -2 << "-24.68";
    }
    void balanceIsValueTimesType()
    {
        QFETCH(int, type);
        QFETCH(QString, balance);
        const int id = row(QStringLiteral("Invoice 121")).id;
        platform::Connection cn;
        cn.Open(Adb->dcs());
        platform::Recordset rs;
        rs.Open(QStringLiteral("SELECT * FROM Transactions WHERE TrRowId=%1").arg(id), cn,
                platform::Recordset::adOpenStatic, platform::Recordset::adLockBatchOptimistic);
        RowEditorSave::RowValues v = RowEditorSave::readRow(rs);
        v.type = type;
        v.value = *Currency::parse(QStringLiteral("12.34"));
        QCOMPARE(RowEditorSave::writeRow(rs, v, {}, {}, Adb->attachedPath()), id);
        cn.Close();
        QCOMPARE(rowId(id).type, type);
        QCOMPARE(rowId(id).balance, balance);
    }

    void captionWithId_data()
    {
        QTest::addColumn<bool>("showId");
        QTest::newRow("id shown") << true;
        QTest::newRow("id hidden") << false;
    }
    void captionWithId()
    {
        QFETCH(bool, showId);
        Env->DeadlinesShowId = showId;
        const int id = row(QStringLiteral("Invoice 118")).id;
        load<frmScadenze>()->Apri(id);
        QCOMPARE(frmScadenze::instance()->windowTitle(), showId ? QStringLiteral("Edit [#%1]").arg(id) : QStringLiteral("Edit"));
        frmScadenze::instance()->cmdAnnulla_Click();
        load<frmScadenze>()->Duplica(id);
        QCOMPARE(frmScadenze::instance()->windowTitle(), QStringLiteral("Duplicate"));
    }

    void duplicateDeadline()
    {
        const Stored source = stored(f->dbFile, QStringLiteral("TrGrpId = 1 AND TrGrpRow = 2"));
        QVERIFY(source.id > 0);
        const int rows = total();
        load<frmScadenze>()->Duplica(source.id);
        frmScadenze *w = shown(frmScadenze::instance());
        QCOMPARE(w->cmdSalva->text(), LRS(1365));
        QCOMPARE(w->datData->date(), QDate(2025, 3, 15));
        QVERIFY(!w->chkData->isChecked());
        QCOMPARE(total(), rows);   // nothing before Save
        w->cmdSalva->click();

        QCOMPARE(total(), rows + 1);
        const Stored copy = stored(f->dbFile, QStringLiteral("TrRowId = (SELECT Max(TrRowId) FROM Transactions)"));
        QCOMPARE(copy.grpType, QStringLiteral("n"));
        QCOMPARE(copy.grpId, 0);
        QCOMPARE(copy.date, QDate(2025, 3, 15));
        QVERIFY(!copy.done && !copy.isPN);
        QVERIFY(copy.attached.isNull());
        QCOMPARE(copy.description, source.description);
        QCOMPARE(copy.acId, source.acId);
        QCOMPARE(copy.value, source.value);
        QCOMPARE(copy.balance, source.balance);
        QCOMPARE(copy.countId, source.countId);
        QCOMPARE(copy.alert, source.alert);
        QCOMPARE(copy.sheet, source.sheet);
        QCOMPARE(rowId(source.id), source);
        QCOMPARE(g_saved, QList<int>{copy.id});
    }

    void newMovement_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("balance");
        QTest::newRow("expense") << 1 << -1 << "-50";
        QTest::newRow("income") << 0 << 1 << "50";
    }
    void newMovement()
    {
        QFETCH(int, position);
        QFETCH(int, type);
        QFETCH(QString, balance);
        load<frmPN>()->Nuovo();
        frmPN *w = shown(frmPN::instance());
        QCOMPARE(w->windowTitle(), LRS(1900));
        QVERIFY(w->imgcmbData->isEnabled());
        QCOMPARE(w->imgcmbData->count(), 2);
        QVERIFY(!w->chkData && !w->txtData[3]);
        w->imgcmbData->setCurrentIndex(position);
        typeInto(w->txtData[0], QStringLiteral("Petty cash"));
        typeInto(w->txtData[1], QStringLiteral("50"));
        w->dtcData[1]->setCurrentIndex(w->dtcData[1]->findText(QStringLiteral("Cash")));
        w->cmdSalva->click();
        QVERIFY(!frmPN::instance());
        const Stored s = row(QStringLiteral("Petty cash"));
        QCOMPARE(s.type, type);
        QCOMPARE(s.value, QStringLiteral("50"));
        QCOMPARE(s.balance, balance);
        QVERIFY(s.isPN && s.done);
        QCOMPARE(s.sheet, Sheet->Id());
        QCOMPARE(s.grpType, QStringLiteral("n"));
        QCOMPARE(s.date, QDate(2025, 3, 15));
        QCOMPARE(s.countId, f->count(QStringLiteral("SELECT CnId FROM Counts WHERE CnName = 'Cash'")));
        QCOMPARE(g_saved, QList<int>{s.id});
    }

    void cashBookOpenAndDuplicate()
    {
        // A closed deadline opened in the cash book keeps its closed flag, alert days and deadline mark.
        const Stored deposit = row(QStringLiteral("Office rent deposit"));
        load<frmPN>()->Apri(deposit.id);
        frmPN *w = shown(frmPN::instance());
        QCOMPARE(w->selectedType(), -1);
        QVERIFY(!w->imgcmbData->isEnabled());
        typeInto(w->txtData[1], QStringLiteral("650"));
        w->cmdSalva->click();
        const Stored after = rowId(deposit.id);
        QCOMPARE(after.balance, QStringLiteral("-650"));
        QVERIFY(after.done && !after.isPN);
        QCOMPARE(after.alert, deposit.alert);

        const Stored sale = row(QStringLiteral("Sale at the counter"));
        load<frmPN>()->Duplica(sale.id);
        shown(frmPN::instance())->cmdSalva->click();
        const Stored copy = stored(f->dbFile, QStringLiteral("TrRowId = (SELECT Max(TrRowId) FROM Transactions)"));
        QVERIFY(copy.id != sale.id);
        QCOMPARE(copy.description, sale.description);
        QCOMPARE(copy.balance, sale.balance);
        QVERIFY(copy.isPN && copy.done);
        QCOMPARE(copy.date, QDate(2025, 3, 15));
    }

    void refused_data()
    {
        QTest::addColumn<int>("box");
        QTest::addColumn<QString>("text");   // <NUL> stands for the character 0
        QTest::addColumn<int>("reason");     // the text id the status bar shows
        QTest::newRow("empty description") << 0 << "" << 2034;
        QTest::newRow("blank description") << 0 << "   " << 2034;
        QTest::newRow("a NUL in the description") << 0 << "Invoice<NUL>118" << 2037;
        QTest::newRow("two separators") << 1 << "12..5" << 2031;
        QTest::newRow("letters") << 1 << "12a" << 2031;
        QTest::newRow("five decimals") << 1 << "1.23456" << 2031;
        QTest::newRow("negative") << 1 << "-5" << 2032;
        QTest::newRow("beyond the largest amount") << 1 << "1,000,000,000,000" << 2033;
        QTest::newRow("three decimals") << 1 << "1.234" << 2201;
        QTest::newRow("rounded beyond the largest amount") << 1 << "999999999999.995" << 2033;
        QTest::newRow("alert days 101") << 3 << "101" << 2036;
        QTest::newRow("alert days empty") << 3 << "" << 2036;
    }
    void refused()
    {
        QFETCH(int, box);
        QFETCH(QString, text);
        QFETCH(int, reason);
        text.replace(QStringLiteral("<NUL>"), QString(QChar(0)));
        const Stored before = row(QStringLiteral("Invoice 118"));
        frmScadenze *w = openDeadline(QStringLiteral("Invoice 118"));
        // Past the key filter: what a paste leaves.
        QApplication::clipboard()->setText(text);
        w->txtData[box]->setFocus();
        w->txtData[box]->selectAll();
        QTest::keyClick(w->txtData[box], Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(w->txtData[box]->text(), text);
        // Leaving the box is refused and says why, in the user's language.
        QTest::keyClick(w->txtData[box], Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), w->txtData[box]);
        const QString why = reason == 2036 ? LRSV(reason, 100)
                            : reason == 2033 ? LRSV(reason, QStringLiteral("999,999,999,999.99"))
                            : reason == 2031 || reason == 2032 || reason == 2201 ? LRSV(reason, QStringLiteral("1,234.56"))
                                                               : LRS(reason);
        QCOMPARE(w->sbPanel1->text(), why);
        w->cmdSalva->click();
        QCOMPARE(frmScadenze::instance(), w);
        QVERIFY(w->isVisible());
        QCOMPARE(QApplication::focusWidget(), w->txtData[box]);
        QCOMPARE(w->sbPanel1->text(), why);
        QCOMPARE(w->txtData[box]->text(), text);
        QCOMPARE(rowId(before.id), before);
        QVERIFY(g_saved.isEmpty());
        QVERIFY(f->box->requests().isEmpty());
    }

    void dateTypedInTheLocale_data()
    {
        using namespace testenv;
        QTest::addColumn<bool>("cashBook");    // a new movement; else the deadline "Invoice 118" opened
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QDate>("date");       // stored; null: refused
        QTest::addColumn<int>("reason");       // the text of the status bar's reason when refused
        QTest::addColumn<QString>("example");  // the date it shows
        QTest::newRow("deadline, en_US") << false << enUS << "8/31/2027" << QDate(2027, 8, 31) << 0 << "";
        QTest::newRow("deadline, it_IT") << false << itIT << "31/8/27" << QDate(2027, 8, 31) << 0 << "";
        QTest::newRow("deadline, de_DE, refused") << false << deDE << "8/31/2027" << QDate() << 2360 << "31.12.2025";
        QTest::newRow("cash book, fr_FR") << true << frFR << "1/2/2027" << QDate(2027, 2, 1) << 0 << "";
        QTest::newRow("cash book, es_ES") << true << esES << "29/2/24" << QDate(2024, 2, 29) << 0 << "";
        QTest::newRow("cash book, en_US, no such day") << true << enUS << "2/29/25" << QDate() << 2361 << "2/28/2025";
    }
    void dateTypedInTheLocale()
    {
        QFETCH(bool, cashBook);
        QFETCH(QLocale, locale);
        QFETCH(QString, typed);
        QFETCH(QDate, date);
        QFETCH(int, reason);
        QFETCH(QString, example);
        platform::setUserLocale(locale);
        const Stored before = row(QStringLiteral("Invoice 118"));
        const int rows = total();
        frmRowEditor *w = nullptr;
        if (cashBook) {
            load<frmPN>()->Nuovo();
            w = shown(frmPN::instance());
            typeInto(w->txtData[0], QStringLiteral("Typed date"));
            typeInto(w->txtData[1], QStringLiteral("50"));
        } else {
            w = openDeadline(QStringLiteral("Invoice 118"));
        }
        w->datData->setFocus();
        QTest::keyClicks(w->datData, typed);
        QTest::keyClick(w->datData, Qt::Key_Tab);
        if (date.isNull()) {
            // The focus stays, the status bar says why; Save refuses again and writes nothing.
            QCOMPARE(QApplication::focusWidget(), w->datData);
            QCOMPARE(w->sbPanel1->text(), LRSV(reason, example));
            w->cmdSalva->click();
            QVERIFY(w->isVisible());
            QCOMPARE(QApplication::focusWidget(), w->datData);
            QCOMPARE(w->sbPanel1->text(), LRSV(reason, example));
            QCOMPARE(total(), rows);
            QCOMPARE(rowId(before.id), before);
            QVERIFY(f->box->requests().isEmpty());
            return;
        }
        w->cmdSalva->click();
        QCOMPARE(total(), rows + (cashBook ? 1 : 0));
        QCOMPARE(row(cashBook ? QStringLiteral("Typed date") : QStringLiteral("Invoice 118")).date, date);
    }

    void amountAsFoundBeyondTheLargest_data()
    {
        QTest::addColumn<QString>("stored");   // TrValue as another program left it
        QTest::addColumn<bool>("saved");
        QTest::newRow("the largest amount") << "999999999999.99" << true;
        QTest::newRow("four decimals, as an import left them") << "1200.1234" << true;
        QTest::newRow("beyond it") << "500000000000000" << false;
        QTest::newRow("negative") << "-25" << false;
        // A real number beyond the 64-bit range, as the engine keeps a result too large for an integer.
        QTest::newRow("beyond any amount") << "raw 1e30" << false;
    }
    void amountAsFoundBeyondTheLargest()
    {
        QFETCH(QString, stored);
        QFETCH(bool, saved);
        const QString update = QStringLiteral("UPDATE Transactions SET TrValue = %1, TrBalance = %1 WHERE TrRowId = ")
                               + QString::number(row(QStringLiteral("Invoice 118")).id);
        if (stored.startsWith(QLatin1String("raw ")))
            f->rawExec(update.arg(stored.mid(4)).toUtf8().constData());
        else
            f->execute(update.arg(stored));
        const Stored before = row(QStringLiteral("Invoice 118"));
        frmScadenze *w = openDeadline(QStringLiteral("Invoice 118"));
        // Only the description is changed: the amount stays as read, and is checked as read.
        typeInto(w->txtData[0], QStringLiteral("Invoice 118 bis"));
        w->cmdSalva->click();
        QCOMPARE(!frmScadenze::instance(), saved);
        if (saved) {
            QCOMPARE(rowId(before.id).value, stored);
            return;
        }
        QCOMPARE(QApplication::focusWidget(), w->txtData[1]);
        QCOMPARE(w->sbPanel1->text(), stored.startsWith(QLatin1Char('-'))
                                          ? LRSV(2032, QStringLiteral("1,234.56"))
                                          : LRSV(2033, QStringLiteral("999,999,999,999.99")));
        QCOMPARE(rowId(before.id), before);
    }

    void alertDaysBounds()
    {
        frmScadenze *w = openDeadline(QStringLiteral("Invoice 118"));
        w->txtData[3]->setText(QStringLiteral("100"));
        QVERIFY(w->txtData_Validate(3));
        w->UpDown1->stepBy(1);
        QCOMPARE(w->txtData[3]->text(), QStringLiteral("60"));
        w->txtData[3]->setText(QStringLiteral("0"));
        w->UpDown1->stepBy(-1);
        QCOMPARE(w->txtData[3]->text(), QStringLiteral("0"));
        // Enter in the notes moves on instead of breaking the line.
        w->txtNotes->setFocus();
        QTest::keyClick(w->txtNotes, Qt::Key_Return);
        QVERIFY(!w->txtNotes->toPlainText().contains(QLatin1Char('\n')));
        QVERIFY(QApplication::focusWidget() != w->txtNotes);
    }

    void failedWriteLeavesRow_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("failure");
        QTest::newRow("open, update fails") << "Apri" << "UPDATE";
        QTest::newRow("duplicate, insert fails") << "Duplica" << "INSERT";
        QTest::newRow("new movement, insert fails") << "Nuovo" << "INSERT";
        QTest::newRow("open, chosen file gone") << "Apri" << "missing file";
    }
    void failedWriteLeavesRow()
    {
        QFETCH(QString, entry);
        QFETCH(QString, failure);
        const Stored before = row(QStringLiteral("Invoice 118"));
        const int rows = total();
        const QString source = makeFile(QStringLiteral("bill.pdf"));
        frmRowEditor *w = nullptr;
        if (entry == QLatin1String("Nuovo")) {
            load<frmPN>()->Nuovo();
            w = shown(frmPN::instance());
        } else if (entry == QLatin1String("Duplica")) {
            load<frmScadenze>()->Duplica(before.id);
            w = shown(frmScadenze::instance());
        } else {
            w = openDeadline(QStringLiteral("Invoice 118"));
        }
        typeInto(w->txtData[0], QStringLiteral("Typed by the user"));
        typeInto(w->txtData[1], QStringLiteral("77"));
        f->box->answerText(source);
        w->cmdAllegato[0]->click();
        if (failure == QLatin1String("missing file"))
            QVERIFY(QFile::remove(source));
        else
            f->failWrites(failure, QStringLiteral("Transactions"));
        w->cmdSalva->click();

        const QString where = QStringLiteral("in Orvel3.%1.cmdSalva_Click line ").arg(w->objectName());
        QVERIFY(appErrorShown(where));
        QCOMPARE(total(), rows);
        QCOMPARE(rowId(before.id), before);
        QVERIFY(attachedFiles().isEmpty());
        QVERIFY(w->isVisible());
        QCOMPARE(w->txtData[0]->text(), QStringLiteral("Typed by the user"));
        QVERIFY(g_saved.isEmpty());

        // The cause gone, the same window saves.
        if (failure == QLatin1String("missing file"))
            makeFile(QStringLiteral("bill.pdf"));
        else
            f->rawExec(QStringLiteral("DROP TRIGGER fail_%1").arg(failure).toUtf8().constData());
        w->cmdSalva->click();
        const Stored saved = row(QStringLiteral("Typed by the user"));
        QCOMPARE(saved.value, QStringLiteral("77"));
        QCOMPARE(attachedFiles(), QStringList{saved.attached.toString()});
    }

    // The chosen file's name is shown beside the buttons; a name longer than the room there is cut with
    // an ellipsis (its extension in view) and whole in its tooltip: the window keeps its width.
    void attachment_data()
    {
        QTest::addColumn<QString>("steps");   // a attach, r remove (Yes), n remove (No), c cancel the window
        QTest::addColumn<QString>("expected"); // "new": the chosen file; "old": the row's own; "none": Null
        QTest::addColumn<QString>("file");     // the chosen file's name
        const QString scan = QStringLiteral("scan.pdf");
        QTest::newRow("attach, save") << "a" << "new" << scan;
        QTest::newRow("attach a long name, save") << "a" << "new"
                                                  << QStringLiteral("Invoice of the quarter %1.pdf").arg(QString(120, QLatin1Char('x')));
        QTest::newRow("attach, cancel") << "ac" << "old" << scan;
        QTest::newRow("remove, save") << "r" << "none" << scan;
        QTest::newRow("remove refused, save") << "n" << "old" << scan;
        QTest::newRow("remove, attach, save") << "ra" << "new" << scan;
    }
    void attachment()
    {
        QFETCH(QString, steps);
        QFETCH(QString, expected);
        QFETCH(QString, file);
        // Insurance holds an attachment; Invoice 118 none: attaching starts on a row without one.
        const QString description = steps.startsWith(QLatin1Char('a')) ? QStringLiteral("Invoice 118") : QStringLiteral("Insurance");
        const Stored before = row(description);
        const QString source = makeFile(file);
        frmScadenze *w = openDeadline(description);
        const bool had = !before.attached.toString().isEmpty();
        QCOMPARE(w->cmdAllegato[0]->isEnabled(), !had);
        QCOMPARE(w->cmdAllegato[1]->isEnabled(), had);
        QCOMPARE(w->cmdAllegato[2]->isEnabled(), had);
        for (const QChar step : steps) {
            if (step == QLatin1Char('a')) {
                QVERIFY(QTest::qWaitForWindowExposed(w));
                const int width = w->width();
                f->box->answerText(source);
                w->cmdAllegato[0]->click();
                QCoreApplication::processEvents();
                QCOMPARE(w->width(), width);
                QCOMPARE(w->lblAttached->toolTip(), file);
                const QString shown = w->lblAttached->text();
                if (file.size() > 20) {
                    QVERIFY2(shown.contains(QChar(0x2026)) && shown.endsWith(QLatin1String(".pdf")), qPrintable(shown));
                    QVERIFY(w->lblAttached->fontMetrics().horizontalAdvance(shown) <= w->lblAttached->contentsRect().width());
                } else {
                    QCOMPARE(shown, file);
                }
                QVERIFY(!w->cmdAllegato[0]->isEnabled() && !w->cmdAllegato[1]->isEnabled());
                QVERIFY(w->cmdAllegato[2]->isEnabled());
            } else if (step == QLatin1Char('r') || step == QLatin1Char('n')) {
                f->box->answerButton(step == QLatin1Char('r') ? platform::vbYes : platform::vbNo);
                w->cmdAllegato[2]->click();
                QCOMPARE(f->box->requests().last().text, LRS(1169));
            } else {
                w->cmdAnnulla->click();
            }
        }
        if (frmScadenze::instance())
            w->cmdSalva->click();
        const QVariant attached = rowId(before.id).attached;
        if (expected == QLatin1String("new")) {
            QCOMPARE(attached.toString().size(), 16 + 4);
            QVERIFY(attached.toString().endsWith(QLatin1String(".pdf")));
            QCOMPARE(attachedFiles(), QStringList{attached.toString()});
            QVERIFY(QFile::exists(source));
        } else {
            QVERIFY(attachedFiles().isEmpty());
            if (expected == QLatin1String("none"))
                QVERIFY(attached.isNull());
            else
                QCOMPARE(attached, before.attached);
        }
    }

    void showAttachment()
    {
        // The row's attachment, a full path to a file of the user's.
        const QString policy = makeFile(QStringLiteral("policy.pdf"));
        f->execute(QStringLiteral("UPDATE Transactions SET TrAttached = '%1' WHERE TrDescription = 'Insurance'").arg(policy));
        frmScadenze *w = openDeadline(QStringLiteral("Insurance"));
        w->cmdAllegato[1]->click();
        QCOMPARE(g_opened, QStringList{policy});
        QVERIFY(f->box->requests().isEmpty());
        // Gone since: the user is told, nothing is opened.
        QVERIFY(QFile::remove(policy));
        w->cmdAllegato[1]->click();
        QCOMPARE(g_opened.size(), 1);
        QCOMPARE(f->box->requests().size(), 1);
        QCOMPARE(f->box->requests()[0].text, LRSV(2040, policy));
        // A cancelled file dialog changes nothing.
        f->box->answerText(QString());
        w->cmdAllegato[0]->setEnabled(true);
        w->cmdAllegato[0]->click();
        QCOMPARE(w->Attach.action, int(RowEditorSave::AttachmentChange::None));
        QVERIFY(w->cmdAllegato[1]->isEnabled());
    }

    // Every field is named by its label for a screen reader: the alert days by the sentence they stand
    // in, the picture-only button that makes a customer by what it does.
    void fieldsNamedByTheirLabels_data()
    {
        QTest::addColumn<bool>("cashBook");
        QTest::newRow("deadline editor") << false;
        QTest::newRow("cash-book editor") << true;
    }
    void fieldsNamedByTheirLabels()
    {
        QFETCH(bool, cashBook);
        frmRowEditor *w = nullptr;
        if (cashBook) {
            load<frmPN>()->Apri(row(QStringLiteral("Stationery")).id);
            w = shown(frmPN::instance());
        } else {
            w = openDeadline(QStringLiteral("Invoice 118"));
        }
        QVERIFY(w);
        const int base = cashBook ? 1900 : 1100;
        const auto named = [](QWidget *field, const QString &name) {
            QVERIFY(!name.isEmpty());
            QCOMPARE(fieldName(field), name);
        };
        named(w->imgcmbData, LRS(base + 2));
        named(w->datData, LRS(base + 3));
        named(w->txtData[0], LRS(base + 4));
        named(w->dtcData[0], LRS(base + 5));
        named(w->txtData[1], LRS(base + 6));
        named(w->txtNotes, LRS(1333));
        named(w->dtcData[1], LRS(1139));
        named(w->cmdAdd, LRS(1340));
        if (!cashBook) {
            named(w->txtData[3], LRS(1137) + QLatin1Char(' ') + LRS(1138));
            named(w->chkData, LRS(1107));
        }
    }

    // A line break pasted into a one-line box becomes a space, whatever its kind; the notes keep theirs.
    void pastedLineBreaksBecomeSpaces()
    {
        frmScadenze *w = openDeadline(QStringLiteral("Invoice 121"));
        w->txtData[0]->clear();
        pasteInto(w->txtData[0], QStringLiteral("Rent\r\nMarch\nApril\rMay") + QChar(0x2028) + QStringLiteral("June"));
        QCOMPARE(w->txtData[0]->text(), QStringLiteral("Rent March April May June"));
        QCOMPARE(w->txtData[0]->cursorPosition(), 25);
        pasteInto(w->txtNotes, QStringLiteral("first\nsecond"));
        w->cmdSalva->click();
        QVERIFY(!frmScadenze::instance());
        QCOMPARE(row(QStringLiteral("Rent March April May June")).notes, QStringLiteral("first\nsecond"));
    }

    void goneRow_data()
    {
        QTest::addColumn<bool>("duplicate");
        QTest::newRow("open") << false;
        QTest::newRow("duplicate") << true;
    }
    void goneRow()
    {
        QFETCH(bool, duplicate);
        const int rows = total();
        if (duplicate)
            load<frmScadenze>()->Duplica(99999);
        else
            load<frmScadenze>()->Apri(99999);
        QVERIFY(!frmScadenze::instance());
        QVERIFY(appErrorShown(duplicate ? QStringLiteral("frmScadenze.Duplica") : QStringLiteral("frmScadenze.Apri")));
        QCOMPARE(total(), rows);
    }

    // The save is told once the row is in the database, so that the main window reads it back, and the
    // editor unloads after it.
    void saveToldOnceStored()
    {
        frmScadenze *w = openDeadline(QStringLiteral("Invoice 121"));
        typeInto(w->txtData[0], QStringLiteral("Invoice 121 bis"));
        QString storedWhenTold;
        bool openWhenTold = false;
        connect(w, &RecordEditorWindow::rowSaved, this, [&](int) {
            storedWhenTold = row(QStringLiteral("Invoice 121 bis")).value;
            openWhenTold = frmScadenze::instance() != nullptr;
        });
        w->cmdSalva->click();
        QCOMPARE(storedWhenTold, QStringLiteral("880"));
        QVERIFY(openWhenTold);
        QVERIFY(!frmScadenze::instance());
        QCOMPARE(g_saved.size(), 1);
    }

    void secondEntryKeepsTheOpenRow()
    {
        load<frmPN>()->Apri(row(QStringLiteral("Stationery")).id);
        frmPN *w = shown(frmPN::instance());
        typeInto(w->txtData[0], QStringLiteral("Pens"));
        load<frmPN>()->Nuovo();
        QCOMPARE(frmPN::instance(), w);
        QCOMPARE(w->txtData[0]->text(), QStringLiteral("Pens"));
        QCOMPARE(w->windowTitle(), LRS(902));
    }
};

QTEST_MAIN(tst_roweditors)
#include "tst_roweditors.moc"
