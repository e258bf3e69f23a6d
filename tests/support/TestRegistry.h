#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <vector>

namespace corvel::test {

using TestFactory = std::function<std::unique_ptr<QObject>()>;

// Test classes register themselves so one tst_<folder> executable runs every class of its folder.
std::vector<TestFactory> &registeredTests();

struct TestRegistration
{
    explicit TestRegistration(TestFactory factory)
    {
        registeredTests().push_back(std::move(factory));
    }
};

} // namespace corvel::test

// Put once in a test's .cpp, after the class: CORVEL_TEST(TestClassName)
#define CORVEL_TEST(Class)                                                                         \
    static const corvel::test::TestRegistration corvelTestRegistration##Class(                     \
        [] { return std::unique_ptr<QObject>(new Class); });
