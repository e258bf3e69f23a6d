#pragma once

#include <QList>
#include <QString>

namespace corvel::publish {

// A program of the launcher's catalogue under the name the distribution folder holds it by, with
// the AppsVersions row that publishes its version.
struct CatalogueProgram
{
    QString file;
    QString appId; // empty: no row; the launcher never compares this file's version
};

// The launcher first, then each module's executable and, where it has another name, the file its
// upgrade item fetches. A module's row carries the version of the executable that its tile checks
// and starts: the invoicing tile's row "CorvelInvoicing" that of "CorvelInvoicing.exe", while
// "CorvelRevenue.exe", the file its upgrade item fetches, has no row of its own.
const QList<CatalogueProgram> &cataloguePrograms();
// The program whose version a row publishes, letter case ignored as the database compares App_ID;
// null for a row the launcher never reads.
const CatalogueProgram *programOfRow(const QString &appId);

} // namespace corvel::publish
