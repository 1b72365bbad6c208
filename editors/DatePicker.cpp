#include "editors/DatePicker.h"

#include "foundation/grid/GridFormat.h"
#include "platform/shell/Shell.h"

#include <QDateEdit>

QDateEdit *NewDatePicker(QWidget *parent)
{
    auto *picker = new QDateEdit(parent);
    const QLocale locale = platform::userLocale();
    picker->setLocale(locale);
    picker->setDisplayFormat(shortDatePattern(locale));
    picker->setDateRange(FirstStoredDate(), LastStoredDate());
    picker->setCalendarPopup(true);
    return picker;
}
