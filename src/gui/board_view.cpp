#include "gui/board_view.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <set>
#include <sstream>

#include "core/config/pin_map.h"
#include "core/file_io.h"
#include "core/sim/ram_symbols.h"
#include "core/sim/timeline.h"
#include "core/translator/instruction_list.h"
#include "core/translator/program_image.h"
#include "core/translator/translator.h"
#include "gui/report_texts.h"

namespace ladder51::gui {
namespace {

// Ticks of the loop, which collects the slice under way and begins the next; the longest slice
// of simulated time, in real time and as fast as possible (an idle s51 takes a slice only every
// 100 ms, so real time needs slices of about that length); and how often values are read.
constexpr int kTickMillis = 10;
constexpr std::uint64_t kLongestSliceMicros = 300'000;
constexpr std::uint64_t kFastestSliceMicros = 1'000'000;
constexpr qint64 kReadMillis = 200;
// A switch held down this long is a push button: it springs back when released.
constexpr qint64 kHoldMillis = 400;
// Larger than any firmware or program file.
constexpr std::size_t kLongestFile = 4 << 20;

constexpr char kSwitchOn[] = "background: #2e8b3a; color: white; font-weight: bold;";
constexpr char kLampOn[] =
    "background: #e8281e; color: white; border: 1px solid #901010; border-radius: 6px;";
constexpr char kLampOff[] =
    "background: #d9d9d9; color: #505050; border: 1px solid #a0a0a0; border-radius: 6px;";
constexpr char kFailedStyle[] = "color: #c00000;";

QString fromUtf8(const std::string& text) {
  return QString::fromStdString(text);
}

// Point names by number (X7 before X10), not as text.
std::vector<std::string> byNumber(const std::map<std::string, PortPin>& points) {
  std::vector<std::string> names;
  for (const auto& [name, pin] : points) names.push_back(name);
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    return parsePointName(a)->index < parsePointName(b)->index;
  });
  return names;
}

// "X0 P3.2"
QString pointLabel(const std::string& point, const PortPin& pin) {
  return fromUtf8(point + " " + pin.name());
}

// A 16-bit register as the PLC shows it, signed.
long registerValue(const RamWatch& watch, long value) {
  return watch.bytes == 2 && value >= 0x8000 ? value - 0x10000 : value;
}

// The view's rendering of a failure: what happened and what to do, from the error's kind.
QString boardErrorText(const Error& error) {
  switch (error.kind) {
    case ErrorKind::CannotOpen:
      return BoardTexts::tr("%1 is missing: open a program to build it first.")
          .arg(QDir::toNativeSeparators(fromUtf8(error.where)));
    case ErrorKind::SimulatorFailed:
      return BoardTexts::tr(
          "The simulator s51 cannot run the firmware. Check that it is installed (sudo apt-get "
          "install sdcc-ucsim), then press Reset.");
    case ErrorKind::ChipStopped:
      return BoardTexts::tr(
          "The simulated chip has stopped: the firmware halted or ran away. Press Reset to start "
          "again.");
    default:
      return errorText(error).headline;
  }
}

}  // namespace

// The MAX7219's eight digits as seven-segment figures, digit 7 leftmost.
class SevenSegmentDigits final : public QWidget {
 public:
  explicit SevenSegmentDigits(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Digits"));
    setMinimumSize(8 * 34 + 12, 64);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  }
  void show(const Max7219Display& display) {
    for (int k = 0; k < 8; ++k) segments_[static_cast<std::size_t>(k)] = display.segments(k);
    setToolTip(fromUtf8(display.text()));
    update();
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), QColor(20, 20, 20));
    painter.setPen(Qt::NoPen);
    // Segment A..G and the point, as rectangles in a 20 x 40 cell (bit 6 is A, bit 0 is G).
    const QRectF shapes[8] = {{3, 0, 14, 3},  {17, 3, 3, 16}, {17, 21, 3, 16},  {3, 37, 14, 3},
                              {0, 21, 3, 16}, {0, 3, 3, 16},  {3, 18.5, 14, 3}, {23, 37, 3, 3}};
    for (int column = 0; column < 8; ++column) {
      const std::uint8_t lit = segments_[static_cast<std::size_t>(7 - column)];
      const QPointF origin(10 + column * 34, 12);
      for (int s = 0; s < 8; ++s) {
        const int bit = s == 7 ? 7 : 6 - s;
        painter.setBrush((lit >> bit) & 1 ? QColor(255, 40, 30) : QColor(60, 20, 20));
        painter.drawRoundedRect(shapes[s].translated(origin), 1.2, 1.2);
      }
    }
  }

 private:
  std::array<std::uint8_t, 8> segments_{};
};

std::vector<std::string> devicesNamedBy(std::span<const std::uint8_t> pmw) {
  Result<ProgramImage> image = ProgramImage::fromBytes(pmw);
  if (!image) return {};
  const Translation translation = translate(*image, TranslateOptions{});
  std::vector<std::string> devices;
  for (int output : translation.drivenOutputs)
    devices.push_back("Y" + std::to_string(pointIndexOf(output)));
  for (std::string& device : devicesUsed(translation.devices)) devices.push_back(std::move(device));
  return devices;
}

bool hasSdccFirmware(const std::filesystem::path& workDirectory) {
  Result<std::string> hex = readWholeFile(workDirectory / "fx1n.hex", kLongestFile);
  // The SDCC build leaves its own copy beside the map.
  const std::filesystem::path map = sdccMapFile(workDirectory);
  Result<std::string> built = readWholeFile(map.parent_path() / "fx1n.hex", kLongestFile);
  std::error_code error;
  return hex && built && *hex == *built && std::filesystem::exists(map, error);
}

QString boardCommandCaption() {
  return BoardTexts::tr("Simulate");
}

BoardView::BoardView(std::filesystem::path workDirectory, const Settings& settings,
                     const std::vector<std::string>& devices, QWidget* parent)
    : QWidget(parent),
      workDirectory_(std::move(workDirectory)),
      settings_(settings),
      pins_(simPinsOf(settings)),
      displayPins_(max7219PinsOf(settings)),
      pace_(1.0, kLongestSliceMicros) {
  setObjectName(QStringLiteral("Board"));
  setWindowTitle(
      BoardTexts::tr("Simulation: %1")
          .arg(QDir::toNativeSeparators(fromUtf8((workDirectory_ / "fx1n.hex").string()))));
  timer_ = new QTimer(this);
  connect(timer_, &QTimer::timeout, this, &BoardView::tick);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(buildControls());
  auto* points = new QHBoxLayout;
  points->addWidget(buildInputs());
  points->addWidget(buildOutputs());
  layout->addLayout(points);
  if (displayPins_) {
    auto* frame = new QGroupBox(BoardTexts::tr("MAX7219 display"), this);
    auto* inside = new QHBoxLayout(frame);
    digits_ = new SevenSegmentDigits(frame);
    inside->addWidget(digits_);
    inside->addStretch(1);
    layout->addWidget(frame);
  }
  layout->addWidget(buildValues(devices), 1);
  status_ = new QLabel(this);
  status_->setObjectName(QStringLiteral("Status"));
  status_->setWordWrap(true);
  status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  layout->addWidget(status_);
  showTime();
}

BoardView::~BoardView() = default;

QWidget* BoardView::buildControls() {
  auto* controls = new QWidget(this);
  auto* row = new QHBoxLayout(controls);
  row->setContentsMargins(0, 0, 0, 0);
  runButton_ = new QPushButton(BoardTexts::tr("Pause"), controls);
  runButton_->setObjectName(QStringLiteral("Run"));
  runButton_->setEnabled(false);
  connect(runButton_, &QPushButton::clicked, this, [this] { setRunning(!running_); });
  auto* power = new QPushButton(BoardTexts::tr("Reset"), controls);
  power->setObjectName(QStringLiteral("PowerOn"));
  power->setToolTip(BoardTexts::tr("Power the chip off and on: time 0, every switch off"));
  connect(power, &QPushButton::clicked, this, &BoardView::powerOn);
  speed_ = new QComboBox(controls);
  speed_->setObjectName(QStringLiteral("Speed"));
  speed_->addItems({BoardTexts::tr("Real time"), BoardTexts::tr("Fastest")});
  connect(speed_, &QComboBox::currentIndexChanged, this,
          [this](int index) { setFastest(index == 1); });
  time_ = new QLabel(controls);
  time_->setObjectName(QStringLiteral("Time"));
  time_->setMinimumWidth(160);
  auto* waveform = new QPushButton(BoardTexts::tr("Save waveform…"), controls);
  waveform->setToolTip(BoardTexts::tr("The inputs and outputs since power-on, as a VCD file"));
  connect(waveform, &QPushButton::clicked, this, [this] { chooseFile(true); });
  auto* stimulus = new QPushButton(BoardTexts::tr("Save stimulus…"), controls);
  stimulus->setToolTip(BoardTexts::tr(
      "The switching of the inputs since power-on, for ladder51 sim --stimulus to replay"));
  connect(stimulus, &QPushButton::clicked, this, [this] { chooseFile(false); });
  for (QWidget* widget : std::initializer_list<QWidget*>{runButton_, power, speed_, time_})
    row->addWidget(widget);
  row->addStretch(1);
  row->addWidget(waveform);
  row->addWidget(stimulus);
  return controls;
}

QWidget* BoardView::buildInputs() {
  auto* frame = new QGroupBox(BoardTexts::tr("Inputs (click: switch; hold: push button)"), this);
  auto* grid = new QGridLayout(frame);
  int k = 0;
  for (const std::string& point : byNumber(pins_.inputs)) {
    auto* button = new QPushButton(pointLabel(point, pins_.inputs.at(point)), frame);
    button->setObjectName(fromUtf8(point));
    button->setProperty("on", false);
    connect(button, &QPushButton::pressed, this, [this, point] {
      pressed_[point].start();
      if (session_) setInput(point, !session_->isOn(point));
    });
    connect(button, &QPushButton::released, this, [this, point] {
      if (pressed_[point].elapsed() >= kHoldMillis && session_)
        setInput(point, !session_->isOn(point));
    });
    grid->addWidget(button, k / 4, k % 4);
    switches_[point] = button;
    ++k;
  }
  if (k == 0) grid->addWidget(new QLabel(BoardTexts::tr("No pin carries an input."), frame));
  return frame;
}

QWidget* BoardView::buildOutputs() {
  auto* frame = new QGroupBox(BoardTexts::tr("Outputs"), this);
  auto* grid = new QGridLayout(frame);
  int k = 0;
  for (const std::string& point : byNumber(pins_.outputs)) {
    auto* lamp = new QLabel(pointLabel(point, pins_.outputs.at(point)), frame);
    lamp->setObjectName(fromUtf8(point));
    lamp->setAlignment(Qt::AlignCenter);
    lamp->setMinimumSize(80, 28);
    lamp->setProperty("on", false);
    lamp->setStyleSheet(QString::fromLatin1(kLampOff));
    grid->addWidget(lamp, k / 4, k % 4);
    lamps_[point] = lamp;
    ++k;
  }
  if (k == 0) grid->addWidget(new QLabel(BoardTexts::tr("No pin carries an output."), frame));
  return frame;
}

QWidget* BoardView::buildValues(const std::vector<std::string>& devices) {
  auto* frame = new QGroupBox(BoardTexts::tr("Devices of the program"), this);
  auto* column = new QVBoxLayout(frame);
  Result<std::string> map = readWholeFile(sdccMapFile(workDirectory_), kLongestFile);
  const RamSymbols symbols = map ? parseSdccMap(*map) : RamSymbols{};
  for (const std::string& device : devices) {
    // Outputs a pin carries are lamps; a device the map cannot place is left out.
    if (pins_.outputs.contains(device)) continue;
    Result<std::vector<RamWatch>> watches = watchesFor(device, symbols);
    if (!watches) continue;
    ValueRow row{device, {}};
    for (RamWatch& watch : *watches) {
      row.watches.push_back(watches_.size());
      watches_.push_back(std::move(watch));
    }
    rows_.push_back(std::move(row));
  }
  if (rows_.empty()) {
    column->addWidget(new QLabel(BoardTexts::tr("The program uses no device whose value can be "
                                                "read (M0-M79, T0-T25, C0-C10, D0-D15)."),
                                 frame));
    return frame;
  }
  values_ = new QTableWidget(static_cast<int>(rows_.size()), 3, frame);
  values_->setObjectName(QStringLiteral("Values"));
  values_->setHorizontalHeaderLabels(
      {BoardTexts::tr("Device"), BoardTexts::tr("Contact"), BoardTexts::tr("Value")});
  values_->verticalHeader()->hide();
  values_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  values_->horizontalHeader()->setStretchLastSection(true);
  for (std::size_t r = 0; r < rows_.size(); ++r) {
    for (int c = 0; c < 3; ++c)
      values_->setItem(static_cast<int>(r), c,
                       new QTableWidgetItem(c == 0 ? fromUtf8(rows_[r].device) : QString()));
  }
  column->addWidget(values_);
  return frame;
}

bool BoardView::start() {
  Result<std::unique_ptr<LiveSession>> started =
      LiveSession::start(workDirectory_ / "fx1n.hex", pins_, LiveOptions{settings_.crystalMHz});
  if (!started) {
    showError(started.error());
    return false;
  }
  session_ = std::move(*started);
  if (displayPins_) decoder_.emplace(*displayPins_);
  status_->clear();
  status_->setStyleSheet(QString());
  runButton_->setEnabled(true);
  showPoints();
  setRunning(true);
  return true;
}

void BoardView::setRunning(bool running) {
  running_ = running && session_ != nullptr;
  runButton_->setText(running_ ? BoardTexts::tr("Pause") : BoardTexts::tr("Run"));
  if (!running_) return;  // the slice under way is still collected
  pace_.restart(session_->simulatedMicros());
  sinceRead_.start();
  timer_->start(kTickMillis);
}

void BoardView::setFastest(bool fastest) {
  fastest_ = fastest;
  pace_ = fastest ? LivePace(1e9, kFastestSliceMicros) : LivePace(1.0, kLongestSliceMicros);
  if (speed_->currentIndex() != (fastest ? 1 : 0)) speed_->setCurrentIndex(fastest ? 1 : 0);
  if (running_) setRunning(true);
}

void BoardView::powerOn() {
  if (!session_) {
    start();
    return;
  }
  if (Status reset = session_->reset(); !reset) return showError(reset.error());
  if (displayPins_) decoder_.emplace(*displayPins_);
  if (digits_ != nullptr) digits_->show(Max7219Display{});
  status_->clear();
  status_->setStyleSheet(QString());
  runButton_->setEnabled(true);
  showPoints();
  showTime();
  clearValues();
  setRunning(true);
}

void BoardView::setInput(const std::string& point, bool on) {
  if (!session_) return;
  if (Status set = session_->setInput(point, on); !set) return showError(set.error());
  showPoints();
}

void BoardView::tick() {
  if (!session_) return;
  if (session_->busy()) {
    Result<std::optional<LiveSlice>> done = session_->finish(std::chrono::milliseconds(0));
    if (!done) return showError(done.error());
    if (!*done) return;
    const LiveSlice& slice = **done;
    if (decoder_ && decoder_->take(slice.ports) && digits_ != nullptr)
      digits_->show(decoder_->display());
    if (!slice.outputs.empty()) showPoints();
    showTime();
    if (!slice.values.empty()) showValues(slice.values);
  }
  if (!running_) {
    timer_->stop();
    return;
  }
  const std::uint64_t due = pace_.due(session_->simulatedMicros());
  const bool read = values_ != nullptr && sinceRead_.elapsed() >= kReadMillis;
  if (due == 0 && !read) return;
  if (read) sinceRead_.start();
  if (Status begun = session_->begin(due, read ? watches_ : std::vector<RamWatch>{}); !begun)
    showError(begun.error());
}

void BoardView::showValues(const std::vector<long>& values) {
  for (std::size_t r = 0; r < rows_.size(); ++r) {
    bool on = false;
    QString contact, value;
    for (std::size_t w : rows_[r].watches) {
      const RamWatch& watch = watches_[w];
      if (watch.bit >= 0) {
        on = values[w] != 0;
        contact = on ? BoardTexts::tr("ON") : BoardTexts::tr("OFF");
      } else {
        value = QString::number(registerValue(watch, values[w]));
      }
    }
    // A step-ladder state that is on stands out from the relays that are.
    const QColor background = !on                         ? QColor(Qt::white)
                              : rows_[r].device[0] == 'S' ? QColor(255, 220, 90)
                                                          : QColor(170, 230, 170);
    const int row = static_cast<int>(r);
    values_->item(row, 1)->setText(contact);
    values_->item(row, 2)->setText(value);
    for (int c = 0; c < 3; ++c) values_->item(row, c)->setBackground(background);
  }
}

void BoardView::clearValues() {
  for (int r = 0; values_ != nullptr && r < values_->rowCount(); ++r) {
    for (int c = 0; c < 3; ++c) {
      if (c > 0) values_->item(r, c)->setText(QString());
      values_->item(r, c)->setBackground(Qt::white);
    }
  }
}

void BoardView::showPoints() {
  for (auto& [point, button] : switches_) {
    const bool on = session_ && session_->isOn(point);
    button->setProperty("on", on);
    button->setStyleSheet(on ? QString::fromLatin1(kSwitchOn) : QString());
  }
  for (auto& [point, lamp] : lamps_) {
    const bool on = session_ && session_->isOn(point);
    if (lamp->property("on").toBool() == on) continue;
    lamp->setProperty("on", on);
    lamp->setStyleSheet(QString::fromLatin1(on ? kLampOn : kLampOff));
  }
}

void BoardView::showTime() {
  const double seconds = session_ ? static_cast<double>(session_->simulatedMicros()) / 1e6 : 0.0;
  time_->setText(BoardTexts::tr("Simulated time %1 s").arg(seconds, 0, 'f', 3));
}

void BoardView::showError(const Error& error) {
  setRunning(false);
  runButton_->setEnabled(false);
  status_->setText(boardErrorText(error));
  status_->setToolTip(fromUtf8(error.describe()));
  status_->setStyleSheet(QString::fromLatin1(kFailedStyle));
}

void BoardView::chooseFile(bool waveform) {
  if (!session_) return;
  const QString suggested =
      fromUtf8((workDirectory_ / (waveform ? "board.vcd" : "board.stim")).string());
  const QString path = QFileDialog::getSaveFileName(
      this, waveform ? BoardTexts::tr("Save waveform") : BoardTexts::tr("Save stimulus"), suggested,
      waveform ? BoardTexts::tr("VCD waveform (*.vcd)")
               : BoardTexts::tr("Stimulus (*.stim *.txt)"));
  if (path.isEmpty()) return;
  const std::filesystem::path file = path.toStdString();
  const Status saved = waveform ? saveWaveform(file) : saveStimulus(file);
  if (!saved) return showError(saved.error());
  status_->setStyleSheet(QString());
  status_->setText(BoardTexts::tr("Saved %1").arg(QDir::toNativeSeparators(path)));
}

Status BoardView::saveWaveform(const std::filesystem::path& path) const {
  if (!session_) return Error{ErrorKind::Internal, "the simulation has not started"};
  return writeVcdFile(path, session_->record(), pins_);
}

Status BoardView::saveStimulus(const std::filesystem::path& path) const {
  if (!session_) return Error{ErrorKind::Internal, "the simulation has not started"};
  return writeFileAtomically(path, formatStimulus(session_->record().inputs));
}

const SimulationResult* BoardView::record() const {
  return session_ ? &session_->record() : nullptr;
}

std::optional<Max7219Display> BoardView::display() const {
  if (!decoder_) return std::nullopt;
  return decoder_->display();
}

BoardView* openBoardView(QWidget* owner, const std::filesystem::path& workDirectory,
                         const Settings& settings, const std::filesystem::path& program) {
  for (BoardView* old : owner->findChildren<BoardView*>(Qt::FindDirectChildrenOnly)) delete old;
  std::vector<std::string> devices;
  if (!program.empty()) {
    if (Result<std::string> bytes = readWholeFile(program, kLongestFile)) {
      devices = devicesNamedBy(
          std::span(reinterpret_cast<const std::uint8_t*>(bytes->data()), bytes->size()));
    }
  }
  auto* view = new BoardView(workDirectory, settings, devices, owner);
  view->setWindowFlag(Qt::Window);
  view->setAttribute(Qt::WA_DeleteOnClose);
  view->show();
  view->start();
  return view;
}

}  // namespace ladder51::gui
