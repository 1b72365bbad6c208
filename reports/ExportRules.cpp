#include "reports/ExportRules.h"

#include "foundation/cLang.h"
#include "foundation/grid/GridFormat.h"
#include "foundation/grid/GridModel.h"
#include "foundation/grid/ListGrid.h"
#include "foundation/modShared.h"
#include "platform/shell/Shell.h"


namespace ExportRules {

namespace {

const QString kSource = QStringLiteral("frmExport");

// Title ids and column keys of each view's fields.
struct FieldDef {
    int title;
    const char *key;
};
const FieldDef DeadlineFields[] = {{1000, "TrRowId"}, {1001, "TrType"}, {1004, "TrDate"}, {1005, "TrDescription"},
                                   {1015, "AcName"},  {1019, "CnName"}, {1007, "TrValue"}, {1107, "TrDone"}};
const FieldDef CashBookFields[] = {{1000, "TrRowId"}, {1004, "TrDate"}, {1005, "TrDescription"}, {1015, "AcName"},
                                   {1019, "CnName"},  {1023, "gexIncomes"}, {1024, "gexExpenses"}};

QList<FieldDef> fieldsOf(int view)
{
    if (view == CashBook)
        return QList<FieldDef>(std::begin(CashBookFields), std::end(CashBookFields));
    return QList<FieldDef>(std::begin(DeadlineFields), std::end(DeadlineFields));
}

// One line per record: separators and line ends inside a text would split it.
QString oneLine(QString text)
{
    for (QChar &c : text)
        if (c == QLatin1Char('\t') || c == QLatin1Char('\r') || c == QLatin1Char('\n'))
            c = QLatin1Char(' ');
    return text;
}

QString fieldText(const QString &key, const QVariant &value, const QStringList &typeNames)
{
    if (!value.isValid() || value.isNull())
        return QString();
    if (key == QLatin1String("TrType")) {
        // Indexed by TrType + 2: appointment, debit, (none), credit.
        return typeNames.value(value.toInt() + 2);
    }
    if (key == QLatin1String("TrDate"))
        return formatNamed(value, QStringLiteral("Short Date"));
    if (key == QLatin1String("TrDone"))
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    if (key == QLatin1String("TrRowId"))
        return QString::number(value.toLongLong());
    // Amounts in the locale's decimal notation without symbol or grouping; texts as stored.
    return oneLine(formatNamed(value, QString()));
}

} // namespace

QStringList Titles(int view)
{
    QStringList titles;
    for (const FieldDef &f : fieldsOf(view))
        titles << LRS(f.title);
    return titles;
}

QList<QStringList> Records(ListGrid *grid, int view)
{
    const QStringList typeNames = {LRS(1043), LRS(1042), QString(), LRS(1041)};
    const QList<FieldDef> fields = fieldsOf(view);
    QList<int> columns;
    for (const FieldDef &f : fields) {
        const QString key = QLatin1String(f.key);
        columns << (grid->hasColumn(key) ? grid->column(key)->index() : 0);
    }
    grid->rowCount();   // the rows are built when they are due
    const GridModel *model = grid->model();
    QList<QStringList> records;
    // Records are numbered in display order: every record of the list, whether its group is open or not.
    for (int ref = 0; ref < model->recordCount(); ++ref) {
        QStringList line;
        for (int i = 0; i < fields.size(); ++i) {
            const QVariant value = columns[i] > 0 ? model->value(ref, columns[i]) : QVariant();
            line << fieldText(QLatin1String(fields[i].key), value, typeNames);
        }
        records << line;
    }
    return records;
}

QString Text(ListGrid *grid, int view)
{
    QString text = Titles(view).join(Separator);
    for (const QStringList &record : Records(grid, view))
        text += LineEnd + record.join(Separator);
    text += LineEnd;
    return text;
}

void WriteFile(const QString &file, const QString &text)
{
    platform::writeWholeFile(file, text.toUtf8(), kSource);
}

} // namespace ExportRules
