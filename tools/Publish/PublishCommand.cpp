#include "PublishCommand.h"

#include <QCommandLineParser>

namespace corvel::publish {

namespace {

const QString kHelp = QStringLiteral(R"(Usage:
  corvel-publish --settings <Workers.ini> --from <release folder> [--dry-run]
  corvel-publish --settings <Workers.ini> --check
  corvel-publish --settings <Workers.ini> --recover
  corvel-publish --help

Puts a release of the Corvel suite into the distribution folder that workstations upgrade from,
and the versions the launcher checks before every launch into the AppsVersions table.

  --settings <file>  A launcher's Workers.ini. The distribution folder is its
                     [Distribution_Pathes] SharedFolder_Path, exactly as the launcher uses it
                     (it must end with a folder separator; a relative one is taken from the
                     settings file's folder). The database is its [Database] section, reached as
                     the launcher reaches it: SQL Server with the login named by UserName and the
                     password built into the launcher, or the SQLite file of Engine=SQLite. Give
                     it a Workers.ini whose login may write AppsVersions. The file is only read.
  --from <folder>    Publish the release in this folder: each program of the launcher's
                     catalogue found there, PrintDesigner.dll and Reports/*.fr3.
  --dry-run          With --from: say what would be published and change nothing.
  --check            For every AppsVersions row, say whether the distribution folder holds that
                     program with exactly that version.
  --recover          Finish or undo a publish that was stopped before it ended.
  --help             Show this text.

Which file's version goes into which row:
  CorvelLauncher.exe    row CorvelLauncher. It gates every module: while the launcher's own
                        version differs from its row, no module starts.
  CorvelMap.exe, CorvelEmployee.exe, CorvelAttendance.exe, CorvelPayroll.exe,
  CorvelOperations.exe, CorvelTransportation.exe
                        the row of the same name.
  CorvelInvoicing.exe   row CorvelInvoicing: the invoicing tile checks and starts this file.
  CorvelRevenue.exe     no row. It is the file the invoicing tile's upgrade item fetches (and
                        installs under that name); the launcher never compares its version.
  PrintDesigner.dll, Reports/*.fr3
                        no row.
A row gets the file's version as the launcher writes it ("1.2.0.0", never "1.02.0.0"): the
launcher compares the two as text, and any difference refuses the launch.

A publish refuses a program without a version resource, naming it, before anything changes. It
copies every file into a working folder (.corvel-publish) inside the distribution folder, renames
each into place, so that no workstation ever copies half a file, and only then writes the rows,
all in one transaction. If anything fails, the earlier files are put back and no row changes;
whatever cannot be put back is listed. Files of the distribution folder that the release does not
hold are left as they are.

Exit codes:
  0  done; with --check, every row matches
  1  --check: some row does not match the distribution folder
  2  the command line is wrong
  3  the settings file cannot be read, or names no usable distribution folder
  4  the release cannot be published: no such folder, nothing the launcher fetches, or a program
     without a version resource
  5  the distribution folder cannot be reached, or a file there cannot be written or replaced;
     nothing was changed
  6  the database cannot be reached or refused the rows; nothing was changed
  7  a publish has not finished, or what it changed could not all be put back (the message says
     what); run --recover once nothing holds the files any more
)");

} // namespace

QString PublishCommand::help()
{
    return kHelp;
}

bool PublishCommand::parse(const QStringList &arguments, PublishCommand *command, QString *problem)
{
    QCommandLineParser parser;
    const QCommandLineOption settings(QStringLiteral("settings"), QString(),
                                      QStringLiteral("file"));
    const QCommandLineOption from(QStringLiteral("from"), QString(), QStringLiteral("folder"));
    const QCommandLineOption dryRun(QStringLiteral("dry-run"));
    const QCommandLineOption check(QStringLiteral("check"));
    const QCommandLineOption recover(QStringLiteral("recover"));
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    parser.addOptions({settings, from, dryRun, check, recover, help});
    if (!parser.parse(QStringList{QStringLiteral("corvel-publish")} + arguments)) {
        *problem = parser.errorText();
        return false;
    }
    PublishCommand parsed;
    if (parser.isSet(help)) {
        *command = parsed;
        return true;
    }
    if (!parser.positionalArguments().isEmpty()) {
        *problem = QStringLiteral("Unexpected argument: %1").arg(parser.positionalArguments()[0]);
        return false;
    }
    const int modes =
        int(parser.isSet(from)) + int(parser.isSet(check)) + int(parser.isSet(recover));
    if (modes != 1) {
        *problem = QStringLiteral("Give exactly one of --from, --check and --recover.");
        return false;
    }
    if (!parser.isSet(settings) || parser.value(settings).isEmpty()) {
        *problem = QStringLiteral("--settings <Workers.ini> is missing.");
        return false;
    }
    if (parser.isSet(dryRun) && !parser.isSet(from)) {
        *problem = QStringLiteral("--dry-run goes with --from.");
        return false;
    }
    if (parser.isSet(from) && parser.value(from).isEmpty()) {
        *problem = QStringLiteral("--from needs a release folder.");
        return false;
    }
    parsed.mode = parser.isSet(from)    ? Mode::Publish
                  : parser.isSet(check) ? Mode::Check
                                        : Mode::Recover;
    parsed.settingsPath = parser.value(settings);
    parsed.releaseFolder = parser.value(from);
    parsed.dryRun = parser.isSet(dryRun);
    *command = parsed;
    return true;
}

} // namespace corvel::publish
