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

    short AlertDefaultDays = 2;
    bool AlertOperations = false;
    bool DeadlinesShowGroupTotals = true;
    bool DeadlinesShowRecurringCounters = true;
    bool DeadlinesShowId = false;
    bool DebitCreditToPN = true;
    bool CalendarVariableColumns = true;
    bool DeadlinesSplitAmount = false;
    QString AppTitle;
    int LastContactId = 0;
    int LastCountId = 0;

    bool StartOnWindows() const { return m_startOnWindows; }
    // False removes the Run value when there is one; True writes it when the preference was off.
    void setStartOnWindows(bool value);
    // The user's first day of the week: 1 Sunday .. 7 Saturday.
    short StartOfWeek() const;
    // True while the program runs in the notification area (the tray window is loaded).
    bool IsMinimized() const;

    // Writes the preferences now, in their fixed order (the destructor does this at the end of the run).
    void Save() const;

private:
    bool m_startOnWindows = false;
};
