#include "RecordingShell.h"
#include "RecordingWaits.h"
#include "ScriptedDialogService.h"
#include "TestFiles.h"
#include "TestRegistry.h"
#include "Workstation.h"

#include "app/DataModule1.h"
#include "launcher/ModuleCatalogue.h"
#include "launcher/ReportTemplates.h"
#include "launcher/Upgrades.h"
#include "platform/CopyProgressDialog.h"

#include <QApplication>
#include <QTest>

using namespace corvel;
using namespace corvel::test;

namespace {

// Counts the progress dialogs shown while it lives.
class ProgressWatch : public QObject
{
public:
    ProgressWatch() { qApp->installEventFilter(this); }
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show && qobject_cast<CopyProgressDialog *>(watched))
            ++shown;
        return false;
    }
    int shown = 0;
};

} // namespace

class UpgradeFeedbackTest : public QObject
{
    Q_OBJECT

private slots:
    void templatesAreCountedAsTheyAreCopied()
    {
        Workstation ws;
        const QString local = ws.path(QStringLiteral("Reports/"));
        const QString remote = ws.distributionFolder() + QStringLiteral("Reports/");
        QVERIFY(QDir().mkpath(local));
        for (const char *name : {"a.fr3", "b.FR3", "c.fr3"})
            writeFile(remote + QLatin1String(name), name);
        QList<QPair<qint64, qint64>> reported;
        ReportTemplates templates(local, remote, QStringLiteral("*.fr3"));
        templates.setProgress([&](qint64 done, qint64 total) { reported.append({done, total}); });
        templates.replace();
        QCOMPARE(reported, (QList<QPair<qint64, qint64>>{{1, 3}, {2, 3}, {3, 3}}));
    }

    // Copies over within a second say only what they always said, with the usual cursor: the
    // busy one lasts as long as the copy, and no longer.
    void shortUpgradesShowNoProgressAndTheirOutcomeAfterTheWait()
    {
        Workstation ws;
        TDataModule1 dm(ws.launcherPath());
        dm.Local_Path = ws.folder();
        dm.Distribution_Path = ws.distributionFolder();
        ScriptedDialogService dialogs;
        RecordingShell shell;
        writeFile(ws.path(QStringLiteral("CorvelMap.exe")), "installed");
        writeFile(dm.Distribution_Path + QStringLiteral("CorvelMap.exe"), QByteArray(1 << 20, 'n'));
        writeFile(ws.path(QStringLiteral("Reports/a.fr3")), "old a");
        writeFile(dm.Distribution_Path + QStringLiteral("Reports/a.fr3"), "new a");
        writeFile(ws.path(QStringLiteral("PrintDesigner.dll")), "old library");
        writeFile(dm.Distribution_Path + QStringLiteral("PrintDesigner.dll"), "new library");
        const RecordingWaits waits;
        QList<int> waitingAtMessage;
        for (int box = 0; box < 4; ++box) {
            dialogs.onNextMessage([&](const MessageBoxSpec &) { waitingAtMessage << waits.depth; });
            dialogs.answerNext(DialogButton::Ok);
        }

        const ProgressWatch watch;
        Upgrades upgrades(dm, Services{dialogs, shell});
        upgrades.upgradeModule(catalogue::tiles().first());
        const int moduleWaits = waits.begun;
        upgrades.upgradeReportsAndForms();
        const int reportWaits = waits.begun - moduleWaits;
        upgrades.upgradeLauncher();

        QCOMPARE(watch.shown, 0);
        QCOMPARE(dialogs.texts(),
                 (QStringList{QStringLiteral("Choose 'OK' To Upgrade CorvelMap"),
                              QStringLiteral("Application Upgraded"),
                              QStringLiteral("Choose 'OK' To Upgrade Reports && Forms"),
                              QStringLiteral("Application Upgraded")}));
        QCOMPARE(waitingAtMessage, (QList<int>{0, 0, 0, 0}));
        QCOMPARE_GE(moduleWaits, 1);
        QCOMPARE_GE(reportWaits, 2);
        QCOMPARE_GT(waits.begun, moduleWaits + reportWaits);
        QCOMPARE(waits.depth, 0);
    }
};

CORVEL_TEST(UpgradeFeedbackTest)
#include "UpgradeFeedbackTest.moc"
