#pragma once

#include <QString>
#include <cstddef>

namespace velmora::i18n {

// An English text written in the sources and marked for the catalogue with N_. It can only be
// made at compile time from a string literal, so a text read at run time (a table or column
// name, a filter, a value from the settings) can never become one.
class Source {
 public:
  template <std::size_t N>
  explicit consteval Source(const char (&english)[N]) : english_(english) {}

  constexpr const char* English() const { return english_; }
  constexpr operator const char*() const { return english_; }  // NOLINT: plain use as a key

 private:
  const char* english_;
};

// Marks a text for extraction into the message catalogue without translating it.
#define N_(text) (::velmora::i18n::Source(text))

// The translation of an English window or message text in the language chosen for this run;
// the English text itself when no catalogue or no entry exists.
QString Tr(Source english);
QString Tr(const char* english);
QString Tr(const QString& english);

}  // namespace velmora::i18n
