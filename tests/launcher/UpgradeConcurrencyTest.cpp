// Upgrades of one folder by several launchers at once, as on a terminal server where every user
// runs the launcher from one folder, and upgrades killed part-way. The other launchers are real
// processes (corvel-test-helper).
#include "HelperProcess.h"
#include "RecordingShell.h"
#include "ScriptedDialogService.h"
#include "TestFiles.h"
#include "TestRegistry.h"
#include "Workstation.h"

#include "app/DataModule1.h"
#include "launcher/ReportTemplates.h"
#include "launcher/Upgrades.h"
#include "platform/Error.h"
#include "platform/UpgradeLock.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTest>

#include <memory>

using namespace corvel;
using namespace corvel::test;

namespace {

using Tree = QMap<QString, QByteArray>;

const QString kUpgraded = QStringLiteral("Application Upgraded");

// The upgrade lock, which stays once made, aside.
Tree treeOf(const QString &folder)
{
    return contentsBelow(folder, {UpgradeLock::kFileName});
}

QString describe(const Tree &tree, const Tree &old, const Tree &fresh)
{
    int ofOld = 0;
    int ofNew = 0;
    for (auto it = tree.begin(); it != tree.end(); ++it) {
        ofOld += old.value(it.key()) == it.value() ? 1 : 0;
        ofNew += fresh.value(it.key()) == it.value() ? 1 : 0;
    }
    return QStringLiteral("%1 entries: %2 of %3 old, %4 of %5 new")
        .arg(tree.size())
        .arg(ofOld)
        .arg(old.size())
        .arg(ofNew)
        .arg(fresh.size());
}

// An installed set of templates and a published one of `count` each, sharing most names, with a
// file beside them that no upgrade touches.
struct Bench
{
    explicit Bench(int count = 0) : dataModule(workstation.launcherPath())
    {
        dataModule.Local_Path = workstation.folder();
        dataModule.Distribution_Path = workstation.distributionFolder();
        writeFile(local(QStringLiteral("PrintDesigner.dll")), "designer 1");
        writeFile(remote(QStringLiteral("PrintDesigner.dll")), "designer 2");
        writeFile(local(QStringLiteral("Reports/notes.txt")), "notes");
        for (int i = 0; i < count; ++i) {
            const QString name = QStringLiteral("r%1.fr3").arg(i, 5, 10, QChar(u'0'));
            writeFile(local(QStringLiteral("Reports/") + name), "old " + name.toUtf8());
            writeFile(remote(QStringLiteral("Reports/") + name), "new " + name.toUtf8());
        }
        // Names only the old set has.
        for (int i = 0; i < count / 10; ++i)
            writeFile(local(QStringLiteral("Reports/gone%1.fr3").arg(i)), "old");
        oldSet = treeOf(reports());
        newSet = treeOf(remote(QStringLiteral("Reports/")));
        newSet.insert(QStringLiteral("notes.txt"), "notes");
    }

    QString local(const QString &name) const { return workstation.path(name); }
    QString remote(const QString &name) const { return dataModule.Distribution_Path + name; }
    QString reports() const { return local(QStringLiteral("Reports/")); }
    Upgrades upgrades(std::chrono::milliseconds wait = UpgradeLock::kWait)
    {
        return Upgrades(dataModule, services, wait);
    }
    std::unique_ptr<QProcess> startReportsUpgrade(int wait) const
    {
        return startHelper({QStringLiteral("reports"), workstation.folder(),
                            dataModule.Distribution_Path, QString::number(wait)});
    }

    Workstation workstation;
    TDataModule1 dataModule;
    ScriptedDialogService dialogs;
    RecordingShell shell;
    Services services{dialogs, shell};
    Tree oldSet;
    Tree newSet;
};

QString busy(const QString &folder)
{
    return QStringLiteral("Another upgrade of %1 is running. Try again when it has finished")
        .arg(QDir::toNativeSeparators(folder));
}

} // namespace

class UpgradeConcurrencyTest : public QObject
{
    Q_OBJECT

private slots:
    // Three launchers upgrading the reports of one folder at once take turns: each reports
    // success, and the folder ends with the whole new set.
    void simultaneousReportsUpgradesEndWithTheWholeNewSet()
    {
        Bench bench(400);
        std::vector<std::unique_ptr<QProcess>> launchers;
        for (int i = 0; i < 3; ++i)
            launchers.push_back(bench.startReportsUpgrade(240000));
        for (const auto &launcher : launchers) {
            QVERIFY(launcher->waitForFinished(300000));
            const QStringList output = outputOf(*launcher);
            // Under Wine the last lines a process writes before it ends may never arrive, so its
            // exit status tells whether every upgrade said "Application Upgraded".
            QVERIFY2(launcher->exitCode() == 0, qPrintable(output.join(u'|')));
        }
        const Tree after = treeOf(bench.reports());
        QVERIFY2(after == bench.newSet, qPrintable(describe(after, bench.oldSet, bench.newSet)));
    }

    // One launcher's clean-up never takes the copy another is still writing.
    void simultaneousModuleUpgradesOfOneFolderAllGoThrough()
    {
        Bench bench;
        const QStringList modules{QStringLiteral("CorvelMap.exe"),
                                  QStringLiteral("CorvelPayroll.exe")};
        for (const QString &module : modules) {
            writeFile(bench.local(module), "installed build");
            writeFile(bench.remote(module), QByteArray(8 * 1024 * 1024, module.at(6).toLatin1()));
        }
        std::vector<std::unique_ptr<QProcess>> launchers;
        for (const QString &module : modules)
            launchers.push_back(startHelper({QStringLiteral("module"), bench.workstation.folder(),
                                             bench.dataModule.Distribution_Path, module,
                                             QStringLiteral("60000"), QStringLiteral("8")}));
        for (const auto &launcher : launchers) {
            QVERIFY(launcher->waitForFinished(300000));
            const QStringList output = outputOf(*launcher);
            QVERIFY2(launcher->exitCode() == 0, qPrintable(output.join(u'|')));
        }
        for (const QString &module : modules)
            QCOMPARE(contentOf(bench.local(module)), contentOf(bench.remote(module)));
    }

    // While another upgrade holds the folder, an upgrade waits for it; past its wait it says so
    // and changes nothing, the other's copy in progress included. Once the other has ended,
    // however it ended, what it left is a leftover and goes.
    void upgradeWaitsForAnotherOneOfItsFolder_data()
    {
        QTest::addColumn<bool>("reports");
        QTest::addColumn<int>("held");
        QTest::addColumn<int>("wait");
        QTest::addColumn<bool>("waitedOut");
        QTest::newRow("module, the other ends in time") << false << 1500 << 60000 << false;
        QTest::newRow("module, the other keeps it") << false << 60000 << 300 << true;
        QTest::newRow("reports, the other ends in time") << true << 1500 << 60000 << false;
        QTest::newRow("reports, the other keeps it") << true << 60000 << 300 << true;
    }
    void upgradeWaitsForAnotherOneOfItsFolder()
    {
        QFETCH(bool, reports);
        QFETCH(int, held);
        QFETCH(int, wait);
        QFETCH(bool, waitedOut);
        Bench bench(3);
        writeFile(bench.local(QStringLiteral("CorvelMap.exe")), "installed build");
        writeFile(bench.remote(QStringLiteral("CorvelMap.exe")), "new build");
        const QString folder = reports ? bench.reports() : bench.workstation.folder();
        const std::unique_ptr<QProcess> other =
            startHelperAndWait({QStringLiteral("lock"), folder, QString::number(held)});
        const QString inProgress = folder + QStringLiteral(".corvel-copy-other");
        writeFile(inProgress, "half a copy");
        const Tree before = treeOf(bench.workstation.folder());

        QElapsedTimer timer;
        timer.start();
        QString failure;
        try {
            bench.dialogs.answerNext(DialogButton::Ok);
            if (reports)
                bench.upgrades(std::chrono::milliseconds(wait)).upgradeReportsAndForms();
            else
                bench.upgrades(std::chrono::milliseconds(wait))
                    .DownloadUpdated(QStringLiteral("CorvelMap.exe"));
        } catch (const Error &error) {
            failure = error.message();
        }

        if (waitedOut) {
            QVERIFY2(timer.elapsed() < 10000, qPrintable(QString::number(timer.elapsed())));
            QCOMPARE(reports ? failure : bench.dialogs.lastText(), busy(folder));
            QCOMPARE(treeOf(bench.workstation.folder()), before);
            other->kill();
            QVERIFY(other->waitForFinished(30000));
            bench.dialogs.clear();
            bench.dialogs.answerNext(DialogButton::Ok);
            if (reports)
                bench.upgrades().upgradeReportsAndForms();
            else
                bench.upgrades().DownloadUpdated(QStringLiteral("CorvelMap.exe"));
        } else {
            QVERIFY2(failure.isEmpty(), qPrintable(failure));
            QVERIFY(hasReleased(*other));
            QVERIFY(other->waitForFinished(30000));
            QCOMPARE(other->exitCode(), 0);
        }
        QCOMPARE(bench.dialogs.lastText(), kUpgraded);
        QVERIFY(!QFile::exists(inProgress));
    }

    // A reports upgrade killed anywhere leaves one whole set once the next one has looked at the
    // folder, and that next one brings the new set in.
    void killedReportsUpgradeLeavesOneWholeSet()
    {
        qint64 duration = 0;
        {
            Bench bench(100);
            const std::unique_ptr<QProcess> launcher = bench.startReportsUpgrade(0);
            waitUntilReady(*launcher);
            QElapsedTimer timer;
            timer.start();
            QVERIFY(launcher->waitForFinished(300000));
            duration = timer.elapsed();
            QCOMPARE(launcher->exitCode(), 0);
        }
        for (const int percent : {10, 40, 70, 95}) {
            Bench bench(100);
            const std::unique_ptr<QProcess> launcher = bench.startReportsUpgrade(0);
            waitUntilReady(*launcher);
            QTest::qSleep(int(duration * percent / 100));
            launcher->kill();
            QVERIFY(launcher->waitForFinished(30000));

            ReportTemplates::recover(bench.reports());
            const Tree now = treeOf(bench.reports());
            QVERIFY2(now == bench.oldSet || now == bench.newSet,
                     qPrintable(QStringLiteral("%1%: ").arg(percent) +
                                describe(now, bench.oldSet, bench.newSet)));

            bench.dialogs.answerNext(DialogButton::Ok);
            bench.upgrades().upgradeReportsAndForms();
            QCOMPARE(bench.dialogs.lastText(), kUpgraded);
            QVERIFY2(treeOf(bench.reports()) == bench.newSet, qPrintable(QString::number(percent)));
        }
    }
};

CORVEL_TEST(UpgradeConcurrencyTest)
#include "UpgradeConcurrencyTest.moc"
