#pragma once

#include "store/StoreError.h"

#include <QtGlobal>

class DatabaseSession;

// Hands what went wrong in one operation to the caller, and to the session, which remembers
// damage met by any statement: made at the start of every operation, it points the
// operation's error at its own and passes it on when the operation ends.
class DamageWatch final
{
    Q_DISABLE_COPY_MOVE(DamageWatch)
public:
    DamageWatch(DatabaseSession& session, StoreError*& error);
    ~DamageWatch();

private:
    DatabaseSession& m_session;
    StoreError* m_out;
    StoreError m_seen;
};
