// Every report of the window to the user goes through one MessageSink: the application shows
// modal message boxes, the tests record the texts, the screenshot run prints them.
#pragma once

#include <QString>

class QWidget;

namespace ladder51::gui {

class MessageSink {
 public:
  virtual ~MessageSink() = default;
  // Shows one message and returns when the user has acknowledged it.
  virtual void show(const QString& text) = 0;
};

// A modal message box with the application's title and an OK button only.
class DialogMessageSink final : public MessageSink {
 public:
  explicit DialogMessageSink(QWidget* parent = nullptr) : parent_(parent) {}
  void setParent(QWidget* parent) { parent_ = parent; }
  void show(const QString& text) override;

 private:
  QWidget* parent_;
};

// Writes each message as one line on standard error (for runs without a user, such as the
// screenshot).
class StderrMessageSink final : public MessageSink {
 public:
  void show(const QString& text) override;
};

}  // namespace ladder51::gui
