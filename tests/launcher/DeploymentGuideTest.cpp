#include "launcher/ModuleCatalogue.h"

#include "TestRegistry.h"

#include <QFile>
#include <QTest>

using namespace corvel;

namespace {

// The rows of the table that follows "<!-- catalogue: <name> -->" in the administrator's guide,
// each as its cells without the backticks, the header and the separator left out.
QList<QStringList> guideTable(const QString &name)
{
    QFile guide(QStringLiteral(CORVEL_SOURCE_DIR "/docs/deployment.md"));
    if (!guide.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    const QStringList lines = QString::fromUtf8(guide.readAll()).split(u'\n');
    qsizetype at = lines.indexOf(QStringLiteral("<!-- catalogue: %1 -->").arg(name));
    if (at < 0)
        return {};
    QList<QStringList> rows;
    for (at += 3; at < lines.size() && lines[at].startsWith(u'|'); ++at) {
        QStringList cells = lines[at].split(u'|').mid(1);
        cells.removeLast();
        for (QString &cell : cells)
            cell = cell.trimmed().remove(u'`');
        rows << cells;
    }
    return rows;
}

QStringList column(const QList<QStringList> &rows, int index)
{
    QStringList cells;
    for (const QStringList &row : rows)
        cells << row.value(index);
    return cells;
}

} // namespace

// The guide tells administrators what to put on the share and which rows to publish; a change to
// the catalogue that the guide does not follow would send a site after the wrong files.
class DeploymentGuideTest : public QObject
{
    Q_OBJECT

private slots:
    void shareTableListsEveryFileTheLauncherFetchesWithItsMenuItem()
    {
        QStringList files{catalogue::launcher().executable};
        QStringList items{catalogue::launcher().upgradeCaption};
        for (const ModuleRecord &module : catalogue::modules()) {
            files << module.upgradeFile;
            items << module.upgradeCaption;
        }
        files << catalogue::kReportsFolder + u'\\' + catalogue::kReportPattern
              << catalogue::kPrintDesigner;
        items << catalogue::reportsAndForms().upgradeCaption
              << catalogue::reportsAndForms().upgradeCaption;

        const QList<QStringList> rows = guideTable(QStringLiteral("share files"));
        QCOMPARE(column(rows, 0), files);
        QCOMPARE(column(rows, 2), items);
    }

    void versionTableListsEveryRowTheLaunchChecksWithItsFile()
    {
        QStringList appIds{catalogue::launcher().appId};
        QStringList files{catalogue::launcher().executable};
        for (const ModuleRecord &module : catalogue::modules()) {
            appIds << module.appId;
            files << module.executable;
        }

        const QList<QStringList> rows = guideTable(QStringLiteral("version rows"));
        QCOMPARE(column(rows, 0), appIds);
        QCOMPARE(column(rows, 1), files);
    }
};

CORVEL_TEST(DeploymentGuideTest)

#include "DeploymentGuideTest.moc"
