// corvel-stamp <source> <target> <a.b.c.d>: copies source to target (replacing it) and sets the
// copy's file version. The target appears only once it carries the new version.
#include "platform/Error.h"
#include "platform/FileOperations.h"
#include "platform/VersionResource.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

namespace {

int usage(QTextStream &err)
{
    err << "usage: corvel-stamp <source> <target> <major.minor.release.build>\n";
    return 2;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream err(stderr);
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    if (arguments.size() != 3)
        return usage(err);
    const QString &source = arguments[0];
    const QString &target = arguments[1];
    corvel::FileVersion version;
    if (!corvel::FileVersion::parse(arguments[2], &version)) {
        err << "corvel-stamp: not a four-number version: " << arguments[2] << '\n';
        return usage(err);
    }
    const QString staged = target + QStringLiteral(".stamping");
    try {
        QFile::remove(staged);
        corvel::fileops::copyFile(source, staged, corvel::fileops::Content::Program);
        corvel::versionresource::stamp(staged, version);
        corvel::fileops::replaceFile(staged, target, corvel::fileops::Content::Program);
        QFile::remove(staged);
    } catch (const corvel::Error &error) {
        QFile::remove(staged);
        err << "corvel-stamp: " << QFileInfo(target).fileName() << ": " << error.message() << '\n';
        return 1;
    }
    return 0;
}
