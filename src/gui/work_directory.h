// Which folder the window works in: where the settings files are read and written and
// fx1n.c and fx1n.hex are put.
#pragma once

#include <QString>
#include <functional>

namespace ladder51::gui {

// The folders a choice is made from.
struct WorkDirectoryCandidates {
  QString named;       // given with --dir; empty when none was given
  QString program;     // the folder holding the program
  QString current;     // the current directory
  QString userConfig;  // the user's configuration folder for this application
};

// Why a folder was chosen, for the window to show.
enum class WorkDirectoryReason { Named, ProgramFolder, CurrentFolder, UserConfig };

struct WorkDirectoryChoice {
  QString path;
  WorkDirectoryReason reason = WorkDirectoryReason::Named;
};

// Whether `folder` holds io.dat, IIC.dat or 7219.dat.
bool holdsSettingsFiles(const QString& folder);

// Whether `folder` is an existing folder this process may write in.
bool isWritableFolder(const QString& folder);

// The folder named with --dir; else the program's folder when it holds settings files and is
// writable (an existing installation keeps working as before); else the current directory
// when it holds settings files; else the user's configuration folder.
// `isWritable` tells whether a folder may be written in.
WorkDirectoryChoice chooseWorkDirectory(
    const WorkDirectoryCandidates& candidates,
    const std::function<bool(const QString&)>& isWritable = isWritableFolder);

// Creates the chosen folder when it does not exist yet; false when that fails.
bool prepareWorkDirectory(const QString& path);

}  // namespace ladder51::gui
