#include "gui/session.h"

#include <QFileInfo>
#include <QStringList>
#include <QThread>
#include <QTime>
#include <exception>
#include <utility>

#include "core/sequence.h"
#include "gui/texts.h"

namespace ladder51::gui {
namespace {

QString fromUtf8(const std::string& text) {
  return QString::fromStdString(text);
}

QString pathText(const std::filesystem::path& path) {
  return QString::fromStdString(path.string());
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
  const Status started = workspace_.startUp();
  emit settingsChanged();
  reportNotices();
  if (!started) {
    messages_.show(fromUtf8(started.error().describe()));
    return false;
  }
  return true;
}

bool Session::save(const SettingsText& settings) {
  // Any setting the saved ones change may change the firmware (pins, crystal, chip, time base).
  const Settings before = workspace_.settings();
  const Status saved = workspace_.save(settings);
  if (!saved) {
    messages_.show(fromUtf8(saved.error().describe()));
    if (saved.error().kind == ErrorKind::BadFilter) {
      emit filterRestored(fromUtf8(workspace_.savedFilter()));
    }
    return false;
  }
  emit settingsChanged();
  reportNotices();
  if (built_ && !building() && workspace_.settings() != before) {
    setStatus(QString::fromUtf8(kStatusOutOfDate), StatusKind::OutOfDate);
  }
  return true;
}

bool Session::rebuild() {
  if (!canRebuild()) return false;
  return openProgram(programPath_.toStdString());
}

bool Session::openProgram(const std::filesystem::path& program) {
  if (building()) return false;
  programPath_ = pathText(program);
  built_ = false;
  setStatus(QString());
  emit programChanged(programPath_);

  Result<AssembledFile> file = workspace_.translateAndAssemble(program);
  if (!file && file.error().kind == ErrorKind::ProgramUnsupported) {
    reportNotices();
    // The list is the whole story; going on leaves those steps out of the firmware.
    if (!messages_.ask(fromUtf8(file.error().message), QString::fromUtf8(kGenerateAnyway),
                       QString::fromUtf8(kCancel))) {
      showFailure(
          QString::fromUtf8(kStatusRefused)
              .arg(fromUtf8(file.error().message.substr(0, file.error().message.find('\n')))));
      return false;
    }
    AssembleOptions skipping;
    skipping.skipUnsupported = true;
    file = workspace_.translateAndAssemble(program, skipping);
    // The steps left out were just listed: no second message about them.
    std::erase_if(notices_,
                  [](const UserNotice& n) { return n.kind == NoticeKind::StepPassedOver; });
  }
  reportNotices();
  if (!file) {
    messages_.show(fromUtf8(file.error().describe()));
    showFailure(QString::fromUtf8(kStatusRefused).arg(fromUtf8(file.error().describe())));
    return false;
  }
  if (!builds_) {
    built_ = true;
    setStatus(pathText(file->path), StatusKind::Done);
    return true;
  }
  startBuild(*file);
  return true;
}

void Session::setStatus(const QString& status, StatusKind kind) {
  if (status == status_ && kind == statusKind_) return;
  status_ = status;
  statusKind_ = kind;
  emit statusChanged(status_);
}

void Session::showFailure(const QString& line) {
  stage_.clear();
  setStatus(line, StatusKind::Failed);
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
      this,
      [this, text = fromUtf8(progress.status)] {
        stage_ = text;
        setStatus(stage_);
      },
      Qt::QueuedConnection);
}

void Session::reportNotices() {
  std::vector<UserNotice> notices;
  notices.swap(notices_);
  // Step notices are messages the PLC tool shows one by one; the words passed over are listed
  // together.
  QStringList passedOver, others;
  for (const UserNotice& notice : notices) {
    switch (notice.kind) {
      case NoticeKind::StepNotice:
        messages_.show(fromUtf8(notice.message + " (" + notice.step->describe() + ")"));
        break;
      case NoticeKind::StepPassedOver:
        passedOver << fromUtf8(notice.step->describe() + ": " + notice.message);
        break;
      case NoticeKind::SettingsDefaulted:
      case NoticeKind::OutputWithoutPin:
      case NoticeKind::RegistersInXram:
      case NoticeKind::TimeBaseRounding:
        others << fromUtf8(notice.message);
        break;
    }
  }
  if (!passedOver.isEmpty()) messages_.show(passedOver.join(QLatin1Char('\n')));
  if (!others.isEmpty()) messages_.show(others.join(QLatin1Char('\n')));
}

void Session::startBuild(const AssembledFile& file) {
  BuildJob job = buildJobFor(workspace_, file);
  buildResult_ = std::make_shared<std::optional<Result<BuildSummary>>>();
  stage_.clear();
  setStatus(QString());
  buildWarnings_.clear();
  emit buildWarningsChanged(buildWarnings_);

  // The thread sees only its own copies, and reaches this object only as its observer.
  buildThread_ =
      QThread::create([this, job = std::move(job), builds = builds_, result = buildResult_] {
        try {
          *result = builds->build(job, *this);
        } catch (const std::exception& fault) {
          // A build must never take the window down with it.
          *result = Error{ErrorKind::Internal, fault.what(), job.sourceFile.string()};
        }
      });
  connect(buildThread_, &QThread::finished, this, &Session::finishBuild, Qt::QueuedConnection);
  buildThread_->start();
  emit buildingChanged(true);
}

void Session::finishBuild() {
  buildThread_->wait();
  delete buildThread_;
  buildThread_ = nullptr;
  std::shared_ptr<std::optional<Result<BuildSummary>>> result = std::move(buildResult_);
  emit buildingChanged(false);
  reportNotices();

  if (!result || !result->has_value()) return;
  const Result<BuildSummary>& summary = **result;
  if (!summary) {
    const Error& error = summary.error();
    messages_.show(fromUtf8(error.describe()));
    // The first line says what failed; the tool's output stays in the message.
    const QString why = fromUtf8(error.message.substr(0, error.message.find('\n')));
    showFailure(error.where.empty()
                    ? QString::fromUtf8(kStatusRefused).arg(why)
                    : QString::fromUtf8(kStatusBuildFailed).arg(fromUtf8(error.where), why));
    return;
  }
  built_ = true;
  QStringList lines;
  if (!stage_.isEmpty()) lines << stage_;
  lines << QString::fromUtf8(kStatusBuilt)
               .arg(QFileInfo(programPath_).fileName(), pathText(summary->hexFile),
                    QTime::currentTime().toString(QStringLiteral("HH:mm:ss")));
  if (!summary->memoryUse.empty()) lines << fromUtf8(summary->memoryUse);
  // Tool warnings do not stop the build; they are counted here and readable on demand rather
  // than put in the user's way after every build.
  QStringList warnings;
  for (const std::string& warning : summary->warnings) warnings << fromUtf8(warning);
  if (!warnings.isEmpty()) lines << QString::fromUtf8(kBuildWarningsCount).arg(warnings.size());
  buildWarnings_ = warnings.join(QLatin1Char('\n'));
  emit buildWarningsChanged(buildWarnings_);
  setStatus(lines.join(QLatin1Char('\n')), StatusKind::Done);
}

}  // namespace ladder51::gui
