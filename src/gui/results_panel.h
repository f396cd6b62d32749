// The results of the last translation and build, in the window's free space: the steps refused
// or left out, the notices, the tools' warnings, the chip's memory used against its limits, the
// scan time, and the commands to open the work directory and to read fx1n.c.
#pragma once

#include <QWidget>
#include <optional>

#include "core/step_ref.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QTreeWidget;

namespace ladder51::gui {

class Session;

class ResultsPanel final : public QWidget {
  Q_OBJECT

 public:
  ResultsPanel(Session& session, QWidget* parent = nullptr);

  // The step of the selected line, if it is about one.
  std::optional<StepRef> selectedStep() const;
  // Opens fx1n.c read-only, the selected step's statement marked; returns the view (owned by
  // the panel, closed by the user).
  QWidget* viewSource();

 private:
  void showResults();
  void showBuild();
  void openFolder();

  Session& session_;
  QTreeWidget* list_;
  QProgressBar* ram_;
  QProgressBar* stack_;
  QProgressBar* code_;
  QProgressBar* xram_;
  QLabel* xramLabel_;
  QLabel* scanTime_;
  QPushButton* openFolder_;
  QPushButton* viewSource_;
};

}  // namespace ladder51::gui
