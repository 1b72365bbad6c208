#pragma once

#include "platform/controls/DateText.h"

#include <QDate>
#include <QLineEdit>

class QAction;
class QCalendarWidget;

namespace platform {

// The date field of every window: a text box that takes the date as people type it in the user locale
// (DateText::read) and shows it in the locale's short date with a four-digit year, with a drop-down month
// calendar (its button, F4 or Alt+Down) from which a day is picked with a click or Enter; Esc closes the
// calendar and leaves the field as it was. A line break typed or pasted into it becomes a space.
//
// The text is the user's until it is read: date() is the date it holds now, null while it holds none, and
// reading() says why. The field itself refuses nothing; the window that owns it decides when a text that
// is not a date is refused and tells the user why. A text that holds a date is shown in the locale's form
// once the field loses the focus or interpretText() is called, so the user sees which date was read.
class DateField : public QLineEdit
{
    Q_OBJECT
public:
    // A field in the user locale (platform::userLocale()), empty until setDate.
    explicit DateField(QWidget *parent = nullptr);

    QDate date() const;
    DateText::Reading reading() const;
    // Shows the date in the locale's form; an invalid date empties the field.
    void setDate(const QDate &date);
    // True when the text holds a date, which it then shows in the locale's form.
    bool interpretText();

    // Opens the month calendar under the field, on the field's date (today when the text holds none).
    void showPopup();
    // The name and tooltip of the calendar button of every date field, shown now or made later: a text in
    // the user's language, which the program gives when its language is chosen.
    static void setPopupButtonText(const QString &text);

    // The calendar of the drop-down (made on first use), and whether it is shown.
    QCalendarWidget *calendarWidget();
    bool isPopupVisible() const;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void pick(const QDate &date);

    QAction *m_drop = nullptr;
    QWidget *m_popup = nullptr;
    QCalendarWidget *m_calendar = nullptr;
};

} // namespace platform
