#include "gui/message_sink.h"

#include <QMessageBox>
#include <QPushButton>
#include <cstdio>

#include "gui/texts.h"

namespace ladder51::gui {
namespace {

// A modal box with the application's title, wide enough that the title is never cut short.
void prepare(QMessageBox& box) {
  box.setTextFormat(Qt::PlainText);
  box.setWindowModality(Qt::ApplicationModal);
  box.setStyleSheet(QStringLiteral("QLabel { min-width: 260px; }"));
}

}  // namespace

void DialogMessageSink::show(const QString& text) {
  QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(kApplicationTitle), text, QMessageBox::Ok,
                  parent_);
  prepare(box);
  box.exec();
}

bool DialogMessageSink::ask(const QString& text, const QString& accept, const QString& reject) {
  QMessageBox box(QMessageBox::Warning, QString::fromUtf8(kApplicationTitle), text,
                  QMessageBox::NoButton, parent_);
  prepare(box);
  QPushButton* yes = box.addButton(accept, QMessageBox::AcceptRole);
  QPushButton* no = box.addButton(reject, QMessageBox::RejectRole);
  box.setDefaultButton(no);
  box.setEscapeButton(no);
  box.exec();
  return box.clickedButton() == yes;
}

int DialogMessageSink::choose(const QString& text, const QStringList& choices) {
  QMessageBox box(QMessageBox::Warning, QString::fromUtf8(kApplicationTitle), text,
                  QMessageBox::NoButton, parent_);
  prepare(box);
  QList<QPushButton*> buttons;
  for (qsizetype k = 0; k < choices.size(); ++k) {
    const bool last = k + 1 == choices.size();
    buttons << box.addButton(
        choices[k], last ? QMessageBox::RejectRole
                         : (k == 0 ? QMessageBox::AcceptRole : QMessageBox::DestructiveRole));
  }
  box.setDefaultButton(buttons.front());
  box.setEscapeButton(buttons.back());
  box.exec();
  const qsizetype chosen = buttons.indexOf(static_cast<QPushButton*>(box.clickedButton()));
  return static_cast<int>(chosen < 0 ? choices.size() - 1 : chosen);
}

bool StderrMessageSink::ask(const QString& text, const QString&, const QString& reject) {
  std::fprintf(stderr, "%s\n(%s)\n", text.toUtf8().constData(), reject.toUtf8().constData());
  return false;
}

int StderrMessageSink::choose(const QString& text, const QStringList& choices) {
  std::fprintf(stderr, "%s\n(%s)\n", text.toUtf8().constData(),
               choices.back().toUtf8().constData());
  return static_cast<int>(choices.size() - 1);
}

void StderrMessageSink::show(const QString& text) {
  std::fprintf(stderr, "%s\n", text.toUtf8().constData());
}

}  // namespace ladder51::gui
