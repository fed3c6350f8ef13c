#pragma once

#include <QString>
#include <stdexcept>

namespace velmora::site {

// A failure of the table store: a statement the database refused, a missing table or column,
// a value that does not convert to its column's type. The message is in the language of the run;
// the detail, where there is one, is what the database engine itself said, without the context
// the message puts around it.
class StoreError : public std::runtime_error {
 public:
  explicit StoreError(const QString& message, const QString& detail = {})
      : std::runtime_error(message.toStdString()), message_(message), detail_(detail) {}
  const QString& Message() const { return message_; }
  const QString& Detail() const { return detail_; }

 private:
  QString message_;
  QString detail_;
};

}  // namespace velmora::site
