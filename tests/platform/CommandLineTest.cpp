#include "TestRegistry.h"

#include "platform/CommandLine.h"

#include <QTest>

using namespace corvel;

class TestCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void splitsLikeTheWindowsRuntime_data()
    {
        QTest::addColumn<QString>("parameters");
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("user and password") << "admin secret" << QStringList{"admin", "secret"};
        QTest::newRow("empty password") << "admin " << QStringList{"admin"};
        QTest::newRow("empty user") << " pw" << QStringList{"pw"};
        QTest::newRow("nothing") << "" << QStringList{};
        QTest::newRow("blanks only") << "  \t " << QStringList{};
        QTest::newRow("three") << "a b c" << QStringList{"a", "b", "c"};
        QTest::newRow("runs of blanks and tabs") << "a  \t b" << QStringList{"a", "b"};
        QTest::newRow("quoted blanks")
            << "\"John Smith\" \"pa ss\"" << QStringList{"John Smith", "pa ss"};
        QTest::newRow("quotes inside a word") << "ab\"c d\"e" << QStringList{"abc de"};
        QTest::newRow("empty quotes") << "\"\" x" << QStringList{"", "x"};
        QTest::newRow("unclosed quote") << "\"a b" << QStringList{"a b"};
        QTest::newRow("doubled quote inside quotes") << "\"a\"\"b\" c" << QStringList{"a\"b", "c"};
        QTest::newRow("backslashes not before a quote")
            << "C:\\a\\b\\ x" << QStringList{"C:\\a\\b\\", "x"};
        QTest::newRow("2n backslashes then a quote") << "a\\\\\"b c\"" << QStringList{"a\\b c"};
        QTest::newRow("2n+1 backslashes then a quote")
            << "a\\\\\\\"b c" << QStringList{"a\\\"b", "c"};
        QTest::newRow("escaped quote") << "\\\"x\\\"" << QStringList{"\"x\""};
        QTest::newRow("trailing backslash in quotes")
            << "\"C:\\dir\\\\\" next" << QStringList{"C:\\dir\\", "next"};
        QTest::newRow("reinstaller paths")
            << "\"/w s/CorvelLauncher.exe\" \"/d/CorvelLauncher.exe\""
            << QStringList{"/w s/CorvelLauncher.exe", "/d/CorvelLauncher.exe"};
    }
    void splitsLikeTheWindowsRuntime()
    {
        QFETCH(QString, parameters);
        QFETCH(QStringList, arguments);
        QCOMPARE(commandline::splitWindowsArguments(parameters), arguments);
    }
};

CORVEL_TEST(TestCommandLine)

#include "CommandLineTest.moc"
