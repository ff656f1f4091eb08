// The Qt front-end's tests run with a QApplication, on the offscreen platform unless told
// otherwise, so that they need no display.
#include <gtest/gtest.h>

#include <QApplication>

namespace {

// The offscreen platform says so whenever a window asks for what only a desktop has (a
// window mask, raising a window); the tests check the widgets' side of those.
void QuietAboutTheOffscreenPlatform(QtMsgType type, const QMessageLogContext& context,
                                    const QString& message) {
    if (message.startsWith("This plugin does not support")) return;
    qt_message_output(type, context, message);
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(QuietAboutTheOffscreenPlatform);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
