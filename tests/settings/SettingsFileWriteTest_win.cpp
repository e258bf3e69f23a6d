// Saves of Workers.ini against what Windows does in the field but seldom on a test machine.
#include "HelperProcess.h"
#include "TestFiles.h"
#include "TestRegistry.h"

#include "settings/SettingsFileWrite_win.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace corvel;
using namespace corvel::test;

namespace {

const QByteArray kOld = "[ChoosenStyle]\r\nStyle=Lavender Classico\r\n";
const QByteArray kNew = "[ChoosenStyle]\r\nStyle=Windows\r\n";

// ReplaceFileW failing as its documentation says it may, after the old file has moved.
BOOL WINAPI failLosingTheOld(LPCWSTR replaced, LPCWSTR, LPCWSTR, DWORD, LPVOID, LPVOID)
{
    DeleteFileW(replaced);
    SetLastError(ERROR_UNABLE_TO_MOVE_REPLACEMENT);
    return FALSE;
}
BOOL WINAPI failKeepingTheNames(LPCWSTR, LPCWSTR, LPCWSTR, DWORD, LPVOID, LPVOID)
{
    SetLastError(ERROR_UNABLE_TO_MOVE_REPLACEMENT);
    return FALSE;
}
BOOL WINAPI failAfterTheBackup(LPCWSTR replaced, LPCWSTR, LPCWSTR backup, DWORD, LPVOID, LPVOID)
{
    MoveFileExW(replaced, backup, 0);
    SetLastError(ERROR_UNABLE_TO_MOVE_REPLACEMENT_2);
    return FALSE;
}

// A full disk after the first bytes.
BOOL WINAPI writeUntilTheDiskIsFull(HANDLE file, LPCVOID data, DWORD size, LPDWORD written,
                                    LPOVERLAPPED)
{
    WriteFile(file, data, std::min<DWORD>(size, 8), written, nullptr);
    SetLastError(ERROR_DISK_FULL);
    return FALSE;
}

} // namespace

class SettingsFileWriteWinTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;

    QStringList filesBeside() const
    {
        return QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden | QDir::System);
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_path = m_dir->filePath(QStringLiteral("Workers.ini"));
        writeFile(m_path, kOld);
    }

    // Errors 1176 and 1177 come after Windows has moved Workers.ini away: the save still ends
    // with the file, here the new one, and nothing else beside it.
    void failedReplaceNeverEndsWithoutTheFile_data()
    {
        QTest::addColumn<void *>("replace");
        QTest::newRow("1176, old file gone") << reinterpret_cast<void *>(&failLosingTheOld);
        QTest::newRow("1176, names kept") << reinterpret_cast<void *>(&failKeepingTheNames);
        QTest::newRow("1177, old file under the backup name")
            << reinterpret_cast<void *>(&failAfterTheBackup);
    }
    void failedReplaceNeverEndsWithoutTheFile()
    {
        QFETCH(void *, replace);
        settingsfile::WindowsFileCalls calls;
        calls.replace = reinterpret_cast<decltype(&::ReplaceFileW)>(replace);

        QVERIFY(settingsfile::replaceContents(m_path, kNew, calls));

        QCOMPARE(contentOf(m_path), kNew);
        QCOMPARE(filesBeside(), QStringList{QStringLiteral("Workers.ini")});
    }

    void failedWriteLeavesNoTemporaryFile()
    {
        settingsfile::WindowsFileCalls calls;
        calls.write = &writeUntilTheDiskIsFull;

        QVERIFY(!settingsfile::replaceContents(m_path, kNew, calls));

        QCOMPARE(contentOf(m_path), kOld);
        QCOMPARE(filesBeside(), QStringList{QStringLiteral("Workers.ini")});
    }

    void fileHeldForAMomentIsSavedOnceFree()
    {
        const std::unique_ptr<QProcess> scanner = startHelperAndWait(
            {QStringLiteral("hold"), QDir::toNativeSeparators(m_path), QStringLiteral("500")});

        QVERIFY(settingsfile::replaceContents(m_path, kNew, settingsfile::WindowsFileCalls()));

        QCOMPARE(contentOf(m_path), kNew);
        QCOMPARE(filesBeside(), QStringList{QStringLiteral("Workers.ini")});
        QVERIFY(hasReleased(*scanner));
        QVERIFY(scanner->waitForFinished(30000));
    }
};

CORVEL_TEST(SettingsFileWriteWinTest)
#include "SettingsFileWriteTest_win.moc"
