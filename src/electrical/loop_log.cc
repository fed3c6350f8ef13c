#include "electrical/loop_log.h"

#include <QFile>
#include <QStringEncoder>

#include "electrical/number_format.h"

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

QString WriteLoopLog(const QString& path, const QString& text) {
  QStringEncoder encoder(QStringConverter::System);
  const QByteArray bytes = encoder.encode(text);
  QFile file(path);
  // Written over in place and then cut to its new size: emptying the file first would make some
  // file systems flush it to disk on every check.
  bool written = file.open(QIODevice::ReadWrite);
  if (written) written = file.write(bytes) == bytes.size();
  if (written) written = file.resize(bytes.size());
  if (written) written = file.flush();
  const QString problem = file.errorString();
  file.close();
  return written ? QString() : problem;
}

}  // namespace velmora::electrical
