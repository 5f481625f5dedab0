// The window tests: every suite, or the one named as the first argument.
#include <QApplication>
#include <QTest>
#include <functional>
#include <memory>
#include <vector>

#include "window_tests.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    using Factory = std::function<std::unique_ptr<QObject>()>;
    const std::vector<std::pair<QString, Factory>> suites = {
        {"DocumentTest", [] { return std::make_unique<zeq::desk::test::DocumentTest>(); }},
        {"EditorTest", [] { return std::make_unique<zeq::desk::test::EditorTest>(); }},
        {"FrameTest", [] { return std::make_unique<zeq::desk::test::FrameTest>(); }},
        {"EndToEndTest", [] { return std::make_unique<zeq::desk::test::EndToEndTest>(); }},
        {"WatchPaneTest", [] { return std::make_unique<zeq::desk::test::WatchPaneTest>(); }},
        // Register configuration, teach and firmware dialogs.
        {"RegisterConfigDialogTest",
         [] { return std::make_unique<zeq::desk::test::RegisterConfigDialogTest>(); }},
        {"TeachDialogTest", [] { return std::make_unique<zeq::desk::test::TeachDialogTest>(); }},
        {"FirmwareDialogTest",
         [] { return std::make_unique<zeq::desk::test::FirmwareDialogTest>(); }},
        {"ToolDialogsTest", [] { return std::make_unique<zeq::desk::test::ToolDialogsTest>(); }},
        {"DeviceBarsTest", [] { return std::make_unique<zeq::desk::test::DeviceBarsTest>(); }},
    };
    const QString only = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    int failures = 0;
    for (const auto& [name, make] : suites) {
        if (!only.isEmpty() && only != name) continue;
        auto suite = make();
        char* args[] = {argv[0], nullptr};
        failures += QTest::qExec(suite.get(), 1, args);
    }
    return failures == 0 ? 0 : 1;
}
