#pragma once

#include <QString>
#include <QtGlobal>

namespace velmora::site {

// Marks a SQLite file as a site document of this program ('VLMR'); documents of older versions
// carry 0 and are recognised by their tables.
inline constexpr int kSiteApplicationId = 1447840082;
// The layout version written into site documents.
inline constexpr int kSiteFormatVersion = 1;

// The most rows a site table may have. Whatever makes site files (the program, its generator)
// stays within it, so everything it makes opens again.
inline constexpr qint64 kMostTableRows = 100000;
// The most devices of one row, or alarm indicators of one loop, a site file holds: far beyond any
// loop, and small enough that sums over every row stay far inside 64 bits. What the program
// lets a user enter stays within it, so every site it saves opens again.
inline constexpr qint64 kMostCount = 10000;
// The longest text the program takes in a site file: names, device codes, status texts, and the
// free comments. Far beyond anything typed; a longer text only costs memory and time wherever it
// is shown or printed.
inline constexpr int kMostTextLength = 1000;
inline constexpr int kMostCommentLength = 65536;

// Bounds for a file from outside: larger files, tables with more rows, or a check that takes
// longer are refused rather than allowed to exhaust the machine.
struct SiteFileLimits {
  qint64 max_file_bytes = qint64(1) << 30;
  qint64 max_rows = kMostTableRows;
  int time_limit_ms = 30000;
  // A blank site of this installation (the template). When set, a file whose Panels has more
  // protocol, option-board or power-supply columns than it (after the upgrade of older
  // documents) is refused: the catalogue has no columns for them.
  QString layout_reference = {};
};

// A size in plain words for a refusal: "1 GB", "16 MB", "4 KB", "100 bytes".
QString SizeText(qint64 bytes);

// Checks that a file can stand in as a site document before anything is replaced by it: a
// SQLite database of this program or of an older version, not damaged, with the six site tables
// and the columns the program reads (older layouts allowed), nothing in its schema but tables and
// indexes (nothing that could run code: views, triggers, virtual tables, whatever a schema entry
// claims to be), values of the right kind and range in the columns the program computes with, and
// texts of a sane length. The file is opened read-only with the store's untrusted settings.
// Returns an empty text when the file is fit, else what is wrong in plain words.
QString CheckSiteFile(const QString& file, const SiteFileLimits& limits = {});

}  // namespace velmora::site
