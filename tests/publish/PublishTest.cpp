#include "OdbcDrivers.h"
#include "PublishFixture.h"
#include "TestFiles.h"
#include "TestRegistry.h"

#include "PublishError.h"
#include "SharePublication.h"
#include "platform/FileError.h"

#include <QTest>

using corvel::publish::ExitCode;
using corvel::test::contentOf;
using corvel::test::Killed;
using corvel::test::kWorkingFolder;
using corvel::test::PublishFixture;
using corvel::test::writeFile;

Q_DECLARE_METATYPE(PublishFixture::Engine)

namespace {

void addEngines()
{
    QTest::addColumn<PublishFixture::Engine>("engine");
    QTest::newRow("SQLite") << PublishFixture::Engine::SQLite;
    QTest::newRow("ODBC") << PublishFixture::Engine::Odbc;
}

bool skipUnavailable(PublishFixture::Engine engine)
{
    return engine == PublishFixture::Engine::Odbc &&
           !corvel::test::odbcDriverRegistered(QStringLiteral("SQLite3"));
}

int code(ExitCode exitCode)
{
    return int(exitCode);
}

} // namespace

// Publishing a release: files first, then the rows, and nothing half-done whatever fails.
class PublishTest : public QObject
{
    Q_OBJECT

private slots:
    void publishesTheFilesThenTheRows_data() { addEngines(); }
    void publishesTheFilesThenTheRows()
    {
        QFETCH(PublishFixture::Engine, engine);
        if (skipUnavailable(engine))
            QSKIP("the SQLite ODBC driver is not registered");
        PublishFixture f(engine);
        f.workstation().exec(QStringLiteral(
            "Update AppsVersions Set App_Version = '1.02.0.0' Where App_ID = 'CorvelPayroll'"));
        f.workstation().exec(
            QStringLiteral("Delete From AppsVersions Where App_ID = 'CorvelOperations'"));
        f.program(f.release(), QStringLiteral("CorvelOperations.exe"), QStringLiteral("2.0.0.5"));
        const QStringList published =
            PublishFixture::kReleaseFiles + QStringList{QStringLiteral("CorvelOperations.exe")};
        const auto allInPlace = [&] {
            return std::all_of(published.begin(), published.end(), [&](const QString &name) {
                return contentOf(f.share() + name) == contentOf(f.release() + name);
            });
        };
        bool rowsWrittenEarly = false;
        const int exit = f.publish(false, [&] {
            if (f.row(QStringLiteral("CorvelPayroll")) != QStringLiteral("1.02.0.0"))
                rowsWrittenEarly = rowsWrittenEarly || !allInPlace();
        });

        QVERIFY2(exit == 0, qPrintable(f.err));
        QVERIFY(!rowsWrittenEarly);
        for (const QString &name :
             PublishFixture::kReleaseFiles + QStringList{QStringLiteral("CorvelOperations.exe")})
            QVERIFY2(contentOf(f.share() + name) == contentOf(f.release() + name),
                     qPrintable(name));
        QCOMPARE(contentOf(f.share() + QStringLiteral("Reports/Old.fr3")), QByteArray("old"));
        QVERIFY(!QFileInfo::exists(f.share() + kWorkingFolder));

        QCOMPARE(f.row(QStringLiteral("CorvelPayroll")), QStringLiteral("1.2.0.0"));
        QCOMPARE(f.row(QStringLiteral("CorvelOperations")), QStringLiteral("2.0.0.5"));
        // The invoicing tile checks CorvelInvoicing.exe; CorvelRevenue.exe is only fetched.
        QCOMPARE(f.row(QStringLiteral("CorvelInvoicing")), QStringLiteral("1.1.0.0"));
        QCOMPARE(f.row(QStringLiteral("CorvelRevenue")), QStringLiteral("(none)"));
        QCOMPARE(f.row(QStringLiteral("CorvelMap")), QStringLiteral("1.0.0.0"));
        QVERIFY2(f.out.contains(QStringLiteral("row CorvelPayroll: \"1.02.0.0\" -> \"1.2.0.0\"")),
                 qPrintable(f.out));
        QVERIFY2(f.out.contains(QStringLiteral("CorvelRevenue.exe 1.1.0.0, no row")),
                 qPrintable(f.out));

        QVERIFY2(f.check() == 0, qPrintable(f.out));
    }

    void dryRunChangesNothing()
    {
        PublishFixture f;
        const auto files = PublishFixture::snapshot(f.share());
        const auto rows = f.rows();
        QCOMPARE(f.publish(true), 0);
        QVERIFY2(f.out.startsWith(QStringLiteral("Would publish")), qPrintable(f.out));
        QVERIFY(f.out.contains(QStringLiteral("row CorvelPayroll: \"1.0.0.0\" -> \"1.2.0.0\"")));
        QVERIFY(f.out.contains(QDir::toNativeSeparators("Reports/Timesheet.FR3") +
                               QStringLiteral(" (new in the distribution folder)")));
        QVERIFY(f.out.contains(QStringLiteral("Nothing was changed (--dry-run).")));
        QCOMPARE(PublishFixture::snapshot(f.share()), files);
        QCOMPARE(f.rows(), rows);
    }

    void refusesBeforeChangingAnything_data()
    {
        QTest::addColumn<QString>("arrangement");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        QTest::newRow("no settings file")
            << "no settings" << code(ExitCode::Settings) << "Cannot read the settings file";
        QTest::newRow("no distribution folder")
            << "no share key" << code(ExitCode::Settings) << "names no distribution folder";
        QTest::newRow("no separator at its end")
            << "no separator" << code(ExitCode::Settings) << "does not end with a folder separator";
        QTest::newRow("distribution folder unreachable")
            << "unreachable" << code(ExitCode::Share) << "cannot be reached";
        QTest::newRow("database missing") << "no database" << code(ExitCode::Database)
                                          << "Cannot read AppsVersions from the SQLite file";
        QTest::newRow("program without version") << "unversioned" << code(ExitCode::Release)
                                                 << "  CorvelMap.exe has no version resource\n";
        QTest::newRow("release folder missing")
            << "no release" << code(ExitCode::Release) << "The release folder";
        QTest::newRow("release without a file the launcher fetches")
            << "empty release" << code(ExitCode::Release) << "holds none of the files";
        QTest::newRow("release folder is the distribution folder")
            << "release is share" << code(ExitCode::Release) << "is the distribution folder";
        QTest::newRow("another publish holds the share")
            << "held" << code(ExitCode::Unfinished) << "--recover";
    }
    void refusesBeforeChangingAnything()
    {
        QFETCH(QString, arrangement);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        PublishFixture f;
        const QString share = QDir::toNativeSeparators(f.share());
        if (arrangement == QStringLiteral("no settings"))
            QFile::remove(f.settingsPath());
        else if (arrangement == QStringLiteral("no share key"))
            f.writeSettings(QByteArray(), QString());
        else if (arrangement == QStringLiteral("no separator"))
            f.writeSettings(QByteArray(), share.chopped(1));
        else if (arrangement == QStringLiteral("unreachable"))
            f.writeSettings(QByteArray(), share + QStringLiteral("gone") + QDir::separator());
        else if (arrangement == QStringLiteral("no database"))
            f.writeSettings("[Database]\r\nEngine=SQLite\r\nCatalog=gone.db\r\n", share);
        else if (arrangement == QStringLiteral("unversioned"))
            writeFile(f.release() + QStringLiteral("CorvelMap.exe"), "no program at all");
        else if (arrangement == QStringLiteral("no release"))
            QDir(f.release()).removeRecursively();
        else if (arrangement == QStringLiteral("empty release"))
            for (const QString &name : PublishFixture::kReleaseFiles)
                QFile::remove(f.release() + name);
        else if (arrangement == QStringLiteral("release is share"))
            f.writeSettings(QByteArray(), QDir::toNativeSeparators(f.release()));
        else if (arrangement == QStringLiteral("held"))
            QDir().mkdir(f.share() + kWorkingFolder);
        const auto files = PublishFixture::snapshot(f.share());
        const auto rows = f.rows();

        QCOMPARE(f.publish(), exitCode);
        QVERIFY2(f.err.contains(message), qPrintable(f.err));
        QCOMPARE(PublishFixture::snapshot(f.share()), files);
        QCOMPARE(f.rows(), rows);
    }

    void aRefusedTransactionPutsTheFilesBack_data() { addEngines(); }
    void aRefusedTransactionPutsTheFilesBack()
    {
        QFETCH(PublishFixture::Engine, engine);
        if (skipUnavailable(engine))
            QSKIP("the SQLite ODBC driver is not registered");
        PublishFixture f(engine);
        // The payroll row is written before the invoicing row, in the same transaction.
        f.workstation().exec(
            QStringLiteral("Create Trigger Refuse Before Update On AppsVersions "
                           "When New.App_ID = 'CorvelInvoicing' "
                           "Begin Select Raise(Abort, 'permission denied on AppsVersions'); End"));
        const auto files = PublishFixture::snapshot(f.share());
        const auto rows = f.rows();

        QCOMPARE(f.publish(), code(ExitCode::Database));
        QVERIFY2(f.err.contains(QStringLiteral("permission denied on AppsVersions")),
                 qPrintable(f.err));
        QVERIFY2(f.err.contains(QStringLiteral("The distribution folder is as it was")),
                 qPrintable(f.err));
        QCOMPARE(PublishFixture::snapshot(f.share()), files);
        QCOMPARE(f.rows(), rows);
    }

    void aCopyThatFailsLeavesTheShareAsItWas()
    {
        PublishFixture f;
        const auto files = PublishFixture::snapshot(f.share());
        const auto rows = f.rows();
        // The release loses a file after it was looked at, as when its folder is being replaced.
        const auto vanish = [&] {
            QFile::remove(f.release() + QStringLiteral("PrintDesigner.dll"));
        };
        QCOMPARE(f.publish(false, vanish), code(ExitCode::Share));
        QVERIFY2(f.err.contains(QStringLiteral("Cannot copy the release")), qPrintable(f.err));
        QVERIFY2(f.err.contains(QStringLiteral("Nothing was changed.")), qPrintable(f.err));
        QCOMPARE(PublishFixture::snapshot(f.share()), files);
        QCOMPARE(f.rows(), rows);
    }

    // A file in use on the share (a workstation copying it) stops the swap where Windows would.
    void aFileThatCannotBeReplacedPutsTheOthersBack()
    {
        PublishFixture f;
        const auto files = PublishFixture::snapshot(f.share());
        const auto rows = f.rows();
        const auto inUse = [&] {
            if (!QFileInfo::exists(f.share() + QStringLiteral("CorvelRevenue.exe")))
                throw corvel::FileError(QStringLiteral("The process cannot access the file because "
                                                       "it is being used by another process"));
        };
        QCOMPARE(f.publish(false, inUse), code(ExitCode::Share));
        QVERIFY2(f.err.contains(QStringLiteral("being used by another process")),
                 qPrintable(f.err));
        QVERIFY2(f.err.contains(QStringLiteral("put the earlier CorvelPayroll.exe back")),
                 qPrintable(f.err));
        QCOMPARE(PublishFixture::snapshot(f.share()), files);
        QCOMPARE(f.rows(), rows);
    }

    // When even putting back fails, the tool says what is not as it was, and recovery ends it.
    void whatCannotBePutBackIsListedAndRecovered()
    {
        PublishFixture f;
        const auto files = PublishFixture::snapshot(f.share());
        const auto rows = f.rows();
        const QString payroll = f.share() + QStringLiteral("CorvelPayroll.exe");
        const auto blocked = [&] {
            if (!QFileInfo::exists(f.share() + QStringLiteral("CorvelRevenue.exe"))) {
                // Something takes the payroll module's name, so the earlier file cannot return.
                QFile::remove(payroll);
                QDir().mkdir(payroll);
                throw corvel::FileError(QStringLiteral("Access is denied"));
            }
        };
        QCOMPARE(f.publish(false, blocked), code(ExitCode::Unfinished));
        QVERIFY2(
            f.err.contains(QStringLiteral("NOT DONE: CorvelPayroll.exe could not be put back")),
            qPrintable(f.err));
        QVERIFY2(f.err.contains(QStringLiteral("--recover")), qPrintable(f.err));
        QCOMPARE(f.publish(), code(ExitCode::Unfinished));

        QDir().rmdir(payroll);
        QVERIFY2(f.recover() == 0, qPrintable(f.err));
        QVERIFY2(f.out.contains(QStringLiteral("put the earlier CorvelPayroll.exe back")),
                 qPrintable(f.out));
        QCOMPARE(PublishFixture::snapshot(f.share()), files);
        QCOMPARE(f.rows(), rows);
    }

    // Whatever step a kill stops, and a kill of the recovery too, recovery leaves the old release
    // with the old rows or the new release with the new rows, and the next publish works.
    void aKillAtAnyStepIsFinishedOrUndone()
    {
        int steps = 0;
        {
            PublishFixture f;
            QCOMPARE(f.publish(false, [&] { ++steps; }), 0);
        }
        QVERIFY(steps > 10);
        for (int kill = 1; kill <= steps; ++kill) {
            PublishFixture f;
            const auto before = PublishFixture::snapshot(f.share());
            const auto rows = f.rows();
            int step = 0;
            const auto killAt = [&step](int at) {
                return [&step, at] {
                    if (++step == at)
                        throw Killed();
                };
            };
            QVERIFY_THROWS_EXCEPTION(Killed, f.publish(false, killAt(kill)));
            step = 0;
            try {
                f.recover(killAt(1));
            } catch (const Killed &) {
            }
            QVERIFY2(f.recover() == 0,
                     qPrintable(QStringLiteral("kill %1: %2").arg(kill).arg(f.err)));
            QVERIFY(!QFileInfo::exists(f.share() + kWorkingFolder));
            if (f.row(QStringLiteral("CorvelPayroll")) == QStringLiteral("1.0.0.0")) {
                QCOMPARE(PublishFixture::snapshot(f.share()), before);
                QCOMPARE(f.rows(), rows);
            } else {
                for (const QString &name : PublishFixture::kReleaseFiles)
                    QVERIFY2(contentOf(f.share() + name) == contentOf(f.release() + name),
                             qPrintable(QStringLiteral("kill %1: %2").arg(kill).arg(name)));
            }
            QVERIFY2(f.publish() == 0,
                     qPrintable(QStringLiteral("kill %1: %2").arg(kill).arg(f.err)));
            QVERIFY2(f.check() == 0, qPrintable(f.out));
        }
    }

    void aJournalNamingFilesOutsideTheShareIsNotFollowed_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("parent folder") << QByteArray("file ../outside.exe");
        QTest::newRow("out of Reports") << QByteArray("file Reports/../../outside.fr3");
        QTest::newRow("absolute") << QByteArray("file /tmp/outside.exe");
        QTest::newRow("not a catalogue name") << QByteArray("file notes.txt");
    }
    void aJournalNamingFilesOutsideTheShareIsNotFollowed()
    {
        QFETCH(QByteArray, line);
        PublishFixture f;
        const QString working = f.share() + kWorkingFolder + u'/';
        writeFile(working + QStringLiteral("journal"),
                  "corvel-publish journal 1\nstarted earlier\n" + line + '\n');
        writeFile(working + QStringLiteral("swapping"), "");
        const auto files = PublishFixture::snapshot(f.share());
        QCOMPARE(f.recover(), code(ExitCode::Unfinished));
        QVERIFY2(f.err.contains(QStringLiteral("remove it by hand")), qPrintable(f.err));
        QCOMPARE(PublishFixture::snapshot(f.share()), files);
    }
};

CORVEL_TEST(PublishTest)
#include "PublishTest.moc"
