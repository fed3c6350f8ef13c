#pragma once

#include <QDialog>
#include <QString>

class QCheckBox;
class QLabel;

namespace velmora::site {
class RunState;
}

namespace velmora::ui {

// TFormAbout: the about box, shown modally from "Help" > "About". Program icon, "Velmora by
// Pexmor", the version line, the disclaimer and "OK"; at the top right a check box without
// caption, the technical-detail switch, which adds the voltage drop to the status text of every
// loop checked afterwards. Its state lasts for the run and is never saved.
class TFormAbout : public QDialog {
  Q_OBJECT

 public:
  // The design text of the version line; its first two characters lead the line.
  static constexpr const char* kVersionDesignText = "V 0.00";

  TFormAbout(const QString& application_title, site::RunState& state, QWidget* parent = nullptr);

  // The version line for an application title: the first two characters of the design text,
  // then the title from its first decimal digit on ("Velmora 2.09" gives "V 2.09"); a title
  // without a digit gives the two characters alone.
  static QString VersionLine(const QString& application_title,
                             const QString& design_text = kVersionDesignText);

 protected:
  void showEvent(QShowEvent* event) override;
};

}  // namespace velmora::ui
