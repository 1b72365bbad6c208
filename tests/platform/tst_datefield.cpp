// The date field typed into key by key in the five languages' usual locales: day, month and year in the
// locale's order, one or two digits for day and month, two or four for the year, the two-digit-year rule
// of the SQL dialect; what is not a date and why; the calendar drop-down opened, walked and closed from the
// keyboard and by its button.

#include "platform/controls/DateField.h"
#include "platform/database/JetDate.h"
#include "platform/shell/Shell.h"
#include "tests/common/TestEnv.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QClipboard>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>

#include <memory>

using platform::DateField;
using Refusal = platform::DateText::Refusal;
using namespace testenv;

Q_DECLARE_METATYPE(Refusal)

namespace {

// A window with the field and a box after it, shown and active, the field holding 15 March 2025.
struct Host {
    QWidget window;
    DateField *field = nullptr;
    QLineEdit *next = nullptr;

    Host()
    {
        auto *layout = new QVBoxLayout(&window);
        field = new DateField(&window);
        next = new QLineEdit(&window);
        layout->addWidget(field);
        layout->addWidget(next);
        field->setDate(QDate(2025, 3, 15));
        window.show();
        QApplication::setActiveWindow(&window);
        field->setFocus();
    }
};

} // namespace

class tst_datefield : public QObject
{
    Q_OBJECT

    std::unique_ptr<testenv::Sandbox> m_env;

private slots:
    void init() { m_env = std::make_unique<testenv::Sandbox>(); }
    void cleanup() { m_env.reset(); }

    void typed_data();
    void typed();
    void twoDigitYearsAsTheSqlDialect();
    void calendar_data();
    void calendar();
};

void tst_datefield::typed_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("typed");     // key by key, over the selected date; "paste:" pastes the rest
    QTest::addColumn<QDate>("date");        // null: refused
    QTest::addColumn<QString>("shown");     // once the focus has left the field
    QTest::addColumn<Refusal>("refusal");
    QTest::addColumn<QDate>("monthEnd");    // the last day of the month named, for NoSuchDay

    const Refusal ok = Refusal::None, bad = Refusal::Malformed, noDay = Refusal::NoSuchDay;
    const QDate none;
    QTest::newRow("en_US: August 31") << enUS << "8/31/2027" << QDate(2027, 8, 31) << "8/31/2027" << ok << none;
    QTest::newRow("en_US: December 31") << enUS << "12/31/2027" << QDate(2027, 12, 31) << "12/31/2027" << ok << none;
    QTest::newRow("en_US: October 5") << enUS << "10/5/2027" << QDate(2027, 10, 5) << "10/5/2027" << ok << none;
    QTest::newRow("en_US: two digits each") << enUS << "08/31/27" << QDate(2027, 8, 31) << "8/31/2027" << ok << none;
    QTest::newRow("en_US: leap day") << enUS << "2/29/2024" << QDate(2024, 2, 29) << "2/29/2024" << ok << none;
    QTest::newRow("en_US: dashes") << enUS << "8-31-2027" << QDate(2027, 8, 31) << "8/31/2027" << ok << none;
    QTest::newRow("en_US: blanks around") << enUS << " 1/2/2027 " << QDate(2027, 1, 2) << "1/2/2027" << ok << none;
    QTest::newRow("en_US: pasted with its line break") << enUS << "paste:8/31/2027\r\n" << QDate(2027, 8, 31) << "8/31/2027"
                                                       << ok << none;
    QTest::newRow("en_US: last day kept") << enUS << "12/31/9999" << QDate(9999, 12, 31) << "12/31/9999" << ok << none;
    QTest::newRow("en_GB: day first") << enGB << "31/8/2027" << QDate(2027, 8, 31) << "31/08/2027" << ok << none;
    QTest::newRow("en_GB: two-digit year") << enGB << "4/5/27" << QDate(2027, 5, 4) << "04/05/2027" << ok << none;
    QTest::newRow("it_IT: two digits each") << itIT << "31/08/27" << QDate(2027, 8, 31) << "31/08/2027" << ok << none;
    QTest::newRow("it_IT: one digit each") << itIT << "5/1/2027" << QDate(2027, 1, 5) << "05/01/2027" << ok << none;
    QTest::newRow("fr_FR: four-digit year") << frFR << "31/08/2027" << QDate(2027, 8, 31) << "31/08/2027" << ok << none;
    QTest::newRow("fr_FR: last century") << frFR << "1/2/99" << QDate(1999, 2, 1) << "01/02/1999" << ok << none;
    QTest::newRow("es_ES: short") << esES << "31/8/27" << QDate(2027, 8, 31) << "31/8/2027" << ok << none;
    QTest::newRow("de_DE: full stops") << deDE << "31.8.2027" << QDate(2027, 8, 31) << "31.08.2027" << ok << none;
    QTest::newRow("de_DE: two-digit year") << deDE << "5.1.27" << QDate(2027, 1, 5) << "05.01.2027" << ok << none;
    QTest::newRow("de_DE: slashes") << deDE << "31/8/2027" << QDate(2027, 8, 31) << "31.08.2027" << ok << none;

    // Refused: the text stays as typed for the user to mend.
    QTest::newRow("en_US: day first") << enUS << "31/8/2027" << none << "31/8/2027" << bad << none;
    QTest::newRow("en_US: no year") << enUS << "8/31" << none << "8/31" << bad << none;
    QTest::newRow("en_US: three-digit year") << enUS << "8/31/027" << none << "8/31/027" << bad << none;
    QTest::newRow("en_US: one-digit year") << enUS << "8/31/7" << none << "8/31/7" << bad << none;
    QTest::newRow("en_US: a fourth number") << enUS << "8/31/2027/1" << none << "8/31/2027/1" << bad << none;
    QTest::newRow("en_US: a letter") << enUS << "8/31/2O27" << none << "8/31/2O27" << bad << none;
    QTest::newRow("en_US: a word") << enUS << "tomorrow" << none << "tomorrow" << bad << none;
    QTest::newRow("en_US: day 0") << enUS << "8/0/2027" << none << "8/0/2027" << bad << none;
    QTest::newRow("en_US: day 32") << enUS << "8/32/2027" << none << "8/32/2027" << bad << none;
    QTest::newRow("en_US: before the year 100") << enUS << "1/1/0099" << none << "1/1/0099" << bad << none;
    QTest::newRow("en_US: February 30") << enUS << "2/30/2027" << none << "2/30/2027" << noDay << QDate(2027, 2, 28);
    QTest::newRow("it_IT: April 31") << itIT << "31/04/2027" << none << "31/04/2027" << noDay << QDate(2027, 4, 30);
    QTest::newRow("de_DE: February 29, 2023") << deDE << "29.2.23" << none << "29.2.23" << noDay << QDate(2023, 2, 28);
    QTest::newRow("de_DE: a closing full stop") << deDE << "31.8.2027." << none << "31.8.2027." << bad << none;
    QTest::newRow("fr_FR: month 13") << frFR << "1/13/2027" << none << "1/13/2027" << bad << none;
}

void tst_datefield::typed()
{
    QFETCH(QLocale, locale);
    QFETCH(QString, typed);
    QFETCH(QDate, date);
    QFETCH(QString, shown);
    QFETCH(Refusal, refusal);
    QFETCH(QDate, monthEnd);
    platform::setUserLocale(locale);
    Host host;
    QVERIFY(host.field->hasSelectedText());   // typing replaces the date the field holds
    if (typed.startsWith(QLatin1String("paste:"))) {
        QApplication::clipboard()->setText(typed.mid(6));
        QTest::keyClick(host.field, Qt::Key_V, Qt::ControlModifier);
    } else {
        QTest::keyClicks(host.field, typed);
        QCOMPARE(host.field->text(), typed);
    }
    QCOMPARE(host.field->date(), date);
    QCOMPARE(host.field->reading().refusal, refusal);
    QCOMPARE(host.field->reading().monthEnd, monthEnd);
    QTest::keyClick(host.field, Qt::Key_Tab);
    QVERIFY(host.next->hasFocus());   // the field refuses nothing itself: its window decides
    QCOMPARE(host.field->text(), shown);
}

void tst_datefield::twoDigitYearsAsTheSqlDialect()
{
    // The field and the SQL dialect's date literals read every two-digit year alike.
    Host host;
    for (int yy = 0; yy < 100; ++yy) {
        const QString year = QStringLiteral("%1").arg(yy, 2, 10, QLatin1Char('0'));
        host.field->selectAll();
        QTest::keyClicks(host.field, QStringLiteral("3/5/") + year);
        const auto literal = platform::parseDateLiteral(QStringLiteral("03/05/") + year);
        QVERIFY(literal);
        QCOMPARE(host.field->date(), literal->date);
    }
    QCOMPARE(host.field->date().year(), 1999);
}

void tst_datefield::calendar_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("typed");      // before the calendar opens; "" keeps 15 March 2025
    QTest::addColumn<int>("open");           // a key, or 0 for a click on the field's button
    QTest::addColumn<QList<int>>("keys");    // in the calendar
    QTest::addColumn<QString>("shown");
    QTest::newRow("F4, a day on, Enter") << enUS << "" << int(Qt::Key_F4) << QList<int>{Qt::Key_Right, Qt::Key_Return} << "3/16/2025";
    QTest::newRow("Alt+Down, a week on, Enter") << deDE << "" << int(Qt::Key_Down) << QList<int>{Qt::Key_Down, Qt::Key_Enter} << "22.03.2025";
    QTest::newRow("button, a week back, Enter") << itIT << "" << 0 << QList<int>{Qt::Key_Up, Qt::Key_Return} << "08/03/2025";
    QTest::newRow("typed date, F4, Enter") << enGB << "1/2/27" << int(Qt::Key_F4) << QList<int>{Qt::Key_Return} << "01/02/2027";
    QTest::newRow("no date typed: today") << frFR << "31/02" << int(Qt::Key_F4) << QList<int>{Qt::Key_Return} << "15/03/2025";
    QTest::newRow("Esc leaves the text") << esES << "31/02" << int(Qt::Key_F4) << QList<int>{Qt::Key_Right, Qt::Key_Escape} << "31/02";
}

void tst_datefield::calendar()
{
    QFETCH(QLocale, locale);
    QFETCH(QString, typed);
    QFETCH(int, open);
    QFETCH(QList<int>, keys);
    QFETCH(QString, shown);
    platform::setUserLocale(locale);
    Host host;
    if (!typed.isEmpty())
        QTest::keyClicks(host.field, typed);
    if (open == Qt::Key_Down)
        QTest::keyClick(host.field, Qt::Key_Down, Qt::AltModifier);
    else if (open)
        QTest::keyClick(host.field, Qt::Key(open));
    else
        QTest::mouseClick(host.field->findChild<QToolButton *>(), Qt::LeftButton);
    QVERIFY(host.field->isPopupVisible());
    QCalendarWidget *calendar = host.field->calendarWidget();
    QCOMPARE(calendar->locale(), locale);
    QCOMPARE(calendar->firstDayOfWeek(), locale.firstDayOfWeek());
    for (int key : keys) {
        QWidget *target = QApplication::focusWidget();
        QVERIFY(target && calendar->isAncestorOf(target));
        QTest::keyClick(target, Qt::Key(key));
    }
    QVERIFY(!host.field->isPopupVisible());
    QVERIFY(host.field->hasFocus());
    QCOMPARE(host.field->text(), shown);
}

QTEST_MAIN(tst_datefield)
#include "tst_datefield.moc"
