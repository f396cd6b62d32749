// The window driven through its controls, as a user would: start-up, save, open, the menus and
// the build in the background.
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QSet>
#include <QStandardPaths>
#include <QTest>

#include "core/text/encoding.h"
#include "gui/texts.h"
#include "gui/toolchain_build.h"
#include "tests/gui/gui_support.h"

namespace ladder51::gui::test {
namespace {

QString utf8(const char* text) {
  return QString::fromUtf8(text);
}

// "T5=X8" sets a text box, "CHK7219=1" ticks a check box.
void applyEdits(WindowUnderTest& ui, const QStringList& edits) {
  for (const QString& edit : edits) {
    const QString name = edit.section(QLatin1Char('='), 0, 0);
    const QString value = edit.section(QLatin1Char('='), 1);
    if (auto* box = ui.window.findChild<QLineEdit*>(name)) {
      box->setText(value);
    } else if (auto* check = ui.window.findChild<QCheckBox*>(name)) {
      check->setChecked(value == QLatin1String("1"));
    } else {
      QFAIL(qPrintable(QStringLiteral("no control named ") + name));
    }
  }
}

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void showsEveryControlWithItsCaption();

  void startUpFillsTheControlsAndGeneratesTheSections();
  void startUpFailureKeepsTheLoadedValues_data();
  void startUpFailureKeepsTheLoadedValues();

  void saveFailureShowsItsMessageAndWritesNothing_data();
  void saveFailureShowsItsMessageAndWritesNothing();
  void failedFilterCheckShowsTheSavedFilterAgain();
  void saveWritesTheFilesAndRegeneratesTheDeclarations();
  void noEepromThenSaveWritesFalseTwice();

  void openingAProgramWritesTheSource();
  void refusedProgramIsReportedWithItsStep();
  void unreadableProgramIsReported();

  void menusShowTheirMessagesAndChangeNothing();

  void buildRunsInTheBackgroundShowingItsStages();
  void failedBuildIsReported();
  void openingAProgramBuildsTheHexWithSdcc();
};

void MainWindowTest::showsEveryControlWithItsCaption() {
  WindowUnderTest ui;
  QSet<QString> labels;
  for (const QLabel* label : ui.window.findChildren<QLabel*>()) labels.insert(label->text());
  for (const char* caption :
       {kCrystalLabel, kFilterLabel, kDisplayHelpT0, kDisplayHelpC0, kDisplayHelpD0, kDinLabel,
        kLoadLabel, kClkLabel, kSclLabel, kSdaLabel}) {
    QVERIFY2(labels.contains(utf8(caption)), caption);
  }
  // One box per pin, named after its port and bit, behind its pin label.
  int boxes = 0;
  for (int port = 0; port <= 4; ++port) {
    for (int bit = 0; bit < (port == 4 ? 4 : 8); ++bit) {
      const QString name =
          port == 0 ? QStringLiteral("T%1").arg(bit) : QStringLiteral("T%1%2").arg(port).arg(bit);
      QVERIFY2(ui.window.findChild<QLineEdit*>(name) != nullptr, qPrintable(name));
      QVERIFY(labels.contains(QStringLiteral("P%1.%2").arg(port).arg(bit)));
      ++boxes;
    }
  }
  QCOMPARE(boxes, 36);
  for (const char* name : {"XTAL", "DlyT", "DIN", "LOAD", "CLK", "TSCL", "TSDA"}) {
    QVERIFY2(ui.find<QLineEdit>(name) != nullptr, name);
  }
  QCOMPARE(ui.find<QPushButton>("Command1")->text(), utf8(kOpenCaption));
  QCOMPARE(ui.find<QPushButton>("Command2")->text(), utf8(kSaveCaption));
  QCOMPARE(ui.find<QPushButton>("NOT24C")->text(), utf8("不使用"));
  QCOMPARE(ui.find<QCheckBox>("CHK7219")->text(), utf8("使用7219数码管驱动"));
  QCOMPARE(ui.find<QRadioButton>("CHK24C16")->text(), utf8("外接24C16,以下"));
  QCOMPARE(ui.find<QRadioButton>("CHK24C")->text(), utf8("外接24C32,24C64,24C128,24C256,24C512 "));
  QVERIFY(ui.find<QCheckBox>("CKPTUS")->text().startsWith(utf8("输出用于proteus仿真格式时打钩")));
  QVERIFY(ui.find<QLabel>("Label1")->text().isEmpty());
  // The window shows the folder it works in.
  QVERIFY(ui.find<QLabel>("WorkDirectory")
              ->text()
              .contains(QDir::toNativeSeparators(ui.folder.path())));
  // Options explain themselves.
  for (const char* name : {"XTAL", "DlyT", "T32", "DIN", "TSCL"}) {
    QVERIFY2(!ui.find<QLineEdit>(name)->toolTip().isEmpty(), name);
  }
}

void MainWindowTest::startUpFillsTheControlsAndGeneratesTheSections() {
  WindowUnderTest ui;
  BoardFiles board = typicalBoard();
  board.filter = "5";
  board.crystal = "11.0592";
  board.display = 1;
  board.din = "1.5";
  board.load = "1.6";
  board.clk = "1.7";
  board.smallEeprom = true;
  board.proteus = 1;
  QVERIFY(writeBoardFiles(ui.folder.path(), board));

  ui.window.startUp();

  QCOMPARE(ui.messages.shown, QStringList());
  QCOMPARE(ui.find<QLineEdit>("T32")->text(), QStringLiteral("X0"));
  QCOMPARE(ui.find<QLineEdit>("T33")->text(), QStringLiteral("X1"));
  QCOMPARE(ui.find<QLineEdit>("T10")->text(), QStringLiteral("Y0"));
  QCOMPARE(ui.find<QLineEdit>("T0")->text(), QString());
  QCOMPARE(ui.find<QLineEdit>("DlyT")->text(), QStringLiteral("5"));
  QCOMPARE(ui.find<QLineEdit>("XTAL")->text(), QStringLiteral("11.0592"));
  QVERIFY(ui.find<QCheckBox>("CHK7219")->isChecked());
  QCOMPARE(ui.find<QLineEdit>("LOAD")->text(), QStringLiteral("1.6"));
  QVERIFY(ui.find<QRadioButton>("CHK24C16")->isChecked());
  QVERIFY(!ui.find<QRadioButton>("CHK24C")->isChecked());
  QCOMPARE(ui.find<QLineEdit>("TSDA")->text(), QStringLiteral("3.7"));
  QVERIFY(ui.find<QCheckBox>("CKPTUS")->isChecked());
  // What the controls hold is what the files hold.
  QCOMPARE(ui.window.editedSettings(), ui.session.workspace().settings());

  const Workspace& workspace = ui.session.workspace();
  QVERIFY(!workspace.registerHeader().empty());
  QVERIFY(!workspace.runtime().empty());
  // The points are bound to the pins the boxes name: P3.2 is bit address 0xB2, P1.0 is 0x90.
  QVERIFY(workspace.pinDeclarations().find("sbit X0=0xB2;") != std::string::npos);
  QVERIFY(workspace.pinDeclarations().find("sbit Y0=0x90;") != std::string::npos);
}

void MainWindowTest::startUpFailureKeepsTheLoadedValues_data() {
  QTest::addColumn<int>("pin");
  QTest::addColumn<QString>("point");
  QTest::addColumn<QString>("din");
  QTest::addColumn<QString>("expected");
  QTest::newRow("digit 8") << 5 << "X8"
                           << "1.5" << utf8("P0.5设置错误！！");
  QTest::newRow("lower case on the last pin") << 35 << "x1"
                                              << "1.5" << utf8("P4.3设置错误！！");
  QTest::newRow("display pin unset") << 0 << "X0"
                                     << "" << utf8("DIN 未设置！！");
}

void MainWindowTest::startUpFailureKeepsTheLoadedValues() {
  QFETCH(int, pin);
  QFETCH(QString, point);
  QFETCH(QString, din);
  QFETCH(QString, expected);
  WindowUnderTest ui;
  BoardFiles board = typicalBoard();
  board.pins[static_cast<std::size_t>(pin)] = point.toStdString();
  board.display = 1;
  board.din = din.toStdString();
  board.load = "1.6";
  board.clk = "1.7";
  QVERIFY(writeBoardFiles(ui.folder.path(), board));

  ui.window.startUp();

  QCOMPARE(ui.messages.shown, QStringList{expected});
  // The loaded values stay for the user to correct.
  QCOMPARE(QString::fromStdString(ui.window.editedSettings().pins[static_cast<std::size_t>(pin)]),
           point);
  QCOMPARE(ui.find<QLineEdit>("DIN")->text(), din);
  QCOMPARE(ui.find<QLineEdit>("T32")->text(), QStringLiteral("X0"));
  const Workspace& workspace = ui.session.workspace();
  QVERIFY(workspace.registerHeader().empty());
  QVERIFY(workspace.pinDeclarations().empty());
  QVERIFY(workspace.runtime().empty());
}

void MainWindowTest::saveFailureShowsItsMessageAndWritesNothing_data() {
  QTest::addColumn<QStringList>("edits");
  QTest::addColumn<QString>("expected");
  QTest::newRow("digit 8") << QStringList{"T5=X8"} << utf8("P0.5设置错误！！");
  QTest::newRow("leading zero") << QStringList{"T17=Y08"} << utf8("P1.7设置错误！！");
  QTest::newRow("beyond 43") << QStringList{"T20=X44"} << utf8("P2.0设置错误！！");
  QTest::newRow("trailing blank") << QStringList{"T43=X1 "} << utf8("P4.3设置错误！！");
  QTest::newRow("names before duplicates")
      << QStringList{"T0=X3", "T10=X3", "T43=x1"} << utf8("P4.3设置错误！！");
  QTest::newRow("X duplicate") << QStringList{"T0=X3", "T10=X3"} << utf8("X点定义重复！！");
  QTest::newRow("Y duplicate") << QStringList{"T1=Y5", "T2=Y5"} << utf8("Y点定义重复！！");
  QTest::newRow("X duplicate before Y")
      << QStringList{"T1=Y5", "T2=Y5", "T0=X3", "T10=X3"} << utf8("X点定义重复！！");
  QTest::newRow("filter 11") << QStringList{"DlyT=11"} << utf8("滤波时间参数必须在0-10之间！！");
  QTest::newRow("filter -1") << QStringList{"DlyT=-1"} << utf8("滤波时间参数必须在0-10之间！！");
  QTest::newRow("filter empty") << QStringList{"DlyT="} << utf8("滤波时间参数必须在0-10之间！！");
  QTest::newRow("filter leading zero")
      << QStringList{"DlyT=05"} << utf8("滤波时间参数必须在0-10之间！！");
  const QStringList display{"CHK7219=1", "DIN=1.5", "LOAD=1.6", "CLK=1.7"};
  QTest::newRow("DIN above 4.3") << display + QStringList{"DIN=4.31"} << utf8("DIN 设置错误！！");
  QTest::newRow("DIN negative") << display + QStringList{"DIN=-0.5"} << utf8("DIN 设置错误！！");
  QTest::newRow("DIN unset") << display + QStringList{"DIN="} << utf8("DIN 未设置！！");
  QTest::newRow("LOAD above 4.3") << display + QStringList{"LOAD=5"} << utf8("LOAD 设置错误！！");
  QTest::newRow("LOAD unset") << display + QStringList{"LOAD="} << utf8("LOAD 未设置！！");
  QTest::newRow("CLK above 4.3") << display + QStringList{"CLK=9.1"} << utf8("CLK 设置错误！！");
  QTest::newRow("CLK unset") << display + QStringList{"CLK="} << utf8("CLK 未设置！！");
}

void MainWindowTest::saveFailureShowsItsMessageAndWritesNothing() {
  QFETCH(QStringList, edits);
  QFETCH(QString, expected);
  WindowUnderTest ui;
  QVERIFY(writeBoardFiles(ui.folder.path(), typicalBoard()));
  ui.window.startUp();
  const QByteArray before = settingsSnapshot(ui.folder.path());
  const std::string declarations = ui.session.workspace().pinDeclarations();
  applyEdits(ui, edits);

  QTest::mouseClick(ui.find<QPushButton>("Command2"), Qt::LeftButton);

  QCOMPARE(ui.messages.shown, QStringList{expected});
  QCOMPARE(settingsSnapshot(ui.folder.path()), before);
  QCOMPARE(ui.session.workspace().pinDeclarations(), declarations);
}

void MainWindowTest::failedFilterCheckShowsTheSavedFilterAgain() {
  WindowUnderTest ui;
  BoardFiles board = typicalBoard();
  board.filter = "7";
  QVERIFY(writeBoardFiles(ui.folder.path(), board));
  ui.window.startUp();
  ui.find<QLineEdit>("DlyT")->setText(QStringLiteral("11"));
  ui.find<QLineEdit>("T0")->setText(QStringLiteral("Y7"));

  ui.find<QPushButton>("Command2")->click();

  QCOMPARE(ui.messages.shown, QStringList{utf8("滤波时间参数必须在0-10之间！！")});
  QCOMPARE(ui.find<QLineEdit>("DlyT")->text(), QStringLiteral("7"));
  // Only the filter box is put back.
  QCOMPARE(ui.find<QLineEdit>("T0")->text(), QStringLiteral("Y7"));

  // Any other failure leaves the filter box as typed.
  ui.messages.shown.clear();
  ui.find<QLineEdit>("DlyT")->setText(QStringLiteral("2"));
  ui.find<QLineEdit>("T1")->setText(QStringLiteral("Y7"));
  ui.find<QPushButton>("Command2")->click();
  QCOMPARE(ui.messages.shown, QStringList{utf8("Y点定义重复！！")});
  QCOMPARE(ui.find<QLineEdit>("DlyT")->text(), QStringLiteral("2"));
}

void MainWindowTest::saveWritesTheFilesAndRegeneratesTheDeclarations() {
  WindowUnderTest ui;
  QVERIFY(writeBoardFiles(ui.folder.path(), typicalBoard()));
  ui.window.startUp();
  applyEdits(ui, {"T0=Y1", "T32=", "DlyT=10", "XTAL=24", "CHK7219=0", "DIN=anything"});

  ui.find<QPushButton>("Command2")->click();

  QCOMPARE(ui.messages.shown, QStringList());
  const QByteArray io = readBytes(ui.path("io.dat"));
  QVERIFY2(io.startsWith("\"Y1\",\"\","), io.constData());
  QVERIFY2(io.endsWith(",\"10\"\r\n"), io.constData());
  QVERIFY(readBytes(ui.path("IIC.dat")).endsWith(",\"24\"\r\n"));
  QVERIFY(readBytes(ui.path("7219.dat")).startsWith("0,\"anything\","));
  const std::string& declarations = ui.session.workspace().pinDeclarations();
  QVERIFY(declarations.find("sbit Y1=0x80;") != std::string::npos);
  QVERIFY(declarations.find("sbit X0=") == std::string::npos);

  // A second window over the same folder loads what was saved.
  RecordingMessageSink messages;
  Session again(ui.folder.path().toStdString(), messages, nullptr);
  MainWindow reloaded(again, messages);
  reloaded.startUp();
  QCOMPARE(messages.shown, QStringList());
  QCOMPARE(reloaded.editedSettings(), ui.window.editedSettings());
}

void MainWindowTest::noEepromThenSaveWritesFalseTwice() {
  WindowUnderTest ui;
  BoardFiles board = typicalBoard();
  board.largeEeprom = true;
  QVERIFY(writeBoardFiles(ui.folder.path(), board));
  ui.window.startUp();
  QVERIFY(ui.find<QRadioButton>("CHK24C")->isChecked());
  QVERIFY(ui.session.workspace().pinDeclarations().find("#define SCL") != std::string::npos);

  QTest::mouseClick(ui.find<QPushButton>("NOT24C"), Qt::LeftButton);
  QVERIFY(!ui.find<QRadioButton>("CHK24C")->isChecked());
  QVERIFY(!ui.find<QRadioButton>("CHK24C16")->isChecked());
  QTest::mouseClick(ui.find<QPushButton>("Command2"), Qt::LeftButton);

  QCOMPARE(ui.messages.shown, QStringList());
  const QByteArray iic = readBytes(ui.path("IIC.dat"));
  QVERIFY2(iic.startsWith("#FALSE#,"), iic.constData());
  QCOMPARE(iic.count("#FALSE#"), 2);
  QCOMPARE(iic.count("#TRUE#"), 0);
  const std::string& declarations = ui.session.workspace().pinDeclarations();
  QVERIFY(declarations.find("#define SCL") == std::string::npos);
  QVERIFY(declarations.find("#define SDA") == std::string::npos);

  // The option buttons still exclude each other after being cleared.
  ui.find<QRadioButton>("CHK24C16")->click();
  ui.find<QRadioButton>("CHK24C")->click();
  QVERIFY(!ui.find<QRadioButton>("CHK24C16")->isChecked());
}

void MainWindowTest::openingAProgramWritesTheSource() {
  WindowUnderTest ui;
  QVERIFY(writeBoardFiles(ui.folder.path(), typicalBoard()));
  ui.window.startUp();
  const QString program =
      writeProgram(ui.folder.path(), "motor.pmw", "LD X0\nOR Y0\nANI X1\nOUT Y0\nEND\n");
  QVERIFY(!program.isEmpty());

  QVERIFY(ui.window.openProgram(program));

  QCOMPARE(ui.messages.shown, QStringList());
  QCOMPARE(ui.window.windowTitle(), QDir::toNativeSeparators(program));
  const QByteArray source = readBytes(ui.path("fx1n.c"));
  const Workspace& workspace = ui.session.workspace();
  QVERIFY(!workspace.statements().empty());
  QVERIFY(source.contains(QByteArray::fromStdString(workspace.statements())));
  QVERIFY(source.contains("sbit Y0=0x90;"));
  // The whole assembled file, GBK-encoded.
  Result<std::string> encoded = encodeText(workspace.wholeFile(), FileEncoding::Gbk);
  QVERIFY(encoded.ok());
  QCOMPARE(source, QByteArray::fromStdString(*encoded));
  // Without a build the status line says where the source went.
  QCOMPARE(ui.find<QLabel>("Label1")->text(), ui.path("fx1n.c"));
}

void MainWindowTest::refusedProgramIsReportedWithItsStep() {
  WindowUnderTest ui;
  QVERIFY(writeBoardFiles(ui.folder.path(), typicalBoard()));
  ui.window.startUp();
  const QString program = writeProgram(ui.folder.path(), "bad.pmw", "LD X0\nOUT Y44\nEND\n");
  QVERIFY(!program.isEmpty());

  QVERIFY(!ui.window.openProgram(program));

  QCOMPARE(ui.messages.shown.size(), 1);
  const QString& message = ui.messages.shown.front();
  QVERIFY2(message.startsWith(utf8("Y超出范围 只能在Y0-Y43之间！！")), qPrintable(message));
  QVERIFY2(message.contains(QStringLiteral("step 1")), qPrintable(message));
  QVERIFY(!QFile::exists(ui.path("fx1n.c")));
  QCOMPARE(ui.window.windowTitle(), QDir::toNativeSeparators(program));
}

void MainWindowTest::unreadableProgramIsReported() {
  WindowUnderTest ui;
  QVERIFY(writeBoardFiles(ui.folder.path(), typicalBoard()));
  ui.window.startUp();

  QVERIFY(!ui.window.openProgram(ui.path("missing.pmw")));

  QCOMPARE(ui.messages.shown.size(), 1);
  QVERIFY(!QFile::exists(ui.path("fx1n.c")));
}

void MainWindowTest::menusShowTheirMessagesAndChangeNothing() {
  WindowUnderTest ui;
  QVERIFY(writeBoardFiles(ui.folder.path(), typicalBoard()));
  ui.window.startUp();
  const Settings before = ui.window.editedSettings();
  const QByteArray files = settingsSnapshot(ui.folder.path());

  QStringList captions;
  for (QAction* action : ui.window.menuBar()->actions()) captions << action->text();
  QCOMPARE(captions, (QStringList{utf8("芯片选择"), utf8("支持指令")}));

  ui.window.findChild<QAction*>(QStringLiteral("CHIP"))->trigger();
  ui.window.findChild<QAction*>(QStringLiteral("CMD"))->trigger();

  QCOMPARE(
      ui.messages.shown,
      (QStringList{
          utf8("请选择RAM为 256字节以上的51系列单片机，如AT89S52(带看门狗)，STC89C52。"),
          utf8("完成基本指令扫盲工作，现在全面支持三菱FX系列的29条基本指令：LD LDI AND ANI OR "
               "ORI LDP LDF ANDP ANDF ORP ORF SET  RST MPS MPP  MRD ANB ORB  OUT INV PLS  "
               "PLF MC MCR NOP END 另外目前支持的功能指令有： ALT MOV ZRST INC DEC ADD SUB MUL "
               "DIV LD= LD> AND= AND> OR= OR>  支持软元件: T0-T15 0.1S  D0-D15 "
               "D16-D8000（外接EEPROM保持）  C0-C10   M0 -M79 M8000 M8002 M8011 M8012 M8013 "
               "M8014  X0-X43 Y0-Y43")}));
  QCOMPARE(ui.window.editedSettings(), before);
  QCOMPARE(settingsSnapshot(ui.folder.path()), files);
}

void MainWindowTest::buildRunsInTheBackgroundShowingItsStages() {
  auto builds = std::make_shared<GatedBuildService>(
      std::vector<std::string>{"CHANGE", "LINK START UP", "FX1N.HEX  DONE"});
  WindowUnderTest ui(builds);
  const auto release = qScopeGuard([&] { builds->openGate(); });
  QVERIFY(writeBoardFiles(ui.folder.path(), typicalBoard()));
  ui.window.startUp();
  const QString program = writeProgram(ui.folder.path(), "motor.pmw", "LD X0\nOUT Y0\nEND\n");
  const QString hexFile = ui.path("fx1n.hex");
  builds->setResult(BuildSummary{.hexFile = hexFile.toStdString(),
                                 .memoryUse = "internal RAM 120 of 256 bytes; code 2100 bytes",
                                 .warnings = {"fx1n.c:430: warning 85", "fx1n.c:431: warning 85"}});
  QLabel* status = ui.find<QLabel>("Label1");
  QPushButton* open = ui.find<QPushButton>("Command1");

  QVERIFY(ui.window.openProgram(program));
  // fx1n.c is written before the build starts.
  QVERIFY(QFile::exists(ui.path("fx1n.c")));
  QVERIFY(ui.session.building());
  QVERIFY(!open->isEnabled());
  // The window's event loop keeps running while the build waits between its stages.
  QTRY_COMPARE(status->text(), QStringLiteral("CHANGE"));

  // A second open cannot start a second build, and leaves the source alone.
  const QString other = writeProgram(ui.folder.path(), "other.pmw", "LD X1\nOUT Y0\nEND\n");
  const QByteArray source = readBytes(ui.path("fx1n.c"));
  QVERIFY(!ui.window.openProgram(other));
  QCOMPARE(readBytes(ui.path("fx1n.c")), source);
  QCOMPARE(ui.window.windowTitle(), QDir::toNativeSeparators(program));

  builds->advance();
  QTRY_COMPARE(status->text(), QStringLiteral("LINK START UP"));
  builds->advance();
  QTRY_VERIFY(!ui.session.building());

  QCOMPARE(status->text(),
           QStringLiteral("FX1N.HEX  DONE\n") + hexFile +
               QStringLiteral("\ninternal RAM 120 of 256 bytes; code 2100 bytes\n") +
               utf8("编译警告：2 条"));
  QCOMPARE(status->toolTip(), QStringLiteral("fx1n.c:430: warning 85\nfx1n.c:431: warning 85"));
  QVERIFY(open->isEnabled());
  QCOMPARE(ui.messages.shown, QStringList());

  // The build got the written file and where its statements begin.
  const std::vector<BuildJob> requests = builds->requests();
  QCOMPARE(requests.size(), std::size_t{1});
  const BuildJob& request = requests.front();
  QCOMPARE(QString::fromStdString(request.sourceFile.string()), ui.path("fx1n.c"));
  QCOMPARE(QString::fromStdString(request.workDirectory.string()), ui.folder.path());
  QVERIFY(!request.statements.empty());
  QCOMPARE(source.mid(static_cast<qsizetype>(request.statementsOffset),
                      static_cast<qsizetype>(request.statements.size())),
           QByteArray::fromStdString(request.statements));
}

void MainWindowTest::failedBuildIsReported() {
  auto builds = std::make_shared<GatedBuildService>(std::vector<std::string>{"CHANGE"});
  builds->setResult(
      Error{ErrorKind::ToolFailed, "the compiler failed (exit status 2)", "sdcc fx1n.c"});
  WindowUnderTest ui(builds);
  QVERIFY(writeBoardFiles(ui.folder.path(), typicalBoard()));
  ui.window.startUp();
  const QString program = writeProgram(ui.folder.path(), "motor.pmw", "LD X0\nOUT Y0\nEND\n");

  QVERIFY(ui.window.openProgram(program));
  QTRY_VERIFY(!ui.session.building());

  QCOMPARE(ui.messages.shown,
           QStringList{QStringLiteral("the compiler failed (exit status 2) (sdcc fx1n.c)")});
  QCOMPARE(ui.find<QLabel>("Label1")->text(), QStringLiteral("CHANGE"));
  QVERIFY(ui.find<QPushButton>("Command1")->isEnabled());
}

void MainWindowTest::openingAProgramBuildsTheHexWithSdcc() {
  if (QStandardPaths::findExecutable(QStringLiteral("sdcc")).isEmpty()) {
    QSKIP("SDCC is not installed");
  }
  WindowUnderTest ui(std::make_shared<ToolchainBuildService>());
  QVERIFY(writeBoardFiles(ui.folder.path(), typicalBoard()));
  ui.window.startUp();
  const QString program =
      writeProgram(ui.folder.path(), "motor.pmw", "LD X0\nOR Y0\nANI X1\nOUT Y0\nEND\n");

  QVERIFY(ui.window.openProgram(program));
  QTRY_VERIFY_WITH_TIMEOUT(!ui.session.building(), 180000);

  QVERIFY2(ui.messages.shown.isEmpty(), qPrintable(ui.messages.shown.join('\n')));
  const QByteArray hex = readBytes(ui.path("fx1n.hex"));
  // Intel HEX: records start with a colon, the last one is the end-of-file record.
  QVERIFY2(hex.startsWith(':'), hex.left(40).constData());
  QVERIFY(hex.trimmed().endsWith(":00000001FF"));
  const QStringList status = ui.find<QLabel>("Label1")->text().split(QLatin1Char('\n'));
  QCOMPARE(status.value(0), QStringLiteral("FX1N.HEX  DONE"));
  QCOMPARE(status.value(1), ui.path("fx1n.hex"));
  QVERIFY2(status.value(2).startsWith(QStringLiteral("internal RAM ")),
           qPrintable(status.value(2)));
}

int runMainWindowTests(int argc, char** argv) {
  MainWindowTest test;
  return QTest::qExec(&test, argc, argv);
}

}  // namespace ladder51::gui::test

#include "main_window_test.moc"
