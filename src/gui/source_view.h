// fx1n.c as written, read-only, with the statement of a chosen step marked: what the results
// panel's "view fx1n.c" opens.
#pragma once

#include <QDialog>
#include <cstddef>
#include <optional>
#include <string>

class QPlainTextEdit;

namespace ladder51::gui {

// A span of text: [begin, end).
struct TextRange {
  std::size_t begin = 0;
  std::size_t end = 0;
  bool operator==(const TextRange&) const = default;
};

// The span of `text` from the start of line `first` to the end of line `last` (counted from 1,
// the line break left out); nothing when the text has no such lines.
std::optional<TextRange> linesSpan(const std::string& text, int first, int last);

class SourceView final : public QDialog {
  Q_OBJECT

 public:
  // `text` is fx1n.c in UTF-8; `marked` a span of it (byte offsets) to select and show.
  SourceView(const std::string& text, std::optional<TextRange> marked, QWidget* parent = nullptr);

  QPlainTextEdit* editor() const { return editor_; }

 private:
  QPlainTextEdit* editor_;
};

}  // namespace ladder51::gui
