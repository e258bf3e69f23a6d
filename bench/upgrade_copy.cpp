// A module upgrade of a 256 MiB executable against cp on the same files. Both sides end with the
// data on disk: the upgrade flushes its copy before renaming it into place, so the baseline is
// cp followed by sync of the copied file.
#include "BenchSupport.h"
#include "RecordingShell.h"
#include "ScriptedDialogService.h"
#include "Workstation.h"

#include "app/DataModule1.h"
#include "launcher/Upgrades.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>

using namespace corvel;

namespace {

void writeFile(const QString &path, qint64 size)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(path));
    QByteArray block(1 << 20, Qt::Uninitialized);
    for (qint64 written = 0; written < size; written += block.size()) {
        QRandomGenerator::global()->fillRange(reinterpret_cast<quint32 *>(block.data()),
                                              block.size() / 4);
        file.write(block);
    }
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const qint64 size = 256LL << 20;
    test::Workstation ws;
    const QString name = QStringLiteral("CorvelMap.exe");
    const QString source = ws.distributionFolder() + name;
    writeFile(source, size);
    writeFile(ws.path(name), 1 << 20);

    TDataModule1 dm(ws.launcherPath());
    dm.Local_Path = ws.folder();
    dm.Distribution_Path = ws.distributionFolder();
    test::ScriptedDialogService dialogs;
    test::RecordingShell shell;
    const Services services{dialogs, shell};

    const QString copyTarget = ws.path(QStringLiteral("cp-target.exe"));
    const QString script = QStringLiteral("cp -f '%1' '%2' && sync '%2'").arg(source, copyTarget);
    const int runs = 5;
    QList<double> upgrade;
    QList<double> copy;
    for (int i = 0; i < runs; ++i) {
        upgrade << bench::medianMs(1, [&] { Upgrades(dm, services).DownloadUpdated(name); });
        copy << bench::medianMs(1, [&] {
            QProcess::execute(QStringLiteral("sh"), {"-c", script});
        });
    }
    if (dialogs.lastText() != QStringLiteral("Application Upgraded"))
        qFatal("the upgrade failed: %s", qPrintable(dialogs.lastText()));
    const double mib = double(size) / (1 << 20);
    const double upgradeRate = mib / (bench::median(upgrade) / 1000.0);
    const double copyRate = mib / (bench::median(copy) / 1000.0);
    bench::report("module upgrade throughput, 256 MiB", upgradeRate, "MiB/s", copyRate,
                  "cp + sync");
    return 0;
}
