#include "data/Statement.h"

#include "data/Connection.h"
#include "platform/Waiting.h"

namespace corvel::statement {

namespace {

QString placeholderName(const QString &name)
{
    return name.startsWith(u':') ? name.mid(1) : name;
}

} // namespace

DatabaseError errorOf(const QSqlError &error)
{
    QString text = error.databaseText().trimmed();
    if (text.isEmpty())
        text = error.driverText().trimmed();
    if (text.isEmpty())
        text = QStringLiteral("The database reported an unknown error.");
    return DatabaseError(text);
}

void setParameter(Parameters &parameters, const QString &name, const QVariant &value)
{
    const QString key = placeholderName(name);
    for (auto &parameter : parameters) {
        if (parameter.first.compare(key, Qt::CaseInsensitive) == 0) {
            parameter.second = value;
            return;
        }
    }
    parameters.append({key, value});
}

QSqlQuery run(Connection &connection, const QString &sql, const Parameters &parameters)
{
    const Waiting waiting;
    connection.ensureOpen();
    QSqlQuery query(connection.database());
    query.setForwardOnly(true);
    if (!query.prepare(sql)) {
        connection.statementFailed(query.lastError());
        throw errorOf(query.lastError());
    }
    connection.applyStatementTimeout(query);
    for (const auto &[name, value] : parameters)
        query.bindValue(u':' + name, value);
    if (!query.exec()) {
        connection.statementFailed(query.lastError());
        throw errorOf(query.lastError());
    }
    return query;
}

} // namespace corvel::statement
