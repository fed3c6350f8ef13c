#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

#include "app/cli_check.h"
#include "reports/print_store.h"

namespace velmora::app {

// The check as one JSON object (docs/cli.md): numbers as numbers at their stored precision,
// texts exactly as stored, and beside the texts that follow the language the fields that do not
// ("ok", "codes", "psuOk", "passed").
QByteArray CheckJson(const SiteCheck& check);
// The check as a readable table, headings in the language of the run.
QString CheckTable(const SiteCheck& check);
// The parts list rows as a table, or as CSV (RFC 4180) with a heading line.
// The parts list as a table, the notes under it.
QString PartsTable(const std::vector<reports::TierRow>& parts, const QStringList& notes = {});
QString PartsCsv(const std::vector<reports::TierRow>& parts);

}  // namespace velmora::app
