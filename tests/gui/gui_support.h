// Stand-ins for the window's tests: a message sink that records, a build that advances only
// when the test lets it, settings files written by hand, and a window over a scratch folder.
#pragma once

#include <QDir>
#include <QFile>
#include <QSemaphore>
#include <QStringList>
#include <QTemporaryDir>
#include <array>
#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "core/translator/instruction_list.h"
#include "gui/build_service.h"
#include "gui/main_window.h"
#include "gui/message_sink.h"
#include "gui/session.h"

namespace ladder51::gui::test {

// Keeps every message instead of showing it.
class RecordingMessageSink final : public MessageSink {
 public:
  void show(const QString& text) override { shown << text; }
  QStringList shown;
};

// A build that reports its stages one by one; before each stage after the first it waits until
// the test calls advance(). The result is set by the test beforehand.
class GatedBuildService final : public BuildService {
 public:
  explicit GatedBuildService(std::vector<std::string> stages) : stages_(std::move(stages)) {}

  Result<BuildSummary> build(const BuildJob& request, Observer& observer) override {
    {
      std::lock_guard lock(mutex_);
      requests_.push_back(request);
    }
    for (std::size_t k = 0; k < stages_.size(); ++k) {
      if (k > 0) gate_.acquire();
      observer.stage({.stage = BuildStage::Compile, .status = stages_[k], .commandLine = {}});
    }
    std::lock_guard lock(mutex_);
    return result_.value_or(Error{ErrorKind::Internal, "no result was set for this build"});
  }

  // Lets the build go on to its next stage.
  void advance() { gate_.release(); }
  // Lets the build run to its end without further waits (so that a test that stops early does
  // not leave the window waiting for it forever).
  void openGate() { gate_.release(static_cast<int>(stages_.size())); }
  void setResult(Result<BuildSummary> result) {
    std::lock_guard lock(mutex_);
    result_ = std::move(result);
  }
  std::vector<BuildJob> requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
  }

 private:
  std::vector<std::string> stages_;
  QSemaphore gate_;
  mutable std::mutex mutex_;
  std::optional<Result<BuildSummary>> result_;
  std::vector<BuildJob> requests_;
};

// The three settings files as text, written field by field the way the PLC tool writes them.
struct BoardFiles {
  std::array<std::string, 36> pins{};
  std::string filter = "3";
  int display = 0;
  std::string din, load, clk;
  bool largeEeprom = false;
  bool smallEeprom = false;
  std::string scl = "3.6", sda = "3.7";
  int proteus = 0;
  std::string crystal = "12";
};

inline std::string quoted(const std::string& text) {
  return "\"" + text + "\"";
}

inline std::string truth(bool value) {
  return value ? "#TRUE#" : "#FALSE#";
}

inline QByteArray readBytes(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return file.readAll();
}

inline bool writeBytes(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

inline bool writeBoardFiles(const QString& folder, const BoardFiles& board) {
  const QDir dir(folder);
  const std::string display = std::to_string(board.display) + "," + quoted(board.din) + "," +
                              quoted(board.load) + "," + quoted(board.clk) + "\r\n";
  const std::string eeprom = truth(board.largeEeprom) + "," + quoted(board.scl) + "," +
                             quoted(board.sda) + "," + std::to_string(board.proteus) + "," +
                             truth(board.smallEeprom) + "," + quoted(board.crystal) + "\r\n";
  std::string io;
  for (const std::string& pin : board.pins) io += quoted(pin) + ",";
  io += quoted(board.filter) + "\r\n";
  return writeBytes(dir.filePath("7219.dat"), QByteArray::fromStdString(display)) &&
         writeBytes(dir.filePath("IIC.dat"), QByteArray::fromStdString(eeprom)) &&
         writeBytes(dir.filePath("io.dat"), QByteArray::fromStdString(io));
}

// The three settings files' bytes, to see whether a command changed them.
inline QByteArray settingsSnapshot(const QString& folder) {
  const QDir dir(folder);
  return readBytes(dir.filePath("7219.dat")) + '|' + readBytes(dir.filePath("IIC.dat")) + '|' +
         readBytes(dir.filePath("io.dat"));
}

// Writes the .pmw program of an instruction list into `folder`; returns its path, or "" when
// the list does not assemble.
inline QString writeProgram(const QString& folder, const QString& name, const char* il) {
  Result<std::vector<std::uint8_t>> bytes = assembleInstructionList(il);
  if (!bytes) return {};
  const QString path = QDir(folder).filePath(name);
  const QByteArray data(reinterpret_cast<const char*>(bytes->data()),
                        static_cast<qsizetype>(bytes->size()));
  return writeBytes(path, data) ? path : QString();
}

// A window over a fresh scratch folder, with recorded messages and an optional build.
struct WindowUnderTest {
  explicit WindowUnderTest(std::shared_ptr<BuildService> builds = nullptr)
      : session(folder.path().toStdString(), messages, std::move(builds)),
        window(session, messages) {}

  QString path(const QString& name) const { return QDir(folder.path()).filePath(name); }
  template <class Widget>
  Widget* find(const char* name) {
    return window.findChild<Widget*>(QString::fromLatin1(name));
  }

  QTemporaryDir folder;
  RecordingMessageSink messages;
  Session session;
  MainWindow window;
};

// A typical board: X0 on P3.2, X1 on P3.3, Y0 on P1.0, and the EEPROM pins set.
inline BoardFiles typicalBoard() {
  BoardFiles board;
  board.pins[26] = "X0";
  board.pins[27] = "X1";
  board.pins[8] = "Y0";
  return board;
}

}  // namespace ladder51::gui::test
