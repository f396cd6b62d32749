#include "gui/source_view.h"

#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QVBoxLayout>
#include <algorithm>
#include <vector>

namespace ladder51::gui {
namespace {

constexpr std::uint8_t kEndLow = 0x0F;  // END: word 000F, low byte first
// How many words past the step the cut may move to find a rung that translates.
constexpr int kLongestRungSearch = 64;

// The position in the editor of a byte offset of the UTF-8 text (the editor has no CR).
int editorPosition(const std::string& text, std::size_t offset) {
  QString before = QString::fromUtf8(text.data(), static_cast<qsizetype>(offset));
  return static_cast<int>(before.remove(QLatin1Char('\r')).size());
}

}  // namespace

std::optional<TextRange> statementOfStep(const ProgramImage& image, const StepRef& step,
                                         const TranslateOptions& options,
                                         const Translation& whole) {
  if (whole.statements.empty()) return std::nullopt;
  TranslateOptions cutOptions = options;
  cutOptions.skipUnsupported = true;
  // A contact alone is no rung: the cut moves on, a word at a time, until what stands before it
  // translates.
  const int first = step.byteAddress + 2 * static_cast<int>(step.words.size());
  for (int cut = first; cut <= first + 2 * kLongestRungSearch && cut + 1 < kImageEntries;
       cut += 2) {
    std::vector<std::uint8_t> bytes(
        static_cast<std::size_t>(std::max(image.storedCount(), cut + 2)));
    for (int k = 0; k < cut; ++k)
      bytes[static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(image.value(k));
    bytes[static_cast<std::size_t>(cut)] = kEndLow;
    Result<ProgramImage> shortened = ProgramImage::fromBytes(bytes);
    if (!shortened) return std::nullopt;
    const Translation part = translate(*shortened, cutOptions);
    if (!part.completed() || part.statements.empty()) continue;
    const auto common = static_cast<std::size_t>(
        std::ranges::mismatch(part.statements, whole.statements).in2 - whole.statements.begin());
    const std::size_t end = std::min(common, part.statements.size());
    if (end == 0) return std::nullopt;
    TextRange range{0, whole.statements.size()};
    for (const StatementMark& mark : whole.marks) {
      if (mark.offset >= end) {
        range.end = mark.offset;
        break;
      }
      range.begin = mark.offset;
    }
    return range;
  }
  return std::nullopt;
}

SourceView::SourceView(const std::string& text, std::optional<TextRange> marked, QWidget* parent)
    : QDialog(parent), editor_(new QPlainTextEdit(this)) {
  setObjectName(QStringLiteral("SourceView"));
  setWindowTitle(QStringLiteral("fx1n.c"));
  resize(820, 600);
  editor_->setObjectName(QStringLiteral("SourceText"));
  editor_->setReadOnly(true);
  editor_->setLineWrapMode(QPlainTextEdit::NoWrap);
  editor_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  editor_->setPlainText(QString::fromStdString(text).remove(QLatin1Char('\r')));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(editor_);
  if (marked) {
    QTextCursor cursor(editor_->document());
    cursor.setPosition(editorPosition(text, marked->begin));
    cursor.setPosition(editorPosition(text, marked->end), QTextCursor::KeepAnchor);
    QTextEdit::ExtraSelection selection;
    selection.cursor = cursor;
    selection.format.setBackground(QColor(0xff, 0xe8, 0x80));
    editor_->setExtraSelections({selection});
    editor_->setTextCursor(cursor);
    editor_->centerCursor();
  }
}

}  // namespace ladder51::gui
