#include "TestRegistry.h"

#include <QApplication>
#include <QTest>

namespace corvel::test {

std::vector<TestFactory> &registeredTests()
{
    static std::vector<TestFactory> tests;
    return tests;
}

} // namespace corvel::test

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    int failed = 0;
    for (const corvel::test::TestFactory &factory : corvel::test::registeredTests()) {
        const std::unique_ptr<QObject> test = factory();
        failed += QTest::qExec(test.get(), argc, argv) != 0 ? 1 : 0;
    }
    return failed == 0 ? 0 : 1;
}
