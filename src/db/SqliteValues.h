#pragma once

// Conversions between QVariant and the engine's values, following the storage conventions
// described in DataSet.h. For the data-access code of this folder only.

#include <QByteArray>
#include <QString>
#include <QVariant>

struct sqlite3_stmt;

namespace vivrelo::sqlite {

// Binds a value to parameter index (from 1). Returns the engine's result code.
int bindValue(sqlite3_stmt *statement, int index, const QVariant &value);
// Column value of the current row: QVariant() for NULL, qint64, double, QString or QByteArray.
QVariant columnValue(sqlite3_stmt *statement, int column);

// The date and time text of the storage conventions.
inline constexpr const char *DateTimeFormat = "yyyy-MM-dd hh:mm:ss";

// RAII for a prepared statement.
class Statement
{
public:
    Statement() = default;
    explicit Statement(sqlite3_stmt *statement)
        : m_stmt(statement)
    { }
    ~Statement();
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;
    Statement(Statement &&other) noexcept
        : m_stmt(other.m_stmt)
    {
        other.m_stmt = nullptr;
    }
    Statement &operator=(Statement &&other) noexcept;
    sqlite3_stmt *get() const { return m_stmt; }
    sqlite3_stmt **out() { return &m_stmt; }
    explicit operator bool() const { return m_stmt != nullptr; }

private:
    sqlite3_stmt *m_stmt = nullptr;
};

} // namespace vivrelo::sqlite
