#pragma once
// Several Qt Test classes share one test program: every program links Qt and our
// libraries, so a few programs build far quicker than one per class. ctest runs one
// class at a time by naming it first on the command line.

#include <QObject>

#include <memory>

namespace pw::test {

using TestClassFactory = std::unique_ptr<QObject> (*)();
bool register_test_class(const char* name, TestClassFactory make);

}  // namespace pw::test

#define PW_TEST_CLASS(Class)                                                        \
    static const bool pw_registered_##Class = ::pw::test::register_test_class(     \
        #Class, [] { return std::unique_ptr<QObject>(new Class); })
