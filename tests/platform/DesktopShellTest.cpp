#include "TestRegistry.h"

#include "platform/DesktopShell.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QTest>

using namespace corvel;

class TestDesktopShell : public QObject
{
    Q_OBJECT

private:
    // Starts the module stub, installed under `name` in a fresh launcher folder, through the
    // shell by its bare name and returns the arguments it recorded.
    static QStringList argumentsOfStart(const QString &name, const QString &parameters)
    {
        QTemporaryDir launcherFolder;
        if (!launcherFolder.isValid() ||
            !QFile::copy(QStringLiteral(CORVEL_BIN_DIR "/ModuleStub.exe"),
                         launcherFolder.filePath(name)))
            return {QStringLiteral("<no launcher folder>")};
        const QString record =
            launcherFolder.filePath(QFileInfo(name).completeBaseName() + QStringLiteral(".args"));
        DesktopShell(launcherFolder.path()).open(name, parameters, true);
        QFile file(record);
        if (!QTest::qWaitFor([&] { return file.exists() && file.size() > 0; }, 20000))
            return {QStringLiteral("<not started>")};
        QTest::qWait(100);
        if (!file.open(QIODevice::ReadOnly))
            return {QStringLiteral("<unreadable>")};
        QStringList arguments;
        for (const QJsonValue &value : QJsonDocument::fromJson(file.readAll()).array())
            arguments << value.toString();
        return arguments;
    }

private slots:
    void initTestCase()
    {
        qputenv("CORVEL_STUB_NO_WINDOW", "1");
        qputenv("CORVEL_STUB_RECORD_ARGS", "1");
    }
    void cleanupTestCase()
    {
        qunsetenv("CORVEL_STUB_NO_WINDOW");
        qunsetenv("CORVEL_STUB_RECORD_ARGS");
    }

    void startsABareNameFromTheLauncherFolderWithSplitArguments_data()
    {
        QTest::addColumn<QString>("parameters");
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("user and password") << "admin secret" << QStringList{"admin", "secret"};
        QTest::newRow("quoted paths")
            << "\"/a b/CorvelLauncher.exe\" \"/dist/CorvelLauncher.exe\""
            << QStringList{"/a b/CorvelLauncher.exe", "/dist/CorvelLauncher.exe"};
    }
    void startsABareNameFromTheLauncherFolderWithSplitArguments()
    {
        QFETCH(QString, parameters);
        QFETCH(QStringList, arguments);
        QCOMPARE(argumentsOfStart(QStringLiteral("CorvelMap.exe"), parameters), arguments);
    }

    void missingProgramIsIgnored()
    {
        QTemporaryDir launcherFolder;
        DesktopShell(launcherFolder.path()).open(QStringLiteral("Absent.exe"), QString(), true);
        QVERIFY(QDir(launcherFolder.path()).isEmpty());
    }
};

CORVEL_TEST(TestDesktopShell)

#include "DesktopShellTest.moc"
