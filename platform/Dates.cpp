#include "platform/Dates.h"

namespace platform {

int expandTwoDigitYear(int year)
{
    if (year >= 100)
        return year;
    return year < 30 ? 2000 + year : 1900 + year;
}

} // namespace platform
