#pragma once

#include <QString>

namespace Rollstrake
{
// All-or-nothing work on the library's connection: rolled back when the guard goes without a
// successful Commit. Guards nest; only the outermost one reaches the database, and a roll-back of
// an inner one makes the outer commit fail. A roll-back drops the record caches.
class Transaction
{
public:
    Transaction() = default;
    ~Transaction();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

    bool Begin(QString &ErrString);
    bool Commit(QString &ErrString);
    void Rollback();

private:
    bool m_active = false;
};
} // namespace Rollstrake
