// The window's wiring, one case per path through it: what reaches the controls, the status line
// and the messages when the user starts up, saves, opens and builds. Which settings pass and what
// a program becomes are the core's tests' business; here the core's answers must arrive, once.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSemaphore>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <functional>

#include "core/config/settings_files.h"
#include "core/config/validation.h"
#include "gui/main_window.h"
#include "gui/texts.h"
#include "gui/toolchain_build.h"
#include "gui/work_directory.h"
#include "tests/support/fixtures.h"

namespace ladder51::gui::test {
namespace {

using ladder51::test::kMotorProgram;
using ladder51::test::motorBoard;

// Keeps every message instead of showing it, and answers questions with `answer`.
struct RecordingMessageSink final : MessageSink {
  void show(const QString& text) override { shown << text; }
  bool ask(const QString& text, const QString& accept, const QString& reject) override {
    asked << text + " [" + accept + "/" + reject + "]";
    if (whileAsking) whileAsking();
    return answer;
  }
  QStringList shown;
  QStringList asked;
  std::function<void()> whileAsking;  // looks at the window while the question is open
  bool answer = false;
};

// A build that reports its stages and ends with `result`. Before each stage after the first it
// waits until the test releases the gate, or twenty seconds, so that a build run on the window's
// own thread (or a test that stops early) fails instead of hanging.
struct GatedBuildService final : BuildService {
  GatedBuildService(std::vector<std::string> stages, Result<BuildSummary> result)
      : stages(std::move(stages)), result(std::move(result)) {}

  Result<BuildSummary> build(const BuildJob& job, Observer& observer) override {
    onWindowThread = QThread::currentThread() == QApplication::instance()->thread();
    jobs.push_back(job);
    for (std::size_t k = 0; k < stages.size(); ++k) {
      if (k > 0) gate.tryAcquire(1, 20000);
      observer.stage({.stage = BuildStage::Compile, .status = stages[k], .commandLine = {}});
    }
    return result;
  }

  const std::vector<std::string> stages;
  const Result<BuildSummary> result;
  QSemaphore gate;
  std::vector<BuildJob> jobs;   // read once the build has ended
  bool onWindowThread = false;  // likewise
};

// A window over a fresh scratch work directory, with recorded messages and an optional build.
struct WindowUnderTest {
  explicit WindowUnderTest(std::shared_ptr<BuildService> builds = nullptr)
      : session(folder.path().toStdString(), messages, std::move(builds)),
        window(session, messages) {}

  QString path(const char* name) const { return folder.filePath(name); }
  std::filesystem::path directory() const { return folder.path().toStdString(); }

  // The control of that object name; a missing one ends the run.
  template <class Widget>
  Widget* find(const QString& name) {
    auto* widget = window.findChild<Widget*>(name);
    if (widget == nullptr) qFatal("the window has no control named %s", qPrintable(name));
    return widget;
  }

  // Writes the settings files of `board` as the save command does, then starts up.
  void startUpWith(const SettingsText& board) {
    if (!saveSettings(directory(), board)) qFatal("cannot write the settings files");
    window.startUp();
  }

  // Writes the .pmw program of an instruction list; returns its path.
  QString program(const char* name, const char* il) {
    ladder51::test::writeProgram(path(name).toStdString(), il);
    return path(name);
  }

  QTemporaryDir folder;
  RecordingMessageSink messages;
  Session session;
  MainWindow window;
};

}  // namespace

class WindowTest : public QObject {
  Q_OBJECT

 private slots:
  void startUpFillsEveryControl_data();
  void startUpFillsEveryControl();
  void saveChecksAndSaves_data();
  void saveChecksAndSaves();
  void openAsksAboutUnsupportedStepsAndShowsNoticesOnce();
  void refusedProgramShowsTheRefusalAndBuildsNothing_data();
  void refusedProgramShowsTheRefusalAndBuildsNothing();
  void chipMenuChoosesTheChipAndMenusShowTheirMessages();
  void buildRunsInTheBackgroundShowingItsStages();
  void failedBuildShowsItsFailure();
  void savedSettingsMarkTheHexOutOfDateUntilRebuilt();
  void openBuildsTheHexWithSdcc();
  void messageBoxIsModalWithOkOnlyAndTheTitle();
  void workDirectoryChoice_data();
  void workDirectoryChoice();
};

void WindowTest::startUpFillsEveryControl_data() {
  QTest::addColumn<bool>("writeFiles");
  QTest::addColumn<QString>("pin5");
  QTest::newRow("every field set") << true << "X5";
  QTest::newRow("a pin refused") << true << "X8";
  QTest::newRow("no settings files") << false << "";
}

void WindowTest::startUpFillsEveryControl() {
  QFETCH(bool, writeFiles);
  QFETCH(QString, pin5);
  WindowUnderTest ui;
  // Every field away from a new installation's value; each pin carries its own point.
  SettingsText board{{},    "5",   "11.0592", true, "0.5", "0.6", "0.7", EepromChoice::Upto24C16,
                     "3.6", "3.7", true};
  board.chip = "stc89c58";
  for (std::size_t k = 0; k < kPinCount; ++k) {
    board.pins[k] = (k < 18 ? "X" : "Y") + QString::number(k % 18, 8).toStdString();
  }
  board.pins[5] = pin5.toStdString();
  QStringList expected;
  if (writeFiles) {
    ui.startUpWith(board);
    if (Result<Settings> valid = validateAtStartUp(board); !valid)
      expected << QString::fromStdString(valid.error().describe());
  } else {
    ui.window.startUp();
    // The files that could not be used are named together, in one message.
    QStringList unusable;
    for (const std::string& notice : loadSettings(ui.directory()).notices)
      unusable << QString::fromStdString(notice);
    expected << unusable.join('\n');
    board = ui.session.workspace().settingsText();
  }

  QCOMPARE(ui.messages.shown, expected);
  // The boxes keep the names the PLC tool's users know: "T", the port and the bit (port 0 bare).
  for (const Pin& pin : pins()) {
    const QString name =
        pin.port == 0 ? QString("T%1").arg(pin.bit) : QString("T%1%2").arg(pin.port).arg(pin.bit);
    QCOMPARE(ui.find<QLineEdit>(name)->text(),
             QString::fromStdString(board.pins[pin.port * 8 + pin.bit]));
  }
  QCOMPARE(ui.find<QLineEdit>("XTAL")->text(), QString::fromStdString(board.crystal));
  // Every control shows the loaded field, refused or not, and gives it back as shown.
  QVERIFY(ui.window.editedSettings() == board);
  QVERIFY(ui.find<QLabel>("WorkDirectory")->text().endsWith(ui.folder.path()));

  // The no-EEPROM button clears both options, which still exclude each other afterwards.
  ui.find<QPushButton>("NOT24C")->click();
  QVERIFY(ui.window.editedSettings().eeprom == EepromChoice::None);
  ui.find<QRadioButton>("CHK24C")->click();
  ui.find<QRadioButton>("CHK24C16")->click();
  QVERIFY(ui.window.editedSettings().eeprom == EepromChoice::Upto24C16);
}

void WindowTest::saveChecksAndSaves_data() {
  // The T5 and filter boxes as typed, and the filter box after the save: it shows the saved
  // filter again after its own refusal only.
  QTest::addColumn<QStringList>("boxes");
  QTest::newRow("accepted") << QStringList{"Y1", "10", "10"};
  QTest::newRow("pin refused") << QStringList{"X8", "2", "2"};
  QTest::newRow("filter refused") << QStringList{"Y7", "11", "7"};
}

void WindowTest::saveChecksAndSaves() {
  QFETCH(QStringList, boxes);
  WindowUnderTest ui;
  SettingsText board = motorBoard();
  board.filter = "7";
  ui.startUpWith(board);
  ui.find<QLineEdit>("T5")->setText(boxes[0]);
  ui.find<QLineEdit>("DlyT")->setText(boxes[1]);
  const SettingsText edited = ui.window.editedSettings();
  const Result<Settings> valid = validateForSave(edited);

  QTest::mouseClick(ui.find<QPushButton>("Command2"), Qt::LeftButton);

  QCOMPARE(ui.messages.shown,
           valid ? QStringList() : QStringList{QString::fromStdString(valid.error().describe())});
  QCOMPARE(ui.find<QLineEdit>("T5")->text(), boxes[0]);
  QCOMPARE(ui.find<QLineEdit>("DlyT")->text(), boxes[2]);
  QVERIFY(loadSettings(ui.directory()).settings == (valid ? edited : board));
}

void WindowTest::openAsksAboutUnsupportedStepsAndShowsNoticesOnce() {
  WindowUnderTest ui;
  ui.startUpWith(motorBoard());
  const QString program =
      ui.program("notices.pmw", "LD X0\nAND M8005\nAND M8005\nOUT Y0\nOUT Y5\nEND\n");
  // The core's own list of the steps it does not translate, offered as one question.
  Workspace core(ui.directory());
  QVERIFY(core.startUp());
  const QString question =
      QString::fromStdString(core.translateAndAssemble(program.toStdString()).error().message) +
      " [" + kGenerateAnyway + "/" + kCancel + "]";

  // 取消: nothing is written, and the status line says why. While the question is open, the
  // status line says nothing of an earlier program.
  QVERIFY(ui.window.openProgram(ui.program("motor.pmw", kMotorProgram)));
  QCOMPARE(ui.session.statusKind(), StatusKind::Done);
  QString statusWhileAsking = "not asked";
  ui.messages.whileAsking = [&] { statusWhileAsking = ui.find<QLabel>("Label1")->text(); };
  const std::string motor = ladder51::test::readFile(ui.path("fx1n.c").toStdString());
  QVERIFY(!ui.window.openProgram(program));
  QCOMPARE(statusWhileAsking, QString());
  QCOMPARE(ui.messages.asked, QStringList{question});
  QVERIFY(ladder51::test::readFile(ui.path("fx1n.c").toStdString()) == motor);
  QCOMPARE(ui.session.statusKind(), StatusKind::Failed);

  // 仍然生成: the file is written without them; the steps just listed are not listed again,
  // and each other notice is shown once, at every open.
  ui.messages.answer = true;
  for (int time = 0; time < 2; ++time) {
    ui.messages.shown.clear();
    QVERIFY(ui.window.openProgram(program));
    QCOMPARE(ui.messages.shown,
             QStringList{"Y5 is driven by the program but carried by no pin: it works as an "
                         "internal relay only"});
  }
  QCOMPARE(ui.window.windowTitle(), QDir::toNativeSeparators(program));
  QVERIFY(QFile::exists(ui.path("fx1n.c")));
  // Without a build the status line says where the source went.
  QCOMPARE(ui.find<QLabel>("Label1")->text(), ui.path("fx1n.c"));
}

void WindowTest::refusedProgramShowsTheRefusalAndBuildsNothing_data() {
  QTest::addColumn<bool>("exists");
  QTest::newRow("a device out of range") << true;
  QTest::newRow("no such file") << false;
}

void WindowTest::refusedProgramShowsTheRefusalAndBuildsNothing() {
  QFETCH(bool, exists);
  auto builds = std::make_shared<GatedBuildService>(std::vector<std::string>{}, BuildSummary{});
  WindowUnderTest ui(builds);
  ui.startUpWith(motorBoard());
  const QString program =
      exists ? ui.program("bad.pmw", "LD X0\nOUT Y44\nEND\n") : ui.path("missing.pmw");
  // The core's own answer for the same folder and program.
  Workspace core(ui.directory());
  QVERIFY(core.startUp());
  const Result<AssembledFile> refused = core.translateAndAssemble(program.toStdString());
  QVERIFY(!refused);

  // A program built before: its status line must not outlive the refusal.
  QVERIFY(ui.window.openProgram(ui.program("motor.pmw", kMotorProgram)));
  QTRY_VERIFY(!ui.session.building());
  QCOMPARE(ui.session.statusKind(), StatusKind::Done);
  const QString fx1n =
      QString::fromStdString(ladder51::test::readFile(ui.path("fx1n.c").toStdString()));

  QVERIFY(!ui.window.openProgram(program));

  const QString why = QString::fromStdString(refused.error().describe());
  QCOMPARE(ui.messages.shown, QStringList{why});
  QCOMPARE(ui.window.windowTitle(), QDir::toNativeSeparators(program));
  QCOMPARE(ui.find<QLabel>("Label1")->text(), QString(kStatusRefused).arg(why));
  QCOMPARE(ui.session.statusKind(), StatusKind::Failed);
  QVERIFY(ui.find<QLabel>("Label1")->styleSheet().contains("color"));
  QCOMPARE(QString::fromStdString(ladder51::test::readFile(ui.path("fx1n.c").toStdString())), fx1n);
  QVERIFY(!ui.session.building());
  QCOMPARE(builds->jobs.size(), std::size_t{1});
}

void WindowTest::chipMenuChoosesTheChipAndMenusShowTheirMessages() {
  WindowUnderTest ui;
  ui.startUpWith(motorBoard());
  QStringList captions;
  for (QAction* action : ui.window.menuBar()->actions()) captions << action->text();
  QCOMPARE(captions, (QStringList{kChipMenu, kCommandsMenu}));

  // One item per chip, the loaded chip checked; a choice is saved with the other settings.
  QStringList chips, checked;
  for (QAction* item : ui.find<QMenu>("CHIP")->actions()) {
    if (item->isCheckable()) chips << item->objectName();
    if (item->isChecked()) checked << item->objectName();
  }
  QCOMPARE(chips, (QStringList{"at89s52", "stc89c52", "stc89c54", "stc89c58", "stc89c516"}));
  QCOMPARE(checked, QStringList{"at89s52"});
  QCOMPARE(ui.find<QAction>("stc89c54")->text(),
           QStringLiteral("STC89C54RD+（RAM 256字节 + XRAM 1024字节，Flash 16KB）"));
  ui.find<QAction>("stc89c54")->trigger();
  QVERIFY(!ui.find<QAction>("at89s52")->isChecked());
  QTest::mouseClick(ui.find<QPushButton>("Command2"), Qt::LeftButton);
  QCOMPARE(loadSettings(ui.directory()).settings.chip, std::string("stc89c54"));
  QVERIFY(ui.find<QAction>("stc89c54")->isChecked());

  ui.find<QAction>("CHIPHELP")->trigger();
  ui.find<QAction>("CMD")->trigger();
  QCOMPARE(ui.messages.shown, (QStringList{kChipMessage, kCommandsMessage}));
}

void WindowTest::buildRunsInTheBackgroundShowingItsStages() {
  auto builds = std::make_shared<GatedBuildService>(
      std::vector<std::string>{"CHANGE", "LINK START UP", "FX1N.HEX  DONE"},
      BuildSummary{.hexFile = "/work/fx1n.hex",
                   .memoryUse = "internal RAM 120 of 256 bytes",
                   .warnings = {"fx1n.c:430: warning 85", "fx1n.c:431: warning 85"}});
  WindowUnderTest ui(builds);
  ui.startUpWith(motorBoard());
  QLabel* status = ui.find<QLabel>("Label1");
  QPushButton* open = ui.find<QPushButton>("Command1");
  const QString program = ui.program("motor.pmw", kMotorProgram);

  QVERIFY(ui.window.openProgram(program));
  QVERIFY(ui.session.building());
  QVERIFY(!open->isEnabled());
  // The window's event loop runs while the build waits between its stages.
  QTRY_COMPARE(status->text(), QStringLiteral("CHANGE"));
  // A second open is refused while the build runs.
  QVERIFY(!ui.window.openProgram(ui.program("other.pmw", kMotorProgram)));
  QCOMPARE(ui.window.windowTitle(), QDir::toNativeSeparators(program));

  builds->gate.release();
  QTRY_COMPARE(status->text(), QStringLiteral("LINK START UP"));
  builds->gate.release();
  QTRY_VERIFY(!ui.session.building());

  QVERIFY(!builds->onWindowThread);
  const QStringList lines = status->text().split('\n');
  QCOMPARE(lines.size(), 4);
  QCOMPARE(lines[0], QStringLiteral("FX1N.HEX  DONE"));
  QVERIFY2(QRegularExpression(
               QString(kStatusBuilt).arg("motor.pmw", "/work/fx1n.hex", "\\d\\d:\\d\\d:\\d\\d"))
               .match(lines[1])
               .hasMatch(),
           qPrintable(lines[1]));
  QCOMPARE(lines[2], QStringLiteral("internal RAM 120 of 256 bytes"));
  QCOMPARE(lines[3], QString(kBuildWarningsCount).arg(2));
  QCOMPARE(ui.session.statusKind(), StatusKind::Done);
  QCOMPARE(status->toolTip(), QStringLiteral("fx1n.c:430: warning 85\nfx1n.c:431: warning 85"));
  QVERIFY(open->isEnabled());
  QCOMPARE(ui.messages.shown, QStringList());
  // The build got the file just written, once.
  QCOMPARE(builds->jobs.size(), std::size_t{1});
  QCOMPARE(QString::fromStdString(builds->jobs.front().sourceFile.string()), ui.path("fx1n.c"));
}

void WindowTest::failedBuildShowsItsFailure() {
  const Error failure{ErrorKind::ToolFailed, "the compiler failed (exit status 2)", "sdcc"};
  auto builds = std::make_shared<GatedBuildService>(std::vector<std::string>{"CHANGE"}, failure);
  WindowUnderTest ui(builds);
  ui.startUpWith(motorBoard());

  QVERIFY(ui.window.openProgram(ui.program("motor.pmw", kMotorProgram)));
  QTRY_VERIFY(!ui.session.building());

  QCOMPARE(ui.messages.shown, QStringList{QString::fromStdString(failure.describe())});
  // No stage text is left as if the build still ran.
  QCOMPARE(ui.find<QLabel>("Label1")->text(),
           QString(kStatusBuildFailed).arg("sdcc", "the compiler failed (exit status 2)"));
  QCOMPARE(ui.session.statusKind(), StatusKind::Failed);
  QVERIFY(ui.find<QPushButton>("Command1")->isEnabled());
}

void WindowTest::savedSettingsMarkTheHexOutOfDateUntilRebuilt() {
  auto builds = std::make_shared<GatedBuildService>(std::vector<std::string>{}, BuildSummary{});
  WindowUnderTest ui(builds);
  ui.startUpWith(motorBoard());
  QPushButton* rebuild = ui.find<QPushButton>("Command3");
  QVERIFY(!rebuild->isEnabled());
  QVERIFY(ui.window.openProgram(ui.program("motor.pmw", kMotorProgram)));
  QTRY_VERIFY(!ui.session.building());
  QVERIFY(rebuild->isEnabled());

  // Saving what the file was built with changes nothing; a new crystal changes the file.
  QTest::mouseClick(ui.find<QPushButton>("Command2"), Qt::LeftButton);
  QCOMPARE(ui.session.statusKind(), StatusKind::Done);
  ui.find<QLineEdit>("XTAL")->setText("11.0592");
  QTest::mouseClick(ui.find<QPushButton>("Command2"), Qt::LeftButton);
  QCOMPARE(ui.find<QLabel>("Label1")->text(), QString(kStatusOutOfDate));
  QCOMPARE(ui.session.statusKind(), StatusKind::OutOfDate);

  QTest::mouseClick(rebuild, Qt::LeftButton);
  QTRY_VERIFY(!ui.session.building());
  QCOMPARE(ui.session.statusKind(), StatusKind::Done);
  QCOMPARE(builds->jobs.size(), std::size_t{2});
  // The FX time base's timer 2 reloads for 4608 machine cycles of the 11.0592 MHz crystal.
  QVERIFY(ladder51::test::readFile(ui.path("fx1n.c").toStdString()).find("RCAP2H = 0xee;") !=
          std::string::npos);

  // The time base box: unchecked, the classic base, saved with the chip in ladder51.ini.
  auto* fxTimeBase = ui.find<QCheckBox>("CKFXTB");
  QVERIFY(fxTimeBase->isChecked());
  fxTimeBase->setChecked(false);
  QTest::mouseClick(ui.find<QPushButton>("Command2"), Qt::LeftButton);
  QCOMPARE(ui.session.statusKind(), StatusKind::OutOfDate);
  QVERIFY(
      ladder51::test::readFile(ui.path("ladder51.ini").toStdString()).find("time-base=classic\n") !=
      std::string::npos);
  QTest::mouseClick(rebuild, Qt::LeftButton);
  QTRY_VERIFY(!ui.session.building());
  QVERIFY(ladder51::test::readFile(ui.path("fx1n.c").toStdString()).find("if(tmr>=22)") !=
          std::string::npos);
}

void WindowTest::openBuildsTheHexWithSdcc() {
  if (QStandardPaths::findExecutable("sdcc").isEmpty()) QSKIP("SDCC is not installed");
  WindowUnderTest ui(std::make_shared<ToolchainBuildService>());
  ui.startUpWith(motorBoard());

  QVERIFY(ui.window.openProgram(ui.program("motor.pmw", kMotorProgram)));
  QTRY_VERIFY_WITH_TIMEOUT(!ui.session.building(), 180000);

  QCOMPARE(ui.messages.shown, QStringList());
  const QStringList status = ui.find<QLabel>("Label1")->text().split('\n');
  QCOMPARE(status.value(0), QStringLiteral("FX1N.HEX  DONE"));
  QVERIFY2(status.value(1).contains(ui.path("fx1n.hex")), qPrintable(status.value(1)));
  QVERIFY(status.value(2).startsWith("internal RAM "));
}

void WindowTest::messageBoxIsModalWithOkOnlyAndTheTitle() {
  QStringList seen;
  // The box blocks in its own event loop; look at it from there, then close it.
  QTimer probe;
  connect(&probe, &QTimer::timeout, [&] {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      auto* box = qobject_cast<QMessageBox*>(widget);
      if (box == nullptr || !box->isVisible()) continue;
      probe.stop();
      seen << box->windowTitle() << box->text()
           << (box == QApplication::activeModalWidget() ? "modal" : "modeless")
           << (box->standardButtons() == QMessageBox::Ok ? "OK only" : "other buttons");
      box->close();
    }
  });
  probe.start(10);

  DialogMessageSink().show("P0.5设置错误！！");

  QCOMPARE(seen, (QStringList{kApplicationTitle, "P0.5设置错误！！", "modal", "OK only"}));
}

void WindowTest::workDirectoryChoice_data() {
  // Which folders hold settings files (P: the program's, C: the current one), whether one was
  // named with --dir (N), and whether the program's folder is read-only (R).
  QTest::addColumn<QString>("situation");
  QTest::addColumn<WorkDirectoryReason>("expected");
  QTest::newRow("--dir wins over everything") << "NPC" << WorkDirectoryReason::Named;
  QTest::newRow("installation beside the program") << "PC" << WorkDirectoryReason::ProgramFolder;
  QTest::newRow("read-only installation") << "PRC" << WorkDirectoryReason::CurrentFolder;
  QTest::newRow("program folder without settings") << "C" << WorkDirectoryReason::CurrentFolder;
  QTest::newRow("nothing anywhere") << "" << WorkDirectoryReason::UserConfig;
  QTest::newRow("read-only installation, nothing here") << "PR" << WorkDirectoryReason::UserConfig;
}

void WindowTest::workDirectoryChoice() {
  QFETCH(QString, situation);
  QFETCH(WorkDirectoryReason, expected);
  QTemporaryDir root;
  // The user's configuration folder does not exist yet.
  const QString paths[] = {root.filePath("named"), root.filePath("program"),
                           root.filePath("current"), root.filePath("config/ladder51")};
  for (int k = 0; k < 3; ++k) QVERIFY(QDir().mkdir(paths[k]));
  if (situation.contains('P')) QVERIFY(QFile(paths[1] + "/io.dat").open(QIODevice::WriteOnly));
  if (situation.contains('C')) QVERIFY(QFile(paths[2] + "/IIC.dat").open(QIODevice::WriteOnly));
  // Permission bits do not stop every user (root writes anywhere), so the test decides.
  const auto writable = [&](const QString& folder) {
    return folder != paths[1] || !situation.contains('R');
  };

  const WorkDirectoryChoice choice = chooseWorkDirectory(
      {situation.contains('N') ? paths[0] : QString(), paths[1], paths[2], paths[3]}, writable);

  QCOMPARE(choice.reason, expected);
  QCOMPARE(choice.path, paths[static_cast<int>(expected)]);
  QCOMPARE(isWritableFolder(choice.path), expected != WorkDirectoryReason::UserConfig);
  QVERIFY(prepareWorkDirectory(choice.path));
  QVERIFY(isWritableFolder(choice.path));
}

}  // namespace ladder51::gui::test

QTEST_MAIN(ladder51::gui::test::WindowTest)
#include "main_window_test.moc"
