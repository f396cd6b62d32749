// ladder51-gui: the window from which the user sets the pin map and options, saves them and
// opens a .pmw program that is then translated and built.
//
//   ladder51-gui [--dir DIR] [--screenshot FILE]
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFont>
#include <QPixmap>
#include <QSettings>
#include <QStandardPaths>
#include <QTimer>
#include <cstdio>
#include <memory>

#include "gui/main_window.h"
#include "gui/message_sink.h"
#include "gui/session.h"
#include "gui/texts.h"
#include "gui/toolchain_build.h"
#include "gui/translations.h"
#include "gui/work_directory.h"

namespace {

using namespace ladder51::gui;

// Fonts that hold the window's Chinese texts, in order of preference; Qt takes the first one
// installed and falls back through the rest character by character.
void useCjkFont(QApplication& app) {
  QFont font = app.font();
  font.setFamilies({QStringLiteral("Microsoft YaHei"), QStringLiteral("WenQuanYi Micro Hei"),
                    QStringLiteral("Noto Sans CJK SC"), QStringLiteral("SimSun"), font.family()});
  app.setFont(font);
}

// Saves a picture of the window after start-up and quits.
int takeScreenshot(MainWindow& window, const QString& file) {
  window.show();
  window.startUp();
  QApplication::processEvents();
  const QPixmap picture = window.grab();
  if (!picture.save(file, "PNG")) {
    std::fprintf(stderr, "ladder51-gui: cannot write %s\n", file.toLocal8Bit().constData());
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QString::fromUtf8(kApplicationTitle));
  useCjkFont(app);
  if (!installTranslations(app)) std::fprintf(stderr, "ladder51-gui: the translation is missing\n");

  QCommandLineParser parser;
  parser.setApplicationDescription(
      QStringLiteral("Set the pin map and options of an 8051 board and turn .pmw programs "
                     "into fx1n.c and fx1n.hex."));
  parser.addHelpOption();
  const QCommandLineOption dirOption(
      QStringLiteral("dir"),
      QStringLiteral("Work directory holding io.dat, IIC.dat and 7219.dat (default: the "
                     "program's folder or the current directory when it holds them, else the "
                     "user's configuration folder)."),
      QStringLiteral("DIR"));
  const QCommandLineOption screenshotOption(
      QStringLiteral("screenshot"),
      QStringLiteral("Start up, save a PNG picture of the window to FILE and quit."),
      QStringLiteral("FILE"));
  parser.addOption(dirOption);
  parser.addOption(screenshotOption);
  parser.process(app);

  const WorkDirectoryChoice workDirectory = chooseWorkDirectory(
      {.named = parser.value(dirOption),
       .program = QCoreApplication::applicationDirPath(),
       .current = QDir::currentPath(),
       .userConfig = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation)});
  if (!prepareWorkDirectory(workDirectory.path)) {
    std::fprintf(stderr, "ladder51-gui: cannot use the work directory %s\n",
                 workDirectory.path.toLocal8Bit().constData());
    return 1;
  }

  const bool screenshot = parser.isSet(screenshotOption);
  DialogMessageSink dialogs;
  StderrMessageSink printed;
  MessageSink& messages = screenshot ? static_cast<MessageSink&>(printed) : dialogs;

  auto builds = std::make_shared<ToolchainBuildService>();
  Session session(QDir(workDirectory.path).absolutePath().toStdString(), messages, builds);
  // The recent programs, in ~/.config/ladder51/ladder51-gui.conf.
  QSettings preferences(QStringLiteral("ladder51"), QStringLiteral("ladder51-gui"));
  MainWindow window(session, messages, screenshot ? nullptr : &preferences);
  dialogs.setParent(&window);

  if (screenshot) return takeScreenshot(window, parser.value(screenshotOption));
  window.show();
  // Start up once the window is on screen, so that its messages appear above it.
  QTimer::singleShot(0, &window, &MainWindow::startUp);
  return QApplication::exec();
}
