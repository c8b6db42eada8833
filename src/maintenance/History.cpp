#include "maintenance/History.h"

#include "base/AppValues.h"
#include "db/DataSet.h"
#include "db/DataSetRoutines.h"

namespace vivrelo {

namespace {

// The time of day is kept as "hh:mm"; a full time value is shown the same way.
QString timeText(const Field &field)
{
    if (field.kind() == FieldKind::DateTime) {
        const QDateTime t = field.asDateTime();
        if (t.isValid())
            return t.toString(QStringLiteral("hh:mm"));
    }
    return field.asString();
}

} // namespace

std::vector<HistoryEntry> ReadHistory(DataSet &backup)
{
    std::vector<HistoryEntry> rows;
    if (!backup.isActive() || IsDataSetEmpty(backup))
        return rows;
    const int current = backup.currentIndex();
    const int count = backup.recordCount();
    rows.reserve(count);
    for (int i = 0; i < count; ++i) {
        backup.moveTo(i);
        const QDateTime day = backup.field(QStringLiteral("DateSav")).asDateTime();
        rows.push_back({day.isValid() ? ShortDate(day.date()) : QString(),
            timeText(backup.field(QStringLiteral("TimeSav"))), backup.field(QStringLiteral("Description")).asString(),
            backup.field(QStringLiteral("Path")).asString()});
    }
    backup.moveTo(current < 0 ? 0 : current);
    return rows;
}

void PurgeHistory(DataSet &query, DataSet &backup)
{
    ExecSqlText(query, QStringLiteral("DELETE FROM Backup"));
    backup.disableControls();
    struct Release {
        DataSet &ds;
        ~Release() { ds.enableControls(); }
    } release{backup};
    backup.close();
    backup.open();
}

} // namespace vivrelo
