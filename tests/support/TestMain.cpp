#include "TestRegistry.h"

#include <QApplication>
#include <QFile>
#include <QTest>
#include <cstdio>

namespace corvel::test {

std::vector<TestFactory> &registeredTests()
{
    static std::vector<TestFactory> tests;
    return tests;
}

} // namespace corvel::test

namespace {

// Runs one test class. On Windows its log goes to "<class>.log" in the working folder and is then
// copied to stdout: without a console window the test library sends its output to the debugger
// instead, and under Wine CTest would show no results. The file stays, so the log of a test that
// hangs or crashes can still be read.
int runTestClass(QObject *test, const QStringList &arguments)
{
#ifdef Q_OS_WIN
    if (!arguments.contains(QStringLiteral("-o"))) {
        const QString log = QString::fromLatin1(test->metaObject()->className()) + ".log";
        const int result =
            QTest::qExec(test, arguments + QStringList{QStringLiteral("-o"), log + ",txt"});
        QFile file(log);
        if (file.open(QIODevice::ReadOnly)) {
            const QByteArray text = file.readAll();
            std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
            std::fflush(stdout);
        }
        return result;
    }
#endif
    return QTest::qExec(test, arguments);
}

} // namespace

int main(int argc, char *argv[])
{
    // Tests never need a screen. Wine does not hand QT_QPA_PLATFORM on to Windows programs, so
    // the tests say it themselves.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // "--screen=<file>" puts the tests on the offscreen screens the JSON file describes. The
    // platform's arguments end at a colon, so the path holds none (no drive letter).
    const QByteArray screenOption = "--screen=";
    if (argc > 1 && QByteArray(argv[1]).startsWith(screenOption)) {
        qputenv("QT_QPA_PLATFORM",
                "offscreen:configfile=" + QByteArray(argv[1]).mid(screenOption.size()));
    }
    QApplication app(argc, argv);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeIf(
        [&](const QString &argument) { return argument.startsWith(QLatin1String(screenOption)); });
    int failed = 0;
    for (const corvel::test::TestFactory &factory : corvel::test::registeredTests()) {
        const std::unique_ptr<QObject> test = factory();
        failed += runTestClass(test.get(), arguments) != 0 ? 1 : 0;
    }
    return failed == 0 ? 0 : 1;
}
