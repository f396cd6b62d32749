// ladder51.ini: the settings of a work directory that the three files of earlier installations
// (7219.dat, IIC.dat, io.dat) have no field for, so that those stay as they are. One setting a
// line, NAME=VALUE ("chip=stc89c54"), blanks around either ignored; blank lines and lines that
// begin with "#" or ";" are comments. A save rewrites the lines of the settings it knows and keeps
// every other line as it stands, so that a file written by a later ladder51 loses nothing. UTF-8
// (a byte order mark is skipped); a file in the local code page (GBK) is read as such.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/config/settings.h"
#include "core/config/settings_files.h"

namespace ladder51 {

// Applies ladder51.ini as read to `settings` and returns a notice for each part that cannot be
// used, which leaves its settings as they were: a file that cannot be read or is not text, a
// line that is not NAME=VALUE, an unknown name, a value the setting cannot take, a setting given
// twice (the first counts). A missing file leaves everything as it is, without a notice.
std::vector<UserNotice> applyOptionsFile(const SettingsFileRead& read, SettingsText& settings);

// The bytes of ladder51.ini that hold `settings`, made from the file as it stood (`previous`, its
// bytes, or "" for none): each setting's first line replaced (a later one dropped), the settings
// it lacked added at its end, the other lines kept in order. Lines end in LF.
std::string optionsFileText(const SettingsText& settings, std::string_view previous);

}  // namespace ladder51
