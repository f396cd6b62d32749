#include "gui/results_panel.h"

#include <QDesktopServices>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

#include "gui/report_texts.h"
#include "gui/session.h"
#include "gui/source_view.h"

namespace ladder51::gui {
namespace {

constexpr int kStepRole = Qt::UserRole;           // the step's byte address
constexpr int kStepWordsRole = Qt::UserRole + 1;  // its words

QString kindText(ResultKind kind) {
  switch (kind) {
    case ResultKind::Refused:
      return WindowTexts::tr("refused");
    case ResultKind::Skipped:
      return WindowTexts::tr("left out");
    case ResultKind::Notice:
      return WindowTexts::tr("note");
    case ResultKind::Warning:
      return WindowTexts::tr("warning");
    case ResultKind::Failed:
      return WindowTexts::tr("failed");
  }
  return {};
}

QProgressBar* bar(const char* name, QWidget* parent) {
  auto* bar = new QProgressBar(parent);
  bar->setObjectName(QString::fromLatin1(name));
  bar->setTextVisible(true);
  bar->setValue(0);
  bar->setFormat(QString());
  return bar;
}

// Shows `used` of `limit` bytes, in red when over it.
void showUse(QProgressBar* bar, long used, long limit, const QString& format) {
  bar->setMaximum(static_cast<int>(std::max(limit, 1L)));
  bar->setValue(static_cast<int>(std::min(used, limit)));
  bar->setFormat(format.arg(used).arg(limit));
  bar->setStyleSheet(used > limit ? QStringLiteral("QProgressBar::chunk { background: #c00000; }")
                                  : QString());
}

}  // namespace

ResultsPanel::ResultsPanel(Session& session, QWidget* parent) : QWidget(parent), session_(session) {
  setObjectName(QStringLiteral("Results"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);

  list_ = new QTreeWidget(this);
  list_->setObjectName(QStringLiteral("ResultList"));
  list_->setColumnCount(2);
  list_->setHeaderLabels(
      {WindowTexts::tr("Kind"), WindowTexts::tr("Result of the last translation and build")});
  list_->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  list_->setRootIsDecorated(true);
  list_->setMinimumHeight(90);
  layout->addWidget(list_, 1);

  auto* memory = new QGridLayout;
  ram_ = bar("RamUse", this);
  stack_ = bar("StackUse", this);
  code_ = bar("CodeUse", this);
  xram_ = bar("XramUse", this);
  xramLabel_ = new QLabel(WindowTexts::tr("XRAM"), this);
  const std::pair<QString, QProgressBar*> rows[] = {{WindowTexts::tr("Internal RAM"), ram_},
                                                    {WindowTexts::tr("Stack"), stack_},
                                                    {WindowTexts::tr("Code"), code_}};
  int column = 0;
  for (const auto& [caption, bar] : rows) {
    memory->addWidget(new QLabel(caption, this), 0, column++);
    memory->addWidget(bar, 0, column++);
  }
  memory->addWidget(xramLabel_, 0, column++);
  memory->addWidget(xram_, 0, column++);
  layout->addLayout(memory);

  auto* row = new QHBoxLayout;
  scanTime_ = new QLabel(this);
  scanTime_->setObjectName(QStringLiteral("ScanTime"));
  openFolder_ = new QPushButton(WindowTexts::tr("Open folder"), this);
  openFolder_->setObjectName(QStringLiteral("OpenFolder"));
  viewSource_ = new QPushButton(WindowTexts::tr("View fx1n.c"), this);
  viewSource_->setObjectName(QStringLiteral("ViewSource"));
  viewSource_->setToolTip(
      WindowTexts::tr("fx1n.c as written, read-only; the selected step's statement marked"));
  row->addWidget(scanTime_, 1);
  row->addWidget(openFolder_);
  row->addWidget(viewSource_);
  layout->addLayout(row);

  connect(openFolder_, &QPushButton::clicked, this, &ResultsPanel::openFolder);
  connect(viewSource_, &QPushButton::clicked, this, &ResultsPanel::viewSource);
  connect(list_, &QTreeWidget::itemDoubleClicked, this, [this] {
    if (selectedStep()) viewSource();
  });
  connect(&session_, &Session::resultsChanged, this, &ResultsPanel::showResults);
  connect(&session_, &Session::buildingChanged, this, &ResultsPanel::showBuild);
  showResults();
  showBuild();
}

void ResultsPanel::showResults() {
  list_->clear();
  for (const ResultEntry& entry : session_.results()) {
    auto* item = new QTreeWidgetItem(list_, {kindText(entry.kind), entry.text});
    if (entry.step) {
      item->setData(0, kStepRole, entry.step->byteAddress);
      QVariantList words;
      for (std::uint16_t word : entry.step->words) words << word;
      item->setData(0, kStepWordsRole, words);
    }
    if (!entry.detail.isEmpty()) {
      item->setToolTip(1, entry.detail);
      for (const QString& line : entry.detail.split(QLatin1Char('\n')))
        new QTreeWidgetItem(item, {QString(), line});
    }
    if (entry.kind == ResultKind::Failed || entry.kind == ResultKind::Refused)
      item->setExpanded(true);
  }
  viewSource_->setEnabled(!session_.writtenSource().empty());
}

void ResultsPanel::showBuild() {
  const std::optional<BuildSummary>& build = session_.lastBuild();
  const bool measured = build && build->memory;
  for (QProgressBar* bar : {ram_, stack_, code_, xram_}) bar->setEnabled(measured);
  const bool xram = measured && build->memory->xramBytes > 0;
  xram_->setVisible(xram);
  xramLabel_->setVisible(xram);
  if (!measured) {
    for (QProgressBar* bar : {ram_, stack_, code_, xram_}) {
      bar->setValue(0);
      bar->setFormat(QString());
    }
  } else {
    const MemoryUsage& used = *build->memory;
    const MemoryLimits& limits = build->limits;
    showUse(ram_, used.internalRamUsed, limits.internalRamBytes, WindowTexts::tr("%1 of %2 bytes"));
    // The stack gets what the variables leave; the bar shows that share of the RAM.
    showUse(stack_, used.stackBytes, limits.internalRamBytes, WindowTexts::tr("%1 bytes left"));
    showUse(code_, used.codeBytes, limits.flashBytes, WindowTexts::tr("%1 of %2 bytes"));
    if (xram) showUse(xram_, used.xramBytes, limits.xramBytes, WindowTexts::tr("%1 of %2 bytes"));
    list_->setToolTip(memoryText(used, limits));
  }
  scanTime_->setText(build && build->scanTime ? scanTimeText(*build->scanTime) : QString());
}

std::optional<StepRef> ResultsPanel::selectedStep() const {
  QTreeWidgetItem* item = list_->currentItem();
  while (item != nullptr && item->parent() != nullptr) item = item->parent();
  if (item == nullptr || !item->data(0, kStepRole).isValid()) return std::nullopt;
  StepRef step;
  step.byteAddress = item->data(0, kStepRole).toInt();
  for (const QVariant& word : item->data(0, kStepWordsRole).toList())
    step.words.push_back(static_cast<std::uint16_t>(word.toUInt()));
  return step;
}

QWidget* ResultsPanel::viewSource() {
  std::optional<TextRange> marked;
  if (const std::optional<StepRef> step = selectedStep()) {
    if (const auto lines = linesOfStep(session_.stepLines(), step->byteAddress))
      marked = linesSpan(session_.writtenSource(), lines->first, lines->second);
  }
  auto* view = new SourceView(session_.writtenSource(), marked, this);
  view->setAttribute(Qt::WA_DeleteOnClose);
  view->show();
  return view;
}

void ResultsPanel::openFolder() {
  QDesktopServices::openUrl(
      QUrl::fromLocalFile(QString::fromStdString(session_.hexFolder().string())));
}

}  // namespace ladder51::gui
