#pragma once

#include <QString>

// The Counts table is never empty: when it is, two counts named by texts 1368 and 1369 ("Bank", "Cash") in
// the current language are added, in one transaction. A table with rows is left alone. A damaged database
// file gets nothing (RuntimeError); a file that cannot be written raises RuntimeError too, nothing added.
void EnsureDefaultCounts(const QString &connectionString);
