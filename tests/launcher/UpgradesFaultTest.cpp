#include "FileSizeLimit.h"
#include "RecordingShell.h"
#include "ScriptedDialogService.h"
#include "TestFiles.h"
#include "TestRegistry.h"
#include "Workstation.h"

#include "app/DataModule1.h"
#include "launcher/Upgrades.h"
#include "platform/Error.h"
#include "platform/UpgradeLock.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTest>

using namespace corvel;
using namespace corvel::test;

namespace {

const QString kUpgraded = QStringLiteral("Application Upgraded");
const QString kFailed = QStringLiteral("Something went wrong\n\r");

// Every file below `folder` with its content; the upgrade lock, which stays once made, aside.
QMap<QString, QByteArray> treeOf(const QString &folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (it.fileName() == UpgradeLock::kFileName)
            continue;
        files.insert(QDir(folder).relativeFilePath(path), contentOf(path));
    }
    return files;
}

// Bytes that differ at every offset, so a copy cut short or shifted cannot pass for whole.
QByteArray patterned(int size, char seed)
{
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = char(seed + i * 7 + i / 251);
    return bytes;
}

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

    Workstation workstation;
    TDataModule1 dataModule;
    ScriptedDialogService dialogs;
    RecordingShell shell;
    Services services{dialogs, shell};
};

} // namespace

class UpgradesFaultTest : public QObject
{
    Q_OBJECT

private slots:
    // Wherever the copy breaks off, the installed module stays as it was and nothing is left
    // beside it; with room again the same upgrade goes through.
    void moduleCopyBrokenOffAtAnyOffsetKeepsTheInstalledFile()
    {
        Bench bench;
        const QString name = QStringLiteral("CorvelPayroll.exe");
        const QByteArray installed = patterned(5000, 'i');
        const QByteArray published = patterned(70000, 'p');
        writeFile(bench.local(name), installed);
        writeFile(bench.remote(name), published);
        const QMap<QString, QByteArray> before = treeOf(bench.workstation.folder());

        QList<int> stops;
        for (int stop = 0; stop <= 70; ++stop)
            stops << stop;
        for (int stop : {4095, 4096, 4097, 5000, 8191, 8192, 16384, 32767, 65535, 65536, 69999})
            stops << stop;
        for (int stop = 71; stop < published.size(); stop += 1999)
            stops << stop;
        for (const int stop : std::as_const(stops)) {
            bench.dialogs.clear();
            {
                const FileSizeLimit limit{rlim_t(stop)};
                bench.upgrades().DownloadUpdated(name);
            }
            QCOMPARE(bench.dialogs.boxes().size(), 1);
            QVERIFY2(bench.dialogs.lastText().startsWith(kFailed),
                     qPrintable(QStringLiteral("%1: %2").arg(stop).arg(bench.dialogs.lastText())));
            QVERIFY2(treeOf(bench.workstation.folder()) == before,
                     qPrintable(QString::number(stop)));
        }

        bench.dialogs.clear();
        bench.upgrades().DownloadUpdated(name);
        QCOMPARE(bench.dialogs.texts(), QStringList{kUpgraded});
        QCOMPARE(contentOf(bench.local(name)), published);
    }

    // The reports upgrade breaking off on each of its files in turn: a failing template leaves
    // every installed file as it was; a failing forms library comes after the templates are in
    // place and is reported on its own.
    void reportsUpgradeBrokenOffOnEachFile_data()
    {
        QTest::addColumn<int>("stop");
        QTest::addColumn<bool>("templatesReplaced");
        QTest::newRow("first byte") << 0 << false;
        QTest::newRow("inside the smallest template") << 500 << false;
        QTest::newRow("inside the middle template") << 1500 << false;
        QTest::newRow("inside the largest template") << 2999 << false;
        QTest::newRow("inside the forms library") << 3500 << true;
    }
    void reportsUpgradeBrokenOffOnEachFile()
    {
        QFETCH(int, stop);
        QFETCH(bool, templatesReplaced);
        Bench bench;
        const QByteArray a = patterned(1000, 'a');
        const QByteArray b = patterned(2000, 'b');
        const QByteArray c = patterned(3000, 'c');
        const QByteArray designer = patterned(4000, 'd');
        writeFile(bench.remote(QStringLiteral("Reports/a.fr3")), a);
        writeFile(bench.remote(QStringLiteral("Reports/b.fr3")), b);
        writeFile(bench.remote(QStringLiteral("Reports/c.fr3")), c);
        writeFile(bench.remote(QStringLiteral("PrintDesigner.dll")), designer);
        writeFile(bench.local(QStringLiteral("Reports/a.fr3")), "old a");
        writeFile(bench.local(QStringLiteral("Reports/old.fr3")), "old template");
        writeFile(bench.local(QStringLiteral("Reports/notes.txt")), "notes");
        writeFile(bench.local(QStringLiteral("PrintDesigner.dll")), "old designer");
        const QMap<QString, QByteArray> before = treeOf(bench.workstation.folder());

        bench.dialogs.answerNext(DialogButton::Ok);
        bool thrown = false;
        {
            const FileSizeLimit limit{rlim_t(stop)};
            try {
                bench.upgrades().upgradeReportsAndForms();
            } catch (const Error &) {
                thrown = true;
            }
        }

        const QMap<QString, QByteArray> after = treeOf(bench.workstation.folder());
        QCOMPARE(contentOf(bench.local(QStringLiteral("PrintDesigner.dll"))), "old designer");
        if (!templatesReplaced) {
            QVERIFY(thrown);
            QCOMPARE(bench.dialogs.boxes().size(), 1); // the confirmation
            QVERIFY(after == before);
        } else {
            QVERIFY(!thrown);
            QVERIFY(bench.dialogs.lastText().startsWith(kFailed));
            QCOMPARE(QDir(bench.local(QStringLiteral("Reports")))
                         .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                     (QStringList{UpgradeLock::kFileName, "a.fr3", "b.fr3", "c.fr3", "notes.txt"}));
            QCOMPARE(contentOf(bench.local(QStringLiteral("Reports/c.fr3"))), c);
        }

        bench.dialogs.clear();
        bench.dialogs.answerNext(DialogButton::Ok);
        bench.upgrades().upgradeReportsAndForms();
        QCOMPARE(bench.dialogs.lastText(), kUpgraded);
        QCOMPARE(contentOf(bench.local(QStringLiteral("Reports/a.fr3"))), a);
        QCOMPARE(contentOf(bench.local(QStringLiteral("Reports/b.fr3"))), b);
        QCOMPARE(contentOf(bench.local(QStringLiteral("PrintDesigner.dll"))), designer);
        QVERIFY(!QFile::exists(bench.local(QStringLiteral("Reports/old.fr3"))));
    }
};

CORVEL_TEST(UpgradesFaultTest)
#include "UpgradesFaultTest.moc"
