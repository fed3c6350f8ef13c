#include "electrical/loop_log.h"

#include <QFile>
#include <QStringEncoder>

#include "electrical/number_format.h"
#include "electrical/run.h"
#include "i18n/tr.h"

namespace velmora::electrical {

QString LogNumber(const std::optional<double>& value) {
  return value ? GeneralNumber(*value) : QStringLiteral("none");
}

void LoopLog::Value(const QString& label, double value) { Value(label, GeneralNumber(value)); }

void LoopLog::Value(const QString& label, const std::optional<double>& value) {
  Value(label, LogNumber(value));
}

QString LoopLog::Text() const {
  QString text;
  for (const QString& line : lines_) text += line + QStringLiteral("\r\n");
  return text;
}

void LoopLog::Write(Run& run) const {
  const QString path = run.folder.LoopLog();
  QStringEncoder encoder(QStringConverter::System);
  const QByteArray bytes = encoder.encode(Text());
  QFile file(path);
  // Written over in place and then cut to its new size: emptying the file first would make some
  // file systems flush it to disk on every check.
  bool written = file.open(QIODevice::ReadWrite);
  if (written) written = file.write(bytes) == bytes.size();
  if (written) written = file.resize(bytes.size());
  if (written) written = file.flush();
  const QString problem = file.errorString();
  file.close();
  if (written || run.state.LoopLogFailureReported()) return;
  run.state.SetLoopLogFailureReported(true);
  run.prompter.Warn(i18n::Tr(N_("The loop log %1 cannot be written: %2")).arg(path, problem));
}

}  // namespace velmora::electrical
