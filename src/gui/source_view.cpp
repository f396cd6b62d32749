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

// The position in the editor of a byte offset of the UTF-8 text (the editor has no CR).
int editorPosition(const std::string& text, std::size_t offset) {
  QString before = QString::fromUtf8(text.data(), static_cast<qsizetype>(offset));
  return static_cast<int>(before.remove(QLatin1Char('\r')).size());
}

}  // namespace

std::optional<TextRange> linesSpan(const std::string& text, int first, int last) {
  if (first < 1 || last < first) return std::nullopt;
  std::size_t begin = 0;
  for (int line = 1; line < first; ++line) {
    begin = text.find('\n', begin);
    if (begin == std::string::npos) return std::nullopt;
    ++begin;
  }
  std::size_t end = begin;
  for (int line = first; line <= last && end < text.size(); ++line) {
    const std::size_t feed = text.find('\n', end);
    end = feed == std::string::npos ? text.size() : feed + 1;
  }
  // Without the last line's break.
  if (end > begin && text[end - 1] == '\n') --end;
  if (end > begin && text[end - 1] == '\r') --end;
  return TextRange{begin, end};
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
