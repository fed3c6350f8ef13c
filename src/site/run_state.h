#pragma once

#include <QObject>
#include <QString>

#include "velmora/version.h"

namespace velmora::site {

inline constexpr const char* kApplicationTitle = kProgramTitle;

// The state of one run of the program that the main window owns and hands down: the document
// state of the working copy, the event flags that keep change handlers from re-entering while
// the program writes rows itself, and the few values that live for the whole run.
class RunState : public QObject {
  Q_OBJECT

 public:
  const QString& SiteFileName() const { return site_file_name_; }
  void SetSiteFileName(const QString& file);
  bool SiteSaved() const { return site_saved_; }
  void SetSiteSaved(bool saved);
  // Marks the document as changed since the last save.
  void MarkModified() { SetSiteSaved(false); }
  bool Loading() const { return loading_; }
  void SetLoading(bool loading) { loading_ = loading; }
  bool ViewEventsOn() const { return view_events_on_; }
  void SetViewEventsOn(bool on) { view_events_on_ = on; }
  bool DeviceEventsOn() const { return device_events_on_; }
  void SetDeviceEventsOn(bool on) { device_events_on_ = on; }

  // The quantity a device row is put back to after a failed limit check.
  int LastValidQuantity() const { return last_valid_quantity_; }
  void SetLastValidQuantity(int quantity) { last_valid_quantity_ = quantity; }
  // The last loop status reported by the loop check, shared by all loops for the whole run.
  const QString& LastLoopStatus() const { return last_loop_status_; }
  void SetLastLoopStatus(const QString& status) { last_loop_status_ = status; }
  // The about box's technical-detail switch.
  bool TechnicalDetail() const { return technical_detail_; }
  void SetTechnicalDetail(bool on) { technical_detail_ = on; }
  // Whether a failure to write LoopLog.txt has been reported in this run (it is reported once).
  bool LoopLogFailureReported() const { return loop_log_failure_reported_; }
  void SetLoopLogFailureReported(bool reported) { loop_log_failure_reported_ = reported; }

  // "Velmora 2.09", or the title, " - " and the site file name.
  QString Caption() const;

 signals:
  void CaptionChanged(const QString& caption);
  void SavedChanged(bool saved);

 private:
  QString site_file_name_;
  bool site_saved_ = false;
  bool loading_ = false;
  bool view_events_on_ = false;
  bool device_events_on_ = false;
  int last_valid_quantity_ = 0;
  QString last_loop_status_;
  bool technical_detail_ = false;
  bool loop_log_failure_reported_ = false;
};

// Sets a flag of the run for the length of a scope and puts the old value back afterwards.
class FlagScope {
 public:
  FlagScope(RunState* state, void (RunState::*setter)(bool), bool (RunState::*getter)() const,
            bool value)
      : state_(state), setter_(setter), old_((state->*getter)()) {
    (state_->*setter_)(value);
  }
  ~FlagScope() { (state_->*setter_)(old_); }
  FlagScope(const FlagScope&) = delete;
  FlagScope& operator=(const FlagScope&) = delete;

 private:
  RunState* state_;
  void (RunState::*setter_)(bool);
  bool old_;
};

}  // namespace velmora::site
