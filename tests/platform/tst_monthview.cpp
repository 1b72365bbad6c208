#include "platform/RuntimeError.h"
#include "platform/controls/MonthView.h"
#include "tests/common/TestEnv.h"

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

#include <functional>

using platform::MonthView;

namespace {

// An owner that answers the bold-day requests with a rule and records each request (start, count).
struct BoldOwner {
    QList<QPair<QDate, int>> requests;
    std::function<bool(const QDate &)> rule = [](const QDate &d) { return d.day() % 5 == 0; };

    explicit BoldOwner(MonthView &mv)
    {
        QObject::connect(&mv, &MonthView::getDayBold, &mv, [this](const QDate &start, int count, QVector<bool> &state) {
            requests.append({start, count});
            for (int i = 0; rule && i < count; ++i)
                state[i] = rule(start.addDays(i));
        });
    }
};

void sendMouse(MonthView &mv, QEvent::Type type, const QDate &date)
{
    const QPointF pos = QRectF(mv.cellRect(date)).center();
    QMouseEvent e(type, pos, mv.mapToGlobal(pos), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                  type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&mv, &e);
}

} // namespace

class TstMonthView : public QObject
{
    Q_OBJECT

    testenv::Sandbox m_env;   // today is 2025-03-15

private slots:
    void monthGrid_data();
    void monthGrid();
    void severalMonthsShowEachDayOnce();
    void boldRequestFollowsShownDays_data();
    void boldRequestFollowsShownDays();
    void boldFlagsSetByOwner();
    void mouseSelection_data();
    void mouseSelection();
    void dragAndScroll();
    void keyboard_data();
    void keyboard();
    void programmaticSelection();
    void columnsForWidth();
    void invalidArgumentsChangeNothing();
    void renders_data();
    void renders();
};

void TstMonthView::monthGrid_data()
{
    QTest::addColumn<int>("startOfWeek");
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QDate>("firstCell");
    QTest::addColumn<int>("columnOfFirst");   // column of the month's 1st day

    QTest::newRow("Mar 2025, Sunday") << 1 << QDate(2025, 3, 15) << QDate(2025, 2, 23) << 6;
    QTest::newRow("Mar 2025, Monday") << 2 << QDate(2025, 3, 15) << QDate(2025, 2, 24) << 5;
    QTest::newRow("Mar 2025, Saturday") << 7 << QDate(2025, 3, 15) << QDate(2025, 3, 1) << 0;
    QTest::newRow("Feb 2015 starts on Sunday") << 1 << QDate(2015, 2, 10) << QDate(2015, 2, 1) << 0;
    QTest::newRow("Feb 2024 leap, Monday") << 2 << QDate(2024, 2, 29) << QDate(2024, 1, 29) << 3;
    QTest::newRow("Jan 1753, Sunday") << 1 << QDate(1753, 1, 1) << QDate(1752, 12, 31) << 1;
}

void TstMonthView::monthGrid()
{
    QFETCH(int, startOfWeek);
    QFETCH(QDate, date);
    QFETCH(QDate, firstCell);
    QFETCH(int, columnOfFirst);

    MonthView mv;
    QCOMPARE(mv.value(), QDate(2025, 3, 15));
    mv.setStartOfWeek(startOfWeek);
    mv.setValue(date);
    const QDate first(date.year(), date.month(), 1);
    const QDate last = first.addDays(first.daysInMonth() - 1);
    QCOMPARE(mv.firstMonth(), first);
    QCOMPARE(mv.visibleStart(), firstCell);
    QCOMPARE(mv.visibleDayCount(), 42);
    QCOMPARE(mv.visibleDay(42), firstCell.addDays(41));
    QCOMPARE(mv.visibleEnd(), firstCell.addDays(41));

    // Cells run left to right from the first day of the week, six weeks down, and hit-test back.
    const QRect origin = mv.cellRect(firstCell);
    QCOMPARE(mv.cellRect(first).left(), origin.left() + columnOfFirst * origin.width());
    QCOMPARE(mv.cellRect(mv.visibleEnd()).top(), origin.top() + 5 * origin.height());
    QCOMPARE(mv.cellRect(firstCell.addDays(-1)), QRect());
    for (const QDate &d : {firstCell, first, last, last.addDays(1)})
        QCOMPARE(mv.dateAt(mv.cellRect(d).center()), d);
}

void TstMonthView::severalMonthsShowEachDayOnce()
{
    MonthView mv;
    mv.setMonthColumns(3);
    // March's leading days and May's trailing days are shown. April 1 is a Tuesday: March 30 and 31 lead
    // into April's first week but are drawn only in March's grid.
    QCOMPARE(mv.visibleStart(), QDate(2025, 2, 23));
    QCOMPARE(mv.visibleEnd(), QDate(2025, 6, 7));
    const QRect apr1 = mv.cellRect(QDate(2025, 4, 1));
    QVERIFY(!mv.dateAt(apr1.center() - QPoint(apr1.width(), 0)).isValid());
    QVERIFY(mv.cellRect(QDate(2025, 3, 31)).right() < apr1.left() - apr1.width());
    for (int i = 1; i <= mv.visibleDayCount(); ++i)
        QCOMPARE(mv.dateAt(mv.cellRect(mv.visibleDay(i)).center()), mv.visibleDay(i));
}

void TstMonthView::boldRequestFollowsShownDays_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("asksAgain");
    QTest::newRow("next button") << "next" << true;
    QTest::newRow("wheel") << "wheel" << true;
    QTest::newRow("PageDown") << "pagedown" << true;
    QTest::newRow("value in another month") << "value" << true;
    QTest::newRow("value in the same month") << "samevalue" << false;
    QTest::newRow("three columns") << "columns" << true;
    QTest::newRow("Monday first") << "monday" << true;
    QTest::newRow("refresh on request") << "refresh" << true;
    QTest::newRow("repaint only") << "repaint" << false;
}

void TstMonthView::boldRequestFollowsShownDays()
{
    QFETCH(QString, action);
    QFETCH(bool, asksAgain);

    MonthView mv;
    BoldOwner owner(mv);
    mv.show();
    QVERIFY(QTest::qWaitForWindowExposed(&mv));
    mv.grab();
    QCOMPARE(owner.requests.size(), 1);
    QCOMPARE(owner.requests[0], qMakePair(mv.visibleStart(), mv.visibleDayCount()));

    if (action == QLatin1String("next"))
        QTest::mouseClick(&mv, Qt::LeftButton, {}, mv.nextButtonRect().center());
    else if (action == QLatin1String("wheel")) {
        QWheelEvent e(QPointF(10, 10), mv.mapToGlobal(QPointF(10, 10)), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(&mv, &e);
    } else if (action == QLatin1String("pagedown"))
        QTest::keyClick(&mv, Qt::Key_PageDown);
    else if (action == QLatin1String("value") || action == QLatin1String("samevalue"))
        mv.setValue(action == QLatin1String("value") ? QDate(2026, 1, 5) : QDate(2025, 3, 2));
    else if (action == QLatin1String("columns"))
        mv.setMonthColumns(3);
    else if (action == QLatin1String("monday"))
        mv.setStartOfWeek(2);
    else if (action == QLatin1String("refresh"))
        mv.refreshDayBold();
    else
        mv.repaint();

    mv.grab();
    // One more request at most, covering exactly the days shown now; the flags are its answers.
    QCOMPARE(owner.requests.size(), asksAgain ? 2 : 1);
    QCOMPARE(owner.requests.last(), qMakePair(mv.visibleStart(), mv.visibleDayCount()));
    for (int i = 1; i <= mv.visibleDayCount(); ++i)
        QCOMPARE(mv.dayBold(mv.visibleDay(i)), mv.visibleDay(i).day() % 5 == 0);
    QCOMPARE(owner.requests.size(), asksAgain ? 2 : 1);
}

void TstMonthView::boldFlagsSetByOwner()
{
    MonthView mv;
    BoldOwner owner(mv);
    QVERIFY(mv.dayBold(QDate(2025, 3, 5)));     // asks when first needed
    // As the window recomputes them: clear every visible day, then set the days that hold rows.
    for (int i = 1; i <= mv.visibleDayCount(); ++i)
        mv.setDayBold(mv.visibleDay(i), false);
    mv.setDayBold(QDate(2025, 3, 31), true);
    QVERIFY(!mv.dayBold(QDate(2025, 3, 5)));
    QVERIFY_THROWS_EXCEPTION(platform::RuntimeError, mv.visibleDay(mv.visibleDayCount() + 1));
    QVERIFY_THROWS_EXCEPTION(platform::RuntimeError, mv.setDayBold(mv.visibleEnd().addDays(1), true));

    // An owner that leaves the flags alone (busy) keeps those known; days scrolled in start plain.
    owner.rule = nullptr;
    mv.refreshDayBold();
    mv.scrollMonths(1);
    QVERIFY(mv.dayBold(QDate(2025, 3, 31)));    // still shown, leading into April
    QVERIFY(!mv.dayBold(QDate(2025, 4, 10)));
    QCOMPARE(owner.requests.size(), 3);

    // An owner whose answer fails: drawing goes on with the flags known, a direct request raises the error
    // and leaves the request open.
    owner.rule = [](const QDate &) -> bool {
        throw platform::RuntimeError(3021, QStringLiteral("owner"), QStringLiteral("database locked"));
    };
    mv.scrollMonths(-1);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("bold days.*database locked")));
    mv.grab();
    QVERIFY(mv.dayBold(QDate(2025, 3, 31)));
    QVERIFY_THROWS_EXCEPTION(platform::RuntimeError, mv.refreshDayBold());
    QVERIFY_THROWS_EXCEPTION(platform::RuntimeError, mv.dayBold(QDate(2025, 3, 31)));
}

void TstMonthView::mouseSelection_data()
{
    QTest::addColumn<QStringList>("clicks");   // ISO dates, "+" for a shift-click
    QTest::addColumn<int>("maxSelCount");
    QTest::addColumn<QDate>("start");
    QTest::addColumn<QDate>("end");
    QTest::addColumn<int>("changes");

    QTest::newRow("one day") << QStringList{QStringLiteral("2025-03-10")} << 366 << QDate(2025, 3, 10)
                             << QDate(2025, 3, 10) << 1;
    QTest::newRow("shift back keeps anchor")
        << QStringList{QStringLiteral("2025-03-10"), QStringLiteral("+2025-03-13"), QStringLiteral("+2025-03-07")}
        << 366 << QDate(2025, 3, 7) << QDate(2025, 3, 10) << 3;
    QTest::newRow("shift into leading days") << QStringList{QStringLiteral("2025-03-03"), QStringLiteral("+2025-02-24")}
                                             << 366 << QDate(2025, 2, 24) << QDate(2025, 3, 3) << 2;
    QTest::newRow("shift cut to max") << QStringList{QStringLiteral("2025-03-10"), QStringLiteral("+2025-03-20")} << 3
                                      << QDate(2025, 3, 10) << QDate(2025, 3, 12) << 2;
    QTest::newRow("shift back cut to max") << QStringList{QStringLiteral("2025-03-20"), QStringLiteral("+2025-03-02")}
                                           << 7 << QDate(2025, 3, 14) << QDate(2025, 3, 20) << 2;
    QTest::newRow("plain click after range")
        << QStringList{QStringLiteral("2025-03-10"), QStringLiteral("+2025-03-13"), QStringLiteral("2025-03-25")} << 366
        << QDate(2025, 3, 25) << QDate(2025, 3, 25) << 3;
}

void TstMonthView::mouseSelection()
{
    QFETCH(QStringList, clicks);
    QFETCH(int, maxSelCount);
    QFETCH(QDate, start);
    QFETCH(QDate, end);
    QFETCH(int, changes);

    MonthView mv;
    mv.setStartOfWeek(2);
    mv.setMaxSelCount(maxSelCount);
    mv.show();
    QVERIFY(QTest::qWaitForWindowExposed(&mv));
    QSignalSpy sel(&mv, &MonthView::selChange);
    QSignalSpy clicked(&mv, &MonthView::dateClick);
    for (const QString &c : clicks) {
        const QRect cell = mv.cellRect(QDate::fromString(c.mid(c.startsWith(QLatin1Char('+')) ? 1 : 0), Qt::ISODate));
        QVERIFY2(!cell.isEmpty(), qPrintable(c));
        QTest::mouseClick(&mv, Qt::LeftButton, c.startsWith(QLatin1Char('+')) ? Qt::ShiftModifier : Qt::NoModifier,
                          cell.center());
    }
    QCOMPARE(mv.selStart(), start);
    QCOMPARE(mv.selEnd(), end);
    QCOMPARE(sel.size(), changes);
    if (changes > 0)
        QCOMPARE(sel.last(), QVariantList({start, end}));
    QCOMPARE(clicked.size(), clicks.size());
}

void TstMonthView::dragAndScroll()
{
    MonthView mv;
    mv.show();
    QVERIFY(QTest::qWaitForWindowExposed(&mv));
    QSignalSpy sel(&mv, &MonthView::selChange);
    sendMouse(mv, QEvent::MouseButtonPress, QDate(2025, 3, 3));
    sendMouse(mv, QEvent::MouseMove, QDate(2025, 3, 12));
    sendMouse(mv, QEvent::MouseMove, QDate(2025, 3, 1));    // back past the anchor
    sendMouse(mv, QEvent::MouseButtonRelease, QDate(2025, 3, 1));
    QCOMPARE(sel.last(), QVariantList({QDate(2025, 3, 1), QDate(2025, 3, 3)}));
    sendMouse(mv, QEvent::MouseMove, QDate(2025, 3, 20));   // no button: hover only
    QCOMPARE(sel.size(), 3);

    // The scroll buttons move the months, not the selection; the ends of the date range stop them.
    QTest::mouseClick(&mv, Qt::LeftButton, {}, mv.nextButtonRect().center());
    QTest::mouseClick(&mv, Qt::LeftButton, {}, mv.nextButtonRect().center());
    QTest::mouseClick(&mv, Qt::LeftButton, {}, mv.previousButtonRect().center());
    QCOMPARE(mv.firstMonth(), QDate(2025, 4, 1));
    QCOMPARE(mv.selEnd(), QDate(2025, 3, 3));
    QCOMPARE(sel.size(), 3);
    // A day of an adjacent month is selected and its month comes into view.
    QTest::mouseClick(&mv, Qt::LeftButton, {}, mv.cellRect(QDate(2025, 5, 2)).center());
    QCOMPARE(mv.selStart(), QDate(2025, 5, 2));
    QCOMPARE(mv.firstMonth(), QDate(2025, 5, 1));
    mv.setValue(QDate(9999, 12, 1));
    mv.scrollMonths(5);
    QCOMPARE(mv.firstMonth(), QDate(9999, 12, 1));
}

void TstMonthView::keyboard_data()
{
    QTest::addColumn<QDate>("value");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QDate>("start");
    QTest::addColumn<QDate>("end");
    QTest::addColumn<QDate>("firstMonth");

    const QDate v(2025, 3, 15), mar(2025, 3, 1);
    const int none = Qt::NoModifier, shift = Qt::ShiftModifier, ctrl = Qt::ControlModifier;
    QTest::newRow("right") << v << int(Qt::Key_Right) << none << QDate(2025, 3, 16) << QDate(2025, 3, 16) << mar;
    QTest::newRow("shift up") << v << int(Qt::Key_Up) << shift << QDate(2025, 3, 8) << v << mar;
    QTest::newRow("down into April") << QDate(2025, 3, 28) << int(Qt::Key_Down) << none << QDate(2025, 4, 4)
                                     << QDate(2025, 4, 4) << QDate(2025, 4, 1);
    QTest::newRow("page up") << v << int(Qt::Key_PageUp) << none << QDate(2025, 2, 15) << QDate(2025, 2, 15)
                             << QDate(2025, 2, 1);
    QTest::newRow("Jan 31 to leap Feb") << QDate(2024, 1, 31) << int(Qt::Key_PageDown) << none << QDate(2024, 2, 29)
                                        << QDate(2024, 2, 29) << QDate(2024, 2, 1);
    QTest::newRow("Feb 29 a year on") << QDate(2024, 2, 29) << int(Qt::Key_PageDown) << ctrl << QDate(2025, 2, 28)
                                      << QDate(2025, 2, 28) << QDate(2025, 2, 1);
    QTest::newRow("stops at last date") << QDate(9999, 12, 31) << int(Qt::Key_Right) << none << QDate(9999, 12, 31)
                                        << QDate(9999, 12, 31) << QDate(9999, 12, 1);
}

void TstMonthView::keyboard()
{
    QFETCH(QDate, value);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QDate, start);
    QFETCH(QDate, end);
    QFETCH(QDate, firstMonth);

    MonthView mv;
    mv.setValue(value);
    QSignalSpy sel(&mv, &MonthView::selChange);
    QTest::keyClick(&mv, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(mv.selStart(), start);
    QCOMPARE(mv.selEnd(), end);
    QCOMPARE(mv.firstMonth(), firstMonth);
    QCOMPARE(sel.size(), start == value && end == value ? 0 : 1);
}

void TstMonthView::programmaticSelection()
{
    MonthView mv;
    QSignalSpy sel(&mv, &MonthView::selChange);
    mv.setValue(QDate(2025, 5, 9));
    mv.setSelection(QDate(2025, 3, 1), QDate(2025, 3, 31));   // a whole month, as the month link does
    QCOMPARE(mv.firstMonth(), QDate(2025, 3, 1));
    QCOMPARE(sel.size(), 0);
    QTest::keyClick(&mv, Qt::Key_Right, Qt::ShiftModifier);   // goes on from the end of the range
    QCOMPARE(sel.last(), QVariantList({QDate(2025, 3, 1), QDate(2025, 4, 1)}));
    mv.setMaxSelCount(7);                                      // cuts the range to its first days
    QCOMPARE(mv.selEnd(), QDate(2025, 3, 7));
    mv.setMaxSelCount(60);
    mv.setSelection(QDate(2025, 6, 20), QDate(2025, 7, 10));  // longer than the months shown: its start
    QCOMPARE(mv.firstMonth(), QDate(2025, 6, 1));
}

void TstMonthView::columnsForWidth()
{
    MonthView mv;
    QList<int> widths{0};
    for (int columns = 1; columns <= 4; ++columns) {
        mv.setMonthColumns(columns);
        widths << mv.sizeHint().width();
        QVERIFY(widths[columns] > widths[columns - 1] + mv.monthSize().width() - 1);
    }
    for (int columns = 1; columns <= 4; ++columns) {
        QCOMPARE(mv.columnsForWidth(widths[columns]), columns);
        QCOMPARE(mv.columnsForWidth(widths[columns] - 1), std::max(1, columns - 1));
    }
    QCOMPARE(mv.columnsForWidth(1000000), MonthView::MaxMonths / 1);
    mv.setMonthColumns(1);
    mv.setMonthRows(3);
    QCOMPARE(mv.columnsForWidth(1000000), 4);
    QCOMPARE(mv.visibleEnd(), QDate(2025, 6, 7));   // May's grid runs from Sunday April 27
}

void TstMonthView::invalidArgumentsChangeNothing()
{
    MonthView mv;
    mv.setMonthColumns(4);
    mv.setMaxSelCount(10);
    mv.setSelection(QDate(2025, 3, 10), QDate(2025, 3, 12));
    const QList<std::function<void()>> calls{
        [&] { mv.setStartOfWeek(0); }, [&] { mv.setStartOfWeek(8); }, [&] { mv.setMonthColumns(0); },
        [&] { mv.setMonthColumns(13); }, [&] { mv.setMonthRows(4); }, [&] { mv.setValue(QDate()); },
        [&] { mv.setValue(QDate(1700, 1, 1)); }, [&] { mv.setSelection(QDate(2025, 3, 9), QDate(2025, 3, 8)); },
        [&] { mv.setSelection(QDate(2025, 3, 1), QDate(2025, 3, 11)); }, [&] { mv.setMaxSelCount(0); },
        [&] { mv.visibleDay(0); },
    };
    for (int i = 0; i < calls.size(); ++i) {
        try {
            calls[i]();
            QFAIL(qPrintable(QStringLiteral("call %1 raised no error").arg(i)));
        } catch (const platform::RuntimeError &e) {
            QCOMPARE(e.number(), MonthView::InvalidPropertyValue);
            QCOMPARE(e.source(), QStringLiteral("MonthView"));
        }
    }
    QCOMPARE(mv.selStart(), QDate(2025, 3, 10));
    QCOMPARE(mv.selEnd(), QDate(2025, 3, 12));
    QCOMPARE(mv.monthColumns() * 10 + mv.monthRows(), 41);
    QCOMPARE(mv.startOfWeek(), 1);
    QCOMPARE(mv.maxSelCount(), 10);
    QCOMPARE(mv.firstMonth(), QDate(2025, 3, 1));
}

void TstMonthView::renders_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("rows");
    QTest::newRow("en, one month") << QLocale(QLocale::English, QLocale::UnitedStates) << 1 << 1;
    QTest::newRow("it, four months") << QLocale(QLocale::Italian, QLocale::Italy) << 4 << 1;
    QTest::newRow("ar, 3 x 2, native digits") << QLocale(QLocale::Arabic, QLocale::Egypt) << 3 << 2;
}

void TstMonthView::renders()
{
    QFETCH(QLocale, locale);
    QFETCH(int, columns);
    QFETCH(int, rows);

    MonthView mv;
    mv.setLocale(locale);
    mv.setMonthColumns(columns);
    mv.setMonthRows(rows);
    mv.setSelection(QDate(2025, 3, 28), QDate(2025, 4, 3));
    BoldOwner owner(mv);
    owner.rule = [](const QDate &d) { return d == QDate(2025, 3, 20); };
    mv.resize(mv.sizeHint());

    const QImage bold = mv.grab().toImage();
    QCOMPARE(bold.size() / bold.devicePixelRatio(), mv.sizeHint());
    QVERIFY(mv.nextButtonRect().right() < mv.width());
    QVERIFY(mv.cellRect(mv.visibleEnd()).bottom() < mv.height());
    // The bold day is drawn differently from the same day plain.
    const QRect cell = mv.cellRect(QDate(2025, 3, 20));
    mv.setDayBold(QDate(2025, 3, 20), false);
    const QImage plain = mv.grab().toImage();
    const qreal dpr = bold.devicePixelRatio();
    const QRect px(cell.topLeft() * dpr, cell.size() * dpr);
    QVERIFY(bold.copy(px) != plain.copy(px));
}

QTEST_MAIN(TstMonthView)
#include "tst_monthview.moc"
