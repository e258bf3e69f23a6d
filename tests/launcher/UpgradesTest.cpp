#include "HelperProcess.h"
#include "Links.h"
#include "QuietPrograms.h"
#include "RecordingShell.h"
#include "ScriptedDialogService.h"
#include "TestFiles.h"
#include "TestRegistry.h"
#include "Workstation.h"

#include "app/DataModule1.h"
#include "launcher/ModuleCatalogue.h"
#include "launcher/Upgrades.h"
#include "platform/Error.h"
#include "platform/UpgradeLock.h"
#include "platform/VersionResource.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <optional>

#ifdef Q_OS_UNIX
#include "Fifo.h"
#include "FileSizeLimit.h"

#include <atomic>
#include <thread>
#include <unistd.h>
#endif

using namespace corvel;
using namespace corvel::test;

namespace {

const QString kUpgraded = QStringLiteral("Application Upgraded");
const QString kFailed = QStringLiteral("Something went wrong\n\r");

QString versionOf(const QString &path)
{
    return versionresource::read(path).toString();
}

// Names of everything below `folder`, relative to it, sorted; the upgrade lock, which stays once
// made, aside.
QStringList treeOf(const QString &folder)
{
    QStringList names;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (it.fileName() != UpgradeLock::kFileName)
            names << QDir(folder).relativeFilePath(path);
    }
    names.sort();
    return names;
}

// By value: modules() builds a fresh list, gone when the loop ends.
ModuleRecord moduleByUpgradeFile(const QString &upgradeFile)
{
    for (const ModuleRecord &record : catalogue::modules()) {
        if (record.upgradeFile == upgradeFile)
            return record;
    }
    qFatal("no module upgrades %s", qPrintable(upgradeFile));
}

constexpr int kMiB = 1024 * 1024;

// The launcher's folder and a distribution folder; no database is needed to copy files.
struct Bench
{
    Bench() : dataModule(workstation.launcherPath())
    {
        dataModule.Local_Path = workstation.folder();
        dataModule.Distribution_Path = workstation.distributionFolder();
    }

    QString local(const QString &name) const { return workstation.path(name); }
    QString remote(const QString &name) const { return dataModule.Distribution_Path + name; }
    Upgrades upgrades() { return Upgrades(dataModule, services); }
    // CorvelMap's upgrade, then the reports upgrade, confirmed: every message shown.
    QStringList upgradeMapAndReports()
    {
        upgrades().DownloadUpdated(QStringLiteral("CorvelMap.exe"));
        dialogs.answerNext(DialogButton::Ok);
        upgrades().upgradeReportsAndForms();
        return dialogs.texts();
    }

    Workstation workstation;
    TDataModule1 dataModule;
    ScriptedDialogService dialogs;
    RecordingShell shell;
    Services services{dialogs, shell};
};

} // namespace

class UpgradesTest : public QObject
{
    Q_OBJECT

private slots:
    void moduleItemAsksThenReplacesTheInstalledFile()
    {
        Bench bench;
        bench.workstation.installExecutable(QStringLiteral("CorvelAttendance.exe"),
                                            QStringLiteral("1.0.0.0"));
        bench.workstation.installExecutableIn(bench.dataModule.Distribution_Path,
                                              QStringLiteral("CorvelAttendance.exe"),
                                              QStringLiteral("1.1.0.0"));
        bench.dialogs.answerNext(DialogButton::Ok);

        bench.upgrades().upgradeModule(moduleByUpgradeFile(QStringLiteral("CorvelAttendance.exe")));

        QCOMPARE(
            bench.dialogs.texts(),
            QStringList({QStringLiteral("Choose 'OK' To Upgrade CorvelAttendance"), kUpgraded}));
        QCOMPARE(bench.dialogs.boxes().first().caption, QStringLiteral("Confirm"));
        QCOMPARE(versionOf(bench.local(QStringLiteral("CorvelAttendance.exe"))),
                 QStringLiteral("1.1.0.0"));
        // The next launch starts the new file.
        QVERIFY(QFileInfo(bench.local(QStringLiteral("CorvelAttendance.exe"))).isExecutable());
    }

    void cancelLeavesEveryFileAsItWas()
    {
        Bench bench;
        bench.workstation.installExecutable(QStringLiteral("CorvelMap.exe"),
                                            QStringLiteral("1.0.0.0"));
        bench.workstation.installExecutableIn(bench.dataModule.Distribution_Path,
                                              QStringLiteral("CorvelMap.exe"),
                                              QStringLiteral("2.0.0.0"));
        writeFile(bench.local(QStringLiteral("Reports/old.fr3")), "old");
        writeFile(bench.remote(QStringLiteral("Reports/new.fr3")), "new");
        const QStringList before = treeOf(bench.workstation.folder());

        bench.dialogs.answerNext(DialogButton::Cancel);
        bench.upgrades().upgradeModule(moduleByUpgradeFile(QStringLiteral("CorvelMap.exe")));
        bench.dialogs.answerNext(DialogButton::Cancel);
        bench.upgrades().upgradeReportsAndForms();

        QCOMPARE(bench.dialogs.texts(),
                 QStringList({QStringLiteral("Choose 'OK' To Upgrade CorvelMap"),
                              QStringLiteral("Choose 'OK' To Upgrade Reports && Forms")}));
        QCOMPARE(treeOf(bench.workstation.folder()), before);
        QCOMPARE(versionOf(bench.local(QStringLiteral("CorvelMap.exe"))),
                 QStringLiteral("1.0.0.0"));
    }

    void invoicingItemCopiesRevenueAndNeverTouchesInvoicing()
    {
        Bench bench;
        for (const QString &name :
             {QStringLiteral("CorvelInvoicing.exe"), QStringLiteral("CorvelRevenue.exe")}) {
            bench.workstation.installExecutable(name, QStringLiteral("1.0.0.0"));
            bench.workstation.installExecutableIn(bench.dataModule.Distribution_Path, name,
                                                  QStringLiteral("2.0.0.0"));
        }
        const QByteArray invoicing = contentOf(bench.local(QStringLiteral("CorvelInvoicing.exe")));
        bench.dialogs.answerNext(DialogButton::Ok);

        bench.upgrades().upgradeModule(
            *catalogue::findByUpgradeItem(QStringLiteral("Menu_UpgradeCorvelRevenu")));

        QCOMPARE(bench.dialogs.texts(),
                 QStringList({QStringLiteral("Choose 'OK' To Upgrade CorvelRevenue"), kUpgraded}));
        QCOMPARE(versionOf(bench.local(QStringLiteral("CorvelRevenue.exe"))),
                 QStringLiteral("2.0.0.0"));
        QCOMPARE(contentOf(bench.local(QStringLiteral("CorvelInvoicing.exe"))), invoicing);
    }

    void identicalFileIsCopiedAgain()
    {
        Bench bench;
        writeFile(bench.local(QStringLiteral("CorvelPayroll.exe")), "same build");
        writeFile(bench.remote(QStringLiteral("CorvelPayroll.exe")), "same build");

        bench.upgrades().DownloadUpdated(QStringLiteral("CorvelPayroll.exe"));

        QCOMPARE(bench.dialogs.texts(), QStringList{kUpgraded});
        QCOMPARE(contentOf(bench.local(QStringLiteral("CorvelPayroll.exe"))), "same build");
    }

    // Whatever goes wrong, the installed file is still there and whole.
    void failedUpgradeKeepsTheInstalledFile_data()
    {
        QTest::addColumn<QString>("distribution"); // "": the launcher's own folder
        QTest::addColumn<QString>("message");

        const QString unreachable = QStringLiteral("We could not reach the updated file");
        QTest::newRow("no distribution file") << QStringLiteral("distribution/") << unreachable;
        QTest::newRow("unreachable distribution folder")
            << QStringLiteral("nowhere/") << unreachable;
        QTest::newRow("same file as source and target") << QString() << kFailed;
    }

    void failedUpgradeKeepsTheInstalledFile()
    {
        QFETCH(QString, distribution);
        QFETCH(QString, message);
        Bench bench;
        const QString installed = bench.local(QStringLiteral("CorvelOperations.exe"));
        writeFile(installed, "installed build");
        bench.dataModule.Distribution_Path = bench.workstation.folder() + distribution;

        bench.upgrades().DownloadUpdated(QStringLiteral("CorvelOperations.exe"));

        QCOMPARE(bench.dialogs.boxes().size(), 1);
        QVERIFY2(bench.dialogs.lastText().startsWith(message),
                 qPrintable(bench.dialogs.lastText()));
        QCOMPARE(contentOf(installed), "installed build");
    }

    void copyBreakingOffPartWayKeepsTheInstalledFile()
    {
#ifdef Q_OS_UNIX
        Bench bench;
        const QString installed = bench.local(QStringLiteral("CorvelMap.exe"));
        writeFile(installed, "installed build");
        writeFile(bench.remote(QStringLiteral("CorvelMap.exe")), QByteArray(3 * kMiB, 'x'));
        const QStringList before = treeOf(bench.workstation.folder());

        {
            const FileSizeLimit limit(kMiB);
            bench.upgrades().DownloadUpdated(QStringLiteral("CorvelMap.exe"));
        }

        QCOMPARE(bench.dialogs.boxes().size(), 1);
        QVERIFY2(bench.dialogs.lastText().startsWith(kFailed),
                 qPrintable(bench.dialogs.lastText()));
        QCOMPARE(contentOf(installed), "installed build");
        QCOMPARE(treeOf(bench.workstation.folder()), before);
#else
        QSKIP("needs a file size limit");
#endif
    }

    void unwritableTargetFolderKeepsTheInstalledFile()
    {
#ifdef Q_OS_LINUX
        // Nobody, root included, can create a file in /proc.
        Bench bench;
        bench.dataModule.Local_Path = QStringLiteral("/proc/");
        const QByteArray installed = contentOf(QStringLiteral("/proc/version"));
        writeFile(bench.remote(QStringLiteral("version")), "new build");

        bench.upgrades().DownloadUpdated(QStringLiteral("version"));

        QCOMPARE(bench.dialogs.boxes().size(), 1);
        QVERIFY2(bench.dialogs.lastText().startsWith(kFailed + QStringLiteral("FileError, ")),
                 qPrintable(bench.dialogs.lastText()));
        QCOMPARE(contentOf(QStringLiteral("/proc/version")), installed);
#else
        QSKIP("needs /proc");
#endif
    }

    void distributionFileVanishingAfterConfirmationIsReportedUnreachable()
    {
        Bench bench;
        writeFile(bench.local(QStringLiteral("CorvelMap.exe")), "installed build");
        writeFile(bench.remote(QStringLiteral("CorvelMap.exe")), "new build");
        bench.dialogs.onNextMessage([&](const MessageBoxSpec &) {
            QFile::remove(bench.remote(QStringLiteral("CorvelMap.exe")));
        });
        bench.dialogs.answerNext(DialogButton::Ok);

        bench.upgrades().upgradeModule(moduleByUpgradeFile(QStringLiteral("CorvelMap.exe")));

        QCOMPARE(bench.dialogs.lastText(), QStringLiteral("We could not reach the updated file"));
        QCOMPARE(contentOf(bench.local(QStringLiteral("CorvelMap.exe"))), "installed build");
    }

    void moduleThatIsNotInstalledIsNotInstalledByAnUpgrade()
    {
        Bench bench;
        writeFile(bench.remote(QStringLiteral("CorvelTransportation.exe")), "new build");

        bench.upgrades().DownloadUpdated(QStringLiteral("CorvelTransportation.exe"));

        QCOMPARE(bench.dialogs.boxes().size(), 1);
        QVERIFY2(bench.dialogs.lastText().startsWith(kFailed + QStringLiteral("FileError, ")),
                 qPrintable(bench.dialogs.lastText()));
        QVERIFY(!QFile::exists(bench.local(QStringLiteral("CorvelTransportation.exe"))));
    }

    void reportsUpgradeReplacesOnlyTopLevelTemplates()
    {
        Bench bench;
        writeFile(bench.remote(QStringLiteral("Reports/a.fr3")), "new a");
        writeFile(bench.remote(QStringLiteral("Reports/b.FR3")), "new b");
        writeFile(bench.remote(QStringLiteral("Reports/readme.txt")), "not a template");
        writeFile(bench.remote(QStringLiteral("Reports/drafts/d.fr3")), "draft");
        writeFile(bench.local(QStringLiteral("Reports/a.fr3")), "old a");
        writeFile(bench.local(QStringLiteral("Reports/c.fr3")), "old c");
        writeFile(bench.local(QStringLiteral("Reports/notes.txt")), "notes");
        writeFile(bench.local(QStringLiteral("Reports/archive/x.fr3")), "archived");
        writeFile(bench.remote(QStringLiteral("PrintDesigner.dll")), "designer 2");
        writeFile(bench.local(QStringLiteral("PrintDesigner.dll")), "designer 1");
        bench.dialogs.answerNext(DialogButton::Ok);
        const QString reports = bench.local(QStringLiteral("Reports"));
        QStringList whileReporting;
        bench.dialogs.onNextMessage([](const MessageBoxSpec &) {});
        bench.dialogs.onNextMessage(
            [&](const MessageBoxSpec &) { whileReporting = treeOf(reports); });

        bench.upgrades().upgradeReportsAndForms();

        QCOMPARE(
            bench.dialogs.texts(),
            QStringList({QStringLiteral("Choose 'OK' To Upgrade Reports && Forms"), kUpgraded}));
        const QStringList expected{QStringLiteral("a.fr3"), QStringLiteral("archive"),
                                   QStringLiteral("archive/x.fr3"), QStringLiteral("b.FR3"),
                                   QStringLiteral("notes.txt")};
        QCOMPARE(treeOf(reports), expected);
        // Nothing of the upgrade's own is left over, even while its outcome is shown.
        QCOMPARE(whileReporting, expected);
        // The lock stays behind for the next upgrade, an empty file that is no template.
        QVERIFY(QFileInfo(reports + u'/' + UpgradeLock::kFileName).isFile());
        QCOMPARE(QFileInfo(reports + u'/' + UpgradeLock::kFileName).size(), 0);
        QCOMPARE(contentOf(reports + QStringLiteral("/a.fr3")), "new a");
        QCOMPARE(contentOf(reports + QStringLiteral("/b.FR3")), "new b");
        QCOMPARE(contentOf(reports + QStringLiteral("/archive/x.fr3")), "archived");
        QCOMPARE(contentOf(bench.local(QStringLiteral("PrintDesigner.dll"))), "designer 2");
    }

    // The old templates go only once the whole new set has arrived.
    void failedReportsUpgradeKeepsTheOldTemplates_data()
    {
        QTest::addColumn<bool>("localReports");
        QTest::addColumn<bool>("remoteReports");

        QTest::newRow("no distribution reports folder") << true << false;
        QTest::newRow("no local reports folder") << false << true;
    }

    void failedReportsUpgradeKeepsTheOldTemplates()
    {
        QFETCH(bool, localReports);
        QFETCH(bool, remoteReports);
        Bench bench;
        if (localReports)
            writeFile(bench.local(QStringLiteral("Reports/a.fr3")), "old a");
        if (remoteReports)
            writeFile(bench.remote(QStringLiteral("Reports/b.fr3")), "new b");
        writeFile(bench.remote(QStringLiteral("PrintDesigner.dll")), "designer 2");
        writeFile(bench.local(QStringLiteral("PrintDesigner.dll")), "designer 1");
        const QStringList before = treeOf(bench.workstation.folder());
        bench.dialogs.answerNext(DialogButton::Ok);

        try {
            bench.upgrades().upgradeReportsAndForms();
            QFAIL("the missing folder was not reported");
        } catch (const Error &error) {
            QCOMPARE(error.message(), QStringLiteral("The specified path was not found"));
        }
        QCOMPARE(treeOf(bench.workstation.folder()), before);
        QCOMPARE(contentOf(bench.local(QStringLiteral("PrintDesigner.dll"))), "designer 1");
    }

    void templateCopyBreakingOffKeepsTheOldTemplates()
    {
#ifdef Q_OS_UNIX
        Bench bench;
        writeFile(bench.remote(QStringLiteral("Reports/a.fr3")), "new a");
        writeFile(bench.remote(QStringLiteral("Reports/b.fr3")), QByteArray(3 * kMiB, 'b'));
        writeFile(bench.local(QStringLiteral("Reports/a.fr3")), "old a");
        writeFile(bench.local(QStringLiteral("Reports/c.fr3")), "old c");
        writeFile(bench.remote(QStringLiteral("PrintDesigner.dll")), "designer 2");
        writeFile(bench.local(QStringLiteral("PrintDesigner.dll")), "designer 1");
        const QStringList before = treeOf(bench.workstation.folder());
        bench.dialogs.answerNext(DialogButton::Ok);

        {
            const FileSizeLimit limit(kMiB);
            QVERIFY_THROWS_EXCEPTION(Error, bench.upgrades().upgradeReportsAndForms());
        }

        QCOMPARE(treeOf(bench.workstation.folder()), before);
        QCOMPARE(contentOf(bench.local(QStringLiteral("Reports/a.fr3"))), "old a");
        QCOMPARE(contentOf(bench.local(QStringLiteral("PrintDesigner.dll"))), "designer 1");
#else
        QSKIP("needs a file size limit");
#endif
    }

    void reportsUpgradeFromTheLaunchersOwnFolderKeepsTheTemplates()
    {
        Bench bench;
        bench.dataModule.Distribution_Path = bench.dataModule.Local_Path;
        writeFile(bench.local(QStringLiteral("Reports/a.fr3")), "template a");
        writeFile(bench.local(QStringLiteral("PrintDesigner.dll")), "designer");
        bench.dialogs.answerNext(DialogButton::Ok);

        bench.upgrades().upgradeReportsAndForms();

        QCOMPARE(treeOf(bench.local(QStringLiteral("Reports"))),
                 QStringList{QStringLiteral("a.fr3")});
        QCOMPARE(contentOf(bench.local(QStringLiteral("Reports/a.fr3"))), "template a");
        QVERIFY(bench.dialogs.lastText().startsWith(kFailed));
        QCOMPARE(contentOf(bench.local(QStringLiteral("PrintDesigner.dll"))), "designer");
    }

    void distributionFileStillBeingWrittenIsNotInstalled()
    {
#ifdef Q_OS_UNIX
        Bench bench;
        const QString installed = bench.local(QStringLiteral("CorvelMap.exe"));
        const QString published = bench.remote(QStringLiteral("CorvelMap.exe"));
        writeFile(installed, "installed build");
        writeFile(published, QByteArray(32 * kMiB, 'p'));
        std::atomic<bool> publishing{true};
        std::thread publisher([&] {
            QFile file(published);
            file.open(QIODevice::Append | QIODevice::Unbuffered);
            while (publishing)
                file.write("more");
        });
        QTRY_VERIFY(QFileInfo(published).size() > 32 * kMiB);

        bench.upgrades().DownloadUpdated(QStringLiteral("CorvelMap.exe"));
        publishing = false;
        publisher.join();

        QCOMPARE(bench.dialogs.texts(),
                 QStringList{kFailed + QStringLiteral("FileError, ") +
                             QDir::toNativeSeparators(published) +
                             QStringLiteral(" changed while it was being copied")});
        QCOMPARE(contentOf(installed), "installed build");
#else
        QSKIP("needs a second writer on the same file");
#endif
    }

    // A copy cut short by a kill is cleared by the next upgrade of its folder.
    void nextUpgradeClearsWhatAnInterruptedOneLeft()
    {
        Bench bench;
        writeFile(bench.local(QStringLiteral("CorvelMap.exe")), "installed build");
        writeFile(bench.remote(QStringLiteral("CorvelMap.exe")), "new build");
        writeFile(bench.local(QStringLiteral(".corvel-copy-k1ll3d")), "half a build");
        writeFile(bench.remote(QStringLiteral("Reports/a.fr3")), "new a");
        writeFile(bench.local(QStringLiteral("Reports/a.fr3")), "old a");
        writeFile(bench.local(QStringLiteral("Reports/.upgrade-k1ll3d/a.fr3")), "new a");
        writeFile(bench.local(QStringLiteral("Reports/.upgrade-k1ll3d/.corvel-copy-x")), "new");
        writeFile(bench.remote(QStringLiteral("PrintDesigner.dll")), "designer 2");
        writeFile(bench.local(QStringLiteral("PrintDesigner.dll")), "designer 1");

        QCOMPARE(bench.upgradeMapAndReports(),
                 QStringList({kUpgraded, QStringLiteral("Choose 'OK' To Upgrade Reports && Forms"),
                              kUpgraded}));
        QCOMPARE(treeOf(bench.workstation.folder()).filter(QStringLiteral(".corvel-copy-")),
                 QStringList());
        QCOMPARE(treeOf(bench.local(QStringLiteral("Reports"))), QStringList{"a.fr3"});
    }

    // Links named like what an interrupted upgrade leaves, or in the place of its marks, lead to
    // someone else's files: they are removed themselves, and nothing they lead to is touched.
    void leftoversThatAreLinksAreRemovedNeverFollowed()
    {
        Bench bench;
        QTemporaryDir elsewhere;
        const QString outside = elsewhere.path() + u'/';
        writeFile(outside + QStringLiteral("a.fr3"), "someone's a");
        writeFile(outside + QStringLiteral("replaced/z.fr3"), "someone's z");
        writeFile(outside + QStringLiteral("old/y.fr3"), "someone's y");
        writeFile(outside + QStringLiteral("deep/keep.txt"), "keep");
        const QStringList untouched = treeOf(outside);
        const QString reports = bench.local(QStringLiteral("Reports/"));
        writeFile(reports + QStringLiteral("a.fr3"), "old a");
        writeFile(bench.remote(QStringLiteral("Reports/a.fr3")), "new a");
        writeFile(bench.local(QStringLiteral("CorvelMap.exe")), "installed build");
        writeFile(bench.remote(QStringLiteral("CorvelMap.exe")), "new build");
        writeFile(bench.local(QStringLiteral("PrintDesigner.dll")), "designer 1");
        writeFile(bench.remote(QStringLiteral("PrintDesigner.dll")), "designer 2");
        QDir().mkpath(reports + QStringLiteral(".upgrade-marked"));
        QDir().mkpath(reports + QStringLiteral(".upgrade-unmarked"));
        if (!makeFolderLink(outside, reports + QStringLiteral(".upgrade-link")))
            QSKIP("this system makes no links to folders");
        QVERIFY(makeFolderLink(outside, bench.local(QStringLiteral(".corvel-copy-folder"))));
        QVERIFY(makeFolderLink(outside + QStringLiteral("replaced"),
                               reports + QStringLiteral(".upgrade-marked/replaced")));
        QVERIFY(makeFolderLink(outside + QStringLiteral("old"),
                               reports + QStringLiteral(".upgrade-unmarked/old")));
        const bool fileLinks = makeFileLink(outside + QStringLiteral("a.fr3"),
                                            reports + QStringLiteral(".corvel-copy-a"));
        if (fileLinks)
            QVERIFY(makeFileLink(outside + QStringLiteral("deep/keep.txt"),
                                 bench.local(QStringLiteral(".corvel-copy-keep"))));

        QCOMPARE(bench.upgradeMapAndReports(),
                 QStringList({kUpgraded, QStringLiteral("Choose 'OK' To Upgrade Reports && Forms"),
                              kUpgraded}));
        QCOMPARE(treeOf(outside), untouched);
        QCOMPARE(contentOf(outside + QStringLiteral("a.fr3")), "someone's a");
        QCOMPARE(treeOf(reports), QStringList{QStringLiteral("a.fr3")});
        QCOMPARE(contentOf(reports + QStringLiteral("a.fr3")), "new a");
        QCOMPARE(treeOf(bench.workstation.folder()).filter(QStringLiteral(".corvel-copy-")),
                 QStringList());
    }

    // Nothing of the old set goes before every new template is sure to find its place.
    void templateThatCannotBeTakenKeepsTheOldSet_data()
    {
        QTest::addColumn<QString>("problem");
        QTest::newRow("local folder named like a template") << QStringLiteral("folder");
#ifdef Q_OS_UNIX
        QTest::newRow("FIFO on the share") << QStringLiteral("fifo");
        QTest::newRow("link to a device on the share") << QStringLiteral("device");
#endif
    }
    void templateThatCannotBeTakenKeepsTheOldSet()
    {
        QFETCH(QString, problem);
        Bench bench;
        writeFile(bench.remote(QStringLiteral("Reports/b.fr3")), "new b");
        writeFile(bench.local(QStringLiteral("Reports/a.fr3")), "old a");
        writeFile(bench.local(QStringLiteral("Reports/c.fr3")), "old c");
        writeFile(bench.remote(QStringLiteral("PrintDesigner.dll")), "designer 2");
        writeFile(bench.local(QStringLiteral("PrintDesigner.dll")), "designer 1");
        const QString shared = bench.remote(QStringLiteral("Reports/Aaa.fr3"));
        QString expected;
#ifdef Q_OS_UNIX
        std::unique_ptr<Fifo> fifo;
        if (problem == QStringLiteral("fifo")) {
            fifo = std::make_unique<Fifo>(shared);
            expected = QDir::toNativeSeparators(shared) + QStringLiteral(" is not a regular file");
        } else if (problem == QStringLiteral("device")) {
            QVERIFY(QFile::link(QStringLiteral("/dev/zero"), shared));
            expected = QDir::toNativeSeparators(shared) + QStringLiteral(" is not a regular file");
        }
#endif
        if (problem == QStringLiteral("folder")) {
            writeFile(shared, "new Aaa");
            writeFile(bench.local(QStringLiteral("Reports/Aaa.fr3/draft.txt")), "draft");
            expected = QDir::toNativeSeparators(bench.local(QStringLiteral("Reports/Aaa.fr3"))) +
                       QStringLiteral(" is a folder, so no report template was replaced");
        }
        const QStringList before = treeOf(bench.workstation.folder());
        bench.dialogs.answerNext(DialogButton::Ok);

        try {
#ifdef Q_OS_UNIX
            const FileSizeLimit limit(kMiB);
#endif
            bench.upgrades().upgradeReportsAndForms();
            QFAIL("the upgrade went through");
        } catch (const Error &error) {
            QCOMPARE(error.message(), expected);
        }
        QCOMPARE(treeOf(bench.workstation.folder()), before);
        QCOMPARE(contentOf(bench.local(QStringLiteral("Reports/a.fr3"))), "old a");
        QCOMPARE(contentOf(bench.local(QStringLiteral("PrintDesigner.dll"))), "designer 1");
#ifdef Q_OS_UNIX
        QVERIFY(!fifo || !fifo->readerWaited());
#endif
    }

    void patternHelpersStopAtTheFirstFailure()
    {
        Bench bench;
        const QString from = bench.remote(QStringLiteral("Reports")) + QDir::separator();
        const QString to = bench.local(QStringLiteral("Reports")) + QDir::separator();
        writeFile(from + QStringLiteral("a.fr3"), "new a");
        writeFile(from + QStringLiteral("b.fr3"), "new b");
        writeFile(from + QStringLiteral("c.fr3"), "new c");
        writeFile(to + QStringLiteral("b.fr3"), "old b");

        QVERIFY_THROWS_EXCEPTION(Error, bench.upgrades().DownloadFilesMatchingPattern(
                                            to, from, QStringLiteral("*.FR3")));

        // Copies never overwrite; what was copied before the failure stays.
        QCOMPARE(treeOf(to), QStringList({QStringLiteral("a.fr3"), QStringLiteral("b.fr3")}));
        QCOMPARE(contentOf(to + QStringLiteral("b.fr3")), "old b");

        bench.upgrades().DeleteFilesMatchingPattern(to, QStringLiteral("*.FR3"));
        QVERIFY(treeOf(to).isEmpty());
    }

    void launcherUpgradeHandsBothPathsToTheReinstaller()
    {
        Bench bench;
        bench.dataModule.Local_Path = QStringLiteral("/opt/corvel dir/");
        bench.dataModule.Distribution_Path = QStringLiteral("//server/share/");

        bench.upgrades().upgradeLauncher();

        QVERIFY(bench.dialogs.boxes().isEmpty());
        QCOMPARE(bench.shell.calls().size(), 1);
        QCOMPARE(bench.shell.calls().first().file, QStringLiteral("Reinstaller.exe"));
        QCOMPARE(bench.shell.calls().first().parameters,
                 QStringLiteral("\"/opt/corvel dir/CorvelLauncher.exe\" "
                                "\"//server/share/CorvelLauncher.exe\""));
        QVERIFY(bench.shell.calls().first().ownedByMainWindow);
    }
};

CORVEL_TEST(UpgradesTest)

// The real self-upgrade tool, on temporary files.
class ReinstallerTest : public QObject
{
    Q_OBJECT

private:
    static QString tool() { return QStringLiteral(CORVEL_BIN_DIR "/Reinstaller.exe"); }
    std::optional<QuietPrograms> m_quiet;

private slots:
    void init() { m_quiet.emplace(); }
    void cleanup() { m_quiet.reset(); }

    void replacesTheLauncherOnceItHasExitedAndStartsTheNewOne()
    {
#ifndef Q_OS_LINUX
        QSKIP("the running stand-in launcher is /bin/sleep");
#endif
        Workstation workstation;
        const QString distribution = workstation.distributionFolder();
        workstation.installExecutableIn(distribution, QStringLiteral("CorvelLauncher.exe"),
                                        QStringLiteral("1.1.0.0"));
        // The installed "launcher" is still running when the tool starts.
        QFile::remove(workstation.launcherPath());
        QVERIFY(QFile::copy(QStringLiteral("/bin/sleep"), workstation.launcherPath()));
        // The share's mode is not the workstation's.
        QVERIFY(QFile::setPermissions(distribution + QStringLiteral("CorvelLauncher.exe"),
                                      QFileDevice::Permissions(0x7777)));
        QProcess oldLauncher;
        QElapsedTimer running;
        running.start();
        oldLauncher.start(workstation.launcherPath(), {QStringLiteral("2")});
        QVERIFY(oldLauncher.waitForStarted());

        QProcess reinstaller;
        reinstaller.start(tool(), {workstation.launcherPath(),
                                   distribution + QStringLiteral("CorvelLauncher.exe")});
        QVERIFY(reinstaller.waitForFinished(40000));
        QVERIFY2(running.elapsed() >= 1500, "did not wait for the running launcher");
        QVERIFY(oldLauncher.waitForFinished(5000));

        QCOMPARE(reinstaller.exitCode(), 0);
        QCOMPARE(versionOf(workstation.launcherPath()), QStringLiteral("1.1.0.0"));
        QCOMPARE(QFile::permissions(workstation.launcherPath()), QFileDevice::Permissions(0x7755));
        QTRY_VERIFY_WITH_TIMEOUT(
            QFile::exists(workstation.path(QStringLiteral("CorvelLauncher.args"))), 10000);
        QCOMPARE(treeOf(workstation.folder()),
                 QStringList({QStringLiteral("CorvelLauncher.args"),
                              QStringLiteral("CorvelLauncher.exe"), QStringLiteral("distribution"),
                              QStringLiteral("distribution/CorvelLauncher.exe")}));
    }

    // A module upgrade of the launcher's folder runs in another launcher: the launcher is replaced
    // only once that upgrade has ended.
    void waitsWhileAnotherUpgradeHoldsTheFolder()
    {
        Workstation workstation;
        const QString copy =
            workstation.distributionFolder() + QStringLiteral("CorvelLauncher.exe");
        workstation.installExecutableIn(workstation.distributionFolder(),
                                        QStringLiteral("CorvelLauncher.exe"),
                                        QStringLiteral("1.1.0.0"));
        const std::unique_ptr<QProcess> other = startHelperAndWait(
            {QStringLiteral("lock"), workstation.folder(), QStringLiteral("1500")});

        QProcess reinstaller;
        reinstaller.start(tool(), {workstation.launcherPath(), copy});
        QVERIFY(reinstaller.waitForFinished(40000));

        QCOMPARE(reinstaller.exitCode(), 0);
        QVERIFY2(hasReleased(*other), "did not wait for the other upgrade");
        QCOMPARE(versionOf(workstation.launcherPath()), QStringLiteral("1.1.0.0"));
        QVERIFY(other->waitForFinished(30000));
    }

    // Whatever fails, the installed launcher is left as it was and started again, and the
    // reinstaller says why.
    void failureRestartsTheLauncherAndSaysWhy_data()
    {
        QTest::addColumn<QString>("installed");
        QTest::addColumn<QString>("distributionCopy");
        QTest::addColumn<bool>("restarted");

        const QString launcher = QStringLiteral("CorvelLauncher.exe");
        QTest::newRow("no distribution copy")
            << launcher << QStringLiteral("distribution/none.exe") << true;
        QTest::newRow("the installed file itself") << launcher << launcher << true;
        QTest::newRow("distribution copy is a folder")
            << launcher << QStringLiteral("distribution") << true;
        QTest::newRow("installed path is a folder")
            << QStringLiteral("distribution") << QStringLiteral("distribution/new.exe") << false;
        QTest::newRow("no installed path") << QString() << launcher << false;
    }

    void failureRestartsTheLauncherAndSaysWhy()
    {
        QFETCH(QString, installed);
        QFETCH(QString, distributionCopy);
        QFETCH(bool, restarted);
        Workstation workstation;
        workstation.installExecutableIn(workstation.distributionFolder(), QStringLiteral("new.exe"),
                                        QStringLiteral("1.1.0.0"));
        const QByteArray launcher = contentOf(workstation.launcherPath());

        QProcess reinstaller;
        reinstaller.start(tool(), {installed.isNull() ? QString() : workstation.path(installed),
                                   workstation.path(distributionCopy)});
        QVERIFY(reinstaller.waitForFinished(10000));

        QVERIFY(reinstaller.exitCode() != 0);
        QVERIFY2(reinstaller.readAllStandardError().contains("could not be upgraded"),
                 "no reason given");
        QCOMPARE(contentOf(workstation.launcherPath()), launcher);
        const QString started = workstation.path(QStringLiteral("CorvelLauncher.args"));
        if (restarted)
            QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(started), 10000);
        else
            QVERIFY(!QFile::exists(started));
    }

    // A folder this user may not change is refused at once, not waited on as a running launcher.
    void unwritableInstallFolderFailsAtOnceAndRestartsTheLauncher()
    {
#ifdef Q_OS_UNIX
        if (::geteuid() != 0)
            QSKIP("runs the reinstaller as another user");
        QTemporaryDir dir;
        QVERIFY(QFile::setPermissions(dir.path(), QFileDevice::Permissions(0x7755)));
        const QString folder = dir.path() + QStringLiteral("/");
        QVERIFY(QDir(folder).mkdir(QStringLiteral("out")));
        QVERIFY(QFile::setPermissions(folder + QStringLiteral("out"),
                                      QFileDevice::Permissions(0x7777)));
        const QString launcher = folder + QStringLiteral("CorvelLauncher.exe");
        writeFile(launcher, "#!/bin/sh\n: > \"$CORVEL_TEST_STARTED\"\n");
        QVERIFY(QFile::setPermissions(launcher, QFileDevice::Permissions(0x7755)));
        writeFile(folder + QStringLiteral("new.exe"), "new launcher");

        QProcess reinstaller;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("CORVEL_TEST_STARTED"),
                           folder + QStringLiteral("out/started"));
        reinstaller.setProcessEnvironment(environment);
        reinstaller.setChildProcessModifier([] {
            if (::setgid(65534) != 0 || ::setuid(65534) != 0)
                ::_exit(99);
        });
        reinstaller.start(tool(), {launcher, folder + QStringLiteral("new.exe")});
        QVERIFY(reinstaller.waitForFinished(10000));

        QCOMPARE(reinstaller.exitCode(), 1);
        QVERIFY(reinstaller.readAllStandardError().contains("cannot be replaced"));
        QVERIFY(contentOf(launcher).startsWith("#!/bin/sh"));
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(folder + QStringLiteral("out/started")), 10000);
#else
        QSKIP("needs POSIX users");
#endif
    }
};

CORVEL_TEST(ReinstallerTest)
#include "UpgradesTest.moc"
