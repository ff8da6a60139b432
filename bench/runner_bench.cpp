// Runner benchmark: a 200-line script at interval 0 against the fake platform (requests
// complete as soon as events run), timed over 21 runs. Each run pays the preparation,
// 200 lines (prefix, highlight, statement) and the end-of-run block. Goal for charpos
// lines: a median of at most 20 ms. Speak lines add a queued request per line, with the
// other character waiting for it and the sequential wait for its completion.

#include "engine/pellwick_mod.h"
#include "engine/run_script.h"
#include "tests/fakes/fake_agent.h"
#include "tests/fakes/recording_run_host.h"
#include "tests/fakes/run_events.h"
#include "tests/fakes/slot_setup.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int runs = 21;
constexpr int lines = 200;

bool bench(const char* what, const QString& line_pattern)
{
    QString script;
    for (int i = 0; i < lines; ++i)
        script += line_pattern.arg(10 + i % 50).arg(20 + i % 30) + QStringLiteral("\r\n");
    script.chop(2);

    std::vector<double> ms;
    for (int r = 0; r < runs; ++r) {
        pw::fakes::FakeAgent agent;
        pw::engine::pellwick_mod mod(agent);
        pw::fakes::RecordingRunHost host(mod);
        pw::fakes::connect_run_events(agent, mod);
        mod.set_start_defaults();
        pw::fakes::load_into_slot(mod, agent, 0, QStringLiteral("pellwick"), true);
        pw::fakes::load_into_slot(mod, agent, 1, QStringLiteral("tansy"), true);
        mod.char_count = 2;
        mod.interval_seconds = 0.0f;
        mod.current_char = QStringLiteral("Pellwick");
        host.text = script;

        QElapsedTimer t;
        t.start();
        pw::engine::run_script(mod, host, script);
        ms.push_back(double(t.nsecsElapsed()) / 1e6);
        if (!host.messages.isEmpty() || host.highlights.size() != lines) {
            std::fprintf(stderr, "the %s script did not run as expected\n", what);
            return false;
        }
    }
    std::sort(ms.begin(), ms.end());
    std::printf("bench_runner: %d %s lines at interval 0, %d runs: median %.2f ms, min %.2f ms, max %.2f ms\n",
                lines, what, runs, ms[ms.size() / 2], ms.front(), ms.back());
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const bool ok = bench("charpos", QStringLiteral("pellwick> charpos %1,%2"))
        && bench("speak", QStringLiteral("pellwick> speak %1 and %2"));
    return ok ? 0 : 1;
}
