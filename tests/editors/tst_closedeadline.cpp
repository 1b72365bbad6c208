// The close-deadline dialog driven through its controls: today by default, Enter and Apply confirm the
// picker's date whatever it is, a date typed in the locale is the date confirmed and a text that is not a
// date is refused with the reason, Esc confirms nothing, every showing starts afresh, F1 opens its help topic.

#include "EditorsFixture.h"
#include "ModalSteps.h"

#include "editors/frmCloseDeadline.h"
#include "platform/controls/DateField.h"
#include "platform/shell/Shell.h"

#include <QLabel>
#include <QPushButton>
#include <QtTest>

namespace {
int g_helpContext = -1;
void recordHelp(const QString &, int context)
{
    g_helpContext = context;
}

// Opens the dialog as the close command does, runs `step` on it while it is shown, unloads it and gives
// the date it answered.
QDate closeWith(const std::function<void(frmCloseDeadline *)> &step)
{
    auto leftOpen = onModal([step](QWidget *w) {
        auto *d = qobject_cast<frmCloseDeadline *>(w);
        QVERIFY(d);
        step(d);
    });
    const QDate d = frmCloseDeadline::Load()->Apri(42);
    frmCloseDeadline::Unload();
    if (*leftOpen)
        qWarning("the dialog stayed open after the step");
    return d;
}
} // namespace

class tst_closedeadline : public QObject
{
    Q_OBJECT

private slots:
    void init() { fx = std::make_unique<EditorsFixture>(false); }
    void cleanup()
    {
        frmCloseDeadline::Unload();
        fx.reset();
    }

    void texts_data();
    void texts();
    void enterAtOnceGivesToday();
    void confirmedDate_data();
    void confirmedDate();
    void typedDate_data();
    void typedDate();
    void escapeGivesNoDate();
    void everyShowingStartsAfresh();
    void helpKey();

private:
    std::unique_ptr<EditorsFixture> fx;
};

void tst_closedeadline::texts_data()
{
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("button");
    QTest::newRow("English") << 3 << "Deadline closing Date" << "Apply";
    QTest::newRow("Italian") << 6 << "Data di chiusura della Scadenza" << "Applica";
}

void tst_closedeadline::texts()
{
    QFETCH(int, language);
    QFETCH(QString, caption);
    QFETCH(QString, button);
    Lang->setAppLanguageId(language);
    Lang->LanguageUpdate();
    frmCloseDeadline *d = frmCloseDeadline::Load();
    QCOMPARE(d->windowTitle(), caption);
    QCOMPARE(d->lblData->text(), caption);
    QCOMPARE(d->cmdOK->text(), button);
    QVERIFY(!(d->windowFlags() & Qt::WindowCloseButtonHint));
    QVERIFY(!d->ClosingDate.isValid());
}

void tst_closedeadline::enterAtOnceGivesToday()
{
    QDate shown;
    const QDate d = closeWith([&](frmCloseDeadline *w) {
        shown = w->dtp->date();
        QTest::keyClick(w->dtp, Qt::Key_Return);
    });
    QCOMPARE(shown, QDate(2025, 3, 15));
    QCOMPARE(d, QDate(2025, 3, 15));
}

void tst_closedeadline::confirmedDate_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<bool>("byEnter");
    QTest::newRow("yesterday, Apply") << QDate(2025, 3, 14) << false;
    QTest::newRow("next year, Enter") << QDate(2026, 1, 31) << true;
    QTest::newRow("leap day, Apply") << QDate(2024, 2, 29) << false;
    QTest::newRow("earliest day, Enter") << QDate(100, 1, 1) << true;
    QTest::newRow("latest day, Apply") << QDate(9999, 12, 31) << false;
}

void tst_closedeadline::confirmedDate()
{
    QFETCH(QDate, date);
    QFETCH(bool, byEnter);
    const QDate d = closeWith([&](frmCloseDeadline *w) {
        w->dtp->setDate(date);
        QCOMPARE(w->dtp->date(), date);   // the picker takes the whole range the database keeps
        if (byEnter)
            QTest::keyClick(w->dtp, Qt::Key_Enter);
        else
            w->cmdOK->click();
    });
    QCOMPARE(d, date);
}

void tst_closedeadline::typedDate_data()
{
    using namespace testenv;
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("byEnter");
    QTest::addColumn<QDate>("date");       // answered; null: refused, then Esc
    QTest::addColumn<QString>("reason");   // the message of a refusal, "xxx" standing for its example
    QTest::addColumn<QString>("example");
    QTest::newRow("en_US, Enter") << enUS << "8/31/2027" << true << QDate(2027, 8, 31) << "" << "";
    QTest::newRow("en_US, two-digit year, Apply") << enUS << "6/5/25" << false << QDate(2025, 6, 5) << "" << "";
    QTest::newRow("en_GB, Enter") << enGB << "31/8/27" << true << QDate(2027, 8, 31) << "" << "";
    QTest::newRow("it_IT, Apply") << itIT << "1/9/2027" << false << QDate(2027, 9, 1) << "" << "";
    QTest::newRow("en_US, day first, Enter") << enUS << "31/8/2027" << true << QDate()
                                             << "The date is not valid. Write it like xxx." << "12/31/2025";
    QTest::newRow("fr_FR, no such day, Apply") << frFR << "30/2/2028" << false
                                               << QDate() << "Ce mois n'a pas ce jour : son dernier jour est le xxx."
                                               << "29/02/2028";
}

void tst_closedeadline::typedDate()
{
    QFETCH(QLocale, locale);
    QFETCH(QString, typed);
    QFETCH(bool, byEnter);
    QFETCH(QDate, date);
    QFETCH(QString, reason);
    QFETCH(QString, example);
    platform::setUserLocale(locale);
    if (locale.language() == QLocale::French) {
        Lang->setAppLanguageId(5);
        Lang->LanguageUpdate();
    }
    bool stayed = false;
    const QDate d = closeWith([&](frmCloseDeadline *w) {
        w->dtp->setFocus();
        QTest::keyClicks(w->dtp, typed);
        if (byEnter)
            QTest::keyClick(w->dtp, Qt::Key_Return);
        else
            w->cmdOK->click();
        if (date.isValid())
            return;
        // Refused: told why, in the user's language, the dialog still open with the focus in the date.
        stayed = w->isVisible() && w->dtp->hasFocus() && w->dtp->text() == typed;
        QTest::keyClick(w, Qt::Key_Escape);
    });
    QCOMPARE(d, date);
    if (date.isNull()) {
        QVERIFY(stayed);
        QVERIFY(fx->box->told(QString(reason).replace(QStringLiteral("xxx"), example)));
    }
}

void tst_closedeadline::escapeGivesNoDate()
{
    const QDate d = closeWith([](frmCloseDeadline *w) {
        w->dtp->setDate(QDate(2025, 3, 1));
        QTest::keyClick(w, Qt::Key_Escape);
    });
    QVERIFY(d.isNull());
}

void tst_closedeadline::everyShowingStartsAfresh()
{
    // A date confirmed in one showing is not the answer of the next one, even when the caller forgets to
    // unload in between.
    frmCloseDeadline *form = frmCloseDeadline::Load();
    onModal([](QWidget *d) { static_cast<frmCloseDeadline *>(d)->cmdOK->click(); });
    QCOMPARE(form->Apri(1), QDate(2025, 3, 15));
    onModal([](QWidget *d) { QTest::keyClick(d, Qt::Key_Escape); });
    QVERIFY(form->Apri(1).isNull());
    frmCloseDeadline::Unload();
    QVERIFY(!frmCloseDeadline::instance());

    // Unloaded and loaded again: today once more.
    const QDate d = closeWith([](frmCloseDeadline *w) {
        QCOMPARE(w->dtp->date(), QDate(2025, 3, 15));
        w->cmdOK->click();
    });
    QCOMPARE(d, QDate(2025, 3, 15));
}

void tst_closedeadline::helpKey()
{
    platform::setHelpHandler(recordHelp);
    g_helpContext = -1;
    const QDate d = closeWith([](frmCloseDeadline *w) {
        QTest::keyClick(w->dtp, Qt::Key_F1);
        QCOMPARE(g_helpContext, 2);
        w->cmdOK->click();
    });
    QVERIFY(d.isValid());
}

QTEST_MAIN(tst_closedeadline)
#include "tst_closedeadline.moc"
