// The customer/supplier and count editors driven through their controls: new and existing rows saved,
// cancelled and left with Esc, names with apostrophes or of blanks, the empty name refused, the name's
// maximum length, a failing save, a missing database or row.

#include "EditorsFixture.h"

#include "editors/frmNewAcc.h"
#include "editors/frmNewCount.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

using Act = std::function<void(frmTableEditor *)>;

bool isAccount(const QString &kind) { return kind == QLatin1String("account"); }

// Nuovo (id 0) or Apri(id) of either editor, with act run on the shown window; the editor is unloaded
// after the call, as its callers do. Returns Nuovo's id, or Apri's answer as 0 / 1.
int run(const QString &kind, int id, const Act &act)
{
    int result = 0;
    if (isAccount(kind)) {
        whenShown<frmNewAcc>(act);
        result = id ? int(frmNewAcc::Load()->Apri(id)) : frmNewAcc::Load()->Nuovo();
        frmNewAcc::Unload();
    } else {
        whenShown<frmNewCount>(act);
        result = id ? int(frmNewCount::Load()->Apri(id)) : frmNewCount::Load()->Nuovo();
        frmNewCount::Unload();
    }
    return result;
}

QString table(const QString &kind) { return isAccount(kind) ? QStringLiteral("Accounts") : QStringLiteral("Counts"); }

QString nameSql(const QString &kind, int id)
{
    return isAccount(kind) ? QStringLiteral("SELECT AcName FROM Accounts WHERE AcId=%1").arg(id)
                           : QStringLiteral("SELECT CnName FROM Counts WHERE CnId=%1").arg(id);
}

} // namespace

class tst_AccountEditors : public QObject
{
    Q_OBJECT

    std::unique_ptr<EditorsFixture> f;
    int rows(const QString &kind) const { return f->count(QStringLiteral("SELECT Count(*) FROM ") + table(kind)); }

private slots:
    void init() { f = std::make_unique<EditorsFixture>(); }
    void cleanup() { f.reset(); }

    void saveAndCancel_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("id");            // 0: a new row
        QTest::addColumn<QString>("typed");     // replaces the name ("" leaves it)
        QTest::addColumn<QString>("how");       // Save, Cancel or Esc
        QTest::addColumn<QString>("stored");    // the name afterwards ("" no row)
        QTest::newRow("new account, apostrophes") << "account" << 0 << "D'Angelo & l'Aquila" << "Save" << "D'Angelo & l'Aquila";
        QTest::newRow("new account, blanks") << "account" << 0 << "   " << "Save" << "   ";
        QTest::newRow("new account, accented") << "account" << 0 << "Émile Zoë" << "Save" << "Émile Zoë";
        QTest::newRow("new account, Cancel") << "account" << 0 << "Never" << "Cancel" << "";
        QTest::newRow("new count, apostrophe") << "count" << 0 << "Banca d'Italia" << "Save" << "Banca d'Italia";
        QTest::newRow("new count, Esc") << "count" << 0 << "Never" << "Esc" << "";
        QTest::newRow("account, Esc after a change") << "account" << 3 << "Changed" << "Esc" << "Studio Verdi";
        QTest::newRow("account, Save unchanged") << "account" << 3 << "" << "Save" << "Studio Verdi";
        QTest::newRow("account, Save renamed") << "account" << 3 << "Verdi & l'Associato" << "Save" << "Verdi & l'Associato";
        QTest::newRow("count, Cancel after a change") << "count" << 1 << "Changed" << "Cancel" << "Bank";
        QTest::newRow("count, Save unchanged") << "count" << 1 << "" << "Save" << "Bank";
    }
    void saveAndCancel()
    {
        QFETCH(QString, kind);
        QFETCH(int, id);
        QFETCH(QString, typed);
        QFETCH(QString, how);
        QFETCH(QString, stored);
        const int before = rows(kind);
        const QString notes = f->value(QStringLiteral("SELECT AcNotes FROM Accounts WHERE AcId=3")).toString();
        QString title, shown;
        const int result = run(kind, id, [&](frmTableEditor *e) {
            title = e->windowTitle();
            shown = e->txtData[0]->text();
            if (!typed.isEmpty()) {
                e->txtData[0]->selectAll();
                typeText(e->txtData[0], typed);
            }
            if (how == QLatin1String("Save"))
                e->cmdSalva->click();
            else if (how == QLatin1String("Cancel"))
                QTest::mouseClick(e->cmdAnnulla, Qt::LeftButton);
            else
                QTest::keyClick(e->txtData[0], Qt::Key_Escape);
        });
        const int captionId = (isAccount(kind) ? 1330 : 1830) + (id ? 0 : 1);
        QCOMPARE(title, LRS(captionId));
        const bool saved = how == QLatin1String("Save");
        if (id) {
            QCOMPARE(shown, isAccount(kind) ? QStringLiteral("Studio Verdi") : QStringLiteral("Bank"));
            QCOMPARE(result, int(saved));   // Save answers true even with nothing changed
            QCOMPARE(rows(kind), before);
        } else {
            QCOMPARE(result > 0, saved);
            QCOMPARE(rows(kind), before + int(saved));
        }
        if (saved || id)
            QCOMPARE(f->value(nameSql(kind, id ? id : result)).toString(), stored);
        QCOMPARE(f->value(QStringLiteral("SELECT AcNotes FROM Accounts WHERE AcId=3")).toString(), notes);
        if (isAccount(kind) && !id && saved)   // notes left alone stay empty
            QVERIFY(f->value(QStringLiteral("SELECT AcNotes FROM Accounts WHERE AcId=%1").arg(result)).isNull());
    }

    void nameTakesAtMostTheColumnSize_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("size");
        QTest::newRow("account") << "account" << 100;
        QTest::newRow("count") << "count" << 50;
    }
    void nameTakesAtMostTheColumnSize()
    {
        QFETCH(QString, kind);
        QFETCH(int, size);
        const QString notes = QStringLiteral("Tel. 055 123456; ") + QString(300, QLatin1Char('x'));
        const int id = run(kind, 0, [&](frmTableEditor *e) {
            QTest::keyClicks(e->txtData[0], QString(size + 20, QLatin1Char('n')));
            if (e->txtData.size() > 1)   // the notes are a memo: no limit
                QTest::keyClicks(e->txtData[1], notes);
            e->cmdSalva->click();
        });
        QVERIFY(id > 0);
        QCOMPARE(f->value(nameSql(kind, id)).toString(), QString(size, QLatin1Char('n')));
        if (isAccount(kind))
            QCOMPARE(f->value(QStringLiteral("SELECT AcNotes FROM Accounts WHERE AcId=%1").arg(id)).toString(), notes);
    }

    void emptyNameRefused_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("afterName");   // where Enter goes from a filled name
        QTest::newRow("account") << "account" << "txtData1";
        QTest::newRow("count") << "count" << "cmdSalva";
    }
    void emptyNameRefused()
    {
        QFETCH(QString, kind);
        QFETCH(QString, afterName);
        const int before = rows(kind);
        bool open = false, keptAfterSave = false, keptAfterEnter = false, keptAfterTab = false;
        QString next;
        const int id = run(kind, 0, [&](frmTableEditor *e) {
            QTest::mouseClick(e->cmdSalva, Qt::LeftButton);
            open = e->isVisible();
            keptAfterSave = e->focusWidget() == e->txtData[0];
            QTest::keyClick(e->txtData[0], Qt::Key_Return);
            keptAfterEnter = e->focusWidget() == e->txtData[0];
            QTest::keyClick(e->txtData[0], Qt::Key_Tab);
            keptAfterTab = e->focusWidget() == e->txtData[0];
            QTest::keyClicks(e->txtData[0], QStringLiteral("Named"));
            QTest::keyClick(e->txtData[0], Qt::Key_Return);   // now Enter moves on
            next = e->focusWidget() ? e->focusWidget()->objectName() : QString();
            QTest::mouseClick(e->cmdAnnulla, Qt::LeftButton);
        });
        QVERIFY(open);
        QVERIFY(f->box->requests().isEmpty());   // refused by the window, not by the database
        QVERIFY(keptAfterSave && keptAfterEnter && keptAfterTab);
        QCOMPARE(next, afterName);
        QCOMPARE(id, 0);
        QCOMPARE(rows(kind), before);
    }

    // The longest reason the editors give (a NUL character in a name) shows whole in the status bar of these
    // fixed-size editors, which grow downward only.
    void wholeReasonIsShown_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("language");
        QTest::newRow("account, German") << "account" << 2;
        QTest::newRow("count, Italian") << "count" << 6;
    }
    void wholeReasonIsShown()
    {
        QFETCH(QString, kind);
        QFETCH(int, language);
        Lang->setAppLanguageId(language);
        Lang->LanguageUpdate();
        int widthBefore = 0, widthAfter = 0, room = 0, needed = 0;
        QString shown;
        run(kind, 0, [&](frmTableEditor *e) {
            widthBefore = e->width();
            e->txtData[0]->setText(QStringLiteral("Rossi") + QChar(0));
            QTest::mouseClick(e->cmdSalva, Qt::LeftButton);
            QCoreApplication::sendPostedEvents();
            QCoreApplication::processEvents();
            widthAfter = e->width();
            shown = e->sbPanel1->text();
            const QRect rect = e->sbPanel1->contentsRect();
            room = rect.height();
            needed = e->sbPanel1->fontMetrics()
                         .boundingRect(QRect(0, 0, rect.width(), 10000), Qt::TextWordWrap, shown)
                         .height();
            QTest::mouseClick(e->cmdAnnulla, Qt::LeftButton);
        });
        QCOMPARE(shown, LRS(2037));
        QVERIFY2(needed <= room, qPrintable(QStringLiteral("%1 > %2").arg(needed).arg(room)));
        QCOMPARE(widthAfter, widthBefore);
    }

    void failedSaveKeepsTheWindow_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("id");
        QTest::newRow("new account") << "account" << 0;
        QTest::newRow("existing account") << "account" << 1;
        QTest::newRow("new count") << "count" << 0;
        QTest::newRow("existing count") << "count" << 1;
    }
    void failedSaveKeepsTheWindow()
    {
        QFETCH(QString, kind);
        QFETCH(int, id);
        f->failWrites(id ? QStringLiteral("UPDATE") : QStringLiteral("INSERT"), table(kind));
        const int before = rows(kind);
        bool open = false;
        QString typed;
        const int result = run(kind, id, [&](frmTableEditor *e) {
            e->txtData[0]->selectAll();
            QTest::keyClicks(e->txtData[0], QStringLiteral("Not written"));
            e->cmdSalva->click();
            open = e->isVisible();
            typed = e->txtData[0]->text();
            e->cmdAnnulla->click();
        });
        QVERIFY(open);
        QCOMPARE(typed, QStringLiteral("Not written"));
        QCOMPARE(result, 0);
        QCOMPARE(f->box->requests().size(), 1);
        const platform::DialogRequest &r = f->box->requests().first();
        QCOMPARE(r.title, QStringLiteral("App Error"));
        QVERIFY(r.text.contains(QStringLiteral("database or disk is full")));
        QVERIFY(
            r.text.contains(QStringLiteral("in Orvel3.%1.cmdSalva_Click")
                                .arg(isAccount(kind) ? QStringLiteral("frmNewAcc") : QStringLiteral("frmNewCount"))));
        QCOMPARE(rows(kind), before);
        QCOMPARE(f->count(QStringLiteral("SELECT Count(*) FROM %1 WHERE %2='Not written'")
                              .arg(table(kind), isAccount(kind) ? QStringLiteral("AcName") : QStringLiteral("CnName"))),
                 0);
    }

    // The boxes are named by their labels for a screen reader, and take a pasted line break as a space.
    void boxesNamedAndOnOneLine_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("account") << "account";
        QTest::newRow("count") << "count";
    }
    void boxesNamedAndOnOneLine()
    {
        QFETCH(QString, kind);
        QStringList names;
        const int id = run(kind, 0, [&](frmTableEditor *e) {
            for (QLineEdit *box : e->txtData)
                names << fieldName(box);
            pasteInto(e->txtData[0], QStringLiteral("Studio\r\nRossi\n"));
            e->cmdSalva->click();
        });
        QCOMPARE(names, isAccount(kind) ? (QStringList{LRS(1332), LRS(1333)}) : QStringList{LRS(1832)});
        QCOMPARE(f->value(nameSql(kind, id)).toString(), QStringLiteral("Studio Rossi "));
    }

    // A row deleted meanwhile (by another program) is told at Save, whether or not it was changed here;
    // the window stays open and nothing is written.
    void rowDeletedMeanwhile_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("changed");
        QTest::newRow("account, unchanged") << "account" << false;
        QTest::newRow("count, changed") << "count" << true;
    }
    void rowDeletedMeanwhile()
    {
        QFETCH(QString, kind);
        QFETCH(bool, changed);
        const int id = isAccount(kind) ? 3 : 1;
        bool open = false;
        const int saved = run(kind, id, [&](frmTableEditor *e) {
            f->execute(isAccount(kind) ? QStringLiteral("DELETE * FROM Accounts WHERE AcId=3")
                                       : QStringLiteral("DELETE * FROM Counts WHERE CnId=1"));
            if (changed)
                typeText(e->txtData[0], QStringLiteral(" again"));
            e->cmdSalva->click();
            open = e->isVisible();
        });
        QVERIFY(open);
        QCOMPARE(saved, 0);
        QCOMPARE(f->box->requests().size(), 1);
        QVERIFY(f->box->requests().first().text.startsWith(LRS(2044)));
        QVERIFY(f->value(nameSql(kind, id)).isNull());
    }

    void unusableDatabaseOrRow_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("missingFile");
        QTest::newRow("account, no database file") << "account" << true;
        QTest::newRow("count, no such row") << "count" << false;
    }
    void unusableDatabaseOrRow()
    {
        QFETCH(QString, kind);
        QFETCH(bool, missingFile);
        if (missingFile)
            Adb->setDbPath(f->box->root() + QStringLiteral("/nowhere"));
        bool shown = false;
        const Act act = [&](frmTableEditor *) { shown = true; };
        // The window is not shown: a missing database is reported, a missing row is not edited.
        QCOMPARE(run(kind, 999, act), 0);
        if (missingFile)
            QCOMPARE(run(kind, 0, act), 0);
        QCoreApplication::processEvents();
        QVERIFY(!shown);
        QCOMPARE(f->box->requests().size(), missingFile ? 2 : 0);
        for (const platform::DialogRequest &r : f->box->requests())
            QCOMPARE(r.title, QStringLiteral("App Error"));
    }
};

QTEST_MAIN(tst_AccountEditors)
#include "tst_accounteditors.moc"
