#include "foundation/Preferences.h"

#include "foundation/cEnvironment.h"

#include <QtGlobal>
#include <cstring>
#include <limits>
#include <type_traits>

namespace Preferences {

namespace {

constexpr int NoLimit = std::numeric_limits<int>::max();

const Preference Table[] = {
    {"AlertDefaultDays", &cEnvironment::AlertDefaultDays, 2, 0, cEnvironment::MaxAlertDefaultDays},
    {"AlertOperations", &cEnvironment::AlertOperations, 0, 0, 1},
    {"DeadlinesShowGroupTotals", &cEnvironment::DeadlinesShowGroupTotals, 1, 0, 1},
    {"DeadlinesShowRecurringCounters", &cEnvironment::DeadlinesShowRecurringCounters, 1, 0, 1},
    {"DeadlinesShowId", &cEnvironment::DeadlinesShowId, 0, 0, 1},
    // Ids are never negative.
    {"LastContactId", &cEnvironment::LastContactId, 0, 0, NoLimit},
    {"LastCountId", &cEnvironment::LastCountId, 0, 0, NoLimit},
    {"DebitCreditToPN", &cEnvironment::DebitCreditToPN, 1, 0, 1},
    {"DeadlinesSplitAmount", &cEnvironment::DeadlinesSplitAmount, 0, 0, 1},
    {"CalendarVariableColumns", &cEnvironment::CalendarVariableColumns, 1, 0, 1},
};

} // namespace

std::span<const Preference> all()
{
    return Table;
}

const Preference &named(const char *name)
{
    for (const Preference &p : Table)
        if (std::strcmp(p.name, name) == 0)
            return p;
    qFatal("no preference is named %s", name);
}

int value(const cEnvironment &env, const Preference &preference)
{
    return std::visit([&env](auto member) { return int(env.*member); }, preference.field);
}

void setValue(cEnvironment &env, const Preference &preference, int value)
{
    std::visit(
        [&env, value](auto member) {
            using T = std::remove_reference_t<decltype(env.*member)>;
            if constexpr (std::is_same_v<T, bool>)
                env.*member = value == 1;
            else
                env.*member = T(value);
        },
        preference.field);
}

} // namespace Preferences
