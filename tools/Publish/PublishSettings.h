#pragma once

#include "data/DatabaseSettings.h"

#include <QString>

namespace corvel::publish {

// What the tool takes from a launcher's Workers.ini: the distribution folder and the database,
// read as the launcher reads them.
struct PublishSettings
{
    QString settingsPath;
    // SharedFolder_Path as the launcher uses it, a plain prefix of every file name; a relative one
    // taken from the settings file's folder.
    QString shareFolder;
    DatabaseSettings database;

    // Throws PublishError(Settings) when the file cannot be read, names no distribution folder,
    // or names one the launcher could not append file names to.
    static PublishSettings read(const QString &settingsPath);

    // Sets up `connection` as the launcher's before-connect step would, without writing the file.
    void configure(Connection &connection) const;
    // "the SQLite file <path>" or "SQL Server <source>, database <catalog>, login <user>".
    QString describeDatabase() const;
};

} // namespace corvel::publish
