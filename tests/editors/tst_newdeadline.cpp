// The new-deadline editor driven through its controls: the worked series example, single rows of every
// type, the refusals (malformed amount, blank description, row counts outside 2..99), dates typed in each
// language's locale or picked from the calendar, and dates refused with the reason, joining an existing
// group (renumbered over every data sheet), the new group id over every sheet, the attachment copied once,
// the refresh of the main window in its order, a failing save that leaves everything as it was, the new
// customer key, and the split choice remembered.

#include "EditorsFixture.h"

#include "editors/SeriesDates.h"
#include "editors/UpDown.h"
#include "editors/frmNewAcc.h"
#include "editors/frmScadenzeNuovo.h"
#include "platform/Clock.h"
#include "platform/controls/DateField.h"
#include "platform/database/Currency.h"
#include "platform/shell/Shell.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

#include <sys/stat.h>

using platform::Currency;

namespace {

enum Type { Appointment = 0, Debit = 1, Credit = 2 };   // positions in the type list

// The saves the editor told (rowSaved), in order.
QList<int> g_saved;

frmScadenzeNuovo *loadNew()
{
    return loadEditor<frmScadenzeNuovo>(g_saved);
}

frmScadenzeNuovo *openNew()
{
    frmScadenzeNuovo *w = loadNew();
    w->Nuovo();
    QApplication::setActiveWindow(w);
    return w;
}

void typeInto(QLineEdit *box, const QString &text)
{
    box->clear();
    QTest::keyClicks(box, text);
}

// Pastes text into a box as Ctrl+V does, past the key filters, in place of what it held.
template <class Box>
void pasteInto(Box *box, const QString &text)
{
    QApplication::clipboard()->setText(text);
    box->setFocus();
    box->selectAll();
    QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
}

// The reason the status bar gives for a refusal (English, the sandbox's locale).
QString reasonText(int id)
{
    switch (id) {
    case 2031:
    case 2032:
    case 2201: return LRSV(id, QStringLiteral("1,234.56"));
    case 2033: return LRSV(id, QStringLiteral("999,999,999,999.99"));
    case 2036: return LRSV(id, 99);
    default: return LRS(id);
    }
}

void pick(QComboBox *combo, const QString &text)
{
    const int i = combo->findText(text);
    QVERIFY2(i >= 0, qPrintable(text));
    combo->setCurrentIndex(i);
}

// A series entered as the user would: type, series option, first date, rows, cadence, split, amount.
void enterSeries(frmScadenzeNuovo *w, Type type, const QDate &first, int rows, int cadence, bool split,
                 const QString &amount, const QString &description)
{
    w->imgcmbData->setCurrentIndex(type);
    w->optgrp[1]->click();
    w->datData[1]->setDate(first);
    typeInto(w->txtData[2], QString::number(rows));
    w->cmbCadenza->setCurrentIndex(cadence);
    w->chkSplit->setChecked(split);
    if (type != Appointment)
        typeInto(w->txtData[1], amount);
    typeInto(w->txtData[0], description);
}

struct Row {
    QDate date;
    QString value, balance, grpType, attached;
    int grpRow = 0, grpMDay = 0, grpId = 0, sheet = 0, type = 0, acId = 0, countId = 0, alert = 0;
    bool done = false;
    QString description, notes;
};

QList<Row> rows(const QString &dbFile, const QString &where)
{
    platform::Recordset rs;
    rs.Open(QStringLiteral("SELECT * FROM Transactions WHERE ") + where + QStringLiteral(" ORDER BY TrDate, TrRowId"),
            testenv::connectionString(dbFile));
    QList<Row> list;
    for (; !rs.EOF(); rs.MoveNext()) {
        Row r;
        r.date = rs.value(QStringLiteral("TrDate")).toDate();
        r.value = rs.value(QStringLiteral("TrValue")).value<Currency>().toString();
        r.balance = rs.value(QStringLiteral("TrBalance")).value<Currency>().toString();
        r.grpType = rs.value(QStringLiteral("TrGrpType")).toString();
        r.attached = rs.value(QStringLiteral("TrAttached")).toString();
        r.grpRow = rs.value(QStringLiteral("TrGrpRow")).toInt();
        r.grpMDay = rs.value(QStringLiteral("TrGrpMDay")).toInt();
        r.grpId = rs.value(QStringLiteral("TrGrpId")).toInt();
        r.sheet = rs.value(QStringLiteral("TrDbId")).toInt();
        r.type = rs.value(QStringLiteral("TrType")).toInt();
        r.acId = rs.value(QStringLiteral("TrAcId")).toInt();
        r.countId = rs.value(QStringLiteral("TrCountId")).toInt();
        r.alert = rs.value(QStringLiteral("TrAlertDays")).toInt();
        r.done = rs.value(QStringLiteral("TrDone")).toBool();
        r.description = rs.value(QStringLiteral("TrDescription")).toString();
        r.notes = rs.value(QStringLiteral("TrNotes")).toString();
        list << r;
    }
    return list;
}

// Every new deadline or series is told as saved with 0 (rowSaved).
const QList<int> SavedAsNew = {0};

} // namespace

class tst_newdeadline : public QObject
{
    Q_OBJECT

    std::unique_ptr<EditorsFixture> f;

    int total() const { return f->count(QStringLiteral("SELECT Count(*) FROM Transactions")); }
    QStringList attachedFiles() const { return QDir(Adb->attachedPath()).entryList(QDir::Files | QDir::Hidden); }
    bool appErrorShown() const
    {
        for (const platform::DialogRequest &r : f->box->requests())
            if (r.title == LRS(1943) && r.text.contains(QLatin1String("in Orvel3.frmScadenzeNuovo.Salva line ")))
                return true;
        return false;
    }

private slots:
    void init()
    {
        f = std::make_unique<EditorsFixture>();
        g_saved.clear();
    }
    void cleanup()
    {
        f.reset();
    }

    void opensAsAppointment()
    {
        frmScadenzeNuovo *w = openNew();
        QCOMPARE(w->windowTitle(), LRS(1100));
        QCOMPARE(w->imgcmbData->currentData().toString(), QStringLiteral("d-2"));
        QVERIFY(w->txtData[1]->text().isEmpty());
        QVERIFY(!w->txtData[1]->isEnabled());
        QVERIFY(!w->dtcData[1]->isEnabled());
        QVERIFY(w->optgrp[0]->isChecked() && w->picgrp[0]->isEnabled() && !w->picgrp[1]->isEnabled());
        QCOMPARE(w->datData[0]->date(), QDate(2025, 3, 15));
        QCOMPARE(w->txtData[2]->text(), QStringLiteral("2"));
        QCOMPARE(w->txtData[4]->text(), QString::number(Env->AlertDefaultDays));
        // A screen reader names the alert days by the sentence they stand in.
        QCOMPARE(fieldName(w->txtData[4]), LRS(1137) + QLatin1Char(' ') + LRS(1138));
        QCOMPARE(w->cmbCadenza->count(), 9);
        QCOMPARE(w->cmbCadenza->currentText(), LRS(1150));
        QCOMPARE(w->dtcData[0]->count(), 5);
        QCOMPARE(w->dtcData[0]->itemText(0), QStringLiteral("Bianchi & Figli"));   // by name
        QCOMPARE(w->dtcData[1]->count(), 2);

        // Credit: the amount opens empty, and Save waits for a number.
        w->imgcmbData->setCurrentIndex(Credit);
        QVERIFY(w->txtData[1]->isEnabled() && w->dtcData[1]->isEnabled());
        QVERIFY(w->txtData[1]->text().isEmpty());
        typeInto(w->txtData[0], QStringLiteral("Invoice 130"));
        const int before = total();
        w->cmdSalva->click();
        QVERIFY(w->isVisible());
        QCOMPARE(QApplication::focusWidget(), w->txtData[1]);
        QCOMPARE(total(), before);
        QVERIFY(g_saved.isEmpty());
    }

    void workedExample()
    {
        // A group of another data sheet holds the largest id: the new one comes after it.
        f->rawExec("UPDATE Transactions SET TrGrpId = 7 WHERE TrDbId = 2");
        frmScadenzeNuovo *w = openNew();
        enterSeries(w, Credit, QDate(2025, 1, 31), 3, SeriesDates::Monthly, true, QStringLiteral("100.00"),
                    QStringLiteral("Fees"));
        pick(w->dtcData[0], QStringLiteral("Studio Verdi"));
        pick(w->dtcData[1], QStringLiteral("Bank"));
        w->cmdSalva->click();
        QVERIFY(!frmScadenzeNuovo::instance());
        QCOMPARE(g_saved, SavedAsNew);

        const QList<Row> r = rows(f->dbFile, QStringLiteral("TrGrpId = 8"));
        QCOMPARE(r.size(), 3);
        const QDate dates[] = {{2025, 1, 31}, {2025, 2, 28}, {2025, 3, 31}};
        const char *amounts[] = {"33.33", "33.33", "33.34"};
        for (int k = 0; k < 3; ++k) {
            QCOMPARE(r[k].date, dates[k]);
            QCOMPARE(r[k].value, QLatin1String(amounts[k]));
            QCOMPARE(r[k].balance, QLatin1String(amounts[k]));
            QCOMPARE(r[k].grpType, QStringLiteral("m"));
            QCOMPARE(r[k].grpRow, k + 1);
            QCOMPARE(r[k].grpMDay, 3);
            QCOMPARE(r[k].sheet, 1);
            QCOMPARE(r[k].type, 1);
            QCOMPARE(r[k].acId, 3);
            QCOMPARE(r[k].countId, 1);
            QCOMPARE(r[k].alert, int(Env->AlertDefaultDays));
            QVERIFY(!r[k].done);
            QVERIFY(r[k].attached.isEmpty());
        }
        QVERIFY(f->value(QStringLiteral("SELECT TrAttached FROM Transactions WHERE TrGrpId = 8")).isNull());
    }

    void firstSeriesOfAnEmptyTable()
    {
        f.reset();   // one set of the program's objects at a time
        f = std::make_unique<EditorsFixture>(false);
        frmScadenzeNuovo *w = openNew();
        enterSeries(w, Appointment, QDate(2025, 4, 1), 2, SeriesDates::Weekly, true, QString(), QStringLiteral("Visit"));
        w->cmdSalva->click();
        const QList<Row> r = rows(f->dbFile, QStringLiteral("1=1"));
        QCOMPARE(r.size(), 2);
        QCOMPARE(r[0].grpId, 1);
        QCOMPARE(r[1].date, QDate(2025, 4, 8));
        QCOMPARE(r[1].grpType, QStringLiteral("w"));
        // An appointment carries no amount, whatever the split box says.
        QCOMPARE(r[0].value, QStringLiteral("0"));
        QCOMPARE(r[1].balance, QStringLiteral("0"));
    }

    void singleRow_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("amount");
        QTest::addColumn<bool>("closed");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("balance");
        QTest::addColumn<int>("countId");
        QTest::newRow("credit") << int(Credit) << "1,200.5" << false << "1200.5" << "1200.5" << 2;
        QTest::newRow("debit, closed") << int(Debit) << "12.50" << true << "12.5" << "-12.5" << 2;
        QTest::newRow("debit, cents only") << int(Debit) << "0.05" << false << "0.05" << "-0.05" << 2;
        QTest::newRow("appointment") << int(Appointment) << "" << false << "0" << "0" << 0;
    }
    void singleRow()
    {
        QFETCH(int, type);
        QFETCH(QString, amount);
        QFETCH(bool, closed);
        QFETCH(QString, value);
        QFETCH(QString, balance);
        QFETCH(int, countId);
        frmScadenzeNuovo *w = openNew();
        // The account chosen while the type has an amount is dropped when it becomes an appointment.
        w->imgcmbData->setCurrentIndex(Credit);
        pick(w->dtcData[1], QStringLiteral("Cash"));
        w->imgcmbData->setCurrentIndex(type);
        w->datData[0]->setDate(QDate(2025, 5, 20));
        typeInto(w->txtData[0], QStringLiteral("D'Angelo's fee"));
        if (!amount.isEmpty())
            typeInto(w->txtData[1], amount);
        QTest::keyClicks(w->txtNotes, QStringLiteral("Call O'Neill"));
        pick(w->dtcData[0], QStringLiteral("O'Brien Ltd"));
        typeInto(w->txtData[4], QStringLiteral("9"));
        w->chkData->setChecked(closed);
        const int before = total();
        w->cmdSalva->click();
        QCOMPARE(total(), before + 1);
        const QList<Row> r = rows(f->dbFile, QStringLiteral("TrDescription = 'D''Angelo''s fee'"));
        QCOMPARE(r.size(), 1);
        QCOMPARE(r[0].date, QDate(2025, 5, 20));
        QCOMPARE(r[0].notes, QStringLiteral("Call O'Neill"));
        QCOMPARE(r[0].value, value);
        QCOMPARE(r[0].balance, balance);
        QCOMPARE(r[0].done, closed);
        QCOMPARE(r[0].countId, countId);
        QCOMPARE(r[0].acId, 4);
        QCOMPARE(r[0].alert, 9);
        QCOMPARE(r[0].grpType, QStringLiteral("n"));
        QCOMPARE(r[0].grpId, 0);
        QCOMPARE(g_saved, SavedAsNew);
    }

    void refusedAtSave_data()
    {
        QTest::addColumn<QString>("description");   // <NUL> stands for the character 0, pasted
        QTest::addColumn<QString>("amount");        // "paste:" pastes what follows, past the key filter
        QTest::addColumn<QString>("rowCount");      // "" = single deadline
        QTest::addColumn<QString>("alertDays");
        QTest::addColumn<QString>("notes");
        QTest::addColumn<QString>("focus");
        QTest::addColumn<int>("reason");            // the text id the status bar shows
        QTest::newRow("comma in an English amount") << "Fee" << "1,2" << "" << "2" << "" << "txtData1" << 2031;
        QTest::newRow("two decimal points") << "Fee" << "1.2.3" << "" << "2" << "" << "txtData1" << 2031;
        QTest::newRow("five decimals") << "Fee" << "1.23456" << "" << "2" << "" << "txtData1" << 2031;
        QTest::newRow("three decimals") << "Fee" << "1.234" << "" << "2" << "" << "txtData1" << 2201;
        QTest::newRow("empty amount") << "Fee" << "" << "" << "2" << "" << "txtData1" << 2031;
        QTest::newRow("letters filtered, nothing left") << "Fee" << "abc" << "" << "2" << "" << "txtData1" << 2031;
        QTest::newRow("negative amount pasted") << "Fee" << "paste:-40" << "" << "2" << "" << "txtData1" << 2032;
        QTest::newRow("beyond the largest amount") << "Fee" << "922337203685477.58" << "" << "2" << "" << "txtData1" << 2033;
        QTest::newRow("empty description") << "" << "10" << "" << "2" << "" << "txtData0" << 2034;
        QTest::newRow("blank description") << "   " << "10" << "" << "2" << "" << "txtData0" << 2034;
        QTest::newRow("a NUL in the description") << "Fee<NUL>" << "10" << "" << "2" << "" << "txtData0" << 2037;
        QTest::newRow("one row") << "Fee" << "10" << "1" << "2" << "" << "txtData2" << 2035;
        QTest::newRow("100 rows") << "Fee" << "10" << "100" << "2" << "" << "txtData2" << 2035;
        QTest::newRow("alert days 100") << "Fee" << "10" << "" << "100" << "" << "txtData4" << 2036;
        QTest::newRow("alert days empty") << "Fee" << "10" << "" << "" << "" << "txtData4" << 2036;
        QTest::newRow("a NUL in the notes") << "Fee" << "10" << "" << "2" << "call<NUL>back" << "txtData3" << 2037;
    }
    void refusedAtSave()
    {
        QFETCH(QString, description);
        QFETCH(QString, amount);
        QFETCH(QString, rowCount);
        QFETCH(QString, alertDays);
        QFETCH(QString, notes);
        QFETCH(QString, focus);
        QFETCH(int, reason);
        frmScadenzeNuovo *w = openNew();
        w->imgcmbData->setCurrentIndex(Credit);
        if (!rowCount.isEmpty()) {
            w->optgrp[1]->click();
            typeInto(w->txtData[2], rowCount);
        }
        if (amount.startsWith(QLatin1String("paste:")))
            pasteInto(w->txtData[1], amount.mid(6));
        else
            typeInto(w->txtData[1], amount);
        if (description.contains(QLatin1String("<NUL>")))
            pasteInto(w->txtData[0], description.replace(QStringLiteral("<NUL>"), QString(QChar(0))));
        else
            typeInto(w->txtData[0], description);
        typeInto(w->txtData[4], alertDays);
        if (!notes.isEmpty())
            pasteInto(w->txtNotes, notes.replace(QStringLiteral("<NUL>"), QString(QChar(0))));
        const int before = total();
        w->cmdSalva->click();
        QVERIFY(w->isVisible());
        QCOMPARE(QApplication::focusWidget()->objectName(), focus);
        // Why, in the user's language, with an example of what is taken.
        QCOMPARE(w->sbPanel1->text(), reasonText(reason));
        QCOMPARE(total(), before);
        QVERIFY(f->box->requests().isEmpty());   // refused by the focus and the status bar, without a message
        QVERIFY(g_saved.isEmpty());
    }

    void amountTypedOrPasted_data()
    {
        using namespace testenv;
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("input");   // typed key by key; "paste:" pastes what follows
        QTest::addColumn<QString>("shown");   // the box after leaving it; "" refused
        QTest::addColumn<QString>("stored");  // TrValue after Save
        QTest::addColumn<int>("reason");      // the refusal's text; 0 taken
        QTest::newRow("it: thousands typed") << itIT << "1.234,56" << "1234,56" << "1234.56" << 0;
        QTest::newRow("de: thousands typed, no decimals") << deDE << "1.234.567" << "1234567" << "1234567" << 0;
        QTest::newRow("de: thousands typed, one decimal") << deDE << "1.234,5" << "1234,5" << "1234.5" << 0;
        // One full stop turns into the decimal separator as it is typed: three decimals are no amount.
        QTest::newRow("it: thousand typed alone") << itIT << "1.234" << "" << "" << 2201;
        QTest::newRow("de: thousand typed alone") << deDE << "7.129" << "" << "" << 2201;
        QTest::newRow("fr: three decimals") << frFR << "1.234" << "" << "" << 2201;
        QTest::newRow("en: three decimals") << enUS << "1.234" << "" << "" << 2201;
        QTest::newRow("it: groups out of place") << itIT << "12.34,5" << "" << "" << 2031;
        QTest::newRow("fr: blanks between thousands pasted") << frFR << "paste:1 234,56" << "1234,56" << "1234.56" << 0;
        QTest::newRow("en: the largest amount") << enUS << "999999999999.99" << "999999999999.99" << "999999999999.99" << 0;
        QTest::newRow("en: a cent more") << enUS << "1000000000000" << "" << "" << 2033;
        QTest::newRow("en: negative pasted") << enUS << "paste:-5" << "" << "" << 2032;
    }
    void amountTypedOrPasted()
    {
        QFETCH(QLocale, locale);
        QFETCH(QString, input);
        QFETCH(QString, shown);
        QFETCH(QString, stored);
        QFETCH(int, reason);
        platform::setUserLocale(locale);
        frmScadenzeNuovo *w = openNew();
        w->imgcmbData->setCurrentIndex(Credit);
        typeInto(w->txtData[0], QStringLiteral("Typed amount"));
        w->txtData[1]->setFocus();
        if (input.startsWith(QLatin1String("paste:")))
            pasteInto(w->txtData[1], input.mid(6));
        else
            typeInto(w->txtData[1], input);
        QTest::keyClick(w->txtData[1], Qt::Key_Tab);
        const bool refused = shown.isEmpty();
        QCOMPARE(QApplication::focusWidget() == w->txtData[1], refused);
        if (refused) {
            // Why, with an example written in the user's locale.
            const QString example = reason == 2033 ? platform::Currency::maxAmount().toLocaleString(locale, 2)
                                                   : locale.toString(1234.56, 'f', 2);
            QCOMPARE(w->sbPanel1->text(), LRSV(reason, example));
            w->cmdSalva->click();
            QCOMPARE(QApplication::focusWidget(), w->txtData[1]);
            QVERIFY(rows(f->dbFile, QStringLiteral("TrDescription = 'Typed amount'")).isEmpty());
            return;
        }
        QCOMPARE(w->txtData[1]->text(), shown);
        w->cmdSalva->click();
        const QList<Row> r = rows(f->dbFile, QStringLiteral("TrDescription = 'Typed amount'"));
        QCOMPARE(r.size(), 1);
        QCOMPARE(r[0].value, stored);
        QCOMPARE(r[0].balance, stored);
    }

    void dateTypedInTheLocale_data()
    {
        using namespace testenv;
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<bool>("series");
        QTest::addColumn<QString>("typed");   // key by key; "<F4>" opens the calendar and takes the next day
        QTest::addColumn<QDate>("first");     // the first row's date; null: refused
        QTest::addColumn<int>("reason");      // the text of the status bar's reason when refused
        QTest::addColumn<QString>("example"); // the date it shows
        QTest::newRow("en_US single") << enUS << false << "8/31/2027" << QDate(2027, 8, 31) << 0 << "";
        QTest::newRow("en_US series") << enUS << true << "12/31/27" << QDate(2027, 12, 31) << 0 << "";
        QTest::newRow("en_GB single") << enGB << false << "31/8/2027" << QDate(2027, 8, 31) << 0 << "";
        QTest::newRow("it_IT series") << itIT << true << "5/1/27" << QDate(2027, 1, 5) << 0 << "";
        QTest::newRow("fr_FR single") << frFR << false << "31/08/2027" << QDate(2027, 8, 31) << 0 << "";
        QTest::newRow("es_ES series") << esES << true << "31/8/2027" << QDate(2027, 8, 31) << 0 << "";
        QTest::newRow("de_DE single") << deDE << false << "1.2.30" << QDate(1930, 2, 1) << 0 << "";
        QTest::newRow("picked from the calendar") << itIT << true << "<F4>" << QDate(2025, 3, 16) << 0 << "";
        QTest::newRow("en_US day first") << enUS << false << "31/8/2027" << QDate() << 2360 << "12/31/2025";
        QTest::newRow("it_IT no such day") << itIT << true << "31/4/27" << QDate() << 2361 << "30/04/2027";
        QTest::newRow("de_DE not a date") << deDE << false << "31.8" << QDate() << 2360 << "31.12.2025";
    }
    void dateTypedInTheLocale()
    {
        QFETCH(QLocale, locale);
        QFETCH(bool, series);
        QFETCH(QString, typed);
        QFETCH(QDate, first);
        QFETCH(int, reason);
        QFETCH(QString, example);
        platform::setUserLocale(locale);
        frmScadenzeNuovo *w = openNew();
        w->imgcmbData->setCurrentIndex(Credit);
        typeInto(w->txtData[0], QStringLiteral("Typed date"));
        typeInto(w->txtData[1], QStringLiteral("10"));
        if (series)
            w->optgrp[1]->click();
        platform::DateField *field = w->datData[series ? 1 : 0];
        field->setFocus();
        if (typed == QLatin1String("<F4>")) {
            QTest::keyClick(field, Qt::Key_F4);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        } else {
            QTest::keyClicks(field, typed);
        }
        QTest::keyClick(field, Qt::Key_Tab);
        if (first.isNull()) {
            // The focus stays, the status bar says why; Save refuses again and writes nothing.
            QCOMPARE(QApplication::focusWidget(), field);
            QCOMPARE(w->sbPanel1->text(), LRSV(reason, example));
            w->txtData[0]->setFocus();
            QCOMPARE(QApplication::focusWidget(), field);
            w->cmdSalva->click();
            QCOMPARE(QApplication::focusWidget(), field);
            QCOMPARE(w->sbPanel1->text(), LRSV(reason, example));
            QVERIFY(rows(f->dbFile, QStringLiteral("TrDescription = 'Typed date'")).isEmpty());
            QVERIFY(f->box->requests().isEmpty());
            return;
        }
        QCOMPARE(field->text(), platform::DateText::format(first, locale));
        w->cmdSalva->click();
        const QList<Row> r = rows(f->dbFile, QStringLiteral("TrDescription = 'Typed date'"));
        QCOMPARE(r.size(), series ? 2 : 1);
        QCOMPARE(r[0].date, first);
    }

    void descriptionTakesItsColumnSize()
    {
        frmScadenzeNuovo *w = openNew();
        w->imgcmbData->setCurrentIndex(Credit);
        typeInto(w->txtData[0], QString(300, QLatin1Char('d')));
        QCOMPARE(w->txtData[0]->text().size(), 255);
        pasteInto(w->txtData[0], QString(300, QLatin1Char('p')));
        QCOMPARE(w->txtData[0]->text().size(), 255);
        typeInto(w->txtData[1], QStringLiteral("10"));
        w->cmdSalva->click();
        QVERIFY(f->box->requests().isEmpty());   // no "App Error"
        QCOMPARE(rows(f->dbFile, QStringLiteral("TrDescription = '%1'").arg(QString(255, QLatin1Char('p')))).size(), 1);
    }

    void seriesEndsByTheYear9999_data()
    {
        QTest::addColumn<int>("rowCount");
        QTest::addColumn<bool>("saved");
        QTest::newRow("last row on 31 December 9999") << 10 << true;
        QTest::newRow("one row past it") << 11 << false;
    }
    void seriesEndsByTheYear9999()
    {
        QFETCH(int, rowCount);
        QFETCH(bool, saved);
        frmScadenzeNuovo *w = openNew();
        enterSeries(w, Credit, QDate(9990, 12, 31), rowCount, SeriesDates::Yearly, false, QStringLiteral("10"),
                    QStringLiteral("Far away"));
        const int before = total();
        w->cmdSalva->click();
        QVERIFY(f->box->requests().isEmpty());   // no "App Error"
        QCOMPARE(total(), before + (saved ? rowCount : 0));
        if (saved) {
            QCOMPARE(rows(f->dbFile, QStringLiteral("TrDescription = 'Far away'")).last().date, QDate(9999, 12, 31));
        } else {
            QCOMPARE(QApplication::focusWidget(), w->txtData[2]);
            QCOMPARE(w->sbPanel1->text(), LRS(2038));
        }
    }

    // The reasons for refusals are the longest texts of the status bar: each shows whole, on as many lines
    // as it needs, in every language, and the editor does not widen; its lower edge moves down meanwhile
    // and back once the status bar shows a hint again.
    void wholeReasonIsShown_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<int>("reason");
        const std::pair<const char *, int> languages[] = {{"Italian", 6}, {"English", 3}, {"French", 5}, {"Spanish", 4},
                                                          {"German", 2}};
        for (const auto &[name, language] : languages)
            for (const int reason : {2034, 2037, 2038})
                QTest::addRow("%s, %d", name, reason) << language << reason;
    }
    void wholeReasonIsShown()
    {
        QFETCH(int, language);
        QFETCH(int, reason);
        Lang->setAppLanguageId(language);
        Lang->LanguageUpdate();
        frmScadenzeNuovo *w = openNew();
        const auto settle = [] {
            for (int i = 0; i < 3; ++i) {
                QCoreApplication::sendPostedEvents();
                QCoreApplication::processEvents();
            }
        };
        settle();
        const QSize before = w->size();
        QLineEdit *refused = w->txtData[0];
        if (reason == 2038) {
            enterSeries(w, Credit, QDate(9990, 12, 31), 11, SeriesDates::Yearly, false, QStringLiteral("10"),
                        QStringLiteral("Far away"));
            refused = w->txtData[2];
        } else {
            typeInto(w->txtData[0], reason == 2034 ? QStringLiteral("   ") : QStringLiteral("Fee"));
            if (reason == 2037)
                pasteInto(w->txtNotes, QStringLiteral("call") + QChar(0) + QStringLiteral("back"));
        }
        w->cmdSalva->click();
        settle();
        const QString why = LRS(reason);
        QCOMPARE(w->sbPanel1->text(), why);
        const QRect room = w->sbPanel1->contentsRect();
        const QRect needed = w->sbPanel1->fontMetrics().boundingRect(QRect(0, 0, room.width(), 10000), Qt::TextWordWrap, why);
        QVERIFY2(needed.height() <= room.height(), qPrintable(QStringLiteral("%1 > %2").arg(needed.height()).arg(room.height())));
        QCOMPARE(w->width(), before.width());
        QCOMPARE(w->height() > before.height(), needed.height() > w->sbPanel1->fontMetrics().height());

        // Put right, the next box shows its hint on one line; the editor is as it was.
        typeInto(refused, reason == 2038 ? QStringLiteral("10") : QStringLiteral("Fee"));
        w->txtNotes->clear();
        w->txtData[4]->setFocus();
        settle();
        QCOMPARE(w->sbPanel1->text(), w->txtData[4]->toolTip());
        QCOMPARE(w->size(), before);
    }

    void rowCountLimits()
    {
        frmScadenzeNuovo *w = openNew();
        enterSeries(w, Debit, QDate(2025, 1, 1), 99, SeriesDates::Daily, false, QStringLiteral("5"), QStringLiteral("Daily"));
        // The up-down button goes to 100, which Save refuses; one step back is the limit.
        w->UpDown1->upButton->click();
        QCOMPARE(w->txtData[2]->text(), QStringLiteral("100"));
        const int before = total();
        w->cmdSalva->click();
        QCOMPARE(total(), before);
        QCOMPARE(QApplication::focusWidget(), w->txtData[2]);
        w->UpDown1->downButton->click();
        w->cmdSalva->click();
        QCOMPARE(total(), before + 99);
        const QList<Row> r = rows(f->dbFile, QStringLiteral("TrDescription = 'Daily'"));
        QCOMPARE(r.size(), 99);
        QCOMPARE(r.last().date, QDate(2025, 1, 1).addDays(98));
        QCOMPARE(r.last().grpRow, 99);
        QCOMPARE(r.last().grpMDay, 99);
        QCOMPARE(r.last().balance, QStringLiteral("-5"));
    }

    void fieldChecksKeepTheFocus_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("kept");
        QTest::addColumn<QString>("shown");
        QTest::newRow("amount of three decimals") << "txtData1" << "7.129" << true << "7,129";
        QTest::newRow("amount emptied") << "txtData1" << "" << true << "";
        QTest::newRow("amount with letters filtered") << "txtData1" << "1x5" << false << "15";
        QTest::newRow("rows 1") << "txtData2" << "1" << true << "1";
        QTest::newRow("rows 99") << "txtData2" << "99" << false << "99";
        QTest::newRow("alert days 100") << "txtData4" << "100" << true << "100";
        QTest::newRow("alert days 0") << "txtData4" << "0" << false << "0";
        QTest::newRow("description emptied") << "txtData0" << "" << true << "";
    }
    void fieldChecksKeepTheFocus()
    {
        QFETCH(QString, box);
        QFETCH(QString, typed);
        QFETCH(bool, kept);
        QFETCH(QString, shown);
        platform::setUserLocale(testenv::itIT);
        frmScadenzeNuovo *w = openNew();
        w->imgcmbData->setCurrentIndex(Credit);
        w->optgrp[1]->click();
        auto *edit = w->findChild<QLineEdit *>(box);
        QVERIFY(edit);
        edit->setFocus();
        QCOMPARE(QApplication::focusWidget(), edit);
        typeInto(edit, typed);
        w->txtNotes->setFocus();
        QCOMPARE(QApplication::focusWidget() == edit, kept);
        QCOMPARE(edit->text(), shown);
        // Cancel always works, even from a refused box.
        w->cmdAnnulla->click();
        QVERIFY(!w->isVisible());
    }

    void joinGroup_data()
    {
        QTest::addColumn<bool>("series");
        QTest::newRow("one row") << false;
        QTest::newRow("two weekly rows") << true;
    }
    void joinGroup()
    {
        QFETCH(bool, series);
        // The rent group (id 1, six rows from January to June) has a member in the second sheet too.
        f->rawExec("INSERT INTO Transactions (TrDbId, TrType, TrDate, TrDescription, TrGrpType, TrGrpRow, TrGrpMDay, TrGrpId) "
                   "VALUES (2, -1, '2025-07-01', 'Rent', 'm', 1, 1, 1)");
        const int groups = f->count(QStringLiteral("SELECT Count(*) FROM (SELECT DISTINCT TrGrpId FROM Transactions)"));
        frmScadenzeNuovo *w = loadNew();
        w->Nuovo2(-1, QStringLiteral("Rent"), 3, Currency::fromUnits(750), 1);
        QApplication::setActiveWindow(w);
        QCOMPARE(w->txtData[0]->text(), QStringLiteral("Rent"));
        QCOMPARE(w->dtcData[0]->currentText(), QStringLiteral("Studio Verdi"));
        QCOMPARE(w->imgcmbData->currentData().toString(), QStringLiteral("d-1"));
        QCOMPARE(w->txtData[1]->text(), QStringLiteral("$750.00"));
        QVERIFY(!w->txtData[0]->isEnabled() && !w->imgcmbData->isEnabled() && !w->dtcData[0]->isEnabled());
        QVERIFY(!w->cmdAdd->isEnabled());
        if (series) {
            w->optgrp[1]->click();
            w->datData[1]->setDate(QDate(2025, 2, 10));
            w->cmbCadenza->setCurrentIndex(SeriesDates::Weekly);
        } else {
            w->datData[0]->setDate(QDate(2025, 2, 10));
        }
        w->cmdSalva->click();
        QVERIFY(!frmScadenzeNuovo::instance());

        const int size = series ? 9 : 8;
        const QList<Row> r = rows(f->dbFile, QStringLiteral("TrGrpId = 1"));
        QCOMPARE(r.size(), size);
        for (int k = 0; k < size; ++k) {
            QCOMPARE(r[k].grpRow, k + 1);
            QCOMPARE(r[k].grpMDay, size);
        }
        QCOMPARE(r.last().sheet, 2);
        QCOMPARE(r[2].date, QDate(2025, 2, 10));
        QCOMPARE(r[2].grpType, series ? QStringLiteral("w") : QStringLiteral("n"));
        QCOMPARE(r[2].value, QStringLiteral("750"));
        QCOMPARE(r[2].balance, QStringLiteral("-750"));
        QCOMPARE(r[2].acId, 3);
        if (series)
            QCOMPARE(r[3].date, QDate(2025, 2, 17));
        QCOMPARE(f->count(QStringLiteral("SELECT Count(*) FROM (SELECT DISTINCT TrGrpId FROM Transactions)")), groups);
    }

    void attachment_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("extension");
        QTest::addColumn<bool>("executable");   // the chosen file may be run
        QTest::newRow("pdf") << "contract.v2.pdf" << ".pdf" << false;
        QTest::newRow("no extension") << "README" << "" << false;
        QTest::newRow("marked executable") << "tool.pdf" << ".pdf" << true;
    }
    void attachment()
    {
        QFETCH(QString, fileName);
        QFETCH(QString, extension);
        QFETCH(bool, executable);
        const QString source = f->box->root() + QLatin1Char('/') + fileName;
        {
            QFile file(source);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("the signed contract");
            if (executable)
                QVERIFY(file.setPermissions(file.permissions() | QFile::ExeOwner | QFile::ExeUser | QFile::ExeGroup
                                            | QFile::ExeOther));
        }
        frmScadenzeNuovo *w = openNew();
        enterSeries(w, Credit, QDate(2025, 6, 1), 3, SeriesDates::Quarterly, false, QStringLiteral("10"),
                    QStringLiteral("With a file"));
        f->box->answerText(source);
        w->cmdAllegato->click();
        QCOMPARE(f->box->requests().last().kind, platform::DialogKind::OpenFile);
        QCOMPARE(f->box->requests().last().title, LRS(1170));
        QCOMPARE(w->lblAttached->text(), fileName);
        QVERIFY(!w->cmdAllegato->isEnabled());
        const QString stored = w->AttachStoredName;
        QCOMPARE(stored.size(), 16 + extension.size());
        QVERIFY(stored.endsWith(extension));
        QVERIFY(attachedFiles().isEmpty());   // copied on Save only
        w->cmdSalva->click();

        const QList<Row> r = rows(f->dbFile, QStringLiteral("TrDescription = 'With a file'"));
        QCOMPARE(r.size(), 3);
        for (const Row &row : r)
            QCOMPARE(row.attached, stored);
        QCOMPARE(attachedFiles(), QStringList{stored});
        QFile copy(Adb->attachedPath() + stored);
        QVERIFY(copy.open(QIODevice::ReadOnly));
        QCOMPARE(copy.readAll(), QByteArray("the signed contract"));
        // The copy is a document: it can never be run, whatever the source allowed.
        QCOMPARE(copy.permissions() & (QFile::ExeOwner | QFile::ExeUser | QFile::ExeGroup | QFile::ExeOther),
                 QFile::Permissions());
        QVERIFY(QFile::exists(source));
    }

    // The file dialog opens in the documents folder, then where the last attachment was taken from while
    // that folder exists.
    void attachmentDialogOpensWhereTheLastWasTaken()
    {
        const QString folder = f->box->root() + QStringLiteral("/scans");
        QVERIFY(QDir().mkpath(folder));
        const QString source = folder + QStringLiteral("/invoice.pdf");
        {
            QFile file(source);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("scan");
        }
        const auto choose = [this](const QString &answer) {
            frmScadenzeNuovo *w = openNew();
            if (!answer.isEmpty())
                f->box->answerText(answer);
            w->cmdAllegato->click();
            const platform::DialogRequest asked = f->box->requests().last();
            w->cmdAnnulla->click();
            return asked;
        };
        QCOMPARE(choose(QString()).initial, f->box->documents());
        const platform::DialogRequest first = choose(source);
        QCOMPARE(first.kind, platform::DialogKind::OpenFile);
        QCOMPARE(first.initial, f->box->documents());
        QCOMPARE(choose(QString()).initial, QDir::toNativeSeparators(folder));
        QVERIFY(QDir(folder).removeRecursively());
        QCOMPARE(choose(QString()).initial, f->box->documents());
    }

    void attachmentMustBeAFile_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("a named pipe") << "fifo";
        QTest::newRow("a folder") << "folder";
    }
    void attachmentMustBeAFile()
    {
        QFETCH(QString, kind);
        const QString source = f->box->root() + QStringLiteral("/scan.pdf");
        if (kind == QLatin1String("fifo"))
            QCOMPARE(mkfifo(QFile::encodeName(source).constData(), 0600), 0);
        else
            QVERIFY(QDir().mkpath(source));
        frmScadenzeNuovo *w = openNew();
        enterSeries(w, Credit, QDate(2025, 6, 1), 2, SeriesDates::Monthly, false, QStringLiteral("10"),
                    QStringLiteral("No pipe"));
        f->box->answerText(source);
        w->cmdAllegato->click();
        // Said, and nothing attached: the choice can be made again, and Save writes the rows alone.
        QCOMPARE(f->box->requests().last().text, LRSV(2043, source));
        QVERIFY(w->AttachStoredName.isEmpty() && w->AttachSourcePath.isEmpty());
        QVERIFY(w->cmdAllegato->isEnabled());
        QVERIFY(w->lblAttached->text().isEmpty());
        w->cmdSalva->click();
        QVERIFY(!frmScadenzeNuovo::instance());
        QCOMPARE(rows(f->dbFile, QStringLiteral("TrDescription = 'No pipe' AND TrAttached IS NULL")).size(), 2);
        QVERIFY(attachedFiles().isEmpty());
    }

    void cancelWritesNothing_data()
    {
        QTest::addColumn<bool>("escape");
        QTest::newRow("Esc") << true;
        QTest::newRow("Cancel") << false;
    }
    void cancelWritesNothing()
    {
        QFETCH(bool, escape);
        const QString source = f->box->root() + QStringLiteral("/bill.pdf");
        QFile(source).open(QIODevice::WriteOnly);
        Env->DeadlinesSplitAmount = true;
        frmScadenzeNuovo *w = openNew();
        QVERIFY(w->chkSplit->isChecked());
        enterSeries(w, Debit, QDate(2025, 6, 1), 4, SeriesDates::Monthly, false, QStringLiteral("10"), QStringLiteral("Never"));
        f->box->answerText(source);
        w->cmdAllegato->click();
        const int before = total();
        if (escape)
            QTest::keyClick(w->txtData[0], Qt::Key_Escape);
        else
            w->cmdAnnulla->click();
        QVERIFY(!frmScadenzeNuovo::instance());
        QCOMPARE(total(), before);
        QVERIFY(attachedFiles().isEmpty());
        QVERIFY(g_saved.isEmpty());
        // The split box's state is remembered, after a cancel too.
        QVERIFY(!Env->DeadlinesSplitAmount);
    }

    void failedSaveLeavesEverything_data()
    {
        QTest::addColumn<QString>("failure");
        QTest::newRow("third insert fails") << "insert";
        QTest::newRow("renumbering of the joined group fails") << "renumber";
        QTest::newRow("the chosen file is gone") << "missing file";
        QTest::newRow("the attachments folder cannot be made") << "no folder";
    }
    void failedSaveLeavesEverything()
    {
        QFETCH(QString, failure);
        const QString source = f->box->root() + QStringLiteral("/bill.pdf");
        {
            QFile file(source);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("x");
        }
        const int before = total();
        const QString rent = QStringLiteral("TrGrpId = 1");
        const auto rentBefore = rows(f->dbFile, rent);

        frmScadenzeNuovo *w = loadNew();
        if (failure == QLatin1String("renumber")) {
            w->Nuovo2(-1, QStringLiteral("Rent"), 3, Currency::fromUnits(750), 1);
            QApplication::setActiveWindow(w);
            w->optgrp[1]->click();
            w->datData[1]->setDate(QDate(2025, 2, 10));
            f->failWrites(QStringLiteral("UPDATE"), QStringLiteral("Transactions"));
        } else {
            w->Nuovo();
            QApplication::setActiveWindow(w);
            enterSeries(w, Credit, QDate(2025, 6, 1), 4, SeriesDates::Monthly, true, QStringLiteral("10"),
                        QStringLiteral("Half saved?"));
        }
        f->box->answerText(source);
        w->cmdAllegato->click();
        if (failure == QLatin1String("insert"))
            f->rawExec("CREATE TRIGGER fail_third BEFORE INSERT ON Transactions WHEN NEW.TrGrpRow = 3 "
                       "BEGIN SELECT RAISE(ABORT, 'database or disk is full'); END;");
        else if (failure == QLatin1String("missing file"))
            QVERIFY(QFile::remove(source));
        else if (failure == QLatin1String("no folder")) {
            // The attachments folder's place is taken by a file.
            QDir(Adb->attachedPath()).removeRecursively();
            QFile blocker(QDir::cleanPath(Adb->attachedPath()));
            QVERIFY(blocker.open(QIODevice::WriteOnly));
        }

        w->cmdSalva->click();
        QVERIFY(appErrorShown());
        QCOMPARE(total(), before);
        const auto rentAfter = rows(f->dbFile, rent);
        QCOMPARE(rentAfter.size(), rentBefore.size());
        for (int k = 0; k < rentAfter.size(); ++k)
            QCOMPARE(rentAfter[k].grpMDay, rentBefore[k].grpMDay);
        if (failure != QLatin1String("no folder"))
            QVERIFY(attachedFiles().isEmpty());
        // Nothing was saved: the window stays open with what was entered, and the list is not refreshed.
        QVERIFY(w->isVisible());
        QCOMPARE(frmScadenzeNuovo::instance(), w);
        QVERIFY(g_saved.isEmpty());
    }

    void newCustomerKey_data()
    {
        QTest::addColumn<bool>("save");
        QTest::newRow("saved") << true;
        QTest::newRow("cancelled") << false;
    }
    void newCustomerKey()
    {
        QFETCH(bool, save);
        frmScadenzeNuovo *w = openNew();
        pick(w->dtcData[0], QStringLiteral("Rossi Forniture"));
        w->dtcData[0]->setFocus();
        whenShown<frmNewAcc>([save](frmTableEditor *e) {
            QTest::keyClicks(e->txtData[0], QStringLiteral("Zeta Srl"));
            if (save)
                e->cmdSalva->click();
        });
        QTest::keyClick(w->dtcData[0], Qt::Key_F5);
        QVERIFY(!frmNewAcc::instance());
        QCOMPARE(w->dtcData[0]->currentText(), save ? QStringLiteral("Zeta Srl") : QStringLiteral("Rossi Forniture"));
        QCOMPARE(w->dtcData[0]->count(), save ? 6 : 5);
        QCOMPARE(w->focusWidget(), w->dtcData[0]);
        if (save)
            QCOMPARE(w->dtcData[0]->currentData().toInt(),
                     f->count(QStringLiteral("SELECT AcId FROM Accounts WHERE AcName = 'Zeta Srl'")));
    }

    void statusHints()
    {
        frmScadenzeNuovo *w = openNew();
        w->optgrp[1]->click();
        QCOMPARE(w->sbPanel1->text(), LRS(1136));
        QVERIFY(w->optgrp[1]->font().bold() && !w->optgrp[0]->font().bold());
        w->txtData[0]->setFocus();
        QCOMPARE(w->sbPanel1->text(), LRS(1112));
        // An empty description keeps the focus; a filled one lets it go.
        w->datData[1]->setFocus();
        QCOMPARE(QApplication::focusWidget(), w->txtData[0]);
        QTest::keyClicks(w->txtData[0], QStringLiteral("Fee"));
        w->datData[1]->setFocus();
        QCOMPARE(w->sbPanel1->text(), LRS(1133));
        // Enter moves on to the next control.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), w->txtData[2]);
        QCOMPARE(w->sbPanel1->text(), LRS(1134));
    }
};

QTEST_MAIN(tst_newdeadline)
#include "tst_newdeadline.moc"
