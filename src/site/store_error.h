#pragma once

#include <QString>
#include <stdexcept>

namespace velmora::site {

// A failure of the table store: a statement the database refused, a missing table or column,
// a value that does not convert to its column's type.
class StoreError : public std::runtime_error {
 public:
  explicit StoreError(const QString& message)
      : std::runtime_error(message.toStdString()), message_(message) {}
  const QString& Message() const { return message_; }

 private:
  QString message_;
};

}  // namespace velmora::site
