#pragma once

#include <QString>
#include <QStringList>

namespace corvel::publish {

// The tool's command line.
struct PublishCommand
{
    enum class Mode
    {
        Help,
        Publish,
        Check,
        Recover
    };

    Mode mode = Mode::Help;
    QString settingsPath;
    QString releaseFolder;
    bool dryRun = false;

    // `arguments` without the program's name. False, with the reason, for a command line that
    // does not name exactly one thing to do with everything it needs.
    static bool parse(const QStringList &arguments, PublishCommand *command, QString *problem);
    static QString help();
};

} // namespace corvel::publish
