#include "TestRegistry.h"

#include "platform/DesktopShell.h"

#include <QDesktopServices>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

using corvel::DesktopShell;

// Web addresses go to the desktop's browser, never to the program starter.
class DesktopShellAddressTest : public QObject
{
    Q_OBJECT

public slots:
    void record(const QUrl &url) { m_opened << url.toString(); }

private slots:
    void initTestCase()
    {
        for (const QString &scheme : {QStringLiteral("http"), QStringLiteral("https")})
            QDesktopServices::setUrlHandler(scheme, this, "record");
    }
    void cleanupTestCase()
    {
        for (const QString &scheme : {QStringLiteral("http"), QStringLiteral("https")})
            QDesktopServices::unsetUrlHandler(scheme);
    }

    void webAddressesOpenInTheBrowser_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("opened");
        QTest::newRow("no scheme") << "www.example.com/portal"
                                   << "http://www.example.com/portal";
        QTest::newRow("scheme") << "https://portal.example/x?a=%22b%22"
                                << "https://portal.example/x?a=%22b%22";
    }
    void webAddressesOpenInTheBrowser()
    {
        QFETCH(QString, address);
        QFETCH(QString, opened);
        m_opened.clear();
        QTemporaryDir launcherFolder;
        DesktopShell(launcherFolder.path()).open(address, QString(), false);
        QCOMPARE(m_opened, QStringList{opened});
    }

private:
    QStringList m_opened;
};

CORVEL_TEST(DesktopShellAddressTest)
#include "DesktopShellAddressTest_posix.moc"
