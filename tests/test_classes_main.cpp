// The main of a test program with several test classes: `program Class [qtest options]`.
// PW_TEST_APP is 0 for no application object, 1 for QCoreApplication, 2 for
// QGuiApplication and 3 for QApplication, as the QTEST_*MAIN macros choose.

#include "tests/test_classes.h"

#include <QByteArray>
#include <QTest>
#if PW_TEST_APP == 3
#include <QApplication>
#elif PW_TEST_APP == 2
#include <QGuiApplication>
#endif

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace pw::test {
namespace {

std::map<std::string, TestClassFactory>& classes()
{
    static std::map<std::string, TestClassFactory> all;
    return all;
}

}  // namespace

bool register_test_class(const char* name, TestClassFactory make)
{
    classes()[name] = make;
    return true;
}

}  // namespace pw::test

int main(int argc, char** argv)
{
    using namespace pw::test;
    const std::string name = argc > 1 ? argv[1] : "";
    // Qt Test reads its own options after the class name; argv[0] stays the program.
    std::vector<char*> args{argv[0]};
    for (int i = 2; i < argc; ++i) args.push_back(argv[i]);
    int count = int(args.size());
#if PW_TEST_APP == 3
    QApplication app(count, args.data());
    app.setAttribute(Qt::AA_Use96Dpi, true);
#elif PW_TEST_APP == 2
    QGuiApplication app(count, args.data());
    app.setAttribute(Qt::AA_Use96Dpi, true);
#elif PW_TEST_APP == 1
    QCoreApplication app(count, args.data());
#endif
    const auto found = classes().find(name);
    if (found == classes().end()) {
        std::fprintf(stderr, "usage: %s CLASS [Qt Test options]; the classes:\n", argv[0]);
        for (const auto& c : classes()) std::fprintf(stderr, "  %s\n", c.first.c_str());
        return 2;
    }
    const std::unique_ptr<QObject> test = found->second();
    return QTest::qExec(test.get(), count, args.data());
}
