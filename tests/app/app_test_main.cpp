// The windows' tests run on Qt's offscreen platform inside one QApplication.
#include <gtest/gtest.h>
#include <QApplication>
#include <QTemporaryDir>

#include "main_window.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
#ifdef ZORBEL_TEST_SCALE_FACTOR
  // Large fonts: every window drawn half as large again, as the desktop's 150 % setting does.
  qputenv("QT_SCALE_FACTOR", ZORBEL_TEST_SCALE_FACTOR);
#endif
  // The program's own settings ("Verify after write") go to a folder of the tests' own.
  const QTemporaryDir config;
  qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
  // The backups the window keeps of what it reads go there too, never into the user's home.
  const QTemporaryDir data;
  qputenv("XDG_DATA_HOME", QFile::encodeName(data.path()));
  QApplication app(argc, argv);
  QApplication::setApplicationName(zorbel::app::kApplicationTitle);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
