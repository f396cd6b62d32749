// Runs every test class of the window in one QApplication.
#include <QApplication>

#include "gui/texts.h"

namespace ladder51::gui::test {
int runMainWindowTests(int argc, char** argv);
int runSupportTests(int argc, char** argv);
}  // namespace ladder51::gui::test

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QString::fromUtf8(ladder51::gui::kApplicationTitle));
  int failures = 0;
  failures += ladder51::gui::test::runMainWindowTests(argc, argv);
  failures += ladder51::gui::test::runSupportTests(argc, argv);
  return failures == 0 ? 0 : 1;
}
