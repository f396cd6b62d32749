#include "gui/session.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <QThread>
#include <QTime>
#include <exception>
#include <utility>

#include "core/file_io.h"
#include "core/sequence.h"
#include "core/translator/fx_encoding.h"
#include "core/translator/instruction_list.h"
#include "gui/texts.h"
#include "gui/work_directory.h"

namespace ladder51::gui {
namespace {

QString fromUtf8(const std::string& text) {
  return QString::fromStdString(text);
}

QString pathText(const std::filesystem::path& path) {
  return QString::fromStdString(path.string());
}

QString now() {
  return QTime::currentTime().toString(QStringLiteral("HH:mm:ss"));
}

}  // namespace

Session::Session(std::filesystem::path workDirectory, MessageSink& messages,
                 std::shared_ptr<BuildService> builds, QObject* parent)
    : QObject(parent),
      workspace_(std::move(workDirectory), *this),
      messages_(messages),
      builds_(std::move(builds)) {}

Session::~Session() {
  if (buildThread_ != nullptr) {
    buildThread_->wait();
    delete buildThread_;
  }
}

bool Session::startUp() {
  const bool firstStart = !holdsSettingsFiles(pathText(workDirectory()));
  const Status started = workspace_.startUp();
  settingsError_.reset();
  if (!started) settingsError_ = started.error();
  if (firstStart) {
    // No file to blame: the defaults are simply what a new board starts from.
    std::erase_if(notices_, [](const UserNotice& n) {
      return n.kind == NoticeKind::SettingsDefaulted || n.kind == NoticeKind::SettingsLineIgnored;
    });
    setStatus(firstStartText());
  }
  reportNotices();
  emit settingsChanged();
  return started.ok();
}

Status Session::save(const SettingsText& settings) {
  // Any setting the saved ones change may change the firmware (pins, crystal, chip, time base).
  const Settings before = workspace_.settings();
  const Status saved = workspace_.save(settings);
  if (!saved) return saved;
  settingsError_.reset();
  emit settingsChanged();
  reportNotices();
  if (built_ && !building() && workspace_.settings() != before) {
    setStatus(QString::fromUtf8(kStatusOutOfDate), StatusKind::OutOfDate);
  } else if (!building()) {
    setStatus(QString::fromUtf8(kStatusSaved).arg(now()), StatusKind::Done);
  }
  return saved;
}

void Session::refuseSettings(const QString& why) {
  setStatus(why, StatusKind::Failed);
}

bool Session::rebuild() {
  if (!canRebuild()) return false;
  return openProgram(programPath_.toStdString());
}

bool Session::openProgram(const std::filesystem::path& program) {
  if (building()) return false;
  programPath_ = pathText(program);
  built_ = false;
  results_.clear();
  lastBuild_.reset();
  writtenSource_.clear();
  stepLines_.clear();
  hexBeside_.clear();
  setStatus(QString());
  emit resultsChanged();
  emit programChanged(programPath_);

  Result<AssembledFile> file = workspace_.translateAndAssemble(program);
  if (!file && file.error().kind == ErrorKind::ProgramUnsupported) {
    reportNotices();
    const Error refusal = file.error();
    // The list is the whole story; going on leaves those steps out of the firmware.
    if (!messages_.ask(unsupportedQuestion(refusal), QString::fromUtf8(kGenerateAnyway),
                       QString::fromUtf8(kCancel))) {
      for (ResultEntry& step : unsupportedSteps()) addResult(std::move(step));
      showFailure(QString::fromUtf8(kStatusRefused).arg(errorText(refusal).headline));
      return false;
    }
    AssembleOptions skipping;
    skipping.skipUnsupported = true;
    file = workspace_.translateAndAssemble(program, skipping);
  }
  reportNotices(file ? &*file : nullptr);
  if (!file) {
    addError(file.error());
    showFailure(QString::fromUtf8(kStatusRefused).arg(errorText(file.error()).headline));
    return false;
  }
  if (!file->undeclaredInputs.empty())
    addResult({ResultKind::Notice, undeclaredInputsText(file->undeclaredInputs), {}, {}});
  writtenSource_ = file->text;
  stepLines_ = file->stepLines;
  if (!builds_) {
    built_ = true;
    setStatus(pathText(file->path), StatusKind::Done);
    return true;
  }
  startBuild(*file);
  return true;
}

QString Session::unsupportedQuestion(const Error& refusal) const {
  QStringList lines{errorText(refusal).headline};
  for (const ResultEntry& step : unsupportedSteps()) lines << QStringLiteral("  ") + step.text;
  lines << ReportTexts::tr("Build the firmware without these steps?");
  return lines.join(QLatin1Char('\n'));
}

std::vector<ResultEntry> Session::unsupportedSteps() const {
  std::vector<ResultEntry> steps;
  for (const Notice& warning : workspace_.translation().warnings) {
    // Operand words belong to the instruction listed before them.
    if (fx::inOperandWordRange(warning.step.words.front())) continue;
    steps.push_back({ResultKind::Refused,
                     stepText(warning.step, describeInstruction(warning.step.words)),
                     stepNoticeText(warning.kind, warning.values), warning.step});
  }
  return steps;
}

void Session::setStatus(const QString& status, StatusKind kind) {
  if (status == status_ && kind == statusKind_) return;
  status_ = status;
  statusKind_ = kind;
  emit statusChanged(status_);
}

void Session::showFailure(const QString& line) {
  setStatus(line, StatusKind::Failed);
}

void Session::addResult(ResultEntry entry) {
  results_.push_back(std::move(entry));
  emit resultsChanged();
}

void Session::addError(const Error& error, const ErrorContext& context) {
  const ErrorText text = errorText(error, context);
  addResult({error.step ? ResultKind::Refused : ResultKind::Failed, text.headline, text.detail,
             error.step});
}

void Session::notice(const UserNotice& notice) {
  if (QThread::currentThread() != thread()) {
    // Heard from the build's thread: held on this object's thread until the build ends.
    QMetaObject::invokeMethod(
        this, [this, notice] { notices_.push_back(notice); }, Qt::QueuedConnection);
    return;
  }
  notices_.push_back(notice);
}

void Session::stage(const BuildProgress& progress) {
  // Heard on the build's thread; the text comes back to this object's thread through its event
  // queue, before the thread's finished signal does.
  QMetaObject::invokeMethod(
      this, [this, stage = progress.stage] { setStatus(stageText(stage)); }, Qt::QueuedConnection);
}

void Session::reportNotices(const AssembledFile* file) {
  std::vector<UserNotice> notices;
  notices.swap(notices_);
  for (const UserNotice& notice : notices) {
    switch (notice.kind) {
      case NoticeKind::StepPassedOver:
        addResult({ResultKind::Skipped, stepText(*notice.step, notice.instruction),
                   stepNoticeText(notice.about, notice.values), notice.step});
        break;
      case NoticeKind::StepNotice:
        addResult({ResultKind::Notice, stepText(*notice.step, notice.instruction),
                   stepNoticeText(notice.about, notice.values), notice.step});
        break;
      case NoticeKind::OutputWithoutPin:
        if (file != nullptr) {
          addResult({ResultKind::Notice, undeclaredOutputsText(file->undeclaredOutputs), {}, {}});
        }
        break;
      case NoticeKind::RegistersInXram:
        addResult({ResultKind::Notice,
                   registersInXramText(workspace_.translation().devices.dataRegister),
                   {},
                   {}});
        break;
      case NoticeKind::SettingsDefaulted:
      case NoticeKind::SettingsLineIgnored:
      case NoticeKind::TimeBaseRounding:
        addResult({ResultKind::Notice, noticeText(notice), {}, {}});
        break;
    }
  }
}

void Session::startBuild(const AssembledFile& file) {
  BuildJob job = buildJobFor(workspace_, file);
  buildResult_ = std::make_shared<std::optional<BuildSummary>>();
  setStatus(QString());

  // The thread sees only its own copies, and reaches this object only as its observer.
  buildThread_ =
      QThread::create([this, job = std::move(job), builds = builds_, result = buildResult_] {
        try {
          *result = builds->build(job, *this);
        } catch (const std::exception& fault) {
          // A build must never take the window down with it.
          BuildSummary failed;
          failed.failure = Error{ErrorKind::Internal, fault.what(), job.sourceFile.string()};
          *result = std::move(failed);
        }
      });
  connect(buildThread_, &QThread::finished, this, &Session::finishBuild, Qt::QueuedConnection);
  buildThread_->start();
  emit buildingChanged(true);
}

std::filesystem::path Session::hexFolder() const {
  return hexBeside_.empty() ? workDirectory() : hexBeside_.parent_path();
}

void Session::copyHexBesideProgram(const std::filesystem::path& hexFile) {
  const std::filesystem::path program = programPath_.toStdString();
  const std::filesystem::path folder = program.parent_path();
  std::error_code ec;
  if (folder.empty() || std::filesystem::equivalent(folder, workDirectory(), ec)) return;
  const std::filesystem::path beside = folder / (program.stem().string() + ".hex");
  // A hex of a few hundred kilobytes at most: the largest chip has 64 KB of flash.
  Result<std::string> hex = readWholeFile(hexFile, 1 << 22);
  const Status written = hex ? writeFileAtomically(beside, *hex) : Status(hex.error());
  if (!written) {
    addResult({ResultKind::Warning,
               ReportTexts::tr("The hex could not be written beside the program as %1.")
                   .arg(QDir::toNativeSeparators(pathText(beside))),
               errorText(written.error()).headline,
               {}});
    return;
  }
  hexBeside_ = beside;
  addResult({ResultKind::Notice,
             ReportTexts::tr("The hex is also written beside the program: %1")
                 .arg(QDir::toNativeSeparators(pathText(beside))),
             {},
             {}});
}

void Session::finishBuild() {
  buildThread_->wait();
  delete buildThread_;
  buildThread_ = nullptr;
  std::shared_ptr<std::optional<BuildSummary>> result = std::move(buildResult_);
  reportNotices();
  if (!result || !result->has_value()) {
    emit buildingChanged(false);
    return;
  }
  const BuildSummary& summary = **result;
  lastBuild_ = summary;
  for (const std::string& warning : summary.warnings) {
    addResult({ResultKind::Warning, fromUtf8(warning), {}, {}});
  }
  if (summary.scanTime && summary.scanTime->maxMicros > kLongScanMicros) {
    addResult({ResultKind::Warning, longScanText(*summary.scanTime), {}, {}});
  }
  if (summary.failure) {
    const Error& error = *summary.failure;
    addError(error, {.measured = summary.memory, .limits = summary.limits});
    showFailure(
        QString::fromUtf8(kStatusBuildFailed)
            .arg(
                errorText(error, {.measured = summary.memory, .limits = summary.limits}).headline));
  } else {
    built_ = true;
    copyHexBesideProgram(summary.hexFile);
    QStringList lines{QString::fromUtf8(kStatusBuilt)
                          .arg(QFileInfo(programPath_).fileName(),
                               QDir::toNativeSeparators(pathText(summary.hexFile)), now())};
    if (!summary.warnings.empty()) {
      lines << QString::fromUtf8(kBuildWarningsCount).arg(summary.warnings.size());
    }
    setStatus(lines.join(QLatin1Char('\n')), StatusKind::Done);
  }
  emit buildingChanged(false);
}

}  // namespace ladder51::gui
