#include "gui/message_sink.h"

#include <QMessageBox>
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

void StderrMessageSink::show(const QString& text) {
  std::fprintf(stderr, "%s\n", text.toUtf8().constData());
}

}  // namespace ladder51::gui
