// The engine's small pieces, one program: the script reader, the waits' texts, clock
// times and bump test, the run state's lookups and routines.

#include <QCoreApplication>

int run_script_text_tests(int argc, char** argv);
int run_wait_pieces_tests(int argc, char** argv);
int run_pellwick_mod_tests(int argc, char** argv);

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    int failed = run_script_text_tests(argc, argv);
    failed += run_wait_pieces_tests(argc, argv);
    failed += run_pellwick_mod_tests(argc, argv);
    return failed == 0 ? 0 : 1;
}
