#pragma once

#include <QString>

#include <vector>

namespace vivrelo {

class DataSet;

// One line of the maintenance history as the user reads it.
struct HistoryEntry {
    QString date; // dd/mm/yyyy
    QString time; // hh:mm
    QString description;
    QString path;
};

// The rows of the open history dataset (Backup), in its order; its current row is kept.
// An inactive dataset gives none.
std::vector<HistoryEntry> ReadHistory(DataSet &backup);

// Empties the history table through the general query, then reads the history dataset again
// with its notifications held: its listeners get one refresh, with no row left. Archive files
// stay on disk. Throws Error.
void PurgeHistory(DataSet &query, DataSet &backup);

} // namespace vivrelo
