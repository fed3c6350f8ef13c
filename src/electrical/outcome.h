#pragma once

#include <QString>
#include <QStringList>

namespace velmora {

// What a rule tells its caller: whether it refused the change (and then it changed nothing),
// and the messages for the user, as data; the caller shows them.
struct Outcome {
  bool refused = false;
  QStringList messages;

  static Outcome Refused(const QString& why) { return {true, {why}}; }
  Outcome& Tell(const QString& message) {
    messages << message;
    return *this;
  }
};

}  // namespace velmora
