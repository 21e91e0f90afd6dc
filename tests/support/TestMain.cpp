// One QApplication for every test executable: widget tests need it, and engine tests that use
// Qt Gui (fonts, images) need at least a QGuiApplication.
#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
