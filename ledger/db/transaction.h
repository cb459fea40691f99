#pragma once
// A transaction on a connection that ends in a rollback unless it was committed.

namespace tarvenish {

class Connection;

class Transaction final {
public:
    // Begins a transaction on `connection`, which must outlive this object. Throws DbError.
    explicit Transaction(Connection& connection);
    // Rolls back unless committed; never throws.
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    // Commits. Throws DbError; the transaction is then still rolled back on destruction.
    void commit();

private:
    Connection& m_connection;
    bool m_committed = false;
};

}  // namespace tarvenish
