// The deletion of closed rows up to a day, driven through the dialog: which rows go (closed, of the
// current data sheet, dated up to the day inclusive, the day typed in the user's locale), the question
// with its count, the answers, a day refused with the reason, and the failures that must leave the data
// as it was.

#include "EditorsFixture.h"
#include "ModalSteps.h"

#include "editors/frmDelClosedRows.h"
#include "platform/controls/DateField.h"
#include "platform/database/Connection.h"
#include "platform/database/Recordset.h"
#include "platform/database/ScopedTransaction.h"
#include "platform/shell/Shell.h"

#include <QLabel>
#include <QPushButton>
#include <QtTest>

using platform::DialogKind;

namespace {

// Rows around today (15 March 2025): description, sheet, date, closed, cash book, series id, position, size.
struct Row {
    const char *description;
    int sheet;
    QDate date;
    bool done;
    bool pn;
    int grpId = 0;
    int grpRow = 0;
    int grpMDay = 0;
};
const Row Rows[] = {
    {"closed yesterday", 1, QDate(2025, 3, 14), true, false},
    {"closed today", 1, QDate(2025, 3, 15), true, false},
    {"open long ago", 1, QDate(2024, 1, 10), false, false},
    {"cash book income", 1, QDate(2025, 2, 1), true, true},
    {"other sheet closed", 2, QDate(2025, 3, 1), true, false},
    {"closed tomorrow", 1, QDate(2025, 3, 16), true, false},
    {"series first", 1, QDate(2024, 12, 31), true, false, 7, 1, 2},
    {"series second", 1, QDate(2025, 4, 30), false, false, 7, 2, 2},
};

void fill(const QString &dbFile)
{
    platform::Connection cn;
    cn.Open(testenv::connectionString(dbFile));
    cn.Execute(QStringLiteral("INSERT INTO Dbs ( DbId, DbName ) SELECT 2, 'Second'"));
    for (const Row &r : Rows)
        cn.Execute(QStringLiteral("INSERT INTO Transactions ( TrDbId, TrType, TrDate, TrDescription, TrDone, IsPN, "
                                  "TrGrpId, TrGrpRow, TrGrpMDay ) SELECT %1, 1, %2, '%3', %4, %5, %6, %7, %8")
                       .arg(r.sheet)
                       .arg(r.date.toString(QStringLiteral("#MM/dd/yyyy#")), QLatin1String(r.description),
                            r.done ? QStringLiteral("True") : QStringLiteral("False"),
                            r.pn ? QStringLiteral("True") : QStringLiteral("False"))
                       .arg(r.grpId)
                       .arg(r.grpRow)
                       .arg(r.grpMDay));
}

// The descriptions of the rows left, in the order they were written.
QStringList remaining(const QString &dbFile)
{
    platform::Recordset rs;
    rs.Open(QStringLiteral("SELECT TrDescription FROM Transactions ORDER BY TrRowId"), testenv::connectionString(dbFile));
    QStringList out;
    for (; !rs.EOF(); rs.MoveNext())
        out << rs.value(0).toString();
    return out;
}

QStringList all()
{
    QStringList out;
    for (const Row &r : Rows)
        out << QLatin1String(r.description);
    return out;
}

QStringList without(const QStringList &gone)
{
    QStringList out = all();
    for (const QString &g : gone)
        out.removeAll(g);
    return out;
}

} // namespace

class tst_delclosedrows : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        fx = std::make_unique<EditorsFixture>(false);
        fill(fx->dbFile);
    }
    void cleanup()
    {
        frmDelClosedRows::Unload();
        fx.reset();
    }

    void texts();
    void deleteUpTo_data();
    void deleteUpTo();
    void cancelDeletesNothing_data();
    void cancelDeletesNothing();
    void refusedDay_data();
    void refusedDay();
    void seriesLeftAsTheyAre();
    void questionText_data();
    void questionText();
    void missingDatabase();
    void failedDeletionKeepsEveryRow();
    void lockedDatabase();

private:
    // Shows the dialog as the Tools command does; `step` runs while it is shown.
    int run(const std::function<void(frmDelClosedRows *)> &step);
    std::unique_ptr<EditorsFixture> fx;
};

int tst_delclosedrows::run(const std::function<void(frmDelClosedRows *)> &step)
{
    auto leftOpen = onModal([step](QWidget *w) {
        auto *d = qobject_cast<frmDelClosedRows *>(w);
        QVERIFY(d);
        step(d);
    });
    const int deleted = frmDelClosedRows::ShowModal(nullptr);
    if (*leftOpen)
        qWarning("the dialog stayed open after the step");
    return deleted;
}

void tst_delclosedrows::texts()
{
    frmDelClosedRows *d = frmDelClosedRows::Load();
    QCOMPARE(d->windowTitle(), QStringLiteral("Delete past expiry dates "));
    QCOMPARE(d->lblData->text(), QStringLiteral("Specify date within which expiry dates should be deleted."));
    QCOMPARE(d->cmdSalva->text(), QStringLiteral("Continue"));
    QCOMPARE(d->cmdAnnulla->text(), QStringLiteral("Cancel"));
    QCOMPARE(d->dtp->date(), QDate(2025, 3, 14));   // yesterday
    QCOMPARE(d->HelpContextID(), 2);
    QVERIFY(!(d->windowFlags() & Qt::WindowCloseButtonHint));
}

void tst_delclosedrows::deleteUpTo_data()
{
    using namespace testenv;
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("day");   // typed; "": the day the dialog proposes
    QTest::addColumn<int>("sheet");
    QTest::addColumn<QStringList>("gone");

    QTest::newRow("yesterday (proposed): today's closed rows stay")
        << enUS << "" << 1
        << QStringList{QStringLiteral("closed yesterday"), QStringLiteral("cash book income"),
                       QStringLiteral("series first")};
    QTest::newRow("today, inclusive") << enUS << "3/15/2025" << 1
                                      << QStringList{QStringLiteral("closed yesterday"), QStringLiteral("closed today"),
                                                     QStringLiteral("cash book income"),
                                                     QStringLiteral("series first")};
    QTest::newRow("a future day: closed rows ahead go, open rows never")
        << itIT << "31/12/25" << 1
        << QStringList{QStringLiteral("closed yesterday"), QStringLiteral("closed today"),
                       QStringLiteral("cash book income"), QStringLiteral("closed tomorrow"),
                       QStringLiteral("series first")};
    QTest::newRow("nothing up to the day") << deDE << "1.1.24" << 1 << QStringList{};
    QTest::newRow("second sheet: its own rows only")
        << esES << "15/3/2025" << 2 << QStringList{QStringLiteral("other sheet closed")};
}

void tst_delclosedrows::deleteUpTo()
{
    QFETCH(QLocale, locale);
    QFETCH(QString, day);
    QFETCH(int, sheet);
    QFETCH(QStringList, gone);
    platform::setUserLocale(locale);
    Sheet->setId(sheet);
    fx->box->answerButton(platform::vbYes);
    const int deleted = run([&](frmDelClosedRows *d) {
        if (!day.isEmpty()) {
            d->dtp->setFocus();
            QTest::keyClicks(d->dtp, day);
        }
        d->cmdSalva->click();
    });

    QCOMPARE(deleted, gone.size());
    QCOMPARE(remaining(fx->dbFile), without(gone));
    const auto &asked = fx->box->requests();
    QCOMPARE(asked.size(), 2);
    QCOMPARE(asked[0].text, QStringLiteral("There are %1 Deadlines to delete.\nConfirm?").arg(gone.size()));
    QCOMPARE(asked[0].style, platform::vbYesNo | platform::vbDefaultButton2);   // Enter answers No
    QCOMPARE(asked[0].title, Env->AppTitle);
    QCOMPARE(asked[1].text, QStringLiteral("Procedure done."));
    QCOMPARE(asked[1].style, int(platform::vbOKOnly));
    QVERIFY(!frmDelClosedRows::instance());
}

void tst_delclosedrows::cancelDeletesNothing_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("No at the question") << "no"
                                        << QStringList{QStringLiteral("There are 3 Deadlines to delete.\nConfirm?"),
                                                       QStringLiteral("Operation cancelled.")};
    QTest::newRow("Cancel button") << "cancel" << QStringList{};
    QTest::newRow("Esc") << "esc" << QStringList{};
}

void tst_delclosedrows::cancelDeletesNothing()
{
    QFETCH(QString, how);
    QFETCH(QStringList, messages);
    fx->box->answerButton(platform::vbNo);
    const int deleted = run([&](frmDelClosedRows *d) {
        if (how == QLatin1String("no"))
            d->cmdSalva->click();
        else if (how == QLatin1String("cancel"))
            d->cmdAnnulla->click();
        else
            QTest::keyClick(d->dtp, Qt::Key_Escape);
    });
    QCOMPARE(deleted, 0);
    QCOMPARE(remaining(fx->dbFile), all());
    QStringList asked;
    for (const auto &r : fx->box->requests())
        asked << r.text;
    QCOMPARE(asked, messages);
}

void tst_delclosedrows::refusedDay_data()
{
    using namespace testenv;
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("day");
    QTest::addColumn<QString>("reason");
    QTest::newRow("en_US, day first") << enUS << "15/3/2025" << "The date is not valid. Write it like 12/31/2025.";
    QTest::newRow("en_GB, no such day") << enGB << "29/2/25"
                                        << "That month has no such day: its last day is 28/02/2025.";
}

void tst_delclosedrows::refusedDay()
{
    QFETCH(QLocale, locale);
    QFETCH(QString, day);
    QFETCH(QString, reason);
    platform::setUserLocale(locale);
    bool stayed = false;
    const int deleted = run([&](frmDelClosedRows *d) {
        d->dtp->setFocus();
        QTest::keyClicks(d->dtp, day);
        d->cmdSalva->click();
        // Told why, nothing counted: the dialog stays with the focus in the day, and Cancel ends it.
        stayed = d->isVisible() && d->dtp->hasFocus();
        d->cmdAnnulla->click();
    });
    QVERIFY(stayed);
    QCOMPARE(deleted, 0);
    QCOMPARE(remaining(fx->dbFile), all());
    const auto &asked = fx->box->requests();
    QCOMPARE(asked.size(), 1);
    QCOMPARE(asked[0].text, reason);
    QCOMPARE(asked[0].style, int(platform::vbExclamation));
}

void tst_delclosedrows::seriesLeftAsTheyAre()
{
    // The closed first row of a series goes; the open second keeps its position and the series size.
    QCOMPARE(run([](frmDelClosedRows *d) { d->cmdSalva->click(); }), 3);
    platform::Recordset rs;
    rs.Open(QStringLiteral("SELECT TrGrpRow, TrGrpMDay FROM Transactions WHERE TrGrpId=7"),
            testenv::connectionString(fx->dbFile));
    QCOMPARE(rs.RecordCount(), 1);
    QCOMPARE(rs.value(0).toInt(), 2);
    QCOMPARE(rs.value(1).toInt(), 2);
}

void tst_delclosedrows::questionText_data()
{
    QTest::addColumn<int>("language");
    QTest::addColumn<int>("n");
    QTest::addColumn<QString>("text");
    QTest::newRow("English, none") << 3 << 0 << "There are 0 Deadlines to delete.\nConfirm?";
    QTest::newRow("Italian, 12") << 6 << 12 << "Ci sono 12 Scadenze da eliminare.\nConfermare l'operazione?";
}

void tst_delclosedrows::questionText()
{
    QFETCH(int, language);
    QFETCH(int, n);
    QFETCH(QString, text);
    Lang->setAppLanguageId(language);
    Lang->LanguageUpdate();
    QCOMPARE(frmDelClosedRows::QuestionText(n), text);
}

void tst_delclosedrows::missingDatabase()
{
    QVERIFY(QFile::rename(fx->dbFile, fx->dbFile + QStringLiteral(".away")));
    const int deleted = run([](frmDelClosedRows *d) { d->cmdSalva->click(); });
    QCOMPARE(deleted, 0);
    const auto &asked = fx->box->requests();
    QCOMPARE(asked.size(), 1);   // no question: the error only
    QCOMPARE(asked[0].title, QStringLiteral("App Error"));
    QCOMPARE(asked[0].style, int(platform::vbExclamation));
    QVERIFY2(asked[0].text.contains(QStringLiteral("in Orvel3.frmDelClosedRows.cmdSalva_Click")), qPrintable(asked[0].text));
}

void tst_delclosedrows::failedDeletionKeepsEveryRow()
{
    // A row that refuses to go, met halfway through the deletion: the rows deleted before it come back.
    fx->rawExec("CREATE TRIGGER KeepSeries BEFORE DELETE ON Transactions WHEN OLD.TrGrpId = 7 "
                "BEGIN SELECT RAISE(ABORT, 'the row is kept'); END");

    fx->box->answerButton(platform::vbYes);
    const int deleted = run([](frmDelClosedRows *d) { d->cmdSalva->click(); });
    QCOMPARE(deleted, 0);
    QCOMPARE(remaining(fx->dbFile), all());
    const auto &asked = fx->box->requests();
    QCOMPARE(asked.size(), 2);   // the question, then the error instead of "Procedure done."
    QCOMPARE(asked[1].title, QStringLiteral("App Error"));
    QVERIFY2(asked[1].text.contains(QStringLiteral("the row is kept")), qPrintable(asked[1].text));
}

void tst_delclosedrows::lockedDatabase()
{
    // Another connection is writing: the rows can be counted, not deleted.
    platform::Connection other;
    other.Open(testenv::connectionString(fx->dbFile));
    platform::ScopedTransaction held(other);
    other.Execute(QStringLiteral("UPDATE Transactions SET TrNotes='busy' WHERE TrDbId=2"));

    fx->box->answerButton(platform::vbYes);
    const int deleted = run([](frmDelClosedRows *d) { d->cmdSalva->click(); });
    other.Close();   // rolls the held change back

    QCOMPARE(deleted, 0);
    QCOMPARE(remaining(fx->dbFile), all());
    const auto &asked = fx->box->requests();
    QCOMPARE(asked.size(), 2);
    QCOMPARE(asked[1].title, QStringLiteral("App Error"));
}

QTEST_MAIN(tst_delclosedrows)
#include "tst_delclosedrows.moc"
