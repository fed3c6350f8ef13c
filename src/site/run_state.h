#pragma once

#include <QObject>
#include <QString>

#include "velmora/version.h"

namespace velmora::site {

inline constexpr const char* kApplicationTitle = kProgramTitle;

// The state of one run of the program that lives beside the site's rows: the user's file the
// working copy belongs to, whether it holds unsaved changes, and the few values that last for
// the whole run.
class RunState : public QObject {
  Q_OBJECT

 public:
  const QString& SiteFileName() const { return site_file_name_; }
  void SetSiteFileName(const QString& file);
  bool SiteSaved() const { return site_saved_; }
  void SetSiteSaved(bool saved);
  // Marks the document as changed since the last save.
  void MarkModified() { SetSiteSaved(false); }

  // The last loop status reported by the loop check, shared by all loops for the whole run.
  const QString& LastLoopStatus() const { return last_loop_status_; }
  void SetLastLoopStatus(const QString& status) { last_loop_status_ = status; }
  // The about box's technical-detail switch: loop status texts are shown with their drop.
  bool TechnicalDetail() const { return technical_detail_; }
  void SetTechnicalDetail(bool on);
  // Whether a failure to write LoopLog.txt has been reported in this run (it is reported once).
  bool LoopLogFailureReported() const { return loop_log_failure_reported_; }
  void SetLoopLogFailureReported(bool reported) { loop_log_failure_reported_ = reported; }

  // "Velmora 2.09", or the title, " - " and the site file name.
  QString Caption() const;

 signals:
  void CaptionChanged(const QString& caption);
  void SavedChanged(bool saved);
  void TechnicalDetailChanged(bool on);

 private:
  QString site_file_name_;
  bool site_saved_ = false;
  QString last_loop_status_;
  bool technical_detail_ = false;
  bool loop_log_failure_reported_ = false;
};

}  // namespace velmora::site
