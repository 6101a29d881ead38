#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // The windows are driven without a screen (also when the test list is collected at build time).
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
