// Click to selection in the real window with the 1000-record scene of the frame benchmark: a
// press and a release sent through the application to the view, alternating between two records,
// until the panel has loaded the record and the grid's row has followed. The frame that shows
// the mark comes later, from the event loop, and is not counted.

#include "benchstats.h"
#include "benchscene.h"
#include "recordtable.h"
#include "tform1.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <memory>
#include <vector>

namespace {

void clickView(TForm1& form, QPoint pixel)
{
    QWidget* view = form.OGLPanel1;
    const QPointF at(pixel);
    const QPointF global = view->mapToGlobal(at);
    QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(view, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(view, &release);
}

struct Window
{
    QTemporaryDir dir;
    std::unique_ptr<TForm1> form;
    QPoint pixels[2];
    int records[2] = {0, 0};
    bool ready = false;

    Window()
    {
        form = std::make_unique<TForm1>(dir.path());
        form->Timer1->stop(); // no ticks: only the clicks' own work is measured
        form->show();
        QDeadlineTimer deadline(10000);
        while (!form->OGLPanel1->isActive() && !deadline.hasExpired())
            QApplication::processEvents(QEventLoop::AllEvents, 50);
        fillBenchScene(*form->ClientDataSet1, 1000);
        QApplication::processEvents(); // the first frame of the scene
        ready = form->OGLPanel1->isActive() && findTwoRecords();
    }

    // Two pixels near the centre over different records.
    bool findTwoRecords()
    {
        const int size = form->OGLPanel1->height();
        for (int x = size / 2, found = 0; x < size && found < 2; x += 5) {
            const int before = form->currentRecordNumber();
            clickView(*form, {x, size / 2});
            if (form->currentRecordNumber() != before || (found == 0 && before != 0)) {
                pixels[found] = {x, size / 2};
                records[found++] = form->currentRecordNumber();
            }
            if (found == 2 && records[0] == records[1])
                found = 1;
        }
        return records[0] != records[1] && records[0] > 0 && records[1] > 0;
    }
};

void ClickToSelection(benchmark::State& state)
{
    Window window;
    if (!window.ready) {
        state.SkipWithError("no view, or no two records to click");
        return;
    }
    int next = 0;
    for (auto _ : state) {
        clickView(*window.form, window.pixels[next]);
        if (window.form->currentRecordNumber() != window.records[next]) {
            state.SkipWithError("the click did not select the record under it");
            break;
        }
        next = 1 - next;
    }
}


} // namespace

BENCHMARK(ClickToSelection)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->Apply(withLeastAndMost);
