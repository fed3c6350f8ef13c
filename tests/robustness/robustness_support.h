#pragma once

#include <sys/types.h>
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace velmora::testing {

QByteArray Bytes(const QString& file);
void WriteBytes(const QString& file, const QByteArray& bytes);

// Sample sites for the sweeps, made in `folder`: the shipped sample sites of the build when it
// has them, and every examples/*.sql run on the blank site schema.
QStringList SampleSites(const QString& folder);

// Appends a line of figures to the build's robustness-figures.txt and prints it.
void RecordFigure(const QString& line);

struct Outcome {
  int exit_code = -1;  // -1 when the process did not end by itself
  int signal = 0;      // the signal that ended it, 0 when it exited
  bool timed_out = false;
  QString out;
  QString err;
};

// Runs a program with its output captured; prefix (e.g. strace or setpriv and their options)
// comes before it. Kills it after timeout_ms.
Outcome RunProgram(const QStringList& command, int timeout_ms = 120000,
                   const QStringList& environment = {});

// Starts a program with its output going nowhere; the caller waits for or kills it.
pid_t StartProgram(const QStringList& command);

// The first of the names found on PATH, empty when none is.
QString FindProgram(const QString& name);

// A command prefix that runs a program as the user "nobody", empty when this process cannot
// (it is not root, or setpriv is missing).
QStringList AsNobody();

// The probe program of these tests.
QString Probe();

}  // namespace velmora::testing
