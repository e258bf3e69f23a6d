#include "PublishFixture.h"
#include "TestFiles.h"
#include "TestRegistry.h"

#include <QTest>

using corvel::test::contentOf;
using corvel::test::Killed;
using corvel::test::kWorkingFolder;
using corvel::test::PublishFixture;
using corvel::test::writeFile;

// Links on the share and in the tool's working folder are moved and removed as links, never
// followed out of the share.
class PublishLinksTest : public QObject
{
    Q_OBJECT

private slots:
    void aLinkInPlaceIsReplacedOrPutBackAsALink()
    {
        PublishFixture f;
        const QString outside =
            f.workstation().folder() + QStringLiteral("versions/Payroll-1.0.exe");
        f.program(f.workstation().folder() + QStringLiteral("versions"),
                  QStringLiteral("Payroll-1.0.exe"), QStringLiteral("1.0.0.0"));
        const QByteArray program = contentOf(outside);
        const QString link = f.share() + QStringLiteral("CorvelPayroll.exe");
        QFile::remove(link);
        QVERIFY(QFile::link(outside, link));

        f.workstation().exec(QStringLiteral("Create Trigger Refuse Before Update On AppsVersions "
                                            "Begin Select Raise(Abort, 'read-only'); End"));
        QCOMPARE(f.publish(), 6);
        QCOMPARE(QFileInfo(link).symLinkTarget(), outside);

        f.workstation().exec(QStringLiteral("Drop Trigger Refuse"));
        QCOMPARE(f.publish(), 0);
        QVERIFY(!QFileInfo(link).isSymLink());
        QCOMPARE(contentOf(link), contentOf(f.release() + QStringLiteral("CorvelPayroll.exe")));
        QCOMPARE(contentOf(outside), program);
    }

    void recoveryRemovesLinksWithoutFollowingThem()
    {
        PublishFixture f;
        const QString outside = f.workstation().folder() + QStringLiteral("outside/");
        writeFile(outside + QStringLiteral("keep.txt"), "keep");
        QVERIFY_THROWS_EXCEPTION(Killed, f.publish(false, [] { throw Killed(); }));
        const QString working = f.share() + kWorkingFolder + u'/';
        QVERIFY(QDir().mkpath(working + QStringLiteral("new")));
        QVERIFY(QFile::link(outside, working + QStringLiteral("new/folder-link")));
        QVERIFY(QFile::link(outside + QStringLiteral("keep.txt"),
                            working + QStringLiteral("file-link")));

        QVERIFY2(f.recover() == 0, qPrintable(f.err));
        QVERIFY(!QFileInfo::exists(working) && !QFileInfo(working).isSymLink());
        QCOMPARE(contentOf(outside + QStringLiteral("keep.txt")), QByteArray("keep"));
    }

    void aWorkingFolderThatIsALinkIsLeftAlone()
    {
        PublishFixture f;
        const QString outside = f.workstation().folder() + QStringLiteral("outside/");
        writeFile(outside + QStringLiteral("journal"), "corvel-publish journal 1\nstarted now\n");
        QVERIFY(QFile::link(outside.chopped(1), f.share() + kWorkingFolder));
        QCOMPARE(f.publish(), 7);
        QCOMPARE(f.recover(), 7);
        QVERIFY2(f.err.contains(QStringLiteral("remove it by hand")), qPrintable(f.err));
        QCOMPARE(contentOf(outside + QStringLiteral("journal")),
                 QByteArray("corvel-publish journal 1\nstarted now\n"));
    }
};

CORVEL_TEST(PublishLinksTest)
#include "PublishLinksTest_posix.moc"
