// corvel-publish: puts a release into the distribution folder and its versions into AppsVersions.
#include "PublishCommand.h"
#include "Publisher.h"

#include <QCoreApplication>
#include <QTextStream>

using corvel::publish::PublishCommand;

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    PublishCommand command;
    QString problem;
    if (!PublishCommand::parse(QCoreApplication::arguments().mid(1), &command, &problem)) {
        err << "corvel-publish: " << problem << "\nRun corvel-publish --help for the usage.\n";
        return int(corvel::publish::ExitCode::Usage);
    }
    corvel::publish::Publisher publisher(out, err);
    switch (command.mode) {
    case PublishCommand::Mode::Help:
        out << PublishCommand::help();
        return 0;
    case PublishCommand::Mode::Publish:
        return publisher.publish(command.settingsPath, command.releaseFolder, command.dryRun);
    case PublishCommand::Mode::Check:
        return publisher.check(command.settingsPath);
    case PublishCommand::Mode::Recover:
        return publisher.recover(command.settingsPath);
    }
    return 0;
}
