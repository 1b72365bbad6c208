// The close-deadline dialog driven through its controls: today by default, Enter and Apply confirm the
// picker's date whatever it is, Esc confirms nothing, every showing starts afresh, F1 opens its help topic.

#include "EditorsFixture.h"
#include "ModalSteps.h"

#include "editors/frmCloseDeadline.h"
#include "platform/shell/Shell.h"

#include "platform/controls/DateField.h"
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

void tst_closedeadline::typedDate()
{
    // The user locale (en_US) writes the short date month first, with a four-digit year.
    const QDate d = closeWith([](frmCloseDeadline *w) {
        QCOMPARE(w->dtp->text(), QStringLiteral("3/15/2025"));
        w->dtp->setFocus();
        QTest::keyClicks(w->dtp, QStringLiteral("6/5/25"));
        QTest::keyClick(w->dtp, Qt::Key_Return);
    });
    QCOMPARE(d, QDate(2025, 6, 5));
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
    frmCloseDeadline *w = frmCloseDeadline::Load();
    onModal([](QWidget *d) { static_cast<frmCloseDeadline *>(d)->cmdOK->click(); });
    QCOMPARE(w->Apri(1), QDate(2025, 3, 15));
    onModal([](QWidget *d) { QTest::keyClick(d, Qt::Key_Escape); });
    QVERIFY(w->Apri(1).isNull());
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
