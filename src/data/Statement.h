#pragma once

#include "data/DatabaseError.h"

#include <QList>
#include <QPair>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QVariant>

namespace corvel {

class Connection;

// What queries and commands share: opening the connection when needed, preparing the fixed text,
// binding ":Name" parameters and running it. Throws DatabaseError with the provider's text.
namespace statement {

// The provider's own text: the server's message when there is one, else the driver's.
DatabaseError errorOf(const QSqlError &error);

using Parameters = QList<QPair<QString, QVariant>>;

// Sets or replaces a parameter; "Name" and ":Name" both name it.
void setParameter(Parameters &parameters, const QString &name, const QVariant &value);
QSqlQuery run(Connection &connection, const QString &sql, const Parameters &parameters);

} // namespace statement
} // namespace corvel
