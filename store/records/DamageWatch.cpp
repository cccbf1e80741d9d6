#include "store/records/DamageWatch.h"

#include "store/DatabaseSession.h"

DamageWatch::DamageWatch(DatabaseSession& session, StoreError*& error)
    : m_session(session), m_out(error)
{
    error = &m_seen;
}

DamageWatch::~DamageWatch()
{
    m_session.noteFailure(m_seen);
    if (m_out && m_seen)
        *m_out = m_seen;
}
