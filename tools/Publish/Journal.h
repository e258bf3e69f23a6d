#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

namespace corvel::publish {

// What a publish is about to do, kept in its working folder on the share so that a run stopped
// half-way can be finished or undone later, by whoever finds it.
struct Journal
{
    QString started;   // when and where the run began, for the person who finds it unfinished
    QStringList files; // names inside the distribution folder
    QList<QPair<QString, QString>> rows; // App_ID, version
    bool createdReportsFolder = false;

    QByteArray toText() const;
    // False when the text is not a journal of this program.
    static bool fromText(const QByteArray &text, Journal *journal);
};

} // namespace corvel::publish
