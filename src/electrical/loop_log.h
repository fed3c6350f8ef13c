#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace velmora::electrical {

// The trace of one loop check as LoopLog.txt holds it: one entry per line, numbers in the
// general form, "label = value" lines.
class LoopLog {
 public:
  void Line(const QString& text) { lines_ << text; }
  void Blank() { lines_ << QString(); }
  void Value(const QString& label, const QString& value) { lines_ << label + " = " + value; }
  void Value(const QString& label, double value);
  void Value(const QString& label, const std::optional<double>& value);

  // Every line ended by CR LF, the last included.
  QString Text() const;

 private:
  QStringList lines_;
};

// Replaces the file with a trace's text, 8-bit text in the system's code page, no byte-order
// mark. Empty when written, else what went wrong.
QString WriteLoopLog(const QString& path, const QString& text);

// A number of the log; a limit that is not known (no protocol, no lookup row) reads "none".
QString LogNumber(const std::optional<double>& value);

}  // namespace velmora::electrical
