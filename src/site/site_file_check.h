#pragma once

#include <QString>

namespace velmora::site {

// Checks that a file can stand in as a site document before anything is replaced by it: a
// SQLite database, not damaged, with the six site tables and the columns the program reads
// (older layouts allowed). Returns an empty text when the file is fit, else what is wrong in
// plain words.
QString CheckSiteFile(const QString& file);

}  // namespace velmora::site
