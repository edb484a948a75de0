#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    // The menus of the recent-files list are widgets; no display is needed.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
