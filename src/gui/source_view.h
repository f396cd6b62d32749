// fx1n.c as written, read-only, with the statement of a chosen step marked: what the results
// panel's "view fx1n.c" opens.
#pragma once

#include <QDialog>
#include <cstddef>
#include <optional>
#include <string>

#include "core/step_ref.h"
#include "core/translator/program_image.h"
#include "core/translator/translator.h"

class QPlainTextEdit;

namespace ladder51::gui {

// A span of text: [begin, end).
struct TextRange {
  std::size_t begin = 0;
  std::size_t end = 0;
  bool operator==(const TextRange&) const = default;
};

// Where the statement of `step` stands in `whole.statements`. The program cut after the step (END
// written after its words) translates to statements that agree with the whole program's up to
// that step's; the statement in which the cut one's text ends is the step's (for a contact, the
// rung before it). Nothing when the cut program does not translate.
std::optional<TextRange> statementOfStep(const ProgramImage& image, const StepRef& step,
                                         const TranslateOptions& options, const Translation& whole);

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
