// The window speaks Chinese: its own translation (compiled from translations/ladder51_zh_CN.ts
// into a resource of the program) and Qt's for its dialogs and buttons.
#pragma once

class QCoreApplication;

namespace ladder51::gui {

// Installs both translations on `app`. Returns whether the window's own one was found (it is
// built into the program, so only a broken build lacks it); Qt's may be missing without harm
// (package qt6-translations-l10n), its dialogs are then in English.
bool installTranslations(QCoreApplication& app);

}  // namespace ladder51::gui
