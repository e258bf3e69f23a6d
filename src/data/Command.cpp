#include "data/Command.h"

#include "data/Statement.h"

namespace corvel {

Command::Command(Connection &connection, QString sql)
    : m_connection(connection), m_sql(std::move(sql))
{}

void Command::setParameter(const QString &name, const QVariant &value)
{
    statement::setParameter(m_parameters, name, value);
}

void Command::execute()
{
    m_rowsAffected = -1;
    m_rowsAffected = statement::run(m_connection, m_sql, m_parameters).numRowsAffected();
}

} // namespace corvel
