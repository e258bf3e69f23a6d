#include "SettingsFiles.h"
#include "TestRegistry.h"
#include "settings/IniFile.h"
#include "settings/SettingsWriteError.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using corvel::IniFile;
using corvel::test::readBytes;
using corvel::test::writeBytes;

class IniFileOwnerTest : public QObject
{
    Q_OBJECT

private slots:
    // A file shared through its group stays shared, whoever saves it and wherever the folder
    // lets them write.
    void keepsOwnerGroupAndModeWhoeverSaves_data()
    {
        QTest::addColumn<bool>("savedByRoot");
        QTest::addColumn<bool>("openFolder");
        QTest::addColumn<bool>("fileOfRoot");
        QTest::newRow("root saves another user's file") << true << false << false;
        QTest::newRow("a group member saves in a closed folder") << false << false << true;
        QTest::newRow("a group member saves in an open folder") << false << true << true;
    }
    void keepsOwnerGroupAndModeWhoeverSaves()
    {
        QFETCH(bool, savedByRoot);
        QFETCH(bool, openFolder);
        QFETCH(bool, fileOfRoot);
        const passwd *nobody = ::getpwnam("nobody");
        const group *nogroup = ::getgrnam("nogroup");
        if (::geteuid() != 0 || nobody == nullptr || nogroup == nullptr)
            QSKIP("needs root and the user nobody and group nogroup");
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Workers.ini"));
        const QByteArray native = QFile::encodeName(path);
        writeBytes(path, "[ChoosenStyle]\r\n");
        QCOMPARE(::chmod(QFile::encodeName(dir.path()).constData(), openFolder ? 0777 : 0755), 0);
        const uid_t owner = fileOfRoot ? 0 : nobody->pw_uid;
        QCOMPARE(::chown(native.constData(), owner, nogroup->gr_gid), 0);
        QCOMPARE(::chmod(native.constData(), 0664), 0);

        auto save = [&] {
            IniFile(path).writeString(QStringLiteral("ChoosenStyle"), QStringLiteral("Style"),
                                      QStringLiteral("Windows"));
        };
        if (savedByRoot) {
            save();
        } else {
            const pid_t child = ::fork();
            if (child == 0) {
                bool saved = ::setgroups(0, nullptr) == 0 && ::setgid(nogroup->gr_gid) == 0 &&
                             ::setuid(nobody->pw_uid) == 0;
                try {
                    save();
                } catch (const corvel::Error &) {
                    saved = false;
                }
                ::_exit(saved ? 0 : 1);
            }
            int status = -1;
            QCOMPARE(::waitpid(child, &status, 0), child);
            QVERIFY2(WIFEXITED(status) && WEXITSTATUS(status) == 0, "the save failed");
        }

        QCOMPARE(readBytes(path), QByteArray("[ChoosenStyle]\r\nStyle=Windows\r\n"));
        struct stat after = {};
        QCOMPARE(::stat(native.constData(), &after), 0);
        QCOMPARE(after.st_uid, owner);
        QCOMPARE(after.st_gid, nogroup->gr_gid);
        QCOMPARE(after.st_mode & 07777, mode_t(0664));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{"Workers.ini"});
    }
};

CORVEL_TEST(IniFileOwnerTest)
#include "IniFileOwnerTest_posix.moc"
