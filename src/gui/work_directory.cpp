#include "gui/work_directory.h"

#include <QDir>
#include <QFileInfo>
#include <string_view>

#include "core/config/settings_files.h"

namespace ladder51::gui {

bool holdsSettingsFiles(const QString& folder) {
  if (folder.isEmpty()) return false;
  const QDir dir(folder);
  for (const std::string_view name : {kPinFileName, kEepromFileName, kDisplayFileName}) {
    const QString file = QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
    if (QFileInfo(dir.filePath(file)).isFile()) return true;
  }
  return false;
}

bool isWritableFolder(const QString& folder) {
  const QFileInfo info(folder);
  return !folder.isEmpty() && info.isDir() && info.isWritable();
}

WorkDirectoryChoice chooseWorkDirectory(const WorkDirectoryCandidates& candidates,
                                        const std::function<bool(const QString&)>& isWritable) {
  if (!candidates.named.isEmpty()) return {candidates.named, WorkDirectoryReason::Named};
  if (holdsSettingsFiles(candidates.program) && isWritable(candidates.program)) {
    return {candidates.program, WorkDirectoryReason::ProgramFolder};
  }
  if (holdsSettingsFiles(candidates.current)) {
    return {candidates.current, WorkDirectoryReason::CurrentFolder};
  }
  return {candidates.userConfig, WorkDirectoryReason::UserConfig};
}

bool prepareWorkDirectory(const QString& path) {
  return !path.isEmpty() && QDir().mkpath(path);
}

}  // namespace ladder51::gui
