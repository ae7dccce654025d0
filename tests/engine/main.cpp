#include <QCoreApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    // Qt's image plugins (JPEG, GIF, TIFF) are found through the application.
    QCoreApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
