#pragma once

#include <QDate>
#include <QRect>
#include <QVector>
#include <QWidget>

namespace platform {

// The month calendar: one to several months side by side (columns x rows), a selected range of days, the
// first day of the week, today marked, and bold days whose flags the owner supplies.
//
// Days shown: every month shows its own days on a grid of six weeks; the first month also shows the days of
// the previous month that lead into its first week, the last month the days that fill its last weeks. The
// days shown thus run from visibleStart() to visibleEnd() without a gap, and each date is drawn at most once.
//
// Bold days: whenever the days shown change (scrolling, a new value or selection out of view, another
// number of months, another first day of the week) the calendar asks its owner for the flags of all days
// shown through getDayBold(), once, the first time it needs them (when it draws or when dayBold() is read).
// The owner may also set flags itself (setDayBold) or have the calendar ask again at once (refreshDayBold).
// An error raised by the owner's handler reaches the caller of dayBold/setDayBold/refreshDayBold; while
// drawing it is caught (and logged as a warning) and the days keep the flags known.
//
// Selection: value() is the day the user acts on (the clicked day, the keyboard's day); the selection runs
// from an anchor day to value(), at most maxSelCount() days. A click selects one day, a shift-click or a
// drag selects the range from the anchor, the keyboard moves value() (with Shift: extends the range).
// selChange() and dateClick() report the user's actions only; the setters do not emit them.
//
// Texts (month and day names, digits) follow the widget's locale() (QWidget::setLocale).
//
// Invalid arguments (a date out of range, a selection longer than maxSelCount, a first day of the week
// outside 1..7, a visible position past the last day shown) raise RuntimeError 380, source "MonthView".
class MonthView : public QWidget
{
    Q_OBJECT

public:
    static constexpr qint64 InvalidPropertyValue = 380;
    static constexpr int MaxMonths = 12;      // columns x rows

    explicit MonthView(QWidget *parent = nullptr);
    ~MonthView() override;

    static QDate minDate();                   // 1 January 1753
    static QDate maxDate();                   // 31 December 9999

    // The day the user acts on; setting it selects that one day and brings its month into view.
    QDate value() const;
    void setValue(const QDate &date);

    // The selected range, first and last day (equal for one day).
    QDate selStart() const;
    QDate selEnd() const;
    // Selects start..end (start <= end, at most maxSelCount days); value() becomes end; the range's months
    // are brought into view, its first month at least.
    void setSelection(const QDate &start, const QDate &end);

    int maxSelCount() const;                  // default 366
    void setMaxSelCount(int count);           // >= 1; a longer selection is cut to its first days

    // First day of the week as the system numbers it: 1 = Sunday (the default), 2 = Monday, ... 7 = Saturday.
    int startOfWeek() const;
    void setStartOfWeek(int day);

    int monthColumns() const;
    void setMonthColumns(int columns);        // 1..12, columns x rows at most 12
    int monthRows() const;
    void setMonthRows(int rows);

    // The first day of the first month shown; scrolling moves it by whole months (within the date range).
    QDate firstMonth() const;
    void scrollMonths(int months);

    // Days shown, the leading and trailing days of the adjacent months included.
    QDate visibleStart() const;
    QDate visibleEnd() const;
    int visibleDayCount() const;
    QDate visibleDay(int position) const;     // position 1 = visibleStart(); past the last day: RuntimeError

    // Bold flags of the days shown. dayBold() is false for a day not shown; setDayBold() refuses one.
    bool dayBold(const QDate &date);
    void setDayBold(const QDate &date, bool bold);
    // Asks the owner for the flags of all days shown now (getDayBold), e.g. after its data changed.
    void refreshDayBold();
    // No day shown is bold, without asking the owner (its data cannot be read); days shown later are asked
    // for as usual.
    void clearDayBold();

    // Sizes: one month, the whole calendar for its columns and rows, and the number of month columns whose
    // calendar fits a width (at least 1; the rows stay as they are).
    QSize monthSize() const;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    int columnsForWidth(int width) const;

    // Geometry in widget coordinates: the cell of a day shown (empty when not shown), the day under a point
    // (invalid when none) and the two scroll buttons.
    QRect cellRect(const QDate &date) const;
    QDate dateAt(const QPoint &pos) const;
    QRect previousButtonRect() const;
    QRect nextButtonRect() const;

signals:
    // The owner fills state[0..count-1] with the bold flags of count days from startDate. state comes in
    // sized count and holding the flags known so far; a handler that leaves it alone keeps them.
    void getDayBold(const QDate &startDate, int count, QVector<bool> &state);
    // The user changed the selection.
    void selChange(const QDate &start, const QDate &end);
    // The user clicked (or ended a drag on) a day.
    void dateClick(const QDate &date);

protected:
    bool event(QEvent *e) override;
    void paintEvent(QPaintEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void wheelEvent(QWheelEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    void leaveEvent(QEvent *e) override;

private:
    struct Metrics;
    Metrics metrics() const;
    QRect monthRect(int index, const Metrics &m) const;
    QDate monthAt(int index) const;
    QDate gridStart(const QDate &month) const;
    bool isShownIn(const QDate &date, int monthIndex) const;
    int monthCount() const;
    int monthIndexOf(const QDate &date) const;

    void setFirstMonthInternal(const QDate &month);
    void ensureVisible(const QDate &date);
    void layoutChanged();
    void ensureBoldDays();
    void selectRange(const QDate &anchor, const QDate &value);
    void userSelect(const QDate &anchor, const QDate &value, bool scroll);
    void checkDate(const QDate &date, const char *what) const;
    [[noreturn]] void fail(const QString &description) const;

    void paintMonth(QPainter &p, int index, const Metrics &m);

    QDate m_firstMonth;
    QDate m_anchor;
    QDate m_value;
    int m_maxSelCount = 366;
    int m_startOfWeek = 1;
    int m_columns = 1;
    int m_rows = 1;

    QDate m_boldStart;                        // the day m_bold[0] stands for
    QVector<bool> m_bold;
    bool m_boldPending = true;

    bool m_dragging = false;
    QDate m_hoverDate;
    int m_wheelRemainder = 0;
};

} // namespace platform
