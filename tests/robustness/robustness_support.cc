#include "robustness_support.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTextStream>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include "site/database.h"
#include "support/test_home.h"

namespace velmora::testing {

QByteArray Bytes(const QString& file) {
  QFile f(file);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteBytes(const QString& file, const QByteArray& bytes) {
  QFile f(file);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << file.toStdString();
  ASSERT_EQ(f.write(bytes), bytes.size());
}

QStringList SampleSites(const QString& folder) {
  QStringList sites;
  const QDir shipped(BuildHome() + "/Sites");
  for (const QFileInfo& file : shipped.entryInfoList({"*.mdb"}, QDir::Files, QDir::Name)) {
    const QString to = QDir(folder).filePath("shipped-" + file.fileName());
    QFile::remove(to);
    if (QFile::copy(file.absoluteFilePath(), to)) {
      QFile::setPermissions(to, QFile::ReadOwner | QFile::WriteOwner);
      sites << to;
    }
  }
  QFile schema_file(SourcePath("data/site/schema.sql"));
  EXPECT_TRUE(schema_file.open(QIODevice::ReadOnly));
  const QString schema = QString::fromUtf8(schema_file.readAll());
  const QDir examples(SourcePath("examples"));
  for (const QFileInfo& sql : examples.entryInfoList({"*.sql"}, QDir::Files, QDir::Name)) {
    QFile rows(sql.absoluteFilePath());
    if (!rows.open(QIODevice::ReadOnly)) continue;
    const QString to = QDir(folder).filePath(sql.completeBaseName() + ".mdb");
    QFile::remove(to);
    site::Database db("sample", to);
    db.Open();
    db.Execute("BEGIN");
    db.Execute(schema);
    db.Execute(QString::fromUtf8(rows.readAll()));
    db.Execute("COMMIT");
    db.Close();
    sites << to;
  }
  if (sites.isEmpty()) {
    // No samples in this tree: a small site of the tests' own.
    const QString to = QDir(folder).filePath("small.mdb");
    QFile::remove(to);
    site::Database db("sample", to);
    db.Open();
    db.Execute(schema);
    db.Execute(
        "INSERT INTO \"Site\" (\"SiteName\", \"StandbyTime\", \"AlarmTime\", \"SalesChannel\") "
        "VALUES ('Sample', 24, 0.5, 'Tarvik');"
        "INSERT INTO \"Panels\" (\"Panel Number\", \"Panel Name\", \"Panel Type\", \"Housing "
        "Type\", "
        "\"Prot0\", \"Psu0\") VALUES (1, 'Panel1', 2, 1, 1, 1);"
        "INSERT INTO \"Loops\" (\"PanelNumber\", \"LoopNumber\", \"Loop\", \"CableSpec\", "
        "\"Resistance\", \"Length\", \"Spread\", \"SpreadLength\", \"OK\") "
        "VALUES (1, 1, 'Loop 1', 3, 13, 450, 1, 25, 'Loop OK');"
        "INSERT INTO \"Devices\" (\"Panel\", \"Loop\", \"DeviceQuantity\", \"DeviceTypeCode\") "
        "VALUES (1, 1, 18, 1), (1, 1, 4, 10);");
    db.Close();
    sites << to;
  }
  return sites;
}

void RecordFigure(const QString& line) {
  QFile file(QStringLiteral(VELMORA_FIGURES));
  if (file.open(QIODevice::Append | QIODevice::Text)) QTextStream(&file) << line << "\n";
  std::printf("[figures] %s\n", qUtf8Printable(line));
}

namespace {

std::vector<QByteArray> Encoded(const QStringList& list) {
  std::vector<QByteArray> encoded;
  for (const QString& item : list) encoded.push_back(QFile::encodeName(item));
  return encoded;
}

pid_t Spawn(const QStringList& command, const QStringList& environment, int out, int err) {
  const std::vector<QByteArray> args = Encoded(command);
  // The leak checker cannot work under strace, and leaks are not what these runs look for;
  // undefined behaviour ends a run at once.
  const std::vector<QByteArray> env =
      Encoded(QStringList{"ASAN_OPTIONS=detect_leaks=0",
                          "UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1"} +
              environment);
  std::vector<char*> argv;
  for (const QByteArray& arg : args) argv.push_back(const_cast<char*>(arg.constData()));
  argv.push_back(nullptr);
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::setpgid(0, 0);
    ::dup2(out, STDOUT_FILENO);
    ::dup2(err, STDERR_FILENO);
    for (const QByteArray& setting : env) ::putenv(const_cast<char*>(setting.constData()));
    ::execvp(argv[0], argv.data());
    ::_exit(127);
  }
  return pid;
}

QString ReadAndClose(FILE* file) {
  std::rewind(file);
  QByteArray bytes;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, qsizetype(n));
  std::fclose(file);
  return QString::fromUtf8(bytes);
}

}  // namespace

Outcome RunProgram(const QStringList& command, int timeout_ms, const QStringList& environment) {
  FILE* out = std::tmpfile();
  FILE* err = std::tmpfile();
  Outcome outcome;
  const pid_t pid = Spawn(command, environment, ::fileno(out), ::fileno(err));
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  int status = 0;
  for (;;) {
    const pid_t done = ::waitpid(pid, &status, WNOHANG);
    if (done == pid) break;
    if (std::chrono::steady_clock::now() > deadline) {
      ::kill(-pid, SIGKILL);
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      outcome.timed_out = true;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  if (!outcome.timed_out) {
    if (WIFEXITED(status)) outcome.exit_code = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) outcome.signal = WTERMSIG(status);
  }
  outcome.out = ReadAndClose(out);
  outcome.err = ReadAndClose(err);
  return outcome;
}

pid_t StartProgram(const QStringList& command) {
  const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
  const pid_t pid = Spawn(command, {}, null, null);
  ::close(null);
  return pid;
}

QString FindProgram(const QString& name) { return QStandardPaths::findExecutable(name); }

QStringList AsNobody() {
  if (::geteuid() != 0) return {};
  const QString setpriv = FindProgram("setpriv");
  if (setpriv.isEmpty()) return {};
  return {setpriv, "--reuid=65534", "--regid=65534", "--clear-groups"};
}

QString Probe() { return QStringLiteral(VELMORA_PROBE); }

}  // namespace velmora::testing
