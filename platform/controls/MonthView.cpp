#include "platform/controls/MonthView.h"

#include "platform/Clock.h"
#include "platform/RuntimeError.h"

#include <QEvent>
#include <QDebug>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace platform {

namespace {

constexpr int GridDays = 42;   // six weeks per month

QDate monthOf(const QDate &date)
{
    return QDate(date.year(), date.month(), 1);
}

// Qt numbers the weekdays 1 = Monday .. 7 = Sunday; the system 1 = Sunday .. 7 = Saturday.
int qtDayOfWeek(int systemDay)
{
    return systemDay == 1 ? 7 : systemDay - 1;
}

QDate clampDate(const QDate &d)
{
    return std::clamp(d, MonthView::minDate(), MonthView::maxDate());
}

QString capitalised(const QLocale &locale, const QString &text)
{
    if (text.isEmpty())
        return text;
    return locale.toUpper(text.left(1)) + text.mid(1);
}

QString monthTitle(const QLocale &locale, const QDate &month)
{
    return capitalised(locale, locale.standaloneMonthName(month.month(), QLocale::LongFormat))
           + QLatin1Char(' ') + locale.toString(month, QStringLiteral("yyyy"));
}

} // namespace

// Sizes derived from the font, so the calendar scales with the screen's DPI and the user's font.
struct MonthView::Metrics {
    QFont font, boldFont;
    int fontHeight = 0;
    int margin = 0, gapX = 0, gapY = 0;
    int cellW = 0, cellH = 0, titleH = 0, namesH = 0;
    int monthW = 0, monthH = 0;
    int blockW = 0, blockH = 0;
    int originX = 0;
};

MonthView::MonthView(QWidget *parent)
    : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    m_value = m_anchor = clampDate(platform::today());
    m_firstMonth = monthOf(m_value);
    m_boldStart = visibleStart();
    m_bold.fill(false, visibleDayCount());
    m_boldPending = true;
}

MonthView::~MonthView() = default;

QDate MonthView::minDate()
{
    return QDate(1753, 1, 1);
}

QDate MonthView::maxDate()
{
    return QDate(9999, 12, 31);
}

// ---- properties ----

QDate MonthView::value() const
{
    return m_value;
}

void MonthView::setValue(const QDate &date)
{
    checkDate(date, "value");
    selectRange(date, date);
    ensureVisible(date);
    update();
}

QDate MonthView::selStart() const
{
    return std::min(m_anchor, m_value);
}

QDate MonthView::selEnd() const
{
    return std::max(m_anchor, m_value);
}

void MonthView::setSelection(const QDate &start, const QDate &end)
{
    checkDate(start, "selection start");
    checkDate(end, "selection end");
    if (end < start)
        fail(QStringLiteral("The selection ends before it starts."));
    if (start.daysTo(end) + 1 > m_maxSelCount)
        fail(QStringLiteral("The selection is longer than %1 days.").arg(m_maxSelCount));
    selectRange(start, end);
    ensureVisible(end);
    ensureVisible(start);
    update();
}

int MonthView::maxSelCount() const
{
    return m_maxSelCount;
}

void MonthView::setMaxSelCount(int count)
{
    if (count < 1)
        fail(QStringLiteral("The largest selection must be at least one day."));
    m_maxSelCount = count;
    if (selStart().daysTo(selEnd()) + 1 > count) {
        const QDate start = selStart();
        selectRange(start, start.addDays(count - 1));
        update();
    }
}

int MonthView::startOfWeek() const
{
    return m_startOfWeek;
}

void MonthView::setStartOfWeek(int day)
{
    if (day < 1 || day > 7)
        fail(QStringLiteral("The first day of the week must be 1 (Sunday) to 7 (Saturday)."));
    if (day == m_startOfWeek)
        return;
    m_startOfWeek = day;
    layoutChanged();
}

int MonthView::monthColumns() const
{
    return m_columns;
}

void MonthView::setMonthColumns(int columns)
{
    if (columns < 1 || columns * m_rows > MaxMonths)
        fail(QStringLiteral("The calendar shows 1 to %1 months.").arg(MaxMonths));
    if (columns == m_columns)
        return;
    m_columns = columns;
    setFirstMonthInternal(m_firstMonth);
    ensureVisible(m_value);
    layoutChanged();
    updateGeometry();
}

int MonthView::monthRows() const
{
    return m_rows;
}

void MonthView::setMonthRows(int rows)
{
    if (rows < 1 || rows * m_columns > MaxMonths)
        fail(QStringLiteral("The calendar shows 1 to %1 months.").arg(MaxMonths));
    if (rows == m_rows)
        return;
    m_rows = rows;
    setFirstMonthInternal(m_firstMonth);
    ensureVisible(m_value);
    layoutChanged();
    updateGeometry();
}

QDate MonthView::firstMonth() const
{
    return m_firstMonth;
}

void MonthView::scrollMonths(int months)
{
    setFirstMonthInternal(m_firstMonth.addMonths(months));
}

// ---- days shown ----

int MonthView::monthCount() const
{
    return m_columns * m_rows;
}

QDate MonthView::monthAt(int index) const
{
    return m_firstMonth.addMonths(index);
}

QDate MonthView::gridStart(const QDate &month) const
{
    const int lead = (month.dayOfWeek() - qtDayOfWeek(m_startOfWeek) + 7) % 7;
    return month.addDays(-lead);
}

QDate MonthView::visibleStart() const
{
    return gridStart(m_firstMonth);
}

QDate MonthView::visibleEnd() const
{
    return gridStart(monthAt(monthCount() - 1)).addDays(GridDays - 1);
}

int MonthView::visibleDayCount() const
{
    return int(visibleStart().daysTo(visibleEnd())) + 1;
}

QDate MonthView::visibleDay(int position) const
{
    if (position < 1 || position > visibleDayCount())
        fail(QStringLiteral("There is no visible day %1.").arg(position));
    return visibleStart().addDays(position - 1);
}

// The month whose grid draws the date: its own month, the first month for the leading days, the last month
// for the trailing days. -1 when the date is not shown.
int MonthView::monthIndexOf(const QDate &date) const
{
    if (!date.isValid() || date < visibleStart() || date > visibleEnd())
        return -1;
    if (date < m_firstMonth)
        return 0;
    const int index = (date.year() - m_firstMonth.year()) * 12 + date.month() - m_firstMonth.month();
    return std::min(index, monthCount() - 1);
}

bool MonthView::isShownIn(const QDate &date, int monthIndex) const
{
    return monthIndex >= 0 && monthIndexOf(date) == monthIndex;
}

void MonthView::setFirstMonthInternal(const QDate &month)
{
    const QDate lowest = monthOf(minDate());
    const QDate highest = monthOf(maxDate()).addMonths(-(monthCount() - 1));
    const QDate first = std::clamp(monthOf(month), lowest, highest);
    if (first == m_firstMonth)
        return;
    m_firstMonth = first;
    layoutChanged();
}

void MonthView::ensureVisible(const QDate &date)
{
    const QDate month = monthOf(date);
    if (month < m_firstMonth)
        setFirstMonthInternal(month);
    else if (month > monthAt(monthCount() - 1))
        setFirstMonthInternal(month.addMonths(-(monthCount() - 1)));
}

// The days shown changed: keep the flags of the days still shown and ask the owner again when next needed.
void MonthView::layoutChanged()
{
    const QDate start = visibleStart();
    const int count = visibleDayCount();
    if (start != m_boldStart || count != m_bold.size()) {
        QVector<bool> flags(count, false);
        for (int i = 0; i < count; ++i) {
            const qint64 old = m_boldStart.daysTo(start.addDays(i));
            if (old >= 0 && old < m_bold.size())
                flags[i] = m_bold[old];
        }
        m_bold = flags;
        m_boldStart = start;
        m_boldPending = true;
    }
    update();
}

// ---- bold days ----

void MonthView::ensureBoldDays()
{
    if (!m_boldPending)
        return;
    m_boldPending = false;
    const QDate start = m_boldStart;
    QVector<bool> state = m_bold;
    try {
        emit getDayBold(start, int(state.size()), state);
    } catch (...) {
        m_boldPending = true;   // a failed answer is asked for again next time
        throw;
    }
    // A handler that changed the days shown has made this answer stale; the new days are pending.
    if (start != m_boldStart || m_bold.size() != state.size())
        return;
    m_bold = state;
}

bool MonthView::dayBold(const QDate &date)
{
    ensureBoldDays();
    const qint64 i = m_boldStart.daysTo(date);
    return date.isValid() && i >= 0 && i < m_bold.size() && m_bold[i];
}

void MonthView::setDayBold(const QDate &date, bool bold)
{
    ensureBoldDays();
    const qint64 i = date.isValid() ? m_boldStart.daysTo(date) : -1;
    if (i < 0 || i >= m_bold.size())
        fail(QStringLiteral("The day %1 is not shown.").arg(date.toString(Qt::ISODate)));
    if (m_bold[i] != bold) {
        m_bold[i] = bold;
        update(cellRect(date));
    }
}

void MonthView::refreshDayBold()
{
    m_boldPending = true;
    ensureBoldDays();
    update();
}

void MonthView::clearDayBold()
{
    m_bold.fill(false);
    m_boldPending = false;
    update();
}

// ---- selection ----

void MonthView::selectRange(const QDate &anchor, const QDate &value)
{
    m_anchor = anchor;
    m_value = value;
}

// A selection made by the user: the range is cut to maxSelCount days from the anchor, the month of the new
// value is brought into view on request, and selChange reports the range when it differs from the one before.
void MonthView::userSelect(const QDate &anchor, const QDate &requested, bool scroll)
{
    QDate value = clampDate(requested);
    const qint64 span = anchor.daysTo(value);
    if (std::abs(span) + 1 > m_maxSelCount)
        value = anchor.addDays(span > 0 ? m_maxSelCount - 1 : -(m_maxSelCount - 1));
    const QDate oldStart = selStart();
    const QDate oldEnd = selEnd();
    selectRange(anchor, value);
    if (scroll)
        ensureVisible(value);
    update();
    if (selStart() != oldStart || selEnd() != oldEnd)
        emit selChange(selStart(), selEnd());
}

void MonthView::checkDate(const QDate &date, const char *what) const
{
    if (!date.isValid() || date < minDate() || date > maxDate())
        fail(QStringLiteral("The %1 is not a date from %2 to %3.")
                 .arg(QLatin1String(what), minDate().toString(Qt::ISODate), maxDate().toString(Qt::ISODate)));
}

void MonthView::fail(const QString &description) const
{
    throw RuntimeError(InvalidPropertyValue, QStringLiteral("MonthView"), description);
}

// ---- geometry ----

MonthView::Metrics MonthView::metrics() const
{
    Metrics m;
    m.font = font();
    m.boldFont = m.font;
    m.boldFont.setBold(true);
    const QFontMetrics fm(m.font);
    const QFontMetrics bfm(m.boldFont);
    const QLocale loc = locale();
    const int h = fm.height();
    m.fontHeight = h;

    int numberW = 0;
    for (int d = 10; d <= 31; ++d)
        numberW = std::max(numberW, bfm.horizontalAdvance(loc.toString(d)));
    int nameW = 0;
    for (int d = 1; d <= 7; ++d)
        nameW = std::max(nameW, fm.horizontalAdvance(loc.standaloneDayName(d, QLocale::ShortFormat)));
    int titleW = 0;
    for (int month = 1; month <= 12; ++month)
        titleW = std::max(titleW, bfm.horizontalAdvance(monthTitle(loc, QDate(2000, month, 1))));

    const int pad = std::max(4, h / 2);
    m.margin = std::max(2, h / 2);
    m.gapX = qRound(h * 1.2);
    m.gapY = qRound(h * 0.6);
    m.cellH = qRound(h * 1.75);
    m.titleH = qRound(h * 2.2);
    m.namesH = qRound(h * 1.5);
    m.cellW = std::max({m.cellH, numberW + pad, nameW + pad, (titleW + 2 * m.titleH + 6) / 7});
    m.monthW = 7 * m.cellW;
    m.monthH = m.titleH + m.namesH + 6 * m.cellH;
    m.blockW = 2 * m.margin + m_columns * m.monthW + (m_columns - 1) * m.gapX;
    m.blockH = 2 * m.margin + m_rows * m.monthH + (m_rows - 1) * m.gapY;
    m.originX = std::max(0, (width() - m.blockW) / 2);
    return m;
}

QRect MonthView::monthRect(int index, const Metrics &m) const
{
    const int col = index % m_columns;
    const int row = index / m_columns;
    return QRect(m.originX + m.margin + col * (m.monthW + m.gapX), m.margin + row * (m.monthH + m.gapY),
                 m.monthW, m.monthH);
}

QSize MonthView::monthSize() const
{
    const Metrics m = metrics();
    return QSize(m.monthW, m.monthH);
}

QSize MonthView::sizeHint() const
{
    const Metrics m = metrics();
    return QSize(m.blockW, m.blockH);
}

QSize MonthView::minimumSizeHint() const
{
    return sizeHint();
}

int MonthView::columnsForWidth(int width) const
{
    const Metrics m = metrics();
    const int fit = (width - 2 * m.margin + m.gapX) / (m.monthW + m.gapX);
    return std::clamp(fit, 1, MaxMonths / m_rows);
}

QRect MonthView::cellRect(const QDate &date) const
{
    const int index = monthIndexOf(date);
    if (index < 0)
        return {};
    const Metrics m = metrics();
    const QRect month = monthRect(index, m);
    const int i = int(gridStart(monthAt(index)).daysTo(date));
    return QRect(month.left() + (i % 7) * m.cellW, month.top() + m.titleH + m.namesH + (i / 7) * m.cellH,
                 m.cellW, m.cellH);
}

QDate MonthView::dateAt(const QPoint &pos) const
{
    const Metrics m = metrics();
    for (int index = 0; index < monthCount(); ++index) {
        const QRect month = monthRect(index, m);
        const QRect cells(month.left(), month.top() + m.titleH + m.namesH, 7 * m.cellW, 6 * m.cellH);
        if (!cells.contains(pos))
            continue;
        const int col = (pos.x() - cells.left()) / m.cellW;
        const int row = (pos.y() - cells.top()) / m.cellH;
        const QDate date = gridStart(monthAt(index)).addDays(row * 7 + col);
        return isShownIn(date, index) ? date : QDate();
    }
    return {};
}

QRect MonthView::previousButtonRect() const
{
    const Metrics m = metrics();
    const QRect month = monthRect(0, m);
    return QRect(month.left(), month.top(), m.titleH, m.titleH);
}

QRect MonthView::nextButtonRect() const
{
    const Metrics m = metrics();
    const QRect month = monthRect(m_columns - 1, m);
    return QRect(month.right() + 1 - m.titleH, month.top(), m.titleH, m.titleH);
}

// ---- events ----

bool MonthView::event(QEvent *e)
{
    switch (e->type()) {
    case QEvent::FontChange:
    case QEvent::LocaleChange:
    case QEvent::StyleChange:
        updateGeometry();
        update();
        break;
    default:
        break;
    }
    return QWidget::event(e);
}

void MonthView::mousePressEvent(QMouseEvent *e)
{
    if (e->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(e);
        return;
    }
    const QPoint pos = e->position().toPoint();
    if (previousButtonRect().contains(pos)) {
        scrollMonths(-1);
        return;
    }
    if (nextButtonRect().contains(pos)) {
        scrollMonths(1);
        return;
    }
    const QDate date = dateAt(pos);
    if (!date.isValid())
        return;
    // The grid stays still under the mouse while the button is down (see the release).
    userSelect((e->modifiers() & Qt::ShiftModifier) ? m_anchor : date, date, false);
    m_dragging = true;
}

void MonthView::mouseMoveEvent(QMouseEvent *e)
{
    const QDate date = dateAt(e->position().toPoint());
    if (date != m_hoverDate) {
        m_hoverDate = date;
        update();
    }
    if (m_dragging && (e->buttons() & Qt::LeftButton) && date.isValid() && date != m_value)
        userSelect(m_anchor, date, false);
}

void MonthView::mouseReleaseEvent(QMouseEvent *e)
{
    if (e->button() != Qt::LeftButton || !m_dragging) {
        QWidget::mouseReleaseEvent(e);
        return;
    }
    m_dragging = false;
    const QDate date = dateAt(e->position().toPoint());
    // A day of an adjacent month brings its month into view once the click is over, not under the mouse.
    ensureVisible(m_value);
    if (date.isValid())
        emit dateClick(m_value);
}

void MonthView::wheelEvent(QWheelEvent *e)
{
    m_wheelRemainder += e->angleDelta().y();
    const int steps = m_wheelRemainder / 120;
    if (steps != 0) {
        m_wheelRemainder -= steps * 120;
        scrollMonths(-steps);
    }
    e->accept();
}

void MonthView::keyPressEvent(QKeyEvent *e)
{
    const bool extend = e->modifiers() & Qt::ShiftModifier;
    const bool byYear = e->modifiers() & Qt::ControlModifier;
    QDate target;
    switch (e->key()) {
    case Qt::Key_Left: target = m_value.addDays(-1); break;
    case Qt::Key_Right: target = m_value.addDays(1); break;
    case Qt::Key_Up: target = m_value.addDays(-7); break;
    case Qt::Key_Down: target = m_value.addDays(7); break;
    case Qt::Key_PageUp: target = m_value.addMonths(byYear ? -12 : -1); break;
    case Qt::Key_PageDown: target = m_value.addMonths(byYear ? 12 : 1); break;
    case Qt::Key_Home: target = monthOf(m_value); break;
    case Qt::Key_End: target = monthOf(m_value).addMonths(1).addDays(-1); break;
    default:
        QWidget::keyPressEvent(e);
        return;
    }
    userSelect(extend ? m_anchor : clampDate(target), target, true);
    e->accept();
}

void MonthView::leaveEvent(QEvent *e)
{
    if (m_hoverDate.isValid()) {
        m_hoverDate = QDate();
        update();
    }
    QWidget::leaveEvent(e);
}

// ---- painting ----

void MonthView::paintEvent(QPaintEvent *)
{
    // The owner's answer may fail (its database locked, say). An error must not leave a paint event, so
    // the days keep the flags known and are not asked again at every repaint: the next change of the days
    // shown, or refreshDayBold(), asks again.
    try {
        ensureBoldDays();
    } catch (const std::exception &e) {
        m_boldPending = false;
        qWarning("MonthView: the bold days could not be read: %s", e.what());
    }
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.fillRect(rect(), palette().color(QPalette::Base));
    const Metrics m = metrics();
    for (int index = 0; index < monthCount(); ++index)
        paintMonth(p, index, m);

    // Scroll buttons: chevrons in the corners of the first row of titles.
    const QColor arrow = palette().color(QPalette::Text);
    QPen pen(arrow, std::max(1.5, m.fontHeight / 9.0), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    const qreal s = m.fontHeight * 0.3;
    for (int dir : {-1, 1}) {
        const QPointF c = QRectF(dir < 0 ? previousButtonRect() : nextButtonRect()).center();
        QPainterPath path;
        path.moveTo(c.x() - dir * s * 0.5, c.y() - s);
        path.lineTo(c.x() + dir * s * 0.5, c.y());
        path.lineTo(c.x() - dir * s * 0.5, c.y() + s);
        p.drawPath(path);
    }
}

void MonthView::paintMonth(QPainter &p, int index, const Metrics &m)
{
    const QLocale loc = locale();
    const QPalette &pal = palette();
    const QRect month = monthRect(index, m);
    const QDate first = monthAt(index);
    const QDate start = gridStart(first);
    const QDate selFrom = selStart();
    const QDate selTo = selEnd();
    const QDate today = platform::today();

    // Title, between the scroll buttons.
    p.setFont(m.boldFont);
    p.setPen(pal.color(QPalette::Text));
    p.drawText(QRect(month.left() + m.titleH, month.top(), month.width() - 2 * m.titleH, m.titleH),
               Qt::AlignCenter, monthTitle(loc, first));

    // Day names.
    p.setFont(m.font);
    p.setPen(pal.color(QPalette::PlaceholderText));
    const int namesTop = month.top() + m.titleH;
    for (int c = 0; c < 7; ++c) {
        const int qtDay = (qtDayOfWeek(m_startOfWeek) - 1 + c) % 7 + 1;
        p.drawText(QRect(month.left() + c * m.cellW, namesTop, m.cellW, m.namesH), Qt::AlignCenter,
                   loc.standaloneDayName(qtDay, QLocale::ShortFormat));
    }
    p.setPen(QPen(pal.color(QPalette::Mid), 0));
    p.drawLine(QPointF(month.left() + m.cellW * 0.25, namesTop + m.namesH - 0.5),
               QPointF(month.right() + 1 - m.cellW * 0.25, namesTop + m.namesH - 0.5));

    const int cellsTop = namesTop + m.namesH;
    const qreal inset = std::max(1.0, m.cellH * 0.08);
    auto cell = [&](int i) {
        return QRectF(month.left() + (i % 7) * m.cellW, cellsTop + (i / 7) * m.cellH, m.cellW, m.cellH);
    };
    auto shown = [&](int i) { return isShownIn(start.addDays(i), index); };
    auto selected = [&](int i) {
        const QDate d = start.addDays(i);
        return d >= selFrom && d <= selTo && shown(i);
    };

    // The selected days of each week as one rounded band.
    p.setPen(Qt::NoPen);
    p.setBrush(pal.color(QPalette::Highlight));
    for (int row = 0; row < 6; ++row) {
        for (int c = 0; c < 7; ++c) {
            if (!selected(row * 7 + c))
                continue;
            int last = c;
            while (last + 1 < 7 && selected(row * 7 + last + 1))
                ++last;
            const QRectF band = cell(row * 7 + c).united(cell(row * 7 + last)).adjusted(inset, inset, -inset, -inset);
            const qreal radius = band.height() / 2;
            p.drawRoundedRect(band, radius, radius);
            c = last;
        }
    }

    const qreal ringSize = std::min(m.cellW, m.cellH) - 2 * inset;
    for (int i = 0; i < GridDays; ++i) {
        if (!shown(i))
            continue;
        const QDate date = start.addDays(i);
        const QRectF r = cell(i);
        const bool isSelected = selected(i);
        const bool ownMonth = date.month() == first.month() && date.year() == first.year();
        const QRectF ring(r.center().x() - ringSize / 2, r.center().y() - ringSize / 2, ringSize, ringSize);

        if (date == m_hoverDate && !isSelected) {
            QColor hover = pal.color(QPalette::Highlight);
            hover.setAlphaF(0.15);
            p.setPen(Qt::NoPen);
            p.setBrush(hover);
            p.drawEllipse(ring);
        }
        if (date == today) {
            const QColor c = isSelected ? pal.color(QPalette::HighlightedText) : pal.color(QPalette::Highlight);
            p.setPen(QPen(c, std::max(1.5, m.fontHeight / 10.0)));
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(isSelected ? ring.adjusted(1.5, 1.5, -1.5, -1.5) : ring);
        }
        if (date == m_value && hasFocus()) {
            QPen focus(isSelected ? pal.color(QPalette::HighlightedText) : pal.color(QPalette::Text), 0, Qt::DotLine);
            p.setPen(focus);
            p.setBrush(Qt::NoBrush);
            p.drawRoundedRect(r.adjusted(inset / 2, inset / 2, -inset / 2, -inset / 2), inset, inset);
        }

        const qint64 b = m_boldStart.daysTo(date);
        const bool bold = b >= 0 && b < m_bold.size() && m_bold[b];
        p.setFont(bold ? m.boldFont : m.font);
        if (isSelected)
            p.setPen(pal.color(QPalette::HighlightedText));
        else if (!ownMonth)
            p.setPen(pal.color(QPalette::PlaceholderText));
        else
            p.setPen(pal.color(QPalette::Text));
        p.drawText(r, Qt::AlignCenter, loc.toString(date.day()));
    }
}

} // namespace platform
