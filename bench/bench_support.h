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
#include <optional>
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

// The medians of one action on the small and the large site, and its growth from one to the
// other, of the time and of the processor time.
struct Growth {
  double wall_small = 0;
  double wall_large = 0;
  double cpu_small = 0;
  double cpu_large = 0;

  double Wall() const { return wall_small > 0 ? wall_large / wall_small : 0.0; }
  double Cpu() const { return cpu_small > 0 ? cpu_large / cpu_small : 0.0; }
  // "time (processor time)" on one site, and "growth× (growth×)".
  QString Small(int digits) const { return Pair(wall_small, cpu_small, digits); }
  QString Large(int digits) const { return Pair(wall_large, cpu_large, digits); }
  QString Text() const { return QString("%1x (%2x)").arg(Wall(), 0, 'f', 2).arg(Cpu(), 0, 'f', 2); }

 private:
  static QString Pair(double wall, double cpu, int digits) {
    return QString("%1 (%2)").arg(wall, 0, 'f', digits).arg(cpu, 0, 'f', digits);
  }
};

// Nothing when the action was not timed on both sites.
inline std::optional<Growth> GrowthOf(const std::string& name) {
  const auto& by_size = Samples()[name];
  const auto small = by_size.find(kSmall);
  const auto large = by_size.find(kLarge);
  if (small == by_size.end() || large == by_size.end()) return std::nullopt;
  return Growth{Median(small->second.wall), Median(large->second.wall), Median(small->second.cpu),
                Median(large->second.cpu)};
}

}  // namespace velmora::bench
