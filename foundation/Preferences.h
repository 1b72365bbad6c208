#pragma once

// The user's preferences, listed once: each value of the settings key that the settings object keeps,
// with its stored name, its kind (the type of its member of cEnvironment: a flag, or a whole number within
// its bounds), its default and the member that holds it in memory. The settings object reads and writes
// them from this table; the preferences dialog maps its controls to them by name.

#include <span>
#include <variant>

class cEnvironment;

namespace Preferences {

struct Preference {
    const char *name;   // the registry value under the settings key
    std::variant<bool cEnvironment::*, short cEnvironment::*, int cEnvironment::*> field;
    int defaultValue;
    // Numbers: a stored value outside low..high reads as the nearer bound. Flags are stored as 1 and 0,
    // and exactly 1 reads as True, any other number as False.
    int low;
    int high;

    bool isFlag() const { return std::holds_alternative<bool cEnvironment::*>(field); }
};

// Every preference, in the order in which the settings object writes them back.
std::span<const Preference> all();
// The preference of that stored name; the program names only those of the table.
const Preference &named(const char *name);

// The value a preference has in env (a flag as 1 or 0), and its change there (a flag takes value == 1).
int value(const cEnvironment &env, const Preference &preference);
void setValue(cEnvironment &env, const Preference &preference, int value);

} // namespace Preferences
