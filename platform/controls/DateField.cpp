#include "platform/controls/DateField.h"

#include "platform/Clock.h"
#include "platform/Dates.h"
#include "platform/controls/OneLineText.h"
#include "platform/shell/Shell.h"

#include <QAction>
#include <QApplication>
#include <QCalendarWidget>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QStyle>
#include <QStyleOption>
#include <QVBoxLayout>

namespace platform {

namespace {

// The drop-down arrow of the field's calendar button, drawn by the style as a combo box draws its own.
QIcon dropDownIcon(QWidget *field)
{
    const int side = field->style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, field);
    const qreal ratio = field->devicePixelRatioF();
    QPixmap pixmap(QSize(side, side) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    QStyleOption option;
    option.initFrom(field);
    option.rect = QRect(0, 0, side, side);
    option.state = QStyle::State_Enabled;
    field->style()->drawPrimitive(QStyle::PE_IndicatorArrowDown, &option, &painter, field);
    return QIcon(pixmap);
}

QString g_popupButtonText;

void nameButton(QAction *drop)
{
    drop->setText(g_popupButtonText);
    drop->setToolTip(g_popupButtonText);
}

} // namespace

DateField::DateField(QWidget *parent)
    : QLineEdit(parent)
{
    setLocale(userLocale());
    keepOnOneLine(this);
    m_drop = addAction(dropDownIcon(this), QLineEdit::TrailingPosition);
    nameButton(m_drop);
    connect(m_drop, &QAction::triggered, this, &DateField::showPopup);
}

void DateField::setPopupButtonText(const QString &text)
{
    g_popupButtonText = text;
    for (QWidget *widget : QApplication::allWidgets())
        if (auto *field = qobject_cast<DateField *>(widget))
            nameButton(field->m_drop);
}

DateText::Reading DateField::reading() const
{
    return DateText::read(text(), locale());
}

QDate DateField::date() const
{
    return reading().date;
}

void DateField::setDate(const QDate &date)
{
    setText(DateText::format(date, locale()));
}

bool DateField::interpretText()
{
    const QDate d = date();
    if (!d.isValid())
        return false;
    const QString shown = DateText::format(d, locale());
    if (text() != shown)
        setText(shown);
    return true;
}

QCalendarWidget *DateField::calendarWidget()
{
    if (!m_calendar) {
        // A window of its own that closes on a click outside it or on Esc, as a combo box's list does.
        m_popup = new QWidget(this, Qt::Popup);
        m_calendar = new QCalendarWidget(m_popup);
        m_calendar->setObjectName(QStringLiteral("calendar"));
        m_calendar->setDateRange(firstStoredDate(), lastStoredDate());
        auto *layout = new QVBoxLayout(m_popup);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(m_calendar);
        connect(m_calendar, &QCalendarWidget::clicked, this, &DateField::pick);
        connect(m_calendar, &QCalendarWidget::activated, this, &DateField::pick);
    }
    return m_calendar;
}

bool DateField::isPopupVisible() const
{
    return m_popup && m_popup->isVisible();
}

void DateField::showPopup()
{
    if (!isEnabled() || isReadOnly())
        return;
    QCalendarWidget *calendar = calendarWidget();
    calendar->setLocale(locale());
    calendar->setFirstDayOfWeek(locale().firstDayOfWeek());
    const QDate d = date();
    calendar->setSelectedDate(d.isValid() ? d : today());
    m_popup->adjustSize();
    // Under the field, kept on its screen (above the field when there is no room below).
    const QRect area = screen() ? screen()->availableGeometry() : QRect();
    QPoint at = mapToGlobal(QPoint(0, height()));
    const QSize size = m_popup->sizeHint();
    if (area.isValid()) {
        if (at.y() + size.height() > area.bottom())
            at.setY(mapToGlobal(QPoint(0, 0)).y() - size.height());
        at.setX(qBound(area.left(), at.x(), qMax(area.left(), area.right() - size.width())));
        at.setY(qMax(area.top(), at.y()));
    }
    m_popup->move(at);
    m_popup->show();
    calendar->setFocus(Qt::PopupFocusReason);
}

void DateField::pick(const QDate &date)
{
    m_popup->hide();
    setDate(date);
    setFocus(Qt::PopupFocusReason);
    selectAll();
}

void DateField::keyPressEvent(QKeyEvent *event)
{
    const bool altDown = event->key() == Qt::Key_Down && (event->modifiers() & Qt::AltModifier);
    if (event->key() == Qt::Key_F4 || altDown) {
        showPopup();
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        interpretText();
    QLineEdit::keyPressEvent(event);
}

void DateField::focusInEvent(QFocusEvent *event)
{
    QLineEdit::focusInEvent(event);
    // The date is replaced by typing over it, however the field was reached but by a click into its text.
    if (event->reason() != Qt::MouseFocusReason && event->reason() != Qt::PopupFocusReason)
        selectAll();
}

void DateField::focusOutEvent(QFocusEvent *event)
{
    if (event->reason() != Qt::PopupFocusReason)
        interpretText();
    QLineEdit::focusOutEvent(event);
}

} // namespace platform
