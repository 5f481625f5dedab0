// The window tests: every suite, or the one named as the first argument (then the rest of the
// arguments are Qt Test's).
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
        {"RunControlTest", [] { return std::make_unique<zeq::desk::test::RunControlTest>(); }},
    };
    const QString only = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    int failures = 0;
    for (const auto& [name, make] : suites) {
        if (!only.isEmpty() && only != name) continue;
        auto suite = make();
        // Further arguments go to Qt Test (test function names, -v2 ...).
        std::vector<char*> args = {argv[0]};
        for (int i = 2; i < argc; ++i) args.push_back(argv[i]);
        failures += QTest::qExec(suite.get(), static_cast<int>(args.size()), args.data());
    }
    return failures == 0 ? 0 : 1;
}
