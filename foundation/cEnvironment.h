#pragma once

#include <QString>

// The user's preferences: read once at creation, written back once at the end of the run. The
// start-with-the-system preference is the presence of the program's value under the Run key, changed at once.
class cEnvironment
{
public:
    cEnvironment();
    ~cEnvironment();   // writes the preferences back (not StartOnWindows, not AppTitle)
    cEnvironment(const cEnvironment &) = delete;
    cEnvironment &operator=(const cEnvironment &) = delete;

    // The days a new deadline is due before its date: 0 to this many.
    static constexpr int MaxAlertDefaultDays = 99;

    // The stored preferences: their names, defaults and bounds are listed in Preferences.
    short AlertDefaultDays{};
    bool AlertOperations{};
    bool DeadlinesShowGroupTotals{};
    bool DeadlinesShowRecurringCounters{};
    bool DeadlinesShowId{};
    bool DebitCreditToPN{};
    bool CalendarVariableColumns{};
    bool DeadlinesSplitAmount{};
    QString AppTitle;   // the program's title; not stored
    int LastContactId{};
    int LastCountId{};

    bool StartOnWindows() const { return m_startOnWindows; }
    // False removes the Run value when there is one; True writes it when the preference was off.
    void setStartOnWindows(bool value);
    // The user's first day of the week: 1 Sunday .. 7 Saturday.
    short StartOfWeek() const;
    // True while the program runs in the notification area (the tray window is loaded).
    bool IsMinimized() const;

    // Writes the preferences now, in the order of their list (the destructor does this at the end of the run).
    void Save() const;

private:
    bool m_startOnWindows = false;
};
