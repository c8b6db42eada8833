#pragma once

#include "base/Error.h"
#include "base/SystemErrors.h"

#include <QString>

struct sqlite3;

namespace vivrelo {

// A failure of the database engine, told in French (see base/SystemErrors.h); the engine's
// extended result code stays at hand for the code that must tell a busy database from a
// damaged one.
class DatabaseError : public Error
{
public:
    DatabaseError(const QString &message, int code)
        : Error(message)
        , m_code(code)
    { }
    int code() const noexcept { return m_code; }

private:
    int m_code;
};

// The French cause of an engine failure, chosen by its (extended) result code; for the
// engine's general error code, the table or column its text names. systemErrno is the
// file-system error behind an input/output failure (0 when unknown).
QString SqliteErrorCause(int code, const QString &engineText, int systemErrno = 0);
// The whole sentence: cause, what was kept, and the engine's text when it tells more.
QString SqliteErrorText(
    int code, const QString &engineText, const QString &kept = NothingChanged(), int systemErrno = 0);
// The same from the handle's last failure; a null handle gives the text of code alone.
QString SqliteErrorText(sqlite3 *db, int code, const QString &kept = NothingChanged());

} // namespace vivrelo
