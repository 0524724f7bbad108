// GUI tests need a QApplication; listing the tests (at build time) does not.
#include <gtest/gtest.h>

#include <QApplication>

#include "app/startup.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  pagewick::PrepareApplication(application);
  return RUN_ALL_TESTS();
}
