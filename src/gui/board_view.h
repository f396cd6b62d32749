// The virtual board (仿真): the firmware an SDCC build left in the work directory, run on the
// simulated chip in real time. A switch per input a pin carries, a lamp per output, the MAX7219's
// digits when the board has one, and the values of the devices the program uses, read from the
// chip's RAM; the session can be paused, powered off and on, and saved as a waveform or as a
// stimulus that `ladder51 sim --stimulus` replays.
//
// A QTimer on the window's thread drives the LiveSession one slice at a time, each slice capped
// so that the window keeps painting when the firmware simulates slower than real time.
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/config/settings.h"
#include "core/result.h"
#include "core/sim/live_session.h"
#include "core/sim/max7219.h"
#include "core/sim/simulator.h"

class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;
class QTimer;

namespace ladder51::gui {

// The translation context of the view's texts.
class BoardTexts {
  Q_DECLARE_TR_FUNCTIONS(BoardTexts)
};

// The devices a .pmw program names, as watchesFor takes them ("Y20", "M5", "S20", "T0", "C1",
// "D3"), each once, by letter (Y, M, S, T, C, D) then number. Digit groups (K4M0) are not
// expanded. To be replaced by the core's list of the devices a program uses.
std::vector<std::string> devicesNamedBy(std::span<const std::uint8_t> pmw);

// Whether the work directory's fx1n.hex is the one its last SDCC build wrote (the view needs
// that build's symbol map to find the devices in RAM).
bool hasSdccFirmware(const std::filesystem::path& workDirectory);

// The view's command caption, for the window's button and menu.
QString boardCommandCaption();

class SevenSegmentDigits;

class BoardView final : public QWidget {
  Q_OBJECT

 public:
  // A view of the firmware in `workDirectory` on the board of `settings`, showing the values of
  // `devices` (those the RAM map cannot place are left out). Nothing runs before start().
  BoardView(std::filesystem::path workDirectory, const Settings& settings,
            const std::vector<std::string>& devices, QWidget* parent = nullptr);
  ~BoardView() override;

  // Starts the chip from power-on and runs it; false (the status line says why) on failure.
  bool start();
  // Runs on or holds the chip; the time stands still while paused.
  void setRunning(bool running);
  // Powers the chip off and on: time 0, every input off, the record cleared.
  void powerOn();
  // As fast as the simulator goes, or in step with the wall clock.
  void setFastest(bool fastest);

  // Switches an input as the user does (also while paused).
  void setInput(const std::string& point, bool on);

  // The session since the last power-on: a VCD waveform, or a stimulus text.
  Status saveWaveform(const std::filesystem::path& path) const;
  Status saveStimulus(const std::filesystem::path& path) const;
  // The record of the session since the last power-on; null before a start.
  const SimulationResult* record() const;
  // The pins the simulation drives and watches.
  const SimPinMap& pins() const { return pins_; }
  // The display's registers as last decoded; nothing without a display.
  std::optional<Max7219Display> display() const;

 private:
  QWidget* buildControls();
  QWidget* buildInputs();
  QWidget* buildOutputs();
  QWidget* buildValues(const std::vector<std::string>& devices);
  void tick();
  // The values as the chip holds them now; blank until the firmware has run (RAM holds
  // anything at power-on).
  void showValues(const std::vector<long>& values);
  void clearValues();
  void showPoints();
  void showTime();
  void showError(const Error& error);
  void chooseFile(bool waveform);

  // A device's row in the values table and the watches it reads.
  struct ValueRow {
    std::string device;
    std::vector<std::size_t> watches;  // indexes into watches_
  };

  std::filesystem::path workDirectory_;
  Settings settings_;
  SimPinMap pins_;
  std::optional<Max7219Pins> displayPins_;
  std::unique_ptr<LiveSession> session_;
  std::optional<Max7219Decoder> decoder_;
  LivePace pace_;
  bool running_ = false;
  bool fastest_ = false;
  std::vector<RamWatch> watches_;
  std::vector<ValueRow> rows_;
  QElapsedTimer sinceRead_;
  // When a switch was pressed, to tell a click (toggle) from a hold (push button).
  std::map<std::string, QElapsedTimer> pressed_;

  QTimer* timer_ = nullptr;
  QPushButton* runButton_ = nullptr;
  QComboBox* speed_ = nullptr;
  QLabel* time_ = nullptr;
  QLabel* status_ = nullptr;
  std::map<std::string, QPushButton*> switches_;
  std::map<std::string, QLabel*> lamps_;
  SevenSegmentDigits* digits_ = nullptr;
  QTableWidget* values_ = nullptr;
};

// Opens the view over `owner` (a window of its own, closed with it), replacing one already
// open, and starts it: the firmware and the board of the work directory, the values of the
// devices `program` names (none when it is empty or cannot be read).
BoardView* openBoardView(QWidget* owner, const std::filesystem::path& workDirectory,
                         const Settings& settings, const std::filesystem::path& program);

}  // namespace ladder51::gui
