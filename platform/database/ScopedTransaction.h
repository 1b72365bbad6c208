#pragma once

namespace platform {

class Connection;

// The one way to write several rows as one change: the transaction begins when the guard is made, is
// saved only by commit(), and is rolled back when the guard goes out of scope uncommitted (an early
// return, an exception). So a failure halfway leaves nothing written.
//
// The rollback of the destructor never throws: the failure that left the scope is the one the caller
// sees, not a second one of the rollback. A connection holds one transaction at a time: a guard on a
// connection that already has one raises RuntimeError and leaves that one as it was. A connection closed
// inside the scope has already rolled back; the guard then has nothing left to do. The connection
// outlives the guard.
class ScopedTransaction
{
public:
    // Begins the transaction; raises RuntimeError when the connection is closed or already in one, or when
    // the engine refuses.
    explicit ScopedTransaction(Connection &connection);
    ~ScopedTransaction();
    ScopedTransaction(const ScopedTransaction &) = delete;
    ScopedTransaction &operator=(const ScopedTransaction &) = delete;

    // Saves every change made since the guard began. Raises RuntimeError when the engine cannot save
    // them (the file busy, the disk full, a transaction the engine already undid after an error): then
    // nothing is saved and the guard rolls back what is still open when it ends.
    void commit();

private:
    Connection &m_connection;
    bool m_committed = false;
};

} // namespace platform
