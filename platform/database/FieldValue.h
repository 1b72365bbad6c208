#pragma once

#include "platform/database/Recordset.h"
#include "platform/database/RowStore.h"

#include <QVariant>

struct sqlite3_stmt;

namespace platform {

// Conversion between the values the callers see (QVariant) and what the engine stores, by field type:
//   Currency  <-> whole number of ten-thousandths      Date     <-> 'yyyy-mm-dd[ hh:mm:ss]'
//   Yes/No    <-> 0 / 1                                text     <-> UTF-8
// Values of expression columns (no declared type) come as the engine gives them.

QVariant toVariant(FieldType type, const CellView &cell);

// Raises RuntimeError (type mismatch, overflow, text too long) for a value the field cannot hold.
StoredValue toStored(FieldType type, int definedSize, const QVariant &value, const QString &fieldName);

void bindStored(sqlite3_stmt *st, int index, const StoredValue &value);

} // namespace platform
