// Timing of the live preview at 1280 x 800: from a change of a field to both pages redrawn on
// the screen, and how late keystrokes are handled while the preview follows a fast typist.
// The preview's own path is measured (the field, the writer, the drawing thread, the paint);
// the window runs on the offscreen platform.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "pdf/cover_document.h"
#include "preview/live_preview.h"
#include "preview/preview_snapshot.h"
#include "preview/preview_window.h"

namespace {

using namespace sleevemaster;

// A stand-in for the main window: one title field that the preview follows.
struct Bench {
  Bench() {
    auto* layout = new QVBoxLayout(&main);
    title = new QLineEdit(&main);
    layout->addWidget(title);
    preview = std::make_unique<LivePreview>(
        main, place,
        [this] {
          CoverDocument document;
          document.MainTitle = title->text().toStdString();
          document.SubTitle = "Songs for the long way home";
          document.BottomRightCornerMode = CornerMode::Date;
          document.BackCoverText = "1. Overture\n2. Interlude\n3. Finale\n";
          return BuildPreviewSnapshot(document, {}, {}, PrintCalibration{},
                                      LocalTime{2026, 12, 8, 13, 0, 0});
        },
        [](const QString&) {},
        [](const PreviewViewHooks& hooks, QString&) -> std::unique_ptr<PreviewView> {
          return std::make_unique<PreviewWindow>(hooks);
        });
    preview->Follow(&main);
    place.Stored = true;
    place.Width = 1280;
    place.Height = 800;
    main.show();
    preview->SetShown(true);
    view = static_cast<PreviewWindow*>(preview->View());
    if (!QTest::qWaitFor([this] { return view->FinishedDrawings() > 0; }, 5000))
      qFatal("the preview drew nothing");
  }

  QWidget main;
  QLineEdit* title = nullptr;
  PreviewWindowSettings place;
  std::unique_ptr<LivePreview> preview;
  PreviewWindow* view = nullptr;
};

Bench& TheBench() {
  static Bench bench;
  return bench;
}

double Percentile(std::vector<double> values, double fraction) {
  std::sort(values.begin(), values.end());
  return values[static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1))];
}

// One change of the title, to both pages drawn and painted.
void BM_ChangeToRedraw(benchmark::State& state) {
  Bench& bench = TheBench();
  std::vector<double> times;
  std::vector<double> paints;
  int round = 0;
  for (auto _ : state) {
    const int before = bench.view->FinishedDrawings();
    QElapsedTimer clock;
    clock.start();
    bench.title->setText(QStringLiteral("Road Trip %1").arg(++round % 1000));
    while (bench.view->FinishedDrawings() == before)
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    QElapsedTimer painting;
    painting.start();
    bench.view->repaint();
    paints.push_back(static_cast<double>(painting.nsecsElapsed()) / 1e6);
    const double ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    state.SetIterationTime(ms / 1000);
    times.push_back(ms);
  }
  state.counters["median_ms"] = Percentile(times, 0.5);
  state.counters["p95_ms"] = Percentile(times, 0.95);
  state.counters["max_ms"] = Percentile(times, 1.0);
  state.counters["paint_max_ms"] = Percentile(paints, 1.0);
  state.counters["page_px"] = bench.view->PageImage(0).width();
}
BENCHMARK(BM_ChangeToRedraw)->UseManualTime()->Iterations(200)->Unit(benchmark::kMillisecond);

// What the window's thread does for each change before the drawing thread takes over: the
// writer into memory and the snapshot around it.
void BM_SnapshotOnTheWindowThread(benchmark::State& state) {
  CoverDocument document;
  document.MainTitle = "Road Trip";
  document.SubTitle = "Songs for the long way home";
  document.BackCoverText = std::string(50 * 60, 'x');
  for (std::size_t line = 60; line < document.BackCoverText->size(); line += 61)
    (*document.BackCoverText)[line] = '\n';
  for (auto _ : state)
    benchmark::DoNotOptimize(
        BuildPreviewSnapshot(document, {}, {}, PrintCalibration{}, LocalTime{}));
}
BENCHMARK(BM_SnapshotOnTheWindowThread)->Unit(benchmark::kMicrosecond);

// A typist at 25 keystrokes a second: how late each keystroke is handled after it was due,
// with the preview following (argument 1) and hidden (argument 0). What the machine's own load
// adds shows in both; the difference is the preview's.
void BM_KeystrokeDelayWhileTyping(benchmark::State& state) {
  Bench& bench = TheBench();
  const bool shown = state.range(0) != 0;
  bench.preview->SetShown(shown);
  const int drawingsBefore = bench.view->FinishedDrawings();
  constexpr int kKeystrokes = 150;
  constexpr qint64 kIntervalMs = 40;
  std::vector<double> delays;
  for (auto _ : state) {
    bench.title->clear();
    QElapsedTimer clock;
    clock.start();
    int typed = 0;
    QTimer keys;
    keys.setTimerType(Qt::PreciseTimer);
    keys.setInterval(1);
    QObject::connect(&keys, &QTimer::timeout, &bench.main, [&] {
      const qint64 due = (typed + 1) * kIntervalMs;
      const qint64 now = clock.elapsed();
      if (now < due)
        return;
      // The keystroke itself: the field changes and the preview hears of it.
      QElapsedTimer handling;
      handling.start();
      QString text = bench.title->text();
      if (text.size() >= 20)
        text.clear();
      bench.title->setText(text + QChar(u'a' + typed % 26));
      delays.push_back(static_cast<double>(now - due) +
                       static_cast<double>(handling.nsecsElapsed()) / 1e6);
      ++typed;
    });
    keys.start();
    while (typed < kKeystrokes)
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    keys.stop();
  }
  state.counters["median_ms"] = Percentile(delays, 0.5);
  state.counters["p99_ms"] = Percentile(delays, 0.99);
  state.counters["max_ms"] = Percentile(delays, 1.0);
  state.counters["drawings"] = bench.view->FinishedDrawings() - drawingsBefore;
  bench.preview->SetShown(true);
}
BENCHMARK(BM_KeystrokeDelayWhileTyping)
    ->Arg(1)
    ->Arg(0)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
