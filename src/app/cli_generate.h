#pragma once

#include <QString>

namespace velmora::app {

class CliSession;

// The size of a generated site.
struct SiteShape {
  int panels = 50;
  int loops = 8;  // loops of every panel
  int rows = 10;  // device rows of every loop
};

// Builds a large site in the session's working copy from the shipped catalogue, the way a
// designer would: File New, then for every panel Add Panel, a variant of the catalogue chosen by
// its type and housing code with the option boards that give it `loops` loops (every other panel
// also gets a board with outputs), its loops given lengths and cables, each loop filled with
// `rows` device rows of its protocol's device table within the loop's limits, and some current
// drawn from the panel's outputs. Every result is then worked out by the program's own
// recalculation, and the site is saved to `file`. False, with the reason, when the shape cannot
// be built or the file cannot be written; an existing file is never replaced.
bool GenerateSite(CliSession& session, const SiteShape& shape, const QString& file, QString* error);

}  // namespace velmora::app
