#include "Fifo.h"
#include "FileSizeLimit.h"
#include "TestRegistry.h"

#include "platform/FileError.h"
#include "platform/FileOperations.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace corvel;

namespace {

const QString kFileNotFound = QStringLiteral("The system cannot find the file specified");
const QString kPathNotFound = QStringLiteral("The specified path was not found");
const QString kPathTooLong = QStringLiteral("The specified path is too long");
const QString kFileExists = QStringLiteral("The file exists");
const QString kAccessDenied = QStringLiteral("Access is denied");
const QString kSameFile = QStringLiteral("The source and target are the same file");
const QString kBadName =
    QStringLiteral("The filename, directory name, or volume label syntax is incorrect");

// A special file that opens but fails on the first read.
const QString kUnreadable = QStringLiteral("/proc/self/mem");

void writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(content) != content.size())
        qFatal("cannot write %s", qPrintable(path));
}

QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

int modeOf(const QString &path)
{
    struct stat status = {};
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? int(status.st_mode & 07777)
                                                                     : -1;
}

void setMode(const QString &path, int mode)
{
    if (::chmod(QFile::encodeName(path).constData(), mode_t(mode)) != 0)
        qFatal("cannot chmod %s", qPrintable(path));
}

// The message of the FileError `action` throws; empty when it succeeds.
template <typename Action> QString failure(Action action)
{
    try {
        action();
        return QString();
    } catch (const FileError &error) {
        return error.message();
    }
}

} // namespace

class TestFileOperations : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;

    QString path(const QString &name) const { return m_dir->filePath(name); }
    QString longPath() const { return path(QString(300, u'x') + QStringLiteral(".exe")); }
    // Everything in the work folder, hidden files included: a failed copy leaves nothing behind.
    QStringList entries() const
    {
        return QDir(m_dir->path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        writeFile(path(QStringLiteral("source.exe")), "new version");
        writeFile(path(QStringLiteral("target.exe")), "old version");
        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("folder")));
    }

    void fileExistsOnlyForFiles()
    {
        QVERIFY(fileops::fileExists(path(QStringLiteral("source.exe"))));
        QVERIFY(!fileops::fileExists(path(QStringLiteral("folder"))));
        QVERIFY(!fileops::fileExists(path(QStringLiteral("absent.exe"))));
        QVERIFY(!fileops::fileExists(path(QStringLiteral("absent/absent.exe"))));
        QVERIFY(!fileops::fileExists(QString()));
        QVERIFY(QFile::link(path(QStringLiteral("source.exe")), path(QStringLiteral("link.exe"))));
        QVERIFY(fileops::fileExists(path(QStringLiteral("link.exe"))));
        QVERIFY(QFile::link(path(QStringLiteral("gone.exe")), path(QStringLiteral("broken.exe"))));
        QVERIFY(!fileops::fileExists(path(QStringLiteral("broken.exe"))));
    }

    void deleteFileRemovesTheFileOrSaysWhyNot()
    {
        QCOMPARE(failure([&] { fileops::deleteFile(path(QStringLiteral("target.exe"))); }),
                 QString());
        QVERIFY(!QFileInfo::exists(path(QStringLiteral("target.exe"))));
        QCOMPARE(failure([&] { fileops::deleteFile(path(QStringLiteral("target.exe"))); }),
                 kFileNotFound);
        QCOMPARE(failure([&] { fileops::deleteFile(path(QStringLiteral("absent/x.exe"))); }),
                 kPathNotFound);
        QCOMPARE(failure([&] { fileops::deleteFile(longPath()); }), kPathTooLong);
        QCOMPARE(failure([&] { fileops::deleteFile(path(QStringLiteral("folder"))); }),
                 kAccessDenied);
        QVERIFY(QFileInfo(path(QStringLiteral("folder"))).isDir());
        if (QFileInfo::exists(QStringLiteral("/proc/version")))
            QCOMPARE(failure([] { fileops::deleteFile(QStringLiteral("/proc/version")); }),
                     kAccessDenied);
    }

    void deleteFileRemovesALinkNotItsTarget()
    {
        QVERIFY(QFile::link(path(QStringLiteral("source.exe")), path(QStringLiteral("link.exe"))));
        fileops::deleteFile(path(QStringLiteral("link.exe")));
        QVERIFY(!QFileInfo(path(QStringLiteral("link.exe"))).isSymLink());
        QCOMPARE(contentOf(path(QStringLiteral("source.exe"))), QByteArray("new version"));
    }

    void copyFileMakesAFullCopyWithPermissionsAndWriteTime()
    {
        const QString source = path(QStringLiteral("source.exe"));
        QByteArray big(3 * 1024 * 1024 + 17, '\0');
        for (qsizetype i = 0; i < big.size(); ++i)
            big[i] = char(i * 7);
        writeFile(source, big);
        QVERIFY(QFile::setPermissions(source, QFile::permissions(source) | QFile::ExeOwner));
        QFile file(source);
        QVERIFY(file.open(QIODevice::ReadWrite));
        const QDateTime written = QDateTime::currentDateTime().addDays(-3);
        QVERIFY(file.setFileTime(written, QFileDevice::FileModificationTime));
        file.close();

        const QString target = path(QStringLiteral("folder/copy.exe"));
        fileops::copyFile(source, target, fileops::Content::Program);
        QCOMPARE(contentOf(target), big);
        QVERIFY(QFileInfo(target).isExecutable());
        QCOMPARE(QFileInfo(target).lastModified().toSecsSinceEpoch(), written.toSecsSinceEpoch());
        QCOMPARE(QDir(path(QStringLiteral("folder")))
                     .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{QStringLiteral("copy.exe")});
    }

    void copyFileFailsWithoutLeavingAnything_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("message");
        QTest::newRow("target exists") << "source.exe"
                                       << "target.exe" << kFileExists;
        QTest::newRow("target is a folder") << "source.exe"
                                            << "folder" << kFileExists;
        QTest::newRow("source missing") << "absent.exe"
                                        << "new.exe" << kFileNotFound;
        QTest::newRow("source folder missing") << "absent/x.exe"
                                               << "new.exe" << kPathNotFound;
        QTest::newRow("source is a folder") << "folder"
                                            << "new.exe" << kAccessDenied;
        QTest::newRow("target folder missing") << "source.exe"
                                               << "absent/x.exe" << kPathNotFound;
        QTest::newRow("target path too long")
            << "source.exe" << QString(300, u'y') + QStringLiteral(".exe") << kPathTooLong;
        QTest::newRow("source path too long")
            << QString(300, u'y') + QStringLiteral(".exe") << "new.exe" << kPathTooLong;
    }
    void copyFileFailsWithoutLeavingAnything()
    {
        QFETCH(QString, source);
        QFETCH(QString, target);
        QFETCH(QString, message);
        const QStringList before = entries();
        QCOMPARE(failure([&] { fileops::copyFile(path(source), path(target)); }), message);
        QCOMPARE(entries(), before);
        QCOMPARE(contentOf(path(QStringLiteral("target.exe"))), QByteArray("old version"));
    }

    void copyFileThatFailsPartWayLeavesNoTarget()
    {
        if (!QFileInfo::exists(kUnreadable))
            QSKIP("needs /proc");
        const QStringList before = entries();
        QVERIFY(!failure([&] {
                     fileops::copyFile(kUnreadable, path(QStringLiteral("new.exe")));
                 }).isEmpty());
        QCOMPARE(entries(), before);
    }

    void copyFileIntoARefusingFolderIsDenied()
    {
        if (!QFileInfo(QStringLiteral("/sys")).isDir())
            QSKIP("needs /sys, where even root cannot create files");
        QCOMPARE(failure([&] {
                     fileops::copyFile(path(QStringLiteral("source.exe")),
                                       QStringLiteral("/sys/CorvelMap.exe"));
                 }),
                 kAccessDenied);
    }

    void replaceFilePutsACompleteCopyInPlace()
    {
        const QString source = path(QStringLiteral("source.exe"));
        QVERIFY(QFile::setPermissions(source, QFile::permissions(source) | QFile::ExeOwner));
        fileops::replaceFile(source, path(QStringLiteral("target.exe")), fileops::Content::Program);
        QCOMPARE(contentOf(path(QStringLiteral("target.exe"))), QByteArray("new version"));
        QVERIFY(QFileInfo(path(QStringLiteral("target.exe"))).isExecutable());
        QCOMPARE(contentOf(source), QByteArray("new version"));
        QCOMPARE(entries(), (QStringList{QStringLiteral("folder"), QStringLiteral("source.exe"),
                                         QStringLiteral("target.exe")}));
    }

    void replaceFileCreatesAMissingTarget()
    {
        fileops::replaceFile(path(QStringLiteral("source.exe")), path(QStringLiteral("new.exe")));
        QCOMPARE(contentOf(path(QStringLiteral("new.exe"))), QByteArray("new version"));
    }

    // A copy never takes the share's mode: a replacement keeps the installed file's, a new file
    // gets what the umask leaves of the default, never writable by group or others, and a program
    // is always executable by its owner.
    void copiesTakeTheInstalledModeNeverTheShares_data()
    {
        QTest::addColumn<int>("installed"); // -1: no installed file
        QTest::addColumn<int>("shared");
        QTest::addColumn<bool>("program");
        QTest::addColumn<int>("umask");
        QTest::addColumn<int>("expected");
        QTest::newRow("world-writable program") << 0755 << 0777 << true << 022 << 0755;
        QTest::newRow("program not executable on the share") << 0755 << 0644 << true << 022 << 0755;
        QTest::newRow("narrow data file") << 0640 << 0777 << false << 022 << 0640;
        QTest::newRow("group-writable installed file") << 0775 << 0755 << true << 022 << 0775;
        QTest::newRow("installed program not executable") << 0644 << 0644 << true << 022 << 0744;
        QTest::newRow("new program") << -1 << 0777 << true << 022 << 0755;
        QTest::newRow("new program, group-writable umask") << -1 << 0777 << true << 002 << 0755;
        QTest::newRow("new data file") << -1 << 0777 << false << 022 << 0644;
        QTest::newRow("new program, private umask") << -1 << 0644 << true << 077 << 0700;
    }
    void copiesTakeTheInstalledModeNeverTheShares()
    {
        QFETCH(int, installed);
        QFETCH(int, shared);
        QFETCH(bool, program);
        QFETCH(int, umask);
        QFETCH(int, expected);
        const QString source = path(QStringLiteral("source.exe"));
        const QString target = path(QStringLiteral("target.exe"));
        setMode(source, shared);
        const auto content = program ? fileops::Content::Program : fileops::Content::Data;
        const mode_t saved = ::umask(mode_t(umask));
        const QString error = failure([&] {
            if (installed < 0) {
                QFile::remove(target);
                fileops::copyFile(source, target, content);
            } else {
                setMode(target, installed);
                fileops::replaceFile(source, target, content);
            }
        });
        ::umask(saved);
        QCOMPARE(error, QString());
        QCOMPARE(contentOf(target), QByteArray("new version"));
        QCOMPARE(QString::number(modeOf(target), 8), QString::number(expected, 8));
    }

    void replacementKeepsTheInstalledOwnerAndGroup()
    {
        if (::geteuid() != 0)
            QSKIP("only root can give the installed file to another user");
        const QString target = path(QStringLiteral("target.exe"));
        QCOMPARE(::chown(QFile::encodeName(target).constData(), 65534, 65534), 0);
        setMode(target, 0750);
        fileops::replaceFile(path(QStringLiteral("source.exe")), target, fileops::Content::Program);
        struct stat status = {};
        QCOMPARE(::stat(QFile::encodeName(target).constData(), &status), 0);
        QCOMPARE(status.st_uid, uid_t(65534));
        QCOMPARE(status.st_gid, gid_t(65534));
        QCOMPARE(modeOf(target), 0750);
    }

    // A FIFO would hold the copy for good, a device would fill the disk.
    void specialFilesAreRefusedWithoutWaiting_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<bool>("replace");
        for (const char *source : {"pipe.fr3", "pipe-link.fr3", "/dev/zero", "zero-link.fr3"}) {
            QTest::addRow("copy %s", source) << source << false;
            QTest::addRow("replace with %s", source) << source << true;
        }
    }
    void specialFilesAreRefusedWithoutWaiting()
    {
        QFETCH(QString, source);
        QFETCH(bool, replace);
        const test::Fifo fifo(path(QStringLiteral("pipe.fr3")));
        QVERIFY(fifo.made());
        QVERIFY(
            QFile::link(path(QStringLiteral("pipe.fr3")), path(QStringLiteral("pipe-link.fr3"))));
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path(QStringLiteral("zero-link.fr3"))));
        const QString from = QDir(m_dir->path()).filePath(source);
        const QString target =
            path(replace ? QStringLiteral("target.exe") : QStringLiteral("new.exe"));
        const QStringList before = entries();

        const test::FileSizeLimit limit(1024 * 1024);
        QCOMPARE(failure([&] {
                     if (replace)
                         fileops::replaceFile(from, target);
                     else
                         fileops::copyFile(from, target);
                 }),
                 QDir::toNativeSeparators(from) + QStringLiteral(" is not a regular file"));
        QVERIFY(!fifo.readerWaited());
        QCOMPARE(entries(), before);
        QCOMPARE(contentOf(path(QStringLiteral("target.exe"))), QByteArray("old version"));
    }

    void copyCutShortSaysWhyAndKeepsTheTarget()
    {
        writeFile(path(QStringLiteral("source.exe")), QByteArray(3 * 1024 * 1024, 's'));
        const QStringList before = entries();
        {
            const test::FileSizeLimit limit(1024 * 1024);
            QCOMPARE(failure([&] {
                         fileops::replaceFile(path(QStringLiteral("source.exe")),
                                              path(QStringLiteral("target.exe")));
                     }),
                     QStringLiteral("File too large"));
        }
        QCOMPARE(contentOf(path(QStringLiteral("target.exe"))), QByteArray("old version"));
        QCOMPARE(entries(), before);
    }

    void replaceFileRefusesTheSameFile_data()
    {
        QTest::addColumn<QString>("target");
        QTest::newRow("same path") << "source.exe";
        QTest::newRow("other spelling") << "folder/../source.exe";
        QTest::newRow("symbolic link") << "symlink.exe";
        QTest::newRow("hard link") << "hardlink.exe";
    }
    void replaceFileRefusesTheSameFile()
    {
        QFETCH(QString, target);
        const QString source = path(QStringLiteral("source.exe"));
        QVERIFY(QFile::link(source, path(QStringLiteral("symlink.exe"))));
#ifdef Q_OS_WIN
        QVERIFY(CreateHardLinkW(
            reinterpret_cast<LPCWSTR>(
                QDir::toNativeSeparators(path(QStringLiteral("hardlink.exe"))).utf16()),
            reinterpret_cast<LPCWSTR>(QDir::toNativeSeparators(source).utf16()), nullptr));
#else
        QCOMPARE(::link(QFile::encodeName(source).constData(),
                        QFile::encodeName(path(QStringLiteral("hardlink.exe"))).constData()),
                 0);
#endif
        const QStringList before = entries();
        QCOMPARE(failure([&] { fileops::replaceFile(source, path(target)); }), kSameFile);
        QCOMPARE(contentOf(source), QByteArray("new version"));
        QCOMPARE(entries(), before);
    }

    void replaceFileFailureLeavesTheOldTargetWhole_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("message");
        QTest::newRow("source missing") << "absent.exe" << kFileNotFound;
        QTest::newRow("source folder missing") << "absent/x.exe" << kPathNotFound;
        QTest::newRow("source is a folder") << "folder" << kAccessDenied;
        QTest::newRow("source path too long") << QString(300, u'y') << kPathTooLong;
        if (QFileInfo::exists(kUnreadable))
            QTest::newRow("source fails part-way") << kUnreadable << QString();
    }
    void replaceFileFailureLeavesTheOldTargetWhole()
    {
        QFETCH(QString, source);
        QFETCH(QString, message);
        const QStringList before = entries();
        const QString error = failure([&] {
            fileops::replaceFile(QDir(m_dir->path()).filePath(source),
                                 path(QStringLiteral("target.exe")));
        });
        QVERIFY(!error.isEmpty());
        if (!message.isEmpty())
            QCOMPARE(error, message);
        QCOMPARE(contentOf(path(QStringLiteral("target.exe"))), QByteArray("old version"));
        QCOMPARE(entries(), before);
    }

    void replaceFileRefusesBadTargets()
    {
        const QString source = path(QStringLiteral("source.exe"));
        QCOMPARE(failure([&] { fileops::replaceFile(source, path(QStringLiteral("folder"))); }),
                 kAccessDenied);
        QCOMPARE(failure([&] { fileops::replaceFile(source, path(QStringLiteral("no/x.exe"))); }),
                 kPathNotFound);
        QCOMPARE(failure([&] { fileops::replaceFile(source, longPath()); }), kPathTooLong);
        QVERIFY(QFileInfo(path(QStringLiteral("folder"))).isDir());
    }

    void listFilesMatchesTopLevelFilesIgnoringCase()
    {
        const QString reports = path(QStringLiteral("folder/"));
        for (const char *name : {"a.fr3", "b.FR3", "notes.txt", "c.fr3.bak", "[x].fr3", ".h.fr3"})
            writeFile(reports + QLatin1String(name), "report");
        const test::Fifo fifo(reports + QStringLiteral("e.fr3"));
        QVERIFY(QFile::link(reports + QStringLiteral("gone"), reports + QStringLiteral("f.fr3")));
        QVERIFY(QDir(reports).mkpath(QStringLiteral("sub.fr3")));
        writeFile(reports + QStringLiteral("sub.fr3/d.fr3"), "nested");

        const auto names = [&](const QString &pattern) {
            QStringList found;
            for (const QString &file : fileops::listFiles(reports, pattern)) {
                // Full paths.
                if (QFileInfo(file).absolutePath() != QDir(reports).absolutePath())
                    return QStringList{QStringLiteral("not a full path: ") + file};
                found << QFileInfo(file).fileName();
            }
            return found;
        };
        QCOMPARE(names(QStringLiteral("*.fr3")),
                 (QStringList{".h.fr3", "[x].fr3", "a.fr3", "b.FR3", "e.fr3"}));
        QCOMPARE(names(QStringLiteral("?.fr3")), (QStringList{"a.fr3", "b.FR3", "e.fr3"}));
        QCOMPARE(names(QStringLiteral("[x].fr3")), QStringList{"[x].fr3"});
        QCOMPARE(names(QStringLiteral("NOTES.TXT")), QStringList{"notes.txt"});
        QCOMPARE(names(QStringLiteral("*.*")).size(), 7);
        QCOMPARE(names(QStringLiteral("*.doc")), QStringList{});
    }

    void listFilesRefusesBadPatternsAndMissingFolders_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing folder") << "absent"
                                        << "*.fr3" << kPathNotFound;
        QTest::newRow("a file, not a folder") << "source.exe"
                                              << "*" << kPathNotFound;
        for (const char *pattern : {"a\\*", "a/*", "c:*", "\"*\"", "<*", ">*", "a|b"})
            QTest::addRow("pattern %s", pattern) << "folder" << pattern << kBadName;
    }
    void listFilesRefusesBadPatternsAndMissingFolders()
    {
        QFETCH(QString, folder);
        QFETCH(QString, pattern);
        QFETCH(QString, message);
        QCOMPARE(failure([&] { fileops::listFiles(path(folder), pattern); }), message);
    }
};

CORVEL_TEST(TestFileOperations)

#include "FileOperationsTest.moc"
