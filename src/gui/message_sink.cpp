#include "gui/message_sink.h"

#include <QMessageBox>
#include <QPushButton>
#include <cstdio>

#include "gui/texts.h"

namespace ladder51::gui {

void DialogMessageSink::show(const QString& text) {
  QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(kApplicationTitle), text, QMessageBox::Ok,
                  parent_);
  box.setTextFormat(Qt::PlainText);
  box.setWindowModality(Qt::ApplicationModal);
  box.exec();
}

bool DialogMessageSink::ask(const QString& text, const QString& accept, const QString& reject) {
  QMessageBox box(QMessageBox::Warning, QString::fromUtf8(kApplicationTitle), text,
                  QMessageBox::NoButton, parent_);
  box.setTextFormat(Qt::PlainText);
  box.setWindowModality(Qt::ApplicationModal);
  QPushButton* yes = box.addButton(accept, QMessageBox::AcceptRole);
  QPushButton* no = box.addButton(reject, QMessageBox::RejectRole);
  box.setDefaultButton(no);
  box.setEscapeButton(no);
  box.exec();
  return box.clickedButton() == yes;
}

bool StderrMessageSink::ask(const QString& text, const QString&, const QString& reject) {
  std::fprintf(stderr, "%s\n(%s)\n", text.toUtf8().constData(), reject.toUtf8().constData());
  return false;
}

void StderrMessageSink::show(const QString& text) {
  std::fprintf(stderr, "%s\n", text.toUtf8().constData());
}

}  // namespace ladder51::gui
