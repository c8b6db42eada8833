#pragma once

namespace vivrelo {

class Connection;

// One unit of work on a connection: every change made between its creation and commit() is
// kept together or not at all. Leaving the scope without commit() (an error on the way)
// undoes the changes. Units nest: an inner one commits into the outer one.
class Transaction
{
public:
    explicit Transaction(Connection &connection);
    ~Transaction();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

    // Keeps the changes. Throws Error (French message) when the engine refuses; the changes
    // are then undone.
    void commit();
    // Undoes the changes now; never throws.
    void rollback();

private:
    Connection &m_connection;
    bool m_open = true;
};

} // namespace vivrelo
