#include "db/Transaction.h"

#include "base/Error.h"
#include "db/Connection.h"

namespace vivrelo {

namespace {
// A savepoint begins a transaction when none is open and nests inside one otherwise.
const QString kBegin = QStringLiteral("SAVEPOINT vivrelo_unit");
const QString kRelease = QStringLiteral("RELEASE vivrelo_unit");
const QString kUndo = QStringLiteral("ROLLBACK TO vivrelo_unit; RELEASE vivrelo_unit");
} // namespace

Transaction::Transaction(Connection &connection)
    : m_connection(connection)
{
    m_connection.exec(kBegin);
}

Transaction::~Transaction()
{
    rollback();
}

void Transaction::rollback()
{
    if (!m_open || !m_connection.isOpen())
        return;
    m_open = false;
    try {
        m_connection.exec(kUndo);
    } catch (const Error &) {
        // The engine has already undone the transaction (an error that ends it does so).
    }
}

void Transaction::commit()
{
    if (!m_open)
        return;
    try {
        m_connection.exec(kRelease);
    } catch (const Error &e) {
        rollback();
        fail(QStringLiteral("Les modifications n'ont pas pu être enregistrées : rien n'a été changé.\r%1")
                 .arg(e.message()));
    }
    m_open = false;
}

} // namespace vivrelo
