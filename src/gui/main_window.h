// The one window: the pin map and the options for editing, the open and save commands, the
// two information menus and the status line. It displays a Session and hands it the user's
// commands; the controls keep the object names the PLC tool's users know (T0 .. T43, XTAL,
// DlyT, CHK7219, DIN, LOAD, CLK, CHK24C16, CHK24C, NOT24C, TSCL, TSDA, CKPTUS, Command1,
// Command2, Label1, CHIP, CMD); the rebuild button is Command3, and the chip menu's items are
// named after the chips (at89s52, ...) with CHIPHELP for its advice.
#pragma once

#include <QMainWindow>
#include <QString>
#include <array>

#include "core/config/settings.h"
#include "gui/field_checks.h"
#include "gui/message_sink.h"
#include "gui/session.h"

class QAction;
class QActionGroup;
class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSettings;
class QMenu;

namespace ladder51::gui {

class ResultsPanel;

class MainWindow final : public QMainWindow {
  Q_OBJECT

 public:
  // `preferences` keeps the recent programs (none kept when null).
  MainWindow(Session& session, MessageSink& messages, QSettings* preferences = nullptr,
             QWidget* parent = nullptr);

  // The start-up sequence: the settings files fill the controls, then the sections are
  // generated (or the validation failure is reported).
  void startUp();
  // The open command once a file has been chosen: what "打开PMW文件" does after its dialog.
  bool openProgram(const QString& path);
  // The save command: checks the fields, marks and focuses the one at fault, or saves.
  bool saveSettings();

  // The settings as the controls hold them now, point names as typed but upper-case.
  SettingsText editedSettings() const;
  // Whether the controls hold settings that differ from the saved (or loaded) ones.
  bool hasUnsavedEdits() const;
  // The programs opened last, the latest first.
  QStringList recentPrograms() const;
  // The control a refusal points at, null for none.
  QWidget* fieldWidget(const FieldProblem& problem) const;
  Session& session() { return session_; }
  ResultsPanel& results() { return *results_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void buildMenus();
  QWidget* buildPinColumns();
  QWidget* buildOptions();
  QWidget* buildCommands();
  void connectSession();

  void chooseProgram();
  void clearEeprom();
  void markField(const FieldProblem& problem);
  void clearMarks();
  void showSettingsError();
  void rememberProgram(const QString& path);
  void showRecentPrograms();
  void showSettings(const SettingsText& settings);
  void setEeprom(EepromChoice choice);
  void showBuilding(bool building);
  void showStatus(const QString& status);
  void openBoard();

  Session& session_;
  MessageSink& messages_;
  QSettings* preferences_;
  QStringList recent_;
  QMenu* recentMenu_ = nullptr;
  ResultsPanel* results_ = nullptr;

  std::array<QLineEdit*, kPinCount> pinBoxes_{};
  QLineEdit* crystal_ = nullptr;
  QLineEdit* filter_ = nullptr;
  QCheckBox* display_ = nullptr;
  QLineEdit* din_ = nullptr;
  QLineEdit* load_ = nullptr;
  QLineEdit* clk_ = nullptr;
  QButtonGroup* eepromGroup_ = nullptr;
  QRadioButton* smallEeprom_ = nullptr;
  QRadioButton* largeEeprom_ = nullptr;
  QPushButton* noEeprom_ = nullptr;
  QLineEdit* scl_ = nullptr;
  QLineEdit* sda_ = nullptr;
  QCheckBox* proteus_ = nullptr;
  QCheckBox* fxTimeBase_ = nullptr;
  QActionGroup* chipGroup_ = nullptr;  // one checkable item per chip, its name as data
  QPushButton* openButton_ = nullptr;
  QPushButton* saveButton_ = nullptr;
  QPushButton* rebuildButton_ = nullptr;
  QPushButton* boardButton_ = nullptr;  // the virtual board, with boardAction_ in the file menu
  QAction* boardAction_ = nullptr;
  QLabel* statusLabel_ = nullptr;
  QLabel* workDirectoryLabel_ = nullptr;
};

}  // namespace ladder51::gui
