// Open and save of one card file on 1, 2, ... threads, side by side: the best
// wall time of a few runs, the CPU time it took and the CPU time of the
// calling thread (which reads, joins and writes in order), with the
// processors the process may use and the load of the machine, as others' work
// makes the wall time of a busy machine long. From the CPU times follows what
// N free processors allow at best: the larger of the calling thread's time
// and the whole CPU time over N.
//   card_file_threads FILE [RUNS [THREADS]]   (default 3 runs; 1, 2, 4, ... threads)
#include "card_file_generator.h"
#include "core/card_file.h"
#include "core/card_store.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>

namespace {

double CpuMs() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

double ThreadCpuMs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

struct CBest {
  double wallMs = 1e300;
  double cpuMs = 0;
  double callerMs = 0;  // of the calling thread
};

// The best of runs timings of step; between (untimed) runs before each.
CBest Best(int runs, const std::function<void()>& step, const std::function<void()>& between = {}) {
  CBest best;
  for (int i = 0; i < runs; ++i) {
    if (between) between();
    QElapsedTimer timer;
    const double c0 = CpuMs(), t0 = ThreadCpuMs();
    timer.start();
    step();
    const double wall = double(timer.nsecsElapsed()) / 1e6;
    if (wall < best.wallMs) best = {wall, CpuMs() - c0, ThreadCpuMs() - t0};
  }
  return best;
}

double Load() {
  double load = 0;
  if (FILE* f = std::fopen("/proc/loadavg", "r")) {
    if (std::fscanf(f, "%lf", &load) != 1) load = 0;
    std::fclose(f);
  }
  return load;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: card_file_threads FILE [RUNS]\n");
    return 2;
  }
  const QString path = QString::fromLocal8Bit(argv[1]);
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
  CBenchServices bench;
  const int available = AvailableThreads();
  std::printf("processors this process may use: %d, load average %.2f\n", available, Load());
  const QString out = bench.dir.filePath(QStringLiteral("saved.csv"));
  const int only = argc > 3 ? std::atoi(argv[3]) : 0;
  for (int threads = only > 0 ? only : 1; threads <= (only > 0 ? only : std::max(available, 2)); threads *= 2) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return 1;
    const qint64 size = file.size();
    file.close();
    CCardStore store(bench.services);
    const CBest open = Best(
        runs,
        [&] {
          QFile f(path);
          f.open(QIODevice::ReadOnly);
          ReadCardStream(
              store, [&](char* to, qint64 max) { return f.read(to, max); }, false, kReadPiece, -1,
              {threads, kReadChunk});
        },
        [&] { store.Clear(); });
    const CBest save = Best(runs, [&] {
      if (WriteCardFile(store, out, {threads, CWriteSplit{}.batchCards}) != 1) std::exit(1);
    });
    std::printf("%d thread%s  open %7.1f ms wall %7.1f ms cpu (%6.1f calling)   save %7.1f ms wall %7.1f ms cpu "
                "(%6.1f calling)   %d cards of %lld bytes\n",
                threads, threads > 1 ? "s" : " ", open.wallMs, open.cpuMs, open.callerMs, save.wallMs, save.cpuMs,
                save.callerMs, store.AllCount(), static_cast<long long>(size));
    if (threads > 1)
      for (const int n : {2, 4})
        std::printf("          on %d free processors at best: open %7.1f ms, save %7.1f ms\n", n,
                    std::max(open.callerMs, open.cpuMs / n), std::max(save.callerMs, save.cpuMs / n));
  }
  std::printf("load average after: %.2f\n", Load());
  return 0;
}
