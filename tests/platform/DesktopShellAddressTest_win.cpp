#include "TestRegistry.h"

#include "platform/DesktopShell.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QTest>

#include <windows.h>

using corvel::DesktopShell;

namespace {

const QString kScheme = QStringLiteral("corvel-test-portal");
const QString kClassKey = QStringLiteral("Software\\Classes\\") + kScheme;
// Wine looks a scheme up in the classes root only, which is the machine's classes there.
const HKEY kClasses = HKEY_LOCAL_MACHINE;

LPCWSTR wide(const QString &text)
{
    return reinterpret_cast<LPCWSTR>(text.utf16());
}

bool setValue(HKEY parent, const QString &subKey, const wchar_t *name, const QString &value)
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(parent, wide(subKey), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    const LONG result =
        RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(value.utf16()),
                       DWORD((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

} // namespace

// The shell hands a web address to the program registered for its scheme: a stand-in here,
// under a scheme of the test's own, that records what it was given.
class DesktopShellAddressTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString browser() const { return m_dir.filePath(QStringLiteral("Browser.exe")); }

private slots:
    void initTestCase()
    {
        qputenv("CORVEL_STUB_NO_WINDOW", "1");
        qputenv("CORVEL_STUB_RECORD_ARGS", "1");
        QVERIFY(QFile::copy(QStringLiteral(CORVEL_BIN_DIR "/ModuleStub.exe"), browser()));
        const QString command =
            QStringLiteral("\"%1\" \"%2\"").arg(QDir::toNativeSeparators(browser()), "%1");
        QVERIFY(setValue(kClasses, kClassKey, nullptr, QStringLiteral("URL:Corvel test")));
        QVERIFY(setValue(kClasses, kClassKey, L"URL Protocol", QString()));
        QVERIFY(setValue(kClasses, kClassKey + QStringLiteral("\\shell\\open\\command"), nullptr,
                         command));
    }
    void cleanupTestCase()
    {
        RegDeleteTreeW(kClasses, wide(kClassKey));
        qunsetenv("CORVEL_STUB_NO_WINDOW");
        qunsetenv("CORVEL_STUB_RECORD_ARGS");
    }

    void webAddressReachesTheShellAsItIs()
    {
        const QString address =
            kScheme + QStringLiteral(":www.example.com/Soci\u00e9t\u00e9/{portal}?a=%22b%22");
        DesktopShell(m_dir.path()).open(address, QString(), false);
        QFile record(m_dir.filePath(QStringLiteral("Browser.args")));
        QVERIFY(QTest::qWaitFor([&] { return record.exists() && record.size() > 0; }, 20000));
        QTest::qWait(100);
        QVERIFY(record.open(QIODevice::ReadOnly));
        QCOMPARE(QJsonDocument::fromJson(record.readAll()).array(), QJsonArray{address});
    }
};

CORVEL_TEST(DesktopShellAddressTest)
#include "DesktopShellAddressTest_win.moc"
