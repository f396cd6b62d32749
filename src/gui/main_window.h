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

namespace ladder51::gui {

class MainWindow final : public QMainWindow {
  Q_OBJECT

 public:
  MainWindow(Session& session, MessageSink& messages, QWidget* parent = nullptr);

  // The start-up sequence: the settings files fill the controls, then the sections are
  // generated (or the validation failure is reported).
  void startUp();
  // The open command once a file has been chosen: what "打开PMW文件" does after its dialog.
  bool openProgram(const QString& path);

  // The settings as the controls hold them now.
  SettingsText editedSettings() const;
  Session& session() { return session_; }

 private:
  void buildMenus();
  QWidget* buildPinColumns();
  QWidget* buildOptions();
  QWidget* buildCommands();
  void connectSession();

  void chooseProgram();
  void saveSettings();
  void clearEeprom();
  void showSettings(const SettingsText& settings);
  void setEeprom(EepromChoice choice);
  void showBuilding(bool building);
  void showStatus(const QString& status);

  Session& session_;
  MessageSink& messages_;

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
  QLabel* statusLabel_ = nullptr;
  QLabel* workDirectoryLabel_ = nullptr;
};

}  // namespace ladder51::gui
