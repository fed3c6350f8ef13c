#pragma once

// What the benchmarks share: the program folder they run on, the generated sites, and the
// samples with their medians.

#include <QDir>
#include <QFileInfo>
#include <QString>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <map>
#include <string>
#include <vector>

#include "app/cli_generate.h"
#include "app/cli_session.h"
#include "site/program_folder.h"

namespace velmora::bench {

// The sites: 50 and 200 panels of 8 loops with 10 device rows each.
constexpr int kSmall = 50;
constexpr int kLarge = 200;
constexpr int kSizes[] = {kSmall, kLarge};
constexpr int kLoops = 8;
constexpr int kRows = 10;

// The program folder of this build, or the one VELMORA_HOME names.
inline site::ProgramFolder BenchHome() {
  return qEnvironmentVariableIsEmpty("VELMORA_HOME")
             ? site::ProgramFolder(QStringLiteral(VELMORA_BENCH_HOME))
             : site::ProgramFolder::FromEnvironment();
}

// The generated site of a size in `scratch`, made on first use. VELMORA_BENCH_SITES names a
// folder where the sites are kept from one run to the next, shared by the benchmarks (to profile
// one action without waiting for them). A site that cannot be made ends the run.
inline QString GeneratedSite(const site::ProgramFolder& home, const QString& scratch, int panels,
                             const char* tool) {
  const QString name = QString("site-%1.mdb").arg(panels);
  const QString kept = qEnvironmentVariable("VELMORA_BENCH_SITES");
  const QString file = QDir(kept.isEmpty() ? scratch : kept).filePath(name);
  if (QFileInfo::exists(file)) return file;
  app::CliSession session(home);
  QString error;
  const auto start = std::chrono::steady_clock::now();
  if (!session.Start(&error) ||
      !app::GenerateSite(session, {panels, kLoops, kRows}, file, &error)) {
    std::fprintf(stderr, "%s: cannot generate the %d-panel site: %s\n", tool, panels,
                 qUtf8Printable(error));
    std::exit(2);
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::fprintf(stderr, "generated %s in %.1f s\n", qUtf8Printable(file), seconds);
  return file;
}

// Every single timing in milliseconds, by action and site size, for the medians: the time the
// designer waits, and the processor time of the program in it (the rest is waiting for the disk
// or for other programs).
struct Timings {
  std::vector<double> wall;
  std::vector<double> cpu;
};
inline std::map<std::string, std::map<int, Timings>>& Samples() {
  static std::map<std::string, std::map<int, Timings>> samples;
  return samples;
}

inline double CpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

inline double Median(std::vector<double> values) {
  if (values.empty()) return 0.0;
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

}  // namespace velmora::bench
