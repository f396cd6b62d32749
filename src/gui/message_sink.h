// Every report of the window to the user goes through one MessageSink: the application shows
// modal message boxes, the tests record the texts, the screenshot run prints them.
#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace ladder51::gui {

class MessageSink {
 public:
  virtual ~MessageSink() = default;
  // Shows one message and returns when the user has acknowledged it.
  virtual void show(const QString& text) = 0;
  // Asks the user to choose between going on (`accept`) and not; true to go on.
  virtual bool ask(const QString& text, const QString& accept, const QString& reject) = 0;
  // Asks the user to pick one of `choices` (the first is the default); returns its index, or
  // the last one's when the question is closed.
  virtual int choose(const QString& text, const QStringList& choices) = 0;
};

// A modal message box with the application's title and an OK button only.
class DialogMessageSink final : public MessageSink {
 public:
  explicit DialogMessageSink(QWidget* parent = nullptr) : parent_(parent) {}
  void setParent(QWidget* parent) { parent_ = parent; }
  void show(const QString& text) override;
  // A modal box with the two choices as buttons; closing it is `reject`.
  bool ask(const QString& text, const QString& accept, const QString& reject) override;
  int choose(const QString& text, const QStringList& choices) override;

 private:
  QWidget* parent_;
};

// Writes each message as one line on standard error (for runs without a user, such as the
// screenshot).
class StderrMessageSink final : public MessageSink {
 public:
  void show(const QString& text) override;
  // Nobody answers: the question is printed and declined.
  bool ask(const QString& text, const QString& accept, const QString& reject) override;
  // Nobody answers: the question is printed and closed.
  int choose(const QString& text, const QStringList& choices) override;
};

}  // namespace ladder51::gui
