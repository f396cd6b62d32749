// The pieces around the window: the real message box and the choice of the work directory.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "gui/message_sink.h"
#include "gui/texts.h"
#include "gui/work_directory.h"

namespace ladder51::gui::test {

class SupportTest : public QObject {
  Q_OBJECT

 private slots:
  void messageBoxIsModalWithOkOnlyAndTheTitle();
  void workDirectoryChoice_data();
  void workDirectoryChoice();
  void workDirectoryIsCreatedWhenMissing();
};

void SupportTest::messageBoxIsModalWithOkOnlyAndTheTitle() {
  struct Seen {
    bool found = false;
    QString title, text;
    bool modal = false;
    int buttons = 0;
    bool okOnly = false;
  } seen;
  // The box blocks in its own event loop; look at it from there, then press OK.
  QTimer probe;
  probe.setInterval(10);
  QObject::connect(&probe, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) return;
    seen.found = true;
    seen.title = box->windowTitle();
    seen.text = box->text();
    seen.modal = box->isModal();
    seen.buttons = static_cast<int>(box->buttons().size());
    seen.okOnly = box->standardButtons() == QMessageBox::Ok;
    probe.stop();
    box->button(QMessageBox::Ok)->click();
  });
  probe.start();
  QTimer failSafe;
  failSafe.setSingleShot(true);
  QObject::connect(&failSafe, &QTimer::timeout, [] {
    if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
  });
  failSafe.start(5000);

  DialogMessageSink sink;
  sink.show(QString::fromUtf8("P0.5设置错误！！"));

  QVERIFY(seen.found);
  QCOMPARE(seen.title, QString::fromUtf8(kApplicationTitle));
  QCOMPARE(seen.text, QString::fromUtf8("P0.5设置错误！！"));
  QVERIFY(seen.modal);
  QCOMPARE(seen.buttons, 1);
  QVERIFY(seen.okOnly);
}

void SupportTest::workDirectoryChoice_data() {
  QTest::addColumn<bool>("named");
  QTest::addColumn<bool>("programHasSettings");
  QTest::addColumn<bool>("programWritable");
  QTest::addColumn<bool>("currentHasSettings");
  QTest::addColumn<int>("expected");
  const int named = static_cast<int>(WorkDirectoryReason::Named);
  const int program = static_cast<int>(WorkDirectoryReason::ProgramFolder);
  const int current = static_cast<int>(WorkDirectoryReason::CurrentFolder);
  const int config = static_cast<int>(WorkDirectoryReason::UserConfig);
  QTest::newRow("--dir wins over everything") << true << true << true << true << named;
  QTest::newRow("installation beside the program") << false << true << true << true << program;
  QTest::newRow("read-only installation") << false << true << false << true << current;
  QTest::newRow("program folder without settings") << false << false << true << true << current;
  QTest::newRow("nothing anywhere") << false << false << true << false << config;
  QTest::newRow("read-only installation, nothing here")
      << false << true << false << false << config;
}

void SupportTest::workDirectoryChoice() {
  QFETCH(bool, named);
  QFETCH(bool, programHasSettings);
  QFETCH(bool, programWritable);
  QFETCH(bool, currentHasSettings);
  QFETCH(int, expected);
  QTemporaryDir root;
  const QDir dir(root.path());
  for (const char* name : {"named", "program", "current", "config"}) QVERIFY(dir.mkdir(name));
  const auto touch = [&](const QString& folder, const char* file) {
    QFile out(QDir(folder).filePath(QString::fromLatin1(file)));
    QVERIFY(out.open(QIODevice::WriteOnly));
  };
  const WorkDirectoryCandidates candidates{.named = named ? dir.filePath("named") : QString(),
                                           .program = dir.filePath("program"),
                                           .current = dir.filePath("current"),
                                           .userConfig = dir.filePath("config")};
  if (programHasSettings) touch(candidates.program, "io.dat");
  if (currentHasSettings) touch(candidates.current, "7219.dat");
  // Permission bits do not stop every user (root writes anywhere), so the test decides.
  const auto writable = [&](const QString& folder) {
    return folder != candidates.program || programWritable;
  };

  const WorkDirectoryChoice choice = chooseWorkDirectory(candidates, writable);

  QCOMPARE(static_cast<int>(choice.reason), expected);
  const QString expectedPath[] = {candidates.named, candidates.program, candidates.current,
                                  candidates.userConfig};
  QCOMPARE(choice.path, expectedPath[expected]);
}

void SupportTest::workDirectoryIsCreatedWhenMissing() {
  QTemporaryDir root;
  const QString folder = QDir(root.path()).filePath("config/ladder51");
  QVERIFY(!holdsSettingsFiles(folder));
  QVERIFY(!isWritableFolder(folder));
  QVERIFY(prepareWorkDirectory(folder));
  QVERIFY(QDir(folder).exists());
  QVERIFY(isWritableFolder(folder));
  QVERIFY(!prepareWorkDirectory(QString()));
  QVERIFY(!isWritableFolder(QString()));
}

int runSupportTests(int argc, char** argv) {
  SupportTest test;
  return QTest::qExec(&test, argc, argv);
}

}  // namespace ladder51::gui::test

#include "support_test.moc"
