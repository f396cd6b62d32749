#include "gui/main_window.h"

#include <QAction>
#include <QActionGroup>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QStyle>
#include <QUrl>
#include <QVBoxLayout>

#include "gui/board_view.h"
#include "gui/report_texts.h"
#include "gui/results_panel.h"
#include "gui/texts.h"

namespace ladder51::gui {
namespace {

// Tooltips: what each control means on the board.
constexpr char kPinTip[] =
    "此引脚接的PLC点：输入X0-X43或输出Y0-Y43（八进制编号，大写字母），留空表示不用";
constexpr char kCrystalTip[] = "单片机的晶振频率，单位MHz，例如12或11.0592";
constexpr char kFilterTip[] = "输入滤波系数，填0至10的整数；数值越大，抗干扰越强，响应越慢";
constexpr char kDisplayTip[] = "板上装有MAX7219数码管驱动时打钩，并填写它的DIN、LOAD、CLK引脚";
constexpr char kDisplayPinTip[] = "MAX7219的引脚，写成端口.位，例如1.5表示P1.5";
constexpr char kSmallEepromTip[] = "外接24C16或更小的EEPROM，保存D16以上的数据寄存器";
constexpr char kLargeEepromTip[] = "外接24C32至24C512的EEPROM，保存D16以上的数据寄存器";
constexpr char kNoEepromTip[] = "不接EEPROM：程序中不能使用D16以上的数据寄存器";
constexpr char kI2cPinTip[] = "EEPROM的I2C引脚，写成端口.位，例如3.6表示P3.6";
constexpr char kProteusTip[] = "生成的程序用于Proteus仿真时打钩；下载到真实单片机时去掉";
constexpr char kOpenTip[] = "选择.pmw程序，转换成fx1n.c，再生成fx1n.hex";
constexpr char kSaveTip[] = "检查并保存引脚和选项设置";
constexpr char kRebuildTip[] = "用已保存的设置重新转换上次打开的程序并生成fx1n.hex";
constexpr char kWorkDirectoryPrefix[] = "工作目录：";

// How many programs the file menu remembers, and where the preferences keep them.
constexpr int kRecentCount = 8;
constexpr char kRecentKey[] = "recentPrograms";

// A refused field stands out until it is edited.
constexpr char kInvalidProperty[] = "invalid";
constexpr char kInvalidStyle[] =
    "QLineEdit[invalid=\"true\"] { border: 2px solid #c00000; background: #fff0f0; }";

// The .pmw file among dropped URLs, or "".
QString droppedProgram(const QMimeData* data) {
  if (data == nullptr) return {};
  for (const QUrl& url : data->urls()) {
    const QString path = url.toLocalFile();
    if (!path.isEmpty() && path.endsWith(QStringLiteral(".pmw"), Qt::CaseInsensitive)) return path;
  }
  return {};
}

QString text(const char* utf8) {
  return QString::fromUtf8(utf8);
}

QString text(const std::string& utf8) {
  return QString::fromStdString(utf8);
}

QLabel* plainLabel(const QString& caption, QWidget* parent) {
  auto* label = new QLabel(caption, parent);
  label->setTextFormat(Qt::PlainText);
  return label;
}

QLineEdit* textBox(const char* name, int width, const char* tip, QWidget* parent) {
  auto* box = new QLineEdit(parent);
  box->setObjectName(QString::fromLatin1(name));
  box->setFixedWidth(width);
  box->setToolTip(text(tip));
  return box;
}

// "T5" for P0.5, "T17" for P1.7: port 0's boxes carry only the bit digit.
QString pinBoxName(const Pin& pin) {
  return pin.port == 0 ? QStringLiteral("T%1").arg(pin.bit)
                       : QStringLiteral("T%1%2").arg(pin.port).arg(pin.bit);
}

}  // namespace

MainWindow::MainWindow(Session& session, MessageSink& messages, QSettings* preferences,
                       QWidget* parent)
    : QMainWindow(parent), session_(session), messages_(messages), preferences_(preferences) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(text(kApplicationTitle));
  setAcceptDrops(true);
  setStyleSheet(text(kInvalidStyle));
  if (preferences_ != nullptr) recent_ = preferences_->value(text(kRecentKey)).toStringList();
  buildMenus();

  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  auto* top = new QHBoxLayout;
  top->addWidget(buildPinColumns());
  top->addSpacing(16);
  top->addWidget(buildOptions(), 1);
  layout->addLayout(top);

  proteus_ = new QCheckBox(text(kProteusCaption), central);
  proteus_->setObjectName(QStringLiteral("CKPTUS"));
  proteus_->setToolTip(text(kProteusTip));
  layout->addWidget(proteus_);
  fxTimeBase_ = new QCheckBox(text(kFxTimeBaseCaption), central);
  fxTimeBase_->setObjectName(QStringLiteral("CKFXTB"));
  fxTimeBase_->setToolTip(text(kFxTimeBaseTip));
  layout->addWidget(fxTimeBase_);
  layout->addWidget(buildCommands());

  workDirectoryLabel_ =
      plainLabel(text(kWorkDirectoryPrefix) +
                     QDir::toNativeSeparators(text(session_.workDirectory().string())),
                 central);
  workDirectoryLabel_->setObjectName(QStringLiteral("WorkDirectory"));
  workDirectoryLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  layout->addWidget(workDirectoryLabel_);
  // The results take what the window grows by; the settings above keep their size.
  results_ = new ResultsPanel(session_, central);
  layout->addWidget(results_, 1);
  setCentralWidget(central);

  for (QLineEdit* box : findChildren<QLineEdit*>()) {
    connect(box, &QLineEdit::returnPressed, this, &MainWindow::saveSettings);
    connect(box, &QLineEdit::textEdited, this, [box] {
      box->setProperty(kInvalidProperty, false);
      box->style()->polish(box);
    });
  }
  connectSession();
}

void MainWindow::buildMenus() {
  QMenu* file = menuBar()->addMenu(WindowTexts::tr("&File"));
  file->setObjectName(QStringLiteral("FILE"));
  QAction* open = file->addAction(text(kOpenCaption), this, &MainWindow::chooseProgram);
  open->setObjectName(QStringLiteral("OPEN"));
  open->setShortcut(QKeySequence::Open);
  recentMenu_ = file->addMenu(WindowTexts::tr("Recent programs"));
  recentMenu_->setObjectName(QStringLiteral("RECENT"));
  QAction* save = file->addAction(text(kSaveCaption), this, &MainWindow::saveSettings);
  save->setObjectName(QStringLiteral("SAVE"));
  save->setShortcut(QKeySequence::Save);
  boardAction_ = file->addAction(boardCommandCaption(), this, &MainWindow::openBoard);
  boardAction_->setObjectName(QStringLiteral("BOARD"));
  file->addSeparator();
  QAction* quit = file->addAction(WindowTexts::tr("Quit"), this, &QWidget::close);
  quit->setShortcut(QKeySequence::Quit);
  showRecentPrograms();

  // The chip is a setting like the others: chosen here, saved with 保存设置.
  QMenu* chips = menuBar()->addMenu(text(kChipMenu));
  chips->setObjectName(QStringLiteral("CHIP"));
  chipGroup_ = new QActionGroup(chips);
  for (const ChipProfile& chip : chipProfiles()) {
    const MemoryLimits& memory = chip.memory;
    QString caption = text(memory.xramBytes > 0 ? kChipItemWithXram : kChipItem)
                          .arg(text(std::string(chip.model)))
                          .arg(memory.internalRamBytes)
                          .arg(memory.flashBytes / 1024);
    if (memory.xramBytes > 0) caption = caption.arg(memory.xramBytes);
    QAction* item = chips->addAction(caption);
    item->setObjectName(text(std::string(chip.name)));
    item->setData(text(std::string(chip.name)));
    item->setCheckable(true);
    chipGroup_->addAction(item);
  }
  chips->addSeparator();
  QAction* advice = chips->addAction(text(kChipAdvice));
  advice->setObjectName(QStringLiteral("CHIPHELP"));
  connect(advice, &QAction::triggered, this, [this] { messages_.show(text(kChipMessage)); });
  QAction* commands = menuBar()->addAction(text(kCommandsMenu));
  commands->setObjectName(QStringLiteral("CMD"));
  connect(commands, &QAction::triggered, this, [this] { messages_.show(text(kCommandsMessage)); });
}

QWidget* MainWindow::buildPinColumns() {
  auto* columns = new QWidget(this);
  auto* grid = new QGridLayout(columns);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setHorizontalSpacing(4);
  for (std::size_t k = 0; k < pins().size(); ++k) {
    const Pin& pin = pins()[k];
    QLabel* label = plainLabel(text(pin.label()), columns);
    QLineEdit* box = textBox("", 44, kPinTip, columns);
    box->setObjectName(pinBoxName(pin));
    label->setBuddy(box);
    grid->addWidget(label, pin.bit, pin.port * 2, Qt::AlignRight);
    grid->addWidget(box, pin.bit, pin.port * 2 + 1);
    if (pin.port < 4) grid->setColumnMinimumWidth(pin.port * 2 + 2, 40);
    pinBoxes_[k] = box;
  }
  grid->setRowStretch(8, 1);
  return columns;
}

QWidget* MainWindow::buildOptions() {
  auto* options = new QWidget(this);
  auto* column = new QVBoxLayout(options);
  column->setContentsMargins(0, 0, 0, 0);

  auto* crystalRow = new QHBoxLayout;
  crystalRow->addWidget(plainLabel(text(kCrystalLabel), options));
  crystal_ = textBox("XTAL", 70, kCrystalTip, options);
  crystalRow->addWidget(crystal_);
  crystalRow->addSpacing(24);
  crystalRow->addWidget(plainLabel(text(kFilterLabel), options));
  filter_ = textBox("DlyT", 40, kFilterTip, options);
  crystalRow->addWidget(filter_);
  crystalRow->addStretch(1);
  column->addLayout(crystalRow);
  column->addSpacing(8);

  display_ = new QCheckBox(text(kDisplayCaption), options);
  display_->setObjectName(QStringLiteral("CHK7219"));
  display_->setToolTip(text(kDisplayTip));
  column->addWidget(display_);
  for (const char* help : {kDisplayHelpT0, kDisplayHelpC0, kDisplayHelpD0}) {
    column->addWidget(plainLabel(text(help), options));
  }
  auto* displayPins = new QHBoxLayout;
  din_ = textBox("DIN", 44, kDisplayPinTip, options);
  load_ = textBox("LOAD", 44, kDisplayPinTip, options);
  clk_ = textBox("CLK", 44, kDisplayPinTip, options);
  for (auto [caption, box] : {std::pair{kDinLabel, din_}, {kLoadLabel, load_}, {kClkLabel, clk_}}) {
    displayPins->addWidget(plainLabel(text(caption), options));
    displayPins->addWidget(box);
    displayPins->addSpacing(8);
  }
  displayPins->addStretch(1);
  column->addLayout(displayPins);
  column->addSpacing(8);

  auto* eepromRow = new QHBoxLayout;
  auto* frame = new QGroupBox(options);
  frame->setObjectName(QStringLiteral("Frame1"));
  auto* frameLayout = new QVBoxLayout(frame);
  smallEeprom_ = new QRadioButton(text(kSmallEepromCaption), frame);
  smallEeprom_->setObjectName(QStringLiteral("CHK24C16"));
  smallEeprom_->setToolTip(text(kSmallEepromTip));
  largeEeprom_ = new QRadioButton(text(kLargeEepromCaption), frame);
  largeEeprom_->setObjectName(QStringLiteral("CHK24C"));
  largeEeprom_->setToolTip(text(kLargeEepromTip));
  frameLayout->addWidget(smallEeprom_);
  frameLayout->addWidget(largeEeprom_);
  eepromGroup_ = new QButtonGroup(frame);
  eepromGroup_->addButton(smallEeprom_);
  eepromGroup_->addButton(largeEeprom_);
  eepromRow->addWidget(frame);
  noEeprom_ = new QPushButton(text(kNoEepromCaption), options);
  noEeprom_->setObjectName(QStringLiteral("NOT24C"));
  noEeprom_->setToolTip(text(kNoEepromTip));
  connect(noEeprom_, &QPushButton::clicked, this, &MainWindow::clearEeprom);
  eepromRow->addWidget(noEeprom_, 0, Qt::AlignVCenter);
  eepromRow->addStretch(1);
  column->addLayout(eepromRow);

  auto* i2cPins = new QHBoxLayout;
  scl_ = textBox("TSCL", 44, kI2cPinTip, options);
  sda_ = textBox("TSDA", 44, kI2cPinTip, options);
  for (auto [caption, box] : {std::pair{kSclLabel, scl_}, {kSdaLabel, sda_}}) {
    i2cPins->addWidget(plainLabel(text(caption), options));
    i2cPins->addWidget(box);
    i2cPins->addSpacing(8);
  }
  i2cPins->addStretch(1);
  column->addLayout(i2cPins);
  column->addStretch(1);
  return options;
}

QWidget* MainWindow::buildCommands() {
  auto* commands = new QWidget(this);
  auto* row = new QHBoxLayout(commands);
  row->setContentsMargins(0, 0, 0, 0);
  openButton_ = new QPushButton(text(kOpenCaption), commands);
  openButton_->setObjectName(QStringLiteral("Command1"));
  openButton_->setToolTip(text(kOpenTip));
  connect(openButton_, &QPushButton::clicked, this, &MainWindow::chooseProgram);
  saveButton_ = new QPushButton(text(kSaveCaption), commands);
  saveButton_->setObjectName(QStringLiteral("Command2"));
  saveButton_->setToolTip(text(kSaveTip));
  connect(saveButton_, &QPushButton::clicked, this, [this] { saveSettings(); });
  rebuildButton_ = new QPushButton(text(kRebuildCaption), commands);
  rebuildButton_->setObjectName(QStringLiteral("Command3"));
  rebuildButton_->setToolTip(text(kRebuildTip));
  rebuildButton_->setEnabled(false);
  connect(rebuildButton_, &QPushButton::clicked, this, [this] { session_.rebuild(); });
  boardButton_ = new QPushButton(boardCommandCaption(), commands);
  boardButton_->setObjectName(QStringLiteral("Simulate"));
  connect(boardButton_, &QPushButton::clicked, this, &MainWindow::openBoard);
  statusLabel_ = plainLabel(QString(), commands);
  statusLabel_->setObjectName(QStringLiteral("Label1"));
  statusLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  statusLabel_->setMinimumWidth(200);
  statusLabel_->setWordWrap(true);
  // Three lines always: the window keeps its height whatever the status says.
  statusLabel_->setFixedHeight(3 * statusLabel_->fontMetrics().lineSpacing() + 4);
  statusLabel_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  row->addWidget(openButton_, 0, Qt::AlignTop);
  row->addWidget(saveButton_, 0, Qt::AlignTop);
  row->addWidget(rebuildButton_, 0, Qt::AlignTop);
  row->addWidget(boardButton_, 0, Qt::AlignTop);
  row->addSpacing(16);
  row->addWidget(statusLabel_, 1);
  return commands;
}

void MainWindow::connectSession() {
  connect(&session_, &Session::settingsChanged, this, [this] {
    showSettings(session_.workspace().settingsText());
    showSettingsError();
  });
  connect(&session_, &Session::statusChanged, this, &MainWindow::showStatus);
  connect(&session_, &Session::programChanged, this, [this](const QString& path) {
    setWindowTitle(QDir::toNativeSeparators(path));
    rebuildButton_->setEnabled(session_.canRebuild());
    rememberProgram(path);
  });
  connect(&session_, &Session::buildingChanged, this, &MainWindow::showBuilding);
}

void MainWindow::startUp() {
  session_.startUp();
  showBuilding(session_.building());
}

bool MainWindow::openProgram(const QString& path) {
  return session_.openProgram(path.toStdString());
}

void MainWindow::chooseProgram() {
  if (session_.building()) return;
  const QString folder = recent_.isEmpty() ? QString() : QFileInfo(recent_.front()).absolutePath();
  const QString path =
      QFileDialog::getOpenFileName(this, text(kOpenCaption), folder, text(kProgramFilter));
  // A cancelled dialog ends the command without a word.
  if (!path.isEmpty()) openProgram(path);
}

bool MainWindow::saveSettings() {
  clearMarks();
  const SettingsText edited = editedSettings();
  // Point names typed in lower case are shown as they are saved.
  for (std::size_t k = 0; k < pinBoxes_.size(); ++k) {
    if (pinBoxes_[k]->text() != text(edited.pins[k])) pinBoxes_[k]->setText(text(edited.pins[k]));
  }
  std::optional<FieldProblem> problem = checkFields(edited);
  if (!problem) {
    const Status saved = session_.save(edited);
    if (saved) return true;
    problem = problemOf(saved.error(), edited);
  }
  // A refused filter shows the saved one again, marked, so that the box never holds a value
  // nobody can save.
  if (problem->field == Field::Filter) filter_->setText(text(session_.workspace().savedFilter()));
  markField(*problem);
  session_.refuseSettings(problem->message);
  return false;
}

bool MainWindow::hasUnsavedEdits() const {
  return editedSettings() != session_.workspace().settingsText();
}

QWidget* MainWindow::fieldWidget(const FieldProblem& problem) const {
  switch (problem.field) {
    case Field::Pin:
      return problem.pin >= 0 && problem.pin < kPinCount
                 ? pinBoxes_[static_cast<std::size_t>(problem.pin)]
                 : nullptr;
    case Field::Filter:
      return filter_;
    case Field::Crystal:
      return crystal_;
    case Field::Din:
      return din_;
    case Field::Load:
      return load_;
    case Field::Clk:
      return clk_;
    case Field::Scl:
      return scl_;
    case Field::Sda:
      return sda_;
    case Field::TimeBase:
      return fxTimeBase_;
    case Field::Chip:
    case Field::None:
      return nullptr;
  }
  return nullptr;
}

void MainWindow::markField(const FieldProblem& problem) {
  QWidget* field = fieldWidget(problem);
  if (field == nullptr) return;
  field->setProperty(kInvalidProperty, true);
  field->style()->polish(field);
  field->setFocus(Qt::OtherFocusReason);
  if (auto* box = qobject_cast<QLineEdit*>(field)) box->selectAll();
}

void MainWindow::clearMarks() {
  for (QLineEdit* box : findChildren<QLineEdit*>()) {
    if (!box->property(kInvalidProperty).toBool()) continue;
    box->setProperty(kInvalidProperty, false);
    box->style()->polish(box);
  }
}

void MainWindow::showSettingsError() {
  clearMarks();
  if (!session_.settingsError()) return;
  const FieldProblem problem =
      problemOf(*session_.settingsError(), session_.workspace().settingsText());
  markField(problem);
  session_.refuseSettings(problem.message);
}

QStringList MainWindow::recentPrograms() const {
  return recent_;
}

void MainWindow::rememberProgram(const QString& path) {
  const QString absolute = QFileInfo(path).absoluteFilePath();
  recent_.removeAll(absolute);
  recent_.prepend(absolute);
  while (recent_.size() > kRecentCount) recent_.removeLast();
  if (preferences_ != nullptr) preferences_->setValue(text(kRecentKey), recent_);
  showRecentPrograms();
}

void MainWindow::showRecentPrograms() {
  recentMenu_->clear();
  for (const QString& path : recent_) {
    QAction* item = recentMenu_->addAction(QDir::toNativeSeparators(path));
    connect(item, &QAction::triggered, this, [this, path] {
      if (!session_.building()) openProgram(path);
    });
  }
  recentMenu_->setEnabled(!recent_.isEmpty());
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (!hasUnsavedEdits()) {
    event->accept();
    return;
  }
  const int choice =
      messages_.choose(WindowTexts::tr("The settings have been changed but not saved. Save them?"),
                       {text(kSaveCaption), WindowTexts::tr("Discard"), text(kCancel)});
  if (choice == 0 ? saveSettings() : choice == 1) {
    event->accept();
  } else {
    event->ignore();
  }
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (!droppedProgram(event->mimeData()).isEmpty() && !session_.building())
    event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
  const QString path = droppedProgram(event->mimeData());
  if (path.isEmpty() || session_.building()) return;
  event->acceptProposedAction();
  openProgram(path);
}

void MainWindow::clearEeprom() {
  setEeprom(EepromChoice::None);
}

SettingsText MainWindow::editedSettings() const {
  SettingsText settings;
  for (std::size_t k = 0; k < pinBoxes_.size(); ++k) {
    settings.pins[k] = normalisedPointName(pinBoxes_[k]->text().toStdString());
  }
  settings.filter = filter_->text().toStdString();
  settings.crystal = crystal_->text().toStdString();
  settings.display = display_->isChecked();
  settings.din = din_->text().toStdString();
  settings.load = load_->text().toStdString();
  settings.clk = clk_->text().toStdString();
  settings.eeprom = largeEeprom_->isChecked()   ? EepromChoice::From24C32
                    : smallEeprom_->isChecked() ? EepromChoice::Upto24C16
                                                : EepromChoice::None;
  settings.scl = scl_->text().toStdString();
  settings.sda = sda_->text().toStdString();
  settings.proteus = proteus_->isChecked();
  settings.timeBase = std::string(
      timeBaseName(fxTimeBase_->isChecked() ? TimeBaseChoice::Fx : TimeBaseChoice::Classic));
  if (const QAction* chip = chipGroup_->checkedAction()) {
    settings.chip = chip->data().toString().toStdString();
  }
  return settings;
}

void MainWindow::showSettings(const SettingsText& settings) {
  for (std::size_t k = 0; k < pinBoxes_.size(); ++k) {
    pinBoxes_[k]->setText(text(settings.pins[k]));
  }
  filter_->setText(text(settings.filter));
  crystal_->setText(text(settings.crystal));
  display_->setChecked(settings.display);
  din_->setText(text(settings.din));
  load_->setText(text(settings.load));
  clk_->setText(text(settings.clk));
  setEeprom(settings.eeprom);
  scl_->setText(text(settings.scl));
  sda_->setText(text(settings.sda));
  proteus_->setChecked(settings.proteus);
  fxTimeBase_->setChecked(settings.timeBase == timeBaseName(TimeBaseChoice::Fx));
  for (QAction* chip : chipGroup_->actions()) {
    chip->setChecked(chip->data().toString().toStdString() == settings.chip);
  }
}

void MainWindow::setEeprom(EepromChoice choice) {
  // An exclusive group keeps one button checked; "no EEPROM" needs both off.
  eepromGroup_->setExclusive(false);
  smallEeprom_->setChecked(choice == EepromChoice::Upto24C16);
  largeEeprom_->setChecked(choice == EepromChoice::From24C32);
  eepromGroup_->setExclusive(true);
}

void MainWindow::showBuilding(bool building) {
  openButton_->setEnabled(!building);
  rebuildButton_->setEnabled(session_.canRebuild());
  const bool board = !building && hasSdccFirmware(session_.workDirectory());
  boardButton_->setEnabled(board);
  boardAction_->setEnabled(board);
}

void MainWindow::openBoard() {
  openBoardView(this, session_.workDirectory(), session_.workspace().settings(),
                session_.programPath().toStdString());
}

void MainWindow::showStatus(const QString& status) {
  statusLabel_->setText(status);
  // A line that says there is no (current) firmware must not read like one that says there is.
  switch (session_.statusKind()) {
    case StatusKind::Failed:
      statusLabel_->setStyleSheet(QStringLiteral("color: #c00000;"));
      break;
    case StatusKind::OutOfDate:
      statusLabel_->setStyleSheet(QStringLiteral("color: #b06000;"));
      break;
    case StatusKind::Working:
    case StatusKind::Done:
      statusLabel_->setStyleSheet(QString());
      break;
  }
}

}  // namespace ladder51::gui
