#include "PublishCommand.h"
#include "PublishFixture.h"
#include "TestRegistry.h"

#include <QProcess>
#include <QTest>

using corvel::publish::PublishCommand;
using corvel::test::PublishFixture;

namespace {

QString program()
{
#ifdef Q_OS_WIN
    return QStringLiteral(CORVEL_BIN_DIR "/corvel-publish.exe");
#else
    return QStringLiteral(CORVEL_BIN_DIR "/corvel-publish");
#endif
}

} // namespace

// The command line, and the program as an administrator's script runs it.
class CommandLineTest : public QObject
{
    Q_OBJECT

private:
    QString m_out;
    QString m_err;

    int run(const QStringList &arguments)
    {
        QProcess process;
        process.start(program(), arguments);
        if (!process.waitForFinished(60000))
            return -1;
        m_out = QString::fromLocal8Bit(process.readAllStandardOutput());
        m_err = QString::fromLocal8Bit(process.readAllStandardError());
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

private slots:
    void refusesWhatItCannotDo_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("problem");
        QTest::newRow("nothing") << QStringList() << "exactly one of";
        QTest::newRow("no settings")
            << QStringList{"--check"} << "--settings <Workers.ini> is missing";
        QTest::newRow("two tasks")
            << QStringList{"--settings", "W.ini", "--check", "--recover"} << "exactly one of";
        QTest::newRow("dry run alone") << QStringList{"--settings", "W.ini", "--check", "--dry-run"}
                                       << "--dry-run goes with --from";
        QTest::newRow("no release folder")
            << QStringList{"--settings", "W.ini", "--from"} << "Missing value after '--from'";
        QTest::newRow("unknown option")
            << QStringList{"--settings", "W.ini", "--chek"} << "Unknown option 'chek'";
        QTest::newRow("stray argument")
            << QStringList{"--settings", "W.ini", "--check", "now"} << "Unexpected argument: now";
    }
    void refusesWhatItCannotDo()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, problem);
        PublishCommand command;
        QString reason;
        QVERIFY(!PublishCommand::parse(arguments, &command, &reason));
        QVERIFY2(reason.contains(problem), qPrintable(reason));
    }

    void readsEachTask()
    {
        PublishCommand command;
        QString reason;
        QVERIFY(PublishCommand::parse({"--settings=W.ini", "--from", "rel", "--dry-run"}, &command,
                                      &reason));
        QCOMPARE(command.mode, PublishCommand::Mode::Publish);
        QCOMPARE(command.settingsPath, QStringLiteral("W.ini"));
        QCOMPARE(command.releaseFolder, QStringLiteral("rel"));
        QVERIFY(command.dryRun);
        QVERIFY(PublishCommand::parse({"--recover", "--settings", "W.ini"}, &command, &reason));
        QCOMPARE(command.mode, PublishCommand::Mode::Recover);
        QVERIFY(PublishCommand::parse({"--check", "--help"}, &command, &reason));
        QCOMPARE(command.mode, PublishCommand::Mode::Help);
    }

    void theProgramPublishesAndChecks()
    {
        QCOMPARE(run({"--help"}), 0);
        QVERIFY(m_out.contains(QStringLiteral("CorvelRevenue.exe     no row")));
        QCOMPARE(run({"--check"}), 2);
        QVERIFY2(m_err.contains(QStringLiteral("Run corvel-publish --help")), qPrintable(m_err));

        PublishFixture f;
        QCOMPARE(run({"--settings", f.settingsPath(), "--check"}), 0);
        QCOMPARE(run({"--settings", f.settingsPath(), "--from", f.release()}), 0);
        QVERIFY2(m_out.contains(QStringLiteral("Published 6 files and 2 rows of AppsVersions.")),
                 qPrintable(m_out + m_err));
        QCOMPARE(run({"--settings", f.settingsPath(), "--check"}), 0);
        f.workstation().exec(QStringLiteral(
            "Update AppsVersions Set App_Version = '1.3.0.0' Where App_ID = 'CorvelPayroll'"));
        QCOMPARE(run({"--settings", f.settingsPath(), "--check"}), 1);
        QVERIFY2(m_out.contains(QStringLiteral("1 row does not match")), qPrintable(m_out));
    }

    // Two administrators publishing at once: the second finds the share taken and says so.
    void aSecondPublisherOnTheSameShareStandsBack()
    {
        PublishFixture f;
        const QStringList arguments{"--settings", f.settingsPath(), "--from", f.release()};
        QProcess first;
        QProcess second;
        first.start(program(), arguments);
        second.start(program(), arguments);
        QVERIFY(first.waitForFinished(60000) && second.waitForFinished(60000));
        QList<int> codes{first.exitCode(), second.exitCode()};
        std::sort(codes.begin(), codes.end());
        QVERIFY2(codes == QList<int>({0, 0}) || codes == QList<int>({0, 7}),
                 qPrintable(QString::fromLocal8Bit(first.readAllStandardError() +
                                                   second.readAllStandardError())));
        QVERIFY(!QFileInfo::exists(f.share() + corvel::test::kWorkingFolder));
        QCOMPARE(f.check(), 0);
        QCOMPARE(f.row(QStringLiteral("CorvelPayroll")), QStringLiteral("1.2.0.0"));
    }
};

CORVEL_TEST(CommandLineTest)
#include "CommandLineTest.moc"
