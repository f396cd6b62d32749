// The window's state apart from its widgets: the Workspace of the work directory, the opened
// program, the status line, the results of the last translation and build, and the build
// running in the background. The window displays it and forwards the user's commands; only
// questions go to the MessageSink.
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
#include "gui/report_texts.h"

class QThread;

namespace ladder51::gui {

// What the status line says, so that the window can show a failure as one.
enum class StatusKind {
  Working,    // a stage running, or nothing yet
  Done,       // the last program was built (or written), or the settings saved
  Failed,     // the last command produced no firmware or saved nothing; the line says why
  OutOfDate,  // settings saved since the last build change the generated file
};

// One line of the results panel.
enum class ResultKind {
  Refused,  // a step or a program the translation refused
  Skipped,  // a step left out of the firmware
  Notice,   // something the user should know that stopped nothing
  Warning,  // a tool's warning, or a scan too long for the timers
  Failed,   // a command that produced no firmware
};

struct ResultEntry {
  ResultKind kind = ResultKind::Notice;
  QString text;
  QString detail;               // the core's own account, or ""
  std::optional<StepRef> step;  // the step it is about

  bool operator==(const ResultEntry&) const = default;
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
  // them; settingsError() then says why they did not. A folder without any settings file is a
  // first start: one line says that the defaults are in use. Returns whether the sections were
  // generated.
  bool startUp();
  // Why the loaded settings did not pass, until a save succeeds.
  const std::optional<Error>& settingsError() const { return settingsError_; }

  // The save command for settings the window has checked. On success the status line confirms
  // it (or says that fx1n.hex is out of date) and the saved settings are announced; a refusal
  // is returned for the window to point at its field.
  Status save(const SettingsText& settings);
  // The status line of settings the window refused before saving.
  void refuseSettings(const QString& why);

  // The open command for a chosen file: clears the results, translates the program and writes
  // fx1n.c at once, asks whether to go on without the steps ladder51 does not translate, then
  // starts the build in the background. Refused (false, nothing done) while a build runs.
  bool openProgram(const std::filesystem::path& program);
  // Opens the last program again, with the settings saved since (false when there is none).
  bool rebuild();
  bool canRebuild() const { return !programPath_.isEmpty() && !building(); }

  bool building() const { return buildThread_ != nullptr; }
  // The status line: the stage running, or the program and where fx1n.hex went, or why there
  // is no firmware.
  const QString& status() const { return status_; }
  StatusKind statusKind() const { return statusKind_; }
  // The results of the last open (translation and build), in the order they arose.
  const std::vector<ResultEntry>& results() const { return results_; }
  // The last build's summary, once it has ended.
  const std::optional<BuildSummary>& lastBuild() const { return lastBuild_; }
  // The fx1n.c last written; "" before any.
  const std::string& writtenSource() const { return writtenSource_; }
  // Where each step's statements stand in that file.
  const std::vector<StepLines>& stepLines() const { return stepLines_; }
  // The program last chosen, empty before the first.
  const QString& programPath() const { return programPath_; }
  // Where the last build's hex went for the user: the program's folder when a copy was written
  // beside the program, the work directory otherwise.
  std::filesystem::path hexFolder() const;

  // Notices are held until the command that caused them (or the build's end) reports them.
  void notice(const UserNotice& notice) override;
  // A build stage starting, heard on the build's thread: its name becomes the status line.
  void stage(const BuildProgress& progress) override;

 signals:
  void settingsChanged();
  void statusChanged(const QString& status);
  void programChanged(const QString& path);
  void buildingChanged(bool building);
  void resultsChanged();

 private:
  void setStatus(const QString& status, StatusKind kind = StatusKind::Working);
  void showFailure(const QString& line);
  void addResult(ResultEntry entry);
  void addError(const Error& error, const ErrorContext& context = {});
  // Moves the held notices to the results; `file` gives the outputs no pin carries.
  void reportNotices(const AssembledFile* file = nullptr);
  // The question for a program with steps ladder51 does not translate, and those steps.
  QString unsupportedQuestion(const Error& refusal) const;
  std::vector<ResultEntry> unsupportedSteps() const;
  void startBuild(const AssembledFile& file);
  void finishBuild();
  // Copies the built hex beside the program as <stem>.hex when the program's folder is not the
  // work directory; the panel says where it went, or why it did not.
  void copyHexBesideProgram(const std::filesystem::path& hexFile);

  Workspace workspace_;
  MessageSink& messages_;
  std::shared_ptr<BuildService> builds_;
  QString status_;
  StatusKind statusKind_ = StatusKind::Working;
  bool built_ = false;  // the last program's firmware (or fx1n.c) was written
  std::optional<Error> settingsError_;
  QString programPath_;
  std::vector<ResultEntry> results_;
  std::optional<BuildSummary> lastBuild_;
  std::string writtenSource_;
  std::vector<StepLines> stepLines_;
  std::filesystem::path hexBeside_;  // the copy beside the program, once written
  std::vector<UserNotice> notices_;
  QThread* buildThread_ = nullptr;
  // Written by the build thread before it finishes, read once it has.
  std::shared_ptr<std::optional<BuildSummary>> buildResult_;
};

}  // namespace ladder51::gui
