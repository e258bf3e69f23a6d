#include "Journal.h"

#include "Release.h"

namespace corvel::publish {

namespace {

const QByteArray kHeader = "corvel-publish journal 1";

} // namespace

QByteArray Journal::toText() const
{
    QByteArray text = kHeader + '\n';
    text += "started " + started.toUtf8() + '\n';
    if (createdReportsFolder)
        text += "created-reports-folder\n";
    for (const QString &file : files)
        text += "file " + file.toUtf8() + '\n';
    for (const auto &[appId, version] : rows)
        text += "row " + appId.toUtf8() + ' ' + version.toUtf8() + '\n';
    return text;
}

bool Journal::fromText(const QByteArray &text, Journal *journal)
{
    const QList<QByteArray> lines = text.split('\n');
    if (lines.isEmpty() || lines.front() != kHeader)
        return false;
    Journal read;
    for (const QByteArray &line : lines.mid(1)) {
        const qsizetype blank = line.indexOf(' ');
        const QByteArray word = blank < 0 ? line : line.left(blank);
        const QString rest = QString::fromUtf8(blank < 0 ? QByteArray() : line.mid(blank + 1));
        if (word == "started") {
            read.started = rest;
        } else if (word == "created-reports-folder") {
            read.createdReportsFolder = true;
        } else if (word == "file") {
            // The names are removed and renamed on recovery: only those a release may hold.
            if (!Release::isDistributionName(rest))
                return false;
            read.files.append(rest);
        } else if (word == "row") {
            // A version holds no blank.
            const qsizetype split = rest.lastIndexOf(u' ');
            if (split <= 0)
                return false;
            read.rows.append({rest.left(split), rest.mid(split + 1)});
        } else if (!line.isEmpty()) {
            return false;
        }
    }
    *journal = read;
    return true;
}

} // namespace corvel::publish
