// One QApplication for every test executable: widget tests need it, and engine tests that use
// Qt Gui (fonts, images) need at least a QGuiApplication.
#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    // Listing and running tests needs no screen unless a test asks for the real X server.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
