#pragma once

#include "platform/database/Recordset.h"
#include "platform/database/RowStore.h"

#include <QString>
#include <QVector>
#include <memory>

namespace platform {

// A recordset filter in the original data-access layer's syntax, compiled against the recordset's fields and evaluated on the loaded
// rows: clauses "Field op Value" joined by AND and OR, with parentheses. op is = <> < > <= >= or LIKE;
// a value is 'text', #date#, a number, True/False or Null. Text compares case- and accent-insensitively;
// a Date field takes 'yyyy-mm-dd' or a date literal; LIKE takes * or % at either end.
class RecordFilter
{
public:
    struct FieldInfo {
        QString name;
        FieldType type;
    };

    // Raises RuntimeError (errors::DbFilterInvalid) for a malformed filter or an unknown field.
    static std::unique_ptr<RecordFilter> compile(const QString &text, const QVector<FieldInfo> &fields);
    ~RecordFilter();

    // Safe to call from several threads at once.
    bool matches(const RowStore &rows, int row) const;

    struct Node;

private:
    RecordFilter() = default;
    std::unique_ptr<Node> m_root;
};

} // namespace platform
