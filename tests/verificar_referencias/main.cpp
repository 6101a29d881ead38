#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // The page tests drive real widgets without a display (also while CTest lists them).
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
