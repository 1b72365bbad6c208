#include "foundation/DateEntry.h"

#include "foundation/cLang.h"
#include "platform/Clock.h"
#include "platform/controls/DateField.h"
#include "platform/dialogs/Dialogs.h"

using platform::DateText::Refusal;

QString DateRefusalText(const platform::DateField *field)
{
    const platform::DateText::Reading reading = field->reading();
    switch (reading.refusal) {
    case Refusal::None:
        return QString();
    case Refusal::NoSuchDay:
        return LRSV(2361, platform::DateText::format(reading.monthEnd, field->locale()));
    case Refusal::Malformed:
        break;
    }
    return LRSV(2360, platform::DateText::format(QDate(platform::today().year(), 12, 31), field->locale()));
}

bool DateConfirmed(platform::DateField *field, QWidget *window)
{
    if (field->interpretText())
        return true;
    platform::MsgBox(DateRefusalText(field), platform::vbExclamation, QString(), window);
    field->setFocus();
    field->selectAll();
    return false;
}
