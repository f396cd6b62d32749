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
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSemaphore>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QTranslator>
#include <QTreeWidget>
#include <functional>
#include <map>

#include "core/config/settings_files.h"
#include "core/config/validation.h"
#include "core/toolchain/keil_pipeline.h"
#include "core/translator/fx_encoding.h"
#include "core/translator/instruction_list.h"
#include "gui/main_window.h"
#include "gui/report_texts.h"
#include "gui/results_panel.h"
#include "gui/texts.h"
#include "gui/toolchain_build.h"
#include "gui/translations.h"
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
  int choose(const QString& text, const QStringList& choices) override {
    asked << text + " [" + choices.join('/') + "]";
    return choice;
  }
  QStringList shown;
  QStringList asked;
  int choice = 0;                     // the answer to choose()
  std::function<void()> whileAsking;  // looks at the window while the question is open
  bool answer = false;
};

// A build that reports its stages and ends with `result`. Before each stage after the first it
// waits until the test releases the gate, or twenty seconds, so that a build run on the window's
// own thread (or a test that stops early) fails instead of hanging.
struct GatedBuildService final : BuildService {
  GatedBuildService(std::vector<BuildStage> stages, BuildSummary result)
      : stages(std::move(stages)), result(std::move(result)) {}

  BuildSummary build(const BuildJob& job, Observer& observer) override {
    onWindowThread = QThread::currentThread() == QApplication::instance()->thread();
    jobs.push_back(job);
    for (std::size_t k = 0; k < stages.size(); ++k) {
      if (k > 0) gate.tryAcquire(1, 20000);
      observer.stage({.stage = stages[k], .status = {}, .commandLine = {}});
    }
    return result;
  }

  const std::vector<BuildStage> stages;
  const BuildSummary result;
  QSemaphore gate;
  std::vector<BuildJob> jobs;   // read once the build has ended
  bool onWindowThread = false;  // likewise
};

// A window over a fresh scratch work directory, with recorded messages and an optional build.
struct WindowUnderTest {
  explicit WindowUnderTest(std::shared_ptr<BuildService> builds = nullptr)
      : preferences(folder.filePath("preferences.ini"), QSettings::IniFormat),
        session(folder.path().toStdString(), messages, std::move(builds)),
        window(session, messages, &preferences) {}

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

  // The entries of the results panel, "kind: text" each.
  QStringList results() {
    QStringList lines;
    auto* list = find<QTreeWidget>("ResultList");
    for (int k = 0; k < list->topLevelItemCount(); ++k)
      lines << list->topLevelItem(k)->text(0) + ": " + list->topLevelItem(k)->text(1);
    return lines;
  }

  QTemporaryDir folder;
  QSettings preferences;
  RecordingMessageSink messages;
  Session session;
  MainWindow window;
};

// Whether a text holds Chinese characters.
bool isChinese(const QString& text) {
  return text.contains(QRegularExpression(QStringLiteral("[\\x{4e00}-\\x{9fff}]")));
}

// The text `render` gives without the window's translation: it must differ, or none was present.
QString untranslated(const std::function<QString()>& render) {
  const auto translators = QCoreApplication::instance()->findChildren<QTranslator*>();
  for (QTranslator* t : translators) QCoreApplication::removeTranslator(t);
  const QString text = render();
  for (QTranslator* t : translators) QCoreApplication::installTranslator(t);
  return text;
}

// Builds with the stand-in Keil tools of the work directory's keil/c51/bin, run directly.
struct StandInBuildService final : BuildService {
  BuildSummary build(const BuildJob& job, Observer& observer) override {
    const KeilToolchain keil({.toolDirectory = {},
                              .launcher = std::vector<std::string>{},
                              .timeLimit = std::chrono::seconds(20)});
    Result<BuildReport> report =
        keil.build(job, [&observer](const BuildProgress& p) { observer.stage(p); });
    BuildSummary summary;
    if (report) summary.hexFile = report->hexFile;
    if (!report) summary.failure = report.error();
    return summary;
  }
};

}  // namespace

class WindowTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void startUpFillsEveryControl_data();
  void startUpFillsEveryControl();
  void saveChecksAndSaves_data();
  void saveChecksAndSaves();
  void fieldRefusalsNameTheFieldAndTheReason_data();
  void fieldRefusalsNameTheFieldAndTheReason();
  void everyErrorKindReadsInChinese_data();
  void everyErrorKindReadsInChinese();
  void everyNoticeKindReadsInChinese_data();
  void everyNoticeKindReadsInChinese();
  void everyReasonKindReadsInChinese_data();
  void everyReasonKindReadsInChinese();
  void refusalsAndSettingsNoticesReachTheWindowInChinese();
  void unsupportedStepsAreRefusedOrLeftOutInThePanel();
  void refusedProgramShowsTheRefusalAndBuildsNothing_data();
  void refusedProgramShowsTheRefusalAndBuildsNothing();
  void menusChooseTheChipOpenAndRememberPrograms();
  void buildRunsInTheBackgroundAndFillsThePanel();
  void failedBuildsSayWhyAndWhatToDo();
  void hexIsWrittenBesideTheProgram_data();
  void hexIsWrittenBesideTheProgram();
  void savedSettingsMarkTheHexOutOfDateUntilRebuilt();
  void closingWithUnsavedEditsAsks_data();
  void closingWithUnsavedEditsAsks();
  void droppedProgramIsOpened();
  void openBuildsTheHexWithSdcc();
  void messageBoxIsModalWithOkOnlyAndTheTitle();
  void workDirectoryChoice_data();
  void workDirectoryChoice();
};

void WindowTest::initTestCase() {
  QVERIFY(installTranslations(*QCoreApplication::instance()));
}

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
  QString status;
  if (writeFiles) {
    ui.startUpWith(board);
    // A refused field is marked and the status line says why, the core's message first.
    if (Result<Settings> valid = validateAtStartUp(board); !valid) {
      status = QString::fromStdString(valid.error().message) +
               "X8无效：X点为八进制，X0-X7, X10-X17 … X40-X43。";
    }
  } else {
    ui.window.startUp();
    // No settings file at all is a first start: one calm line, nothing to correct.
    status = firstStartText();
    board = ui.session.workspace().settingsText();
  }

  QCOMPARE(ui.messages.shown, QStringList());
  QCOMPARE(ui.find<QLabel>("Label1")->text(), status);
  QCOMPARE(ui.find<QLineEdit>("T5")->property("invalid").toBool(), pin5 == "X8");
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
  QVERIFY(!ui.window.hasUnsavedEdits());
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
  QVERIFY(ui.window.hasUnsavedEdits());

  QTest::mouseClick(ui.find<QPushButton>("Command2"), Qt::LeftButton);

  // Refusals go to the status line, not to a box; saving is confirmed there too.
  QCOMPARE(ui.messages.shown, QStringList());
  const QString status = ui.find<QLabel>("Label1")->text();
  QVERIFY2(valid ? status.startsWith("设置已保存")
                 : status.startsWith(QString::fromStdString(valid.error().message)),
           qPrintable(status));
  QCOMPARE(ui.session.statusKind(), valid ? StatusKind::Done : StatusKind::Failed);
  QCOMPARE(ui.find<QLineEdit>("T5")->text(), boxes[0]);
  QCOMPARE(ui.find<QLineEdit>("DlyT")->text(), boxes[2]);
  QVERIFY(loadSettings(ui.directory()).settings == (valid ? edited : board));
  QCOMPARE(ui.window.hasUnsavedEdits(), !valid);
}

void WindowTest::fieldRefusalsNameTheFieldAndTheReason_data() {
  // Fields set on the motor's board ("box=text"), the field that must be marked and focused
  // ("" when the save passes), and the status line's text.
  QTest::addColumn<QStringList>("fields");
  QTest::addColumn<QString>("marked");
  QTest::addColumn<QString>("status");
  QTest::newRow("decimal digit")
      << QStringList{"T34=X8"} << "T34"
      << "P3.4设置错误！！X8无效：X点为八进制，X0-X7, X10-X17 … X40-X43。";
  QTest::newRow("past the last point") << QStringList{"T10=Y44"} << "T10"
                                       << "P1.0设置错误！！Y44无效：引脚可接的Y点最大为Y43。";
  QTest::newRow("no such kind")
      << QStringList{"T34=Q1"} << "T34"
      << "P3.4设置错误！！Q1无效：引脚只能接输入X点或输出Y点，例如X0、Y7。";
  QTest::newRow("leading zero") << QStringList{"T34=X01"} << "T34"
                                << "P3.4设置错误！！X01无效：编号前不要写0。";
  QTest::newRow("duplicate") << QStringList{"T34=x0"} << "T34"
                             << "X点定义重复！！X0 同时分配给了 P3.2 和 P3.4。";
  QTest::newRow("DIN on a pin of the map")
      << QStringList{"CHK7219=1", "DIN=3.2", "LOAD=1.6", "CLK=1.7"} << "DIN"
      << "DIN=P3.2 无效：P3.2 已接 X0，一个引脚只能有一种用途。";
  QTest::newRow("SDA on SCL's pin") << QStringList{"CHK24C16=1", "TSCL=3.6", "TSDA=3.6"} << "TSDA"
                                    << "SCL 和 SDA 都设为 P3.6：它们各需一个引脚。";
  QTest::newRow("CLK on DIN's pin")
      << QStringList{"CHK7219=1", "DIN=1.5", "LOAD=1.6", "CLK=1.5 "} << "CLK"
      << "DIN 和 CLK 都设为 P1.5：它们各需一个引脚。";
  QTest::newRow("display pin unset")
      << QStringList{"CHK7219=1", "DIN=1.5", "LOAD=", "CLK=1.7"} << "LOAD"
      << "LOAD 未设置！！ 请改正标红的输入框，然后保存设置。";
  QTest::newRow("lower case accepted") << QStringList{"T34=y2 "} << ""
                                       << "";
}

void WindowTest::fieldRefusalsNameTheFieldAndTheReason() {
  QFETCH(QStringList, fields);
  QFETCH(QString, marked);
  QFETCH(QString, status);
  WindowUnderTest ui;
  ui.startUpWith(motorBoard());
  QLineEdit* last = nullptr;
  for (const QString& field : fields) {
    const QString name = field.section('=', 0, 0), value = field.section('=', 1);
    if (auto* box = ui.window.findChild<QLineEdit*>(name)) {
      box->setText(value);
      last = box;
    } else {
      ui.find<QAbstractButton>(name)->setChecked(value == "1");
    }
  }
  // Return in a field saves.
  QTest::keyClick(last, Qt::Key_Return);

  if (marked.isEmpty()) {
    QCOMPARE(ui.session.statusKind(), StatusKind::Done);
    QCOMPARE(ui.find<QLineEdit>("T34")->text(), QStringLiteral("Y2"));
    QCOMPARE(loadSettings(ui.directory()).settings.pins[3 * 8 + 4], std::string("Y2"));
    return;
  }
  QCOMPARE(ui.find<QLabel>("Label1")->text(), status);
  QCOMPARE(ui.session.statusKind(), StatusKind::Failed);
  QLineEdit* field = ui.find<QLineEdit>(marked);
  QVERIFY(field->property("invalid").toBool());
  QCOMPARE(ui.window.focusWidget(), field);
  QVERIFY(loadSettings(ui.directory()).settings == motorBoard());
  // Editing the field takes its mark away.
  QTest::keyClick(field, Qt::Key_1);
  QVERIFY(!field->property("invalid").toBool());
}

void WindowTest::everyErrorKindReadsInChinese_data() {
  QTest::addColumn<ErrorKind>("kind");
  QTest::addColumn<QString>("contains");  // a value the text must carry
  const std::pair<ErrorKind, const char*> kinds[] = {
      {ErrorKind::Internal, ""},
      {ErrorKind::CannotOpen, "/x/a.pmw"},
      {ErrorKind::CannotRead, "/x/a.pmw"},
      {ErrorKind::FileTooLarge, "/x/a.pmw"},
      {ErrorKind::CannotWrite, "/x/a.pmw"},
      {ErrorKind::BadEncoding, "/x/a.pmw"},
      {ErrorKind::BadProgram, "/x/a.pmw"},
      {ErrorKind::BadSource, ""},
      {ErrorKind::BadArgument, ""},
      {ErrorKind::BadSettingsFile, "/x/a.pmw"},
      {ErrorKind::BadPinName, ""},
      {ErrorKind::DuplicatePoint, ""},
      {ErrorKind::BadFilter, ""},
      {ErrorKind::BadDisplayPins, ""},
      {ErrorKind::BadI2cPins, ""},
      {ErrorKind::BadCrystal, ""},
      {ErrorKind::BadChip, ""},
      {ErrorKind::BadTimeBase, ""},
      {ErrorKind::BadSettingText, ""},
      {ErrorKind::SettingsNotLoaded, ""},
      {ErrorKind::ProgramRefused, "12"},
      {ErrorKind::ProgramFault, "12"},
      {ErrorKind::ProgramUnsupported, ""},
      {ErrorKind::BuildBusy, ""},
      {ErrorKind::ToolMissing, "sudo apt-get install sdcc sdcc-ucsim"},
      {ErrorKind::WineMissing, "sudo apt-get install wine"},
      {ErrorKind::ToolFailed, "编译器"},
      {ErrorKind::DoesNotFit, "9000"},
      {ErrorKind::SimulatorFailed, ""},
      {ErrorKind::ChipStopped, ""}};
  for (const auto& [kind, contains] : kinds) {
    QTest::newRow(qPrintable(QString::number(static_cast<int>(kind)))) << kind << contains;
  }
}

void WindowTest::everyErrorKindReadsInChinese() {
  QFETCH(ErrorKind, kind);
  QFETCH(QString, contains);
  Error error{kind, "some English account", "/x/a.pmw"};
  // The settings' own refusals are the PLC tool's Chinese messages, kept as the first part.
  if (kind >= ErrorKind::BadPinName && kind <= ErrorKind::BadSettingText &&
      kind != ErrorKind::BadChip && kind != ErrorKind::BadTimeBase) {
    error.message = "P0.5设置错误！！";
    contains = "P0.5设置错误！！";
  }
  if (kind == ErrorKind::ProgramRefused || kind == ErrorKind::ProgramFault)
    error = Error{kind, "M1536 is outside M0-M1535", StepRef{kFirstStepByte + 24, {0x2400}}};
  if (kind == ErrorKind::ToolFailed || kind == ErrorKind::ToolMissing)
    error.where = stageName(BuildStage::Compile);
  // A program too big for the chip: the numbers come from the build's memory report.
  const ErrorContext context{.measured = MemoryUsage{.internalRamUsed = 100,
                                                     .stackBytes = 40,
                                                     .stackStart = 0xd0,
                                                     .codeBytes = 9000,
                                                     .xramBytes = 0},
                             .limits = {}};

  const QString chinese = errorText(error, context).headline;
  const QString english = untranslated([&] { return errorText(error, context).headline; });

  QVERIFY2(isChinese(chinese), qPrintable(chinese));
  QVERIFY2(chinese != english, qPrintable(english));
  QVERIFY2(chinese.contains(contains), qPrintable(chinese));
  QVERIFY2(!chinese.contains("English"), qPrintable(chinese));
  QVERIFY2(!chinese.contains('%'), qPrintable(chinese));
  if (kind == ErrorKind::DoesNotFit)
    QVERIFY(chinese.contains("8192") && chinese.contains("芯片选择"));
}

void WindowTest::everyNoticeKindReadsInChinese_data() {
  QTest::addColumn<int>("kind");            // a StepNoticeKind; -1: the time base's rounding
  QTest::addColumn<QStringList>("values");  // "name=value" each
  QTest::addColumn<QString>("contains");
  const auto row = [](const char* name, StepNoticeKind kind, QStringList values, const char* has) {
    QTest::newRow(name) << static_cast<int>(kind) << values << QString(has);
  };
  row("not translated", StepNoticeKind::NotTranslated, {}, "未为它生成代码");
  row("special relay", StepNoticeKind::SpecialRelayLeftOut, {"relay=M8005"}, "触点已略去");
  row("EEPROM too small", StepNoticeKind::EepromTooSmall,
      {"register=D5000", "low=10000", "high=10001", "size=24C128"}, "或更大容量");
  row("index reach", StepNoticeKind::IndexedReach,
      {"operand=D10", "index=Z0", "first=D0", "last=D15"}, "读出为 0");
  row("index reach of a named table", StepNoticeKind::IndexedReachNamed,
      {"operand=M10", "index=Z0", "letter=M"}, "M0 至程序用到的最大 M");
  QTest::newRow("time base rounding")
      << -1 << QStringList{"crystal=11.0592", "cycles=4608", "error=0.35", "way=slow"}
      << QString("定时器偏慢 0.35%");
}

void WindowTest::everyNoticeKindReadsInChinese() {
  QFETCH(int, kind);
  QFETCH(QStringList, values);
  QFETCH(QString, contains);
  UserNotice notice = UserNotice::plain(NoticeKind::TimeBaseRounding, "some English account");
  if (kind >= 0) {
    notice.kind = NoticeKind::StepNotice;
    notice.step = StepRef{kFirstStepByte + 24, {0x2400}};
    notice.about = static_cast<StepNoticeKind>(kind);
  }
  for (const QString& value : values) {
    notice.values.push_back(
        {value.section('=', 0, 0).toStdString(), value.section('=', 1).toStdString()});
  }
  const QString chinese = noticeText(notice);
  QVERIFY2(isChinese(chinese) && chinese.contains(contains), qPrintable(chinese));
  QVERIFY2(chinese != untranslated([&] { return noticeText(notice); }), qPrintable(chinese));
  QVERIFY2(!chinese.contains("English") && !chinese.contains(QRegularExpression("%\\d")),
           qPrintable(chinese));
  for (const QString& value : values) {
    if (!value.startsWith("way="))
      QVERIFY2(chinese.contains(value.section('=', 1)), qPrintable(chinese));
  }
  if (kind >= 0) QVERIFY2(chinese.contains("第 12 步"), qPrintable(chinese));
}

void WindowTest::everyReasonKindReadsInChinese_data() {
  QTest::addColumn<int>("kind");
  for (int kind = 0; kind <= static_cast<int>(kLastReasonKind); ++kind) {
    QTest::newRow(qPrintable(QString::number(kind))) << kind;
  }
}

// Each kind with a value for every field its template names: the Chinese text carries each value
// (an operand's role in its own words) and leaves no English word untranslated.
void WindowTest::everyReasonKindReadsInChinese() {
  QFETCH(int, kind);
  // A value for each field name, and what the Chinese text shows of it.
  static const std::map<std::string, std::pair<std::string, QString>> kSamples = {
      {"device", {"M1536", "M1536"}},
      {"register", {"D8000", "D8000"}},
      {"instruction", {"DMOV", "DMOV"}},
      {"which", {"source", "源操作数"}},
      {"operand", {"K4M10", "K4M10"}},
      {"index", {"Z3", "Z3"}},
      {"last", {"Y47", "Y47"}},
      {"low", {"-32768", "-32768"}},
      {"high", {"32767", "32767"}},
      {"value", {"K99", "K99"}},
      {"offset", {"13", "13"}},
      {"slots", {"16", "16"}},
      {"zone", {"9", "N9"}},
      {"state", {"S20", "S20"}},
      {"count", {"41", "41"}},
      {"first", {"171", "171"}},
      {"second", {"172", "172"}},
      {"at", {"173", "173"}},
      {"n", {"33", "P33"}},
      {"step", {"174", "174"}},
      {"owner", {"35", "P35"}},
      {"from", {"36", "P36"}},
      {"to", {"37", "P37"}},
      {"loop", {"175", "175"}},
      {"label", {"176", "176"}},
      {"steps", {"177, 178", "177, 178"}},
      {"chain", {"P1 -> P2", "P1 -> P2"}},
      {"end", {"FEND", "FEND"}},
      {"byte", {"4242", "4242"}},
      {"open", {"1", "1"}},
      {"file", {"io.dat", "io.dat"}},
      {"bytes", {"1048576", "1048576"}},
      {"field", {"abc", "abc"}},
      {"number", {"99999999999", "99999999999"}},
      {"expected", {"37", "37"}},
      {"line", {"12", "12"}},
      {"text", {"junk", "junk"}},
      {"setting", {"colour", "colour"}},
      {"chips", {"at89s52, stc89c52", "at89s52, stc89c52"}}};
  Reason reason{static_cast<ReasonKind>(kind), {}};
  const std::string_view text = reasonTemplate(reason.kind);
  for (std::size_t open = text.find('{'); open != std::string_view::npos;
       open = text.find('{', open + 1)) {
    const std::string name(text.substr(open + 1, text.find('}', open) - open - 1));
    if (!reason.value(name).empty()) continue;
    const auto sample = kSamples.find(name);
    QVERIFY2(sample != kSamples.end(), name.c_str());
    reason.values.push_back({name, sample->second.first});
  }

  const QString chinese = reasonText(reason);
  QVERIFY2(isChinese(chinese), qPrintable(chinese));
  QVERIFY2(chinese != untranslated([&] { return reasonText(reason); }), qPrintable(chinese));
  QVERIFY2(!chinese.contains(QRegularExpression("%\\d")), qPrintable(chinese));
  QString rest = chinese;
  for (const NoticeValue& v : reason.values) {
    const QString shown = kSamples.at(v.name).second;
    QVERIFY2(chinese.contains(shown), qPrintable(QString::fromStdString(v.name) + ": " + chinese));
    rest.remove(QString::fromStdString(v.value));
  }
  // Device names, instructions and hex stay as they are; a word of English does not.
  const QRegularExpressionMatch english = QRegularExpression("[a-z]{3,}").match(rest);
  QVERIFY2(!english.hasMatch(), qPrintable(english.captured() + " in " + chinese));
}

// A refused program and a settings file that cannot be used, through the window's session: the
// panel shows the reasons in Chinese, and the command line's English is nowhere.
void WindowTest::refusalsAndSettingsNoticesReachTheWindowInChinese() {
  WindowUnderTest ui;
  SettingsText board = motorBoard();
  ui.startUpWith(board);
  QVERIFY(!ui.window.openProgram(ui.program("special.pmw", "LD X0\nMOV K1 D8000\nEND\n")));
  const std::vector<ResultEntry>& results = ui.session.results();
  QCOMPARE(results.size(), std::size_t{1});
  QVERIFY2(results[0].detail.contains("D8000 是 PLC 的特殊寄存器") &&
               results[0].detail.contains("请改用 D8000 以下的寄存器"),
           qPrintable(results[0].detail));
  QVERIFY2(results[0].text.contains("第 1 步"), qPrintable(results[0].text));

  // A malformed io.dat and a line of ladder51.ini that names no setting.
  WindowUnderTest again;
  if (!saveSettings(again.directory(), board)) QFAIL("cannot write the settings files");
  ladder51::test::writeFile(again.directory() / "io.dat", "\"X0\",\"X1\"\r\n");
  ladder51::test::writeFile(again.directory() / "ladder51.ini", "chip=at89s52\ncolour=red\n");
  again.window.startUp();
  QCOMPARE(again.results(),
           (QStringList{"提示: io.dat 只有 2 个字段，应为 37 个：其中的设置已取新安装时的值。"
                        "保存设置即可重新写入该文件。",
                        "提示: ladder51.ini 第 2 行：没有名为 colour 的设置，该行被忽略。"}));
}

void WindowTest::unsupportedStepsAreRefusedOrLeftOutInThePanel() {
  WindowUnderTest ui;
  ui.startUpWith(motorBoard());
  const QString program =
      ui.program("notices.pmw", "LD X0\nAND M8005\nAND M8005\nOUT Y0\nOUT Y5\nEND\n");
  // The steps the core lists as not translated, one a line.
  Workspace core(ui.directory());
  QVERIFY(core.startUp());
  QVERIFY(!core.translateAndAssemble(program.toStdString()));
  QStringList steps;
  for (const Notice& step : core.translation().warnings) {
    if (!fx::inOperandWordRange(step.step.words.front()))
      steps << stepText(step.step, describeInstruction(step.step.words));
  }
  QCOMPARE(steps.size(), 2);

  // 取消: nothing is written; the panel lists the refused steps and the status line says why.
  // While the question is open, the status line says nothing of an earlier program.
  QVERIFY(ui.window.openProgram(ui.program("motor.pmw", kMotorProgram)));
  QCOMPARE(ui.session.statusKind(), StatusKind::Done);
  QString statusWhileAsking = "not asked";
  ui.messages.whileAsking = [&] { statusWhileAsking = ui.find<QLabel>("Label1")->text(); };
  const std::string motor = ladder51::test::readFile(ui.path("fx1n.c").toStdString());
  QVERIFY(!ui.window.openProgram(program));
  QCOMPARE(statusWhileAsking, QString());
  QCOMPARE(ui.messages.asked.size(), 1);
  for (const QString& step : steps) QVERIFY(ui.messages.asked[0].contains(step));
  QVERIFY(ui.messages.asked[0].endsWith(QString("[") + kGenerateAnyway + "/" + kCancel + "]"));
  QVERIFY(ladder51::test::readFile(ui.path("fx1n.c").toStdString()) == motor);
  QCOMPARE(ui.session.statusKind(), StatusKind::Failed);
  QCOMPARE(ui.results(), (QStringList{"拒绝: " + steps[0], "拒绝: " + steps[1]}));

  // 仍然生成: the file is written without them, the panel lists them as left out, and the
  // output no pin carries; the same at every open, and no box.
  ui.messages.answer = true;
  for (int time = 0; time < 2; ++time) {
    QVERIFY(ui.window.openProgram(program));
    QCOMPARE(ui.results(), (QStringList{"略去: " + steps[0], "略去: " + steps[1],
                                        "提示: " + undeclaredOutputsText({5})}));
  }
  QCOMPARE(ui.messages.shown, QStringList());
  QVERIFY(undeclaredOutputsText({5}).startsWith("Y5：程序驱动了这些输出"));
  QCOMPARE(ui.window.windowTitle(), QDir::toNativeSeparators(program));
  // Without a build the status line says where the source went.
  QCOMPARE(ui.find<QLabel>("Label1")->text(), ui.path("fx1n.c"));

  // fx1n.c opens read-only with the statement of the selected step marked: the rung of
  // OUT Y0, where the left-out contacts stood.
  auto* list = ui.find<QTreeWidget>("ResultList");
  list->setCurrentItem(list->topLevelItem(1));
  QWidget* view = ui.window.results().viewSource();
  auto* editor = view->findChild<QPlainTextEdit*>("SourceText");
  QVERIFY(editor->isReadOnly());
  QCOMPARE(editor->toPlainText(), QString::fromStdString(ui.session.writtenSource()).remove('\r'));
  QCOMPARE(editor->extraSelections().size(), 1);
  const QString statement = editor->extraSelections()[0].cursor.selectedText();
  QVERIFY2(statement.contains("Y0=0"), qPrintable(statement));
  view->close();
}

void WindowTest::refusedProgramShowsTheRefusalAndBuildsNothing_data() {
  QTest::addColumn<bool>("exists");
  QTest::newRow("a device out of range") << true;
  QTest::newRow("no such file") << false;
}

void WindowTest::refusedProgramShowsTheRefusalAndBuildsNothing() {
  QFETCH(bool, exists);
  auto builds = std::make_shared<GatedBuildService>(std::vector<BuildStage>{}, BuildSummary{});
  WindowUnderTest ui(builds);
  ui.startUpWith(motorBoard());
  const QString program =
      exists ? ui.program("bad.pmw", "LD X0\nOUT Y44\nEND\n") : ui.path("missing.pmw");
  // The core's own answer for the same folder and program.
  Workspace core(ui.directory());
  QVERIFY(core.startUp());
  const Result<AssembledFile> refused = core.translateAndAssemble(program.toStdString());
  QVERIFY(!refused);
  const ErrorText why = errorText(refused.error());

  // A program built before: its status line must not outlive the refusal.
  QVERIFY(ui.window.openProgram(ui.program("motor.pmw", kMotorProgram)));
  QTRY_VERIFY(!ui.session.building());
  QCOMPARE(ui.session.statusKind(), StatusKind::Done);
  const QString fx1n =
      QString::fromStdString(ladder51::test::readFile(ui.path("fx1n.c").toStdString()));

  QVERIFY(!ui.window.openProgram(program));

  QCOMPARE(ui.messages.shown, QStringList());
  QCOMPARE(ui.results(), QStringList{(exists ? "拒绝: " : "失败: ") + why.headline});
  QVERIFY(isChinese(why.headline));
  QCOMPARE(ui.session.results().front().step.has_value(), exists);
  QCOMPARE(ui.window.windowTitle(), QDir::toNativeSeparators(program));
  QCOMPARE(ui.find<QLabel>("Label1")->text(), QString(kStatusRefused).arg(why.headline));
  QCOMPARE(ui.session.statusKind(), StatusKind::Failed);
  QVERIFY(ui.find<QLabel>("Label1")->styleSheet().contains("color"));
  QCOMPARE(QString::fromStdString(ladder51::test::readFile(ui.path("fx1n.c").toStdString())), fx1n);
  QVERIFY(!ui.session.building());
  QCOMPARE(builds->jobs.size(), std::size_t{1});
}

void WindowTest::menusChooseTheChipOpenAndRememberPrograms() {
  WindowUnderTest ui;
  ui.startUpWith(motorBoard());
  QStringList captions;
  for (QAction* action : ui.window.menuBar()->actions()) captions << action->text();
  QCOMPARE(captions, (QStringList{"文件(&F)", kChipMenu, kCommandsMenu}));
  QCOMPARE(ui.find<QAction>("OPEN")->shortcut(), QKeySequence(QKeySequence::Open));
  QCOMPARE(ui.find<QAction>("SAVE")->shortcut(), QKeySequence(QKeySequence::Save));

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
  ui.find<QAction>("SAVE")->trigger();
  QCOMPARE(loadSettings(ui.directory()).settings.chip, std::string("stc89c54"));
  QVERIFY(ui.find<QAction>("stc89c54")->isChecked());

  ui.find<QAction>("CHIPHELP")->trigger();
  ui.find<QAction>("CMD")->trigger();
  QCOMPARE(ui.messages.shown, (QStringList{kChipMessage, kCommandsMessage}));

  // Opened programs are remembered, the latest first and each once, across windows.
  const QString motor = ui.program("motor.pmw", kMotorProgram);
  const QString other = ui.program("other.pmw", kMotorProgram);
  for (const QString& program : {motor, other, motor}) QVERIFY(ui.window.openProgram(program));
  QCOMPARE(ui.window.recentPrograms(), (QStringList{motor, other}));
  MainWindow again(ui.session, ui.messages, &ui.preferences);
  QCOMPARE(again.recentPrograms(), (QStringList{motor, other}));
  QMenu* recent = ui.find<QMenu>("RECENT");
  QCOMPARE(recent->actions().size(), 2);
  recent->actions().at(1)->trigger();
  QCOMPARE(ui.session.programPath(), other);
}

void WindowTest::buildRunsInTheBackgroundAndFillsThePanel() {
  const MemoryUsage used{.internalRamUsed = 180,
                         .stackBytes = 76,
                         .stackStart = 0xb4,
                         .codeBytes = 4852,
                         .xramBytes = 0};
  auto builds = std::make_shared<GatedBuildService>(
      std::vector<BuildStage>{BuildStage::Compile, BuildStage::Link, BuildStage::Finish},
      BuildSummary{.hexFile = "/work/fx1n.hex",
                   .memory = used,
                   .limits = defaultChip().memory,
                   .scanTime = ScanTime{.minMicros = 70, .maxMicros = 12400},
                   .warnings = {"fx1n.c:430: warning 85", "fx1n.c:431: warning 85"},
                   .failure = {}});
  WindowUnderTest ui(builds);
  ui.startUpWith(motorBoard());
  QLabel* status = ui.find<QLabel>("Label1");
  QPushButton* open = ui.find<QPushButton>("Command1");
  const QString program = ui.program("motor.pmw", "LD X0\nOR X5\nOUT Y0\nOUT Y5\nEND\n");
  const int height = status->height();

  QVERIFY(ui.window.openProgram(program));
  QVERIFY(ui.session.building());
  QVERIFY(!open->isEnabled());
  // The window's event loop runs while the build waits between its stages.
  QTRY_COMPARE(status->text(), QStringLiteral("正在编译 fx1n.c…"));
  // A second open is refused while the build runs.
  QVERIFY(!ui.window.openProgram(ui.program("other.pmw", kMotorProgram)));
  QCOMPARE(ui.window.windowTitle(), QDir::toNativeSeparators(program));

  builds->gate.release();
  QTRY_COMPARE(status->text(), QStringLiteral("正在链接…"));
  builds->gate.release();
  QTRY_VERIFY(!ui.session.building());

  QVERIFY(!builds->onWindowThread);
  const QStringList lines = status->text().split('\n');
  QCOMPARE(lines.size(), 2);
  QVERIFY2(QRegularExpression(
               QString(kStatusBuilt).arg("motor.pmw", "/work/fx1n.hex", "\\d\\d:\\d\\d:\\d\\d"))
               .match(lines[0])
               .hasMatch(),
           qPrintable(lines[0]));
  QCOMPARE(lines[1], QString(kBuildWarningsCount).arg(2));
  QCOMPARE(status->height(), height);
  QCOMPARE(ui.session.statusKind(), StatusKind::Done);
  QVERIFY(open->isEnabled());
  QCOMPARE(ui.messages.shown, QStringList());
  // The whole history: the translation's notices, then the build's warnings and the long scan.
  QVERIFY(undeclaredInputsText({5}).startsWith("X5：程序读取了这些输入"));
  QCOMPARE(ui.results(),
           (QStringList{"提示: " + undeclaredOutputsText({5}), "提示: " + undeclaredInputsText({5}),
                        "警告: fx1n.c:430: warning 85", "警告: fx1n.c:431: warning 85",
                        "警告: 一次扫描最长 12.40 毫秒：扫描超过 10 毫秒时，10ms 定时器 T200-T245 "
                        "和 M8011 跟不上。"}));
  // Memory against the chip's limits, and the scan time.
  const auto* ram = ui.find<QProgressBar>("RamUse");
  const auto* code = ui.find<QProgressBar>("CodeUse");
  QCOMPARE((QList<int>{ram->value(), ram->maximum(), code->value(), code->maximum()}),
           (QList<int>{180, 256, 4852, 8192}));
  QCOMPARE(code->text(), QStringLiteral("4852 / 8192 字节"));
  QCOMPARE(ui.find<QProgressBar>("StackUse")->text(), QStringLiteral("余 76 字节"));
  QVERIFY(ui.find<QProgressBar>("XramUse")->isHidden());
  QCOMPARE(ui.find<QLabel>("ScanTime")->text(),
           QStringLiteral("扫描时间 0.07 至 12.40 毫秒（模拟芯片，输入全断）"));
  // The build got the file just written, once.
  QCOMPARE(builds->jobs.size(), std::size_t{1});
  QCOMPARE(QString::fromStdString(builds->jobs.front().sourceFile.string()), ui.path("fx1n.c"));

  // The README's second picture: LADDER51_WINDOW_PICTURES names the folder it goes to.
  if (const QString pictures = qEnvironmentVariable("LADDER51_WINDOW_PICTURES");
      !pictures.isEmpty()) {
    ui.window.resize(ui.window.sizeHint().width(), ui.window.sizeHint().height() + 120);
    ui.window.show();
    QVERIFY(ui.window.grab().save(QDir(pictures).filePath("window-results.png"), "PNG"));
  }
}

void WindowTest::failedBuildsSayWhyAndWhatToDo() {
  // A program too big for the chip: the numbers of SDCC's memory report, and what to do.
  BuildSummary tooBig;
  tooBig.memory = MemoryUsage{.internalRamUsed = 120,
                              .stackBytes = 90,
                              .stackStart = 0x80,
                              .codeBytes = 9000,
                              .xramBytes = 0};
  tooBig.failure = Error{ErrorKind::DoesNotFit, "the program does not fit: it needs 9000 bytes"};
  auto builds =
      std::make_shared<GatedBuildService>(std::vector<BuildStage>{BuildStage::Compile}, tooBig);
  WindowUnderTest ui(builds);
  ui.startUpWith(motorBoard());

  QVERIFY(ui.window.openProgram(ui.program("motor.pmw", kMotorProgram)));
  QTRY_VERIFY(!ui.session.building());

  const QString why =
      "程序放不下：代码需要 9000 字节，而芯片只有 8192 字节 Flash。请在“芯片选择”中"
      "选择 Flash 更大的芯片，保存设置后重新生成。";
  QCOMPARE(ui.messages.shown, QStringList());
  // No stage text is left as if the build still ran.
  QCOMPARE(ui.find<QLabel>("Label1")->text(), QString(kStatusBuildFailed).arg(why));
  QCOMPARE(ui.session.statusKind(), StatusKind::Failed);
  QCOMPARE(ui.results(), QStringList{"失败: " + why});
  QCOMPARE(ui.find<QProgressBar>("CodeUse")->text(), QStringLiteral("9000 / 8192 字节"));
  QVERIFY(ui.find<QPushButton>("Command1")->isEnabled());
}

void WindowTest::hexIsWrittenBesideTheProgram_data() {
  QTest::addColumn<bool>("writable");
  QTest::newRow("written") << true;
  QTest::newRow("a folder in the way") << false;
}

void WindowTest::hexIsWrittenBesideTheProgram() {
  QFETCH(bool, writable);
  WindowUnderTest ui(std::make_shared<StandInBuildService>());
  ui.startUpWith(motorBoard());
  ladder51::test::StandInTools{}.install(ui.directory() / "keil" / "c51" / "bin");
  const QString program = ui.program("programs/motor.pmw", kMotorProgram);
  const QString beside = ui.path("programs/motor.hex");
  if (!writable) QVERIFY(QDir().mkpath(beside));

  QVERIFY(ui.window.openProgram(program));
  QTRY_VERIFY_WITH_TIMEOUT(!ui.session.building(), 30000);
  // The build itself succeeded either way: the hex is in the work directory.
  QCOMPARE(ui.session.statusKind(), StatusKind::Done);
  QCOMPARE(ladder51::test::readFile(ui.path("fx1n.hex").toStdString()), std::string("NEW HEX"));
  if (writable) {
    QCOMPARE(ladder51::test::readFile(beside.toStdString()), std::string("NEW HEX"));
    QCOMPARE(ui.results(), QStringList{"提示: HEX 文件也已写到程序旁：" + beside});
    QCOMPARE(ui.session.hexFolder(), ui.directory() / "programs");
  } else {
    QCOMPARE(ui.results(), QStringList{"警告: 未能在程序旁写入 HEX 文件 " + beside + "。"});
    QCOMPARE(ui.session.hexFolder(), ui.directory());
  }
}

void WindowTest::savedSettingsMarkTheHexOutOfDateUntilRebuilt() {
  auto builds = std::make_shared<GatedBuildService>(std::vector<BuildStage>{}, BuildSummary{});
  WindowUnderTest ui(builds);
  ui.startUpWith(motorBoard());
  QPushButton* rebuild = ui.find<QPushButton>("Command3");
  QVERIFY(!rebuild->isEnabled());
  QVERIFY(ui.window.openProgram(ui.program("motor.pmw", kMotorProgram)));
  QTRY_VERIFY(!ui.session.building());
  QVERIFY(rebuild->isEnabled());

  // Saving what the file was built with changes nothing but says so; a new crystal changes
  // the file.
  QTest::mouseClick(ui.find<QPushButton>("Command2"), Qt::LeftButton);
  QCOMPARE(ui.session.statusKind(), StatusKind::Done);
  QVERIFY(ui.find<QLabel>("Label1")->text().startsWith("设置已保存"));
  ui.find<QLineEdit>("XTAL")->setText("11.0592");
  QTest::mouseClick(ui.find<QPushButton>("Command2"), Qt::LeftButton);
  QCOMPARE(ui.find<QLabel>("Label1")->text(), QString(kStatusOutOfDate));
  QCOMPARE(ui.session.statusKind(), StatusKind::OutOfDate);

  QTest::mouseClick(rebuild, Qt::LeftButton);
  QTRY_VERIFY(!ui.session.building());
  QCOMPARE(ui.session.statusKind(), StatusKind::Done);
  QCOMPARE(builds->jobs.size(), std::size_t{2});
  // The FX time base's timer 2 reloads for 922 machine cycles (1 ms) of the 11.0592 MHz crystal.
  QVERIFY(ladder51::test::readFile(ui.path("fx1n.c").toStdString()).find("RCAP2L = 0x66;") !=
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

void WindowTest::closingWithUnsavedEditsAsks_data() {
  // The crystal as typed, the answer (保存, 不保存, 取消), whether the window closes, and the
  // crystal saved afterwards.
  QTest::addColumn<QString>("crystal");
  QTest::addColumn<int>("choice");
  QTest::addColumn<bool>("closes");
  QTest::addColumn<QString>("saved");
  QTest::newRow("save") << "11.0592" << 0 << true << "11.0592";
  QTest::newRow("discard") << "11.0592" << 1 << true << "12";
  QTest::newRow("cancel") << "11.0592" << 2 << false << "12";
  QTest::newRow("save refused") << "0" << 0 << false << "12";
  QTest::newRow("nothing edited") << "12" << 2 << true << "12";
}

void WindowTest::closingWithUnsavedEditsAsks() {
  QFETCH(QString, crystal);
  QFETCH(int, choice);
  QFETCH(bool, closes);
  QFETCH(QString, saved);
  WindowUnderTest ui;
  ui.startUpWith(motorBoard());
  ui.window.show();
  ui.find<QLineEdit>("XTAL")->setText(crystal);
  ui.messages.choice = choice;

  QCOMPARE(ui.window.close(), closes);

  QCOMPARE(ui.messages.asked.size(), crystal == "12" ? 0 : 1);
  if (!ui.messages.asked.isEmpty()) {
    QVERIFY(
        ui.messages.asked[0].endsWith(QString("[") + kSaveCaption + "/不保存/" + kCancel + "]"));
  }
  QCOMPARE(QString::fromStdString(loadSettings(ui.directory()).settings.crystal), saved);
}

void WindowTest::droppedProgramIsOpened() {
  WindowUnderTest ui;
  ui.startUpWith(motorBoard());
  const QString program = ui.program("motor.pmw", kMotorProgram);
  ladder51::test::writeFile(ui.path("notes.txt").toStdString(), "LD X0");
  // A drag enters, then drops; only a .pmw file is taken, and opened.
  const auto drop = [&](const QString& file) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(file)});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&ui.window, &enter);
    QDropEvent dropped(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    if (enter.isAccepted()) QApplication::sendEvent(&ui.window, &dropped);
    return enter.isAccepted();
  };

  QVERIFY(!drop(ui.path("notes.txt")));
  QCOMPARE(ui.session.programPath(), QString());
  QVERIFY(drop(program));
  QCOMPARE(ui.session.programPath(), program);
  QVERIFY(QFile::exists(ui.path("fx1n.c")));
}

void WindowTest::openBuildsTheHexWithSdcc() {
  if (QStandardPaths::findExecutable("sdcc").isEmpty()) QSKIP("SDCC is not installed");
  WindowUnderTest ui(std::make_shared<ToolchainBuildService>());
  ui.startUpWith(motorBoard());
  QVERIFY(!ui.find<QPushButton>("Simulate")->isEnabled());

  QVERIFY(ui.window.openProgram(ui.program("motor.pmw", kMotorProgram)));
  QTRY_VERIFY_WITH_TIMEOUT(!ui.session.building(), 180000);
  // The firmware SDCC built can be simulated.
  QVERIFY(ui.find<QPushButton>("Simulate")->isEnabled());

  QCOMPARE(ui.messages.shown, QStringList());
  QVERIFY2(ui.find<QLabel>("Label1")->text().contains(ui.path("fx1n.hex")),
           qPrintable(ui.find<QLabel>("Label1")->text()));
  // SDCC measures the chip's memory: the panel shows it against the AT89S52's.
  QVERIFY(ui.session.lastBuild()->memory.has_value());
  QCOMPARE(ui.find<QProgressBar>("CodeUse")->maximum(), 8192);
  QVERIFY(ui.find<QProgressBar>("CodeUse")->value() > 0);
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
