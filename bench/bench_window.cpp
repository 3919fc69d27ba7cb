// The real editor window: what it costs at rest, how soon a change reaches the screen, and how
// soon a click is answered while a slow scene is drawn. Needs an X display.

#include "benchstats.h"
#include "datasource.h"
#include "recordtable.h"
#include "sceneschema.h"
#include "spinbutton.h"
#include "tform1.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <ctime>
#include <memory>
#include <random>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double seconds(Clock::duration duration)
{
    return std::chrono::duration<double>(duration).count();
}

double processCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

// Runs the event loop as the program does, with no polling of our own.
void runEventLoopFor(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

// How the spheres of a scene are turned: about z, which the frame clock leaves as it is, or
// about axes it tips on every tick, so that every tick draws.
enum class Spheres { Still, Turning };

// `count` records cycling through sphere, capsule, cube and plane, of assorted sizes, places,
// turns and colours inside the view.
void fillScene(RecordTable& table, int count, Spheres spheres)
{
    std::mt19937 random(42);
    auto next = [&random](double low, double high) {
        return std::uniform_real_distribution<double>(low, high)(random);
    };
    for (int i = 0; i < count; ++i) {
        const int kind = i % 4;
        const bool still = kind == ElementKind::Esfera && spheres == Spheres::Still;
        table.insert();
        table.setValue(SceneField::ODETipo, qint32(kind));
        table.setValue(SceneField::X, next(-8, 8));
        table.setValue(SceneField::Y, next(-8, 8));
        table.setValue(SceneField::Z, next(-4, 4));
        table.setValue(SceneField::SX, kind == ElementKind::Plano ? next(2, 4) : 1.0);
        table.setValue(SceneField::SY, kind == ElementKind::Plano ? next(2, 4) : 1.0);
        table.setValue(SceneField::SZ, 1.0);
        table.setValue(SceneField::Ang, next(1, 90));
        table.setValue(SceneField::EixoX, still ? 0.0 : next(0.1, 1));
        table.setValue(SceneField::EixoY, still ? 0.0 : next(0.1, 1));
        table.setValue(SceneField::EixoZ, 1.0);
        table.setValue(SceneField::Dim1,
                       kind == ElementKind::Plano ? next(-0.3, 0.3) : next(0.3, 1.2));
        table.setValue(SceneField::Dim2,
                       kind == ElementKind::Plano ? next(-0.3, 0.3) : next(0.5, 2));
        table.setValue(SceneField::Dim3, kind == ElementKind::Plano ? 1.0 : next(0.5, 1.5));
        table.setValue(SceneField::Dim4, next(-3, 3));
        table.setValue(SceneField::R, next(0, 256));
        table.setValue(SceneField::G, next(0, 256));
        table.setValue(SceneField::B, next(0, 256));
        table.setValue(SceneField::A, 0.0);
        table.setValue(SceneField::UsaCor, i % 3 == 0);
        table.post();
    }
}

// The editor window at its described size, shown, with its timer running and a scene of
// `count` records drawn once.
struct Editor
{
    QTemporaryDir folder;
    std::unique_ptr<TForm1> form;

    Editor(int count, Spheres spheres) : form(std::make_unique<TForm1>(folder.path()))
    {
        fillScene(*form->ClientDataSet1, count, spheres);
        form->show();
        runEventLoopFor(1500); // mapped, first frames drawn, caches warm
    }
};

// A click of the left button on `button`, as the display server would deliver it. Safe from
// any thread.
void postClick(QWidget* button)
{
    const QPointF middle(button->width() / 2.0, button->height() / 2.0);
    QCoreApplication::postEvent(button,
                                new QMouseEvent(QEvent::MouseButtonPress, middle, middle,
                                                Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
    QCoreApplication::postEvent(button,
                                new QMouseEvent(QEvent::MouseButtonRelease, middle, middle,
                                                Qt::LeftButton, Qt::NoButton, Qt::NoModifier));
}

// Every benchmark here times one run itself (manual time) and is repeated five times; the
// median, min and max of the repetitions are reported.
void oneRunRepeatedFiveTimes(benchmark::internal::Benchmark* bench)
{
    bench->UseManualTime()->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true);
    withLeastAndMost(bench);
}

// The share of one core the whole process (llvmpipe's threads included) uses over 10 s of rest.
void CpuAtRest(benchmark::State& state)
{
    Editor editor(int(state.range(0)), state.range(1) ? Spheres::Turning : Spheres::Still);
    for (auto _ : state) {
        const double cpuBefore = processCpuSeconds();
        const Clock::time_point start = Clock::now();
        runEventLoopFor(10000);
        const double wall = seconds(Clock::now() - start);
        state.SetIterationTime(wall);
        state.counters["core_percent"] = 100 * (processCpuSeconds() - cpuBefore) / wall;
    }
}

// From a change to the swap of the frame that shows it, over 20 changes made at random moments
// of the timer's period; the mean is the time reported.
void ChangeToFrame(benchmark::State& state, bool gridEdit)
{
    Editor editor(100, Spheres::Still);
    TForm1& w = *editor.form;
    std::mt19937 random(7);
    bool changed = false, drawnSince = false;
    auto draw = w.OGLPanel1->OnOGLPaint;
    w.OGLPanel1->OnOGLPaint = [&] {
        drawnSince = drawnSince || changed;
        draw();
    };
    double value = 0;
    for (auto _ : state) {
        double total = 0, slowest = 0;
        for (int i = 0; i < 20; ++i) {
            runEventLoopFor(std::uniform_int_distribution<int>(0, 100)(random));
            QEventLoop loop;
            const auto swapped =
                QObject::connect(w.OGLPanel1, &QOpenGLWidget::frameSwapped, &loop, [&] {
                    if (drawnSince)
                        loop.quit();
                });
            drawnSince = false;
            changed = true;
            const Clock::time_point start = Clock::now();
            if (gridEdit)
                w.DataSource1->setData(w.DataSource1->index(5, SceneField::X),
                                       QLocale().toString(value += 0.25));
            else
                postClick(w.SpinButton3->upButton());
            loop.exec();
            const double took = seconds(Clock::now() - start);
            QObject::disconnect(swapped);
            changed = false;
            total += took;
            slowest = std::max(slowest, took);
        }
        state.SetIterationTime(total / 20);
        state.counters["slowest_ms"] = 1000 * slowest;
    }
    w.OGLPanel1->OnOGLPaint = draw;
}

void ChangeToFrame_SpinButton(benchmark::State& state)
{
    ChangeToFrame(state, false);
}

void ChangeToFrame_GridEdit(benchmark::State& state)
{
    ChangeToFrame(state, true);
}

// From a click on the zoom arrow to its label's change while 1000 records whose spheres turn
// are drawn on every tick: 20 clicks posted from another thread at random moments. The mean
// is the time reported, the slowest click a counter.
void InputUnderLoad(benchmark::State& state)
{
    Editor editor(1000, Spheres::Turning);
    TForm1& w = *editor.form;
    QToolButton* arrow = w.SpinButton1->upButton();
    // The longest frame drawn meanwhile: a click that comes as a frame begins waits for all of it.
    double longestFrame = 0;
    auto draw = w.OGLPanel1->OnOGLPaint;
    w.OGLPanel1->OnOGLPaint = [&] {
        const Clock::time_point start = Clock::now();
        draw();
        longestFrame = std::max(longestFrame, seconds(Clock::now() - start));
    };
    for (auto _ : state) {
        longestFrame = 0;
        const int clicks = 20;
        std::vector<Clock::time_point> posted(clicks), answered(clicks);
        int seen = 0;
        QEventLoop loop;
        // Connected after the form's handler, so the label has changed when this runs.
        const auto handled = QObject::connect(w.SpinButton1, &SpinButton::upClick, &loop, [&] {
            answered[seen] = Clock::now();
            if (++seen == clicks)
                loop.quit();
        });
        std::thread clicker([&] {
            std::mt19937 random(11);
            for (int i = 0; i < clicks; ++i) {
                std::this_thread::sleep_for(std::chrono::milliseconds(
                    std::uniform_int_distribution<int>(150, 450)(random)));
                posted[i] = Clock::now();
                postClick(arrow);
            }
        });
        loop.exec();
        clicker.join();
        QObject::disconnect(handled);
        double total = 0, slowest = 0;
        for (int i = 0; i < clicks; ++i) {
            const double took = seconds(answered[i] - posted[i]);
            total += took;
            slowest = std::max(slowest, took);
        }
        state.SetIterationTime(total / clicks);
        state.counters["slowest_ms"] = 1000 * slowest;
        state.counters["longest_frame_ms"] = 1000 * longestFrame;
    }
    w.OGLPanel1->OnOGLPaint = draw;
}

} // namespace

BENCHMARK(CpuAtRest)
    ->Args({0, 0})
    ->Args({100, 0})
    ->Args({100, 1})
    ->ArgNames({"records", "turning"})
    ->Apply(oneRunRepeatedFiveTimes)
    ->Unit(benchmark::kSecond);
BENCHMARK(ChangeToFrame_SpinButton)->Apply(oneRunRepeatedFiveTimes)->Unit(benchmark::kMillisecond);
BENCHMARK(ChangeToFrame_GridEdit)->Apply(oneRunRepeatedFiveTimes)->Unit(benchmark::kMillisecond);
BENCHMARK(InputUnderLoad)->Apply(oneRunRepeatedFiveTimes)->Unit(benchmark::kMillisecond);
