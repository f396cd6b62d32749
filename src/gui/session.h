// The window's state apart from its widgets: the Workspace of the work directory, the opened
// program, the status line and the build running in the background. The window displays it
// and forwards the user's commands; every report goes to the MessageSink.
#pragma once

#include <QObject>
#include <QString>
#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

#include "core/observer.h"
#include "core/workspace.h"
#include "gui/build_service.h"
#include "gui/message_sink.h"

class QThread;

namespace ladder51::gui {

// What the status line says, so that the window can show a failure as one.
enum class StatusKind {
  Working,    // a stage running, or nothing yet
  Done,       // the last program was built (or written)
  Failed,     // the last command produced no firmware; the line says why
  OutOfDate,  // settings saved since the last build change the generated file
};

class Session final : public QObject, public Observer {
  Q_OBJECT

 public:
  // `builds` may be null: opening a program then writes fx1n.c and builds nothing.
  Session(std::filesystem::path workDirectory, MessageSink& messages,
          std::shared_ptr<BuildService> builds, QObject* parent = nullptr);
  // Waits for a running build to finish.
  ~Session() override;

  const Workspace& workspace() const { return workspace_; }
  const std::filesystem::path& workDirectory() const { return workspace_.directory(); }

  // Loads the settings files, validates them and generates the sections. The loaded settings
  // are announced (settingsChanged) whether or not they pass, so that the user can correct
  // them; a failure is reported. Returns whether the sections were generated.
  bool startUp();

  // The save command. On success the saved settings are announced; on a failed check the
  // message is reported and, when the filter was at fault, filterRestored gives the saved
  // filter back.
  bool save(const SettingsText& settings);

  // The open command for a chosen file: clears the status line, translates the program and
  // writes fx1n.c at once, reports the translation's notices, warnings and any refusal, then
  // starts the build in the background. Refused (false, nothing done) while a build runs.
  bool openProgram(const std::filesystem::path& program);
  // Opens the last program again, with the settings saved since (false when there is none).
  bool rebuild();
  bool canRebuild() const { return !programPath_.isEmpty() && !building(); }

  bool building() const { return buildThread_ != nullptr; }
  // The status line: the stage text, then the program, where fx1n.hex went, the time and the
  // memory use; or why there is no firmware.
  const QString& status() const { return status_; }
  StatusKind statusKind() const { return statusKind_; }
  // The tool warnings of the last build, one a line.
  const QString& buildWarnings() const { return buildWarnings_; }
  // The program last chosen, empty before the first.
  const QString& programPath() const { return programPath_; }

  // Notices are held until the command that caused them (or the build's end) reports them.
  void notice(const UserNotice& notice) override;
  // A build stage starting, heard on the build's thread: its text becomes the status line.
  void stage(const BuildProgress& progress) override;

 signals:
  void settingsChanged();
  void filterRestored(const QString& filter);
  void statusChanged(const QString& status);
  void programChanged(const QString& path);
  void buildingChanged(bool building);
  void buildWarningsChanged(const QString& warnings);

 private:
  void setStatus(const QString& status, StatusKind kind = StatusKind::Working);
  // The status line of a command that produced no firmware.
  void showFailure(const QString& line);
  // Shows the held notices: those about steps first (each notice alone, the steps passed over
  // together), then the others together.
  void reportNotices();
  void startBuild(const AssembledFile& file);
  void finishBuild();

  Workspace workspace_;
  MessageSink& messages_;
  std::shared_ptr<BuildService> builds_;
  QString status_;
  StatusKind statusKind_ = StatusKind::Working;
  bool built_ = false;  // the last program's firmware (or fx1n.c) was written
  QString stage_;
  QString programPath_;
  QString buildWarnings_;
  std::vector<UserNotice> notices_;
  QThread* buildThread_ = nullptr;
  // Written by the build thread before it finishes, read once it has.
  std::shared_ptr<std::optional<Result<BuildSummary>>> buildResult_;
};

}  // namespace ladder51::gui
