#pragma once

#include <QByteArray>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QString>
#include <QStringList>

namespace corvel::test {

// A file's bytes; empty when it is missing or unreadable.
inline QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Writes `content` to `path`, making its folder first.
inline void writeFile(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(content) < 0)
        qFatal("cannot write %s", qPrintable(path));
}

// Every entry below `folder`, hidden ones included, by its path relative to `folder`, with each
// file's content ("<folder>" for a folder); entries named in `ignored` aside.
inline QMap<QString, QByteArray> contentsBelow(const QString &folder,
                                               const QStringList &ignored = {})
{
    QMap<QString, QByteArray> tree;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (!ignored.contains(it.fileName()))
            tree.insert(QDir(folder).relativeFilePath(path),
                        it.fileInfo().isDir() ? QByteArray("<folder>") : contentOf(path));
    }
    return tree;
}

} // namespace corvel::test
