// The virtual board: its switches and lamps follow the pin map, the devices it shows come from
// the program, and the motor's firmware built with SDCC answers clicks as the PLC would, with a
// record that the batch simulation replays to the same output changes.
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableWidget>
#include <QTest>

#include "core/config/settings_files.h"
#include "core/config/validation.h"
#include "core/sequence.h"
#include "core/sim/timeline.h"
#include "gui/board_view.h"
#include "gui/translations.h"
#include "tests/support/fixtures.h"

namespace ladder51::gui::test {
namespace {

using ladder51::test::assign;

Settings validated(const SettingsText& text) {
  Result<Settings> settings = validateForSave(text);
  if (!settings) qFatal("settings refused: %s", settings.error().message.c_str());
  return *settings;
}

// The captions of the view's switches (X) or lamps (Y), in their order on the board.
QString captions(const BoardView& view, QChar letter) {
  QStringList texts;
  for (QWidget* widget : view.findChildren<QWidget*>()) {
    if (!widget->objectName().startsWith(letter)) continue;
    if (auto* button = qobject_cast<QPushButton*>(widget)) texts << button->text();
    if (auto* lamp = qobject_cast<QLabel*>(widget)) texts << lamp->text();
  }
  return texts.join('|');
}

bool isOn(const BoardView& view, const char* point) {
  return view.findChild<QWidget*>(point)->property("on").toBool();
}

// The values table's row of a device: "M5 ON" ("T0 ON 7").
QString valueRow(const BoardView& view, const QString& device) {
  auto* table = view.findChild<QTableWidget*>("Values");
  for (int r = 0; table != nullptr && r < table->rowCount(); ++r) {
    if (table->item(r, 0)->text() != device) continue;
    return QStringList{device, table->item(r, 1)->text(), table->item(r, 2)->text()}
        .join(' ')
        .trimmed();
  }
  return {};
}

}  // namespace

class BoardTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QVERIFY(installTranslations(*QCoreApplication::instance())); }

  void pointsFollowThePinMap_data() {
    QTest::addColumn<QString>("assignments");
    QTest::addColumn<QString>("switches");
    QTest::addColumn<QString>("lamps");
    QTest::newRow("motor") << "P3.2=X0 P3.3=X1 P1.0=Y0"
                           << "X0 P3.2|X1 P3.3"
                           << "Y0 P1.0";
    QTest::newRow("by number, port 4") << "P0.0=X10 P0.1=X7 P1.1=X2 P4.0=Y3 P2.7=Y2"
                                       << "X2 P1.1|X7 P0.1|X10 P0.0"
                                       << "Y2 P2.7|Y3 P4.0";
    QTest::newRow("no points") << ""
                               << ""
                               << "";
  }
  void pointsFollowThePinMap() {
    QFETCH(QString, assignments);
    QFETCH(QString, switches);
    QFETCH(QString, lamps);
    SettingsText board;
    for (const QString& pair : assignments.split(' ', Qt::SkipEmptyParts))
      assign(board, pair.section('=', 0, 0).toStdString(), pair.section('=', 1).toStdString());
    const BoardView view({}, validated(board), {});
    QCOMPARE(captions(view, 'X'), switches);
    QCOMPARE(captions(view, 'Y'), lamps);
    QVERIFY(view.findChild<QWidget*>("Digits") == nullptr);
  }

  void devicesComeFromTheProgram_data() {
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("devices");
    QTest::newRow("motor") << ladder51::test::kMotorProgram << "Y0";
    // Outputs first, then as the core lists them; a digit group names each of its relays.
    QTest::newRow("each kind once, in order")
        << "LD X0\nOUT Y20\nLD M5\nOUT T0 K10\nMOV K5 D3\nSTL S20\nOUT C1 K3\nRET\nLD M8002\n"
           "MOV K4M0 D1\nLD= D10Z1 K2\nOUT M5\nEND\n"
        << "Y20,T0,C1,D1,D3,D10,M0,M1,M2,M3,M4,M5,M6,M7,M8,M9,M10,M11,M12,M13,M14,M15,S20";
    QTest::newRow("nothing") << "END\n"
                             << "";
  }
  void devicesComeFromTheProgram() {
    QFETCH(QString, program);
    QFETCH(QString, devices);
    QStringList names;
    for (const std::string& name : devicesNamedBy(ladder51::test::pmwOf(program.toStdString())))
      names << QString::fromStdString(name);
    QCOMPARE(names.join(','), devices);
  }

  void missingFirmwareIsReported() {
    ladder51::test::ScratchDir work;
    BoardView view(work.path(), validated(ladder51::test::motorBoard()), {});
    QVERIFY(!hasSdccFirmware(work.path()));
    QVERIFY(!view.start());
    const QString status = view.findChild<QLabel*>("Status")->text();
    QVERIFY2(
        status.contains("fx1n.hex") && status.contains(QRegularExpression("[\\x{4e00}-\\x{9fff}]")),
        qPrintable(status));
    QVERIFY(!view.findChild<QPushButton*>("Run")->isEnabled());
  }

  // The motor with a run timer: X0 starts, X1 stops, T0 brings M5 on after half a second.
  void motorRunsOnTheBoard() {
    if (!ladder51::test::haveProgram("sdcc") || !ladder51::test::haveProgram("s51"))
      QSKIP("SDCC or s51 is not installed");
    ladder51::test::ScratchDir work;
    SettingsText board = ladder51::test::motorBoard();
    board.display = true;
    board.din = "1.5", board.load = "1.6", board.clk = "1.7";
    QVERIFY(saveSettings(work.path(), board));
    const std::string program =
        "LD X0\nOR Y0\nANI X1\nOUT Y0\nLD Y0\nOUT T0 K5\nLD T0\nOUT M5\nEND\n";
    ladder51::test::writeProgram(work / "motor.pmw", program);
    ladder51::test::RecordingObserver observer;
    SequenceRequest request;
    request.workDirectory = work.path();
    request.program = work / "motor.pmw";
    request.build.toolchain = ToolchainChoice::Sdcc;
    Result<SequenceResult> built = runSequence(request, observer);
    QVERIFY2(built, built ? "" : built.error().describe().c_str());
    QVERIFY(hasSdccFirmware(work.path()));

    BoardView view(work.path(), built->settings, devicesNamedBy(ladder51::test::pmwOf(program)));
    view.show();
    QVERIFY(view.start());
    QTRY_COMPARE_WITH_TIMEOUT(valueRow(view, "M5"), "M5 OFF", 10000);
    QCOMPARE(valueRow(view, "T0"), "T0 OFF 0");
    QVERIFY(view.findChild<QWidget*>("Digits") != nullptr);

    // A click switches X0 on and leaves it on; the motor starts and seals itself in.
    QTest::mouseClick(view.findChild<QPushButton*>("X0"), Qt::LeftButton);
    QVERIFY(isOn(view, "X0"));
    QTRY_VERIFY_WITH_TIMEOUT(isOn(view, "Y0"), 10000);
    QTest::mouseClick(view.findChild<QPushButton*>("X0"), Qt::LeftButton);
    QVERIFY(!isOn(view, "X0"));
    QTRY_COMPARE_WITH_TIMEOUT(valueRow(view, "M5"), "M5 ON", 10000);
    QVERIFY(valueRow(view, "T0").startsWith("T0 ON "));
    QVERIFY(isOn(view, "Y0"));
    // The display shows T0's value (D15 = 0) on its right, 5 once the timer has run out.
    QTRY_VERIFY2_WITH_TIMEOUT(view.display()->text().ends_with(" 5"),
                              view.display()->text().c_str(), 10000);
    if (const QString pictures = qEnvironmentVariable("LADDER51_WINDOW_PICTURES");
        !pictures.isEmpty()) {
      QVERIFY(view.grab().save(pictures + "/board.png"));
    }

    // X1 held down stops the motor, and springs back when released.
    QTest::mousePress(view.findChild<QPushButton*>("X1"), Qt::LeftButton);
    QVERIFY(isOn(view, "X1"));
    QTRY_VERIFY_WITH_TIMEOUT(!isOn(view, "Y0"), 10000);
    QTest::qWait(500);
    QTest::mouseRelease(view.findChild<QPushButton*>("X1"), Qt::LeftButton);
    QVERIFY(!isOn(view, "X1"));
    QTRY_COMPARE_WITH_TIMEOUT(valueRow(view, "T0"), "T0 OFF 0", 10000);
    QTRY_COMPARE_WITH_TIMEOUT(view.record()->inputs.size(), 4u, 10000);  // the release applied
    view.setRunning(false);

    // The stimulus saved replays, in the batch simulation, to the output changes the view saw.
    const SimulationResult seen = *view.record();
    QVERIFY(view.saveStimulus(work / "board.stim"));
    Result<Stimulus> stimulus = readStimulusFile(work / "board.stim");
    QVERIFY(stimulus);
    SimulationOptions options;
    options.crystalMHz = built->settings.crystalMHz;
    options.untilMicros = seen.simulatedMicros;
    Result<SimulationResult> replayed =
        simulate(built->build->report.hexFile, view.pins(), *stimulus, options);
    QVERIFY2(replayed, replayed ? "" : replayed.error().describe().c_str());
    QCOMPARE(formatTimeline(*replayed), formatTimeline(seen));
    QVERIFY(view.saveWaveform(work / "board.vcd"));
    QCOMPARE(ladder51::test::readFile(work / "board.vcd"), formatVcd(seen, view.pins()));

    // Power on with the motor running: time 0, switches and lamps off, the record cleared.
    view.setRunning(true);
    QTest::mouseClick(view.findChild<QPushButton*>("X0"), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(isOn(view, "Y0"), 10000);
    view.powerOn();
    QCOMPARE(view.record()->inputs.size(), 0u);
    QCOMPARE(view.record()->simulatedMicros, std::uint64_t{0});
    QVERIFY(!isOn(view, "Y0") && !isOn(view, "X0"));
  }
};

}  // namespace ladder51::gui::test

QTEST_MAIN(ladder51::gui::test::BoardTest)
#include "board_view_test.moc"
