// Set-up for the tool cores: the real device library with virtual cards on the deterministic
// clock, card 0 open as `handle`, recording dialogs and a clock whose sleeps only count.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "binding/device_wrappers.h"
#include "desk/binding_fixture.h"

namespace zeq::desk::test {

class ToolsTest : public BindingTest {
  protected:
    // Axis count of the virtual card; a test sets it before SetUp through the constructor.
    explicit ToolsTest(int axes = 4) : m_axes(axes) {}

    void SetUp() override {
        BindingTest::SetUp();
        ::setenv("ZEQLINK_SIM_CLOCK", "step", 1);
        ::setenv("ZEQLINK_SIM", "1", 1);
        ::setenv("ZEQLINK_SIM_AXES", std::to_string(m_axes).c_str(), 1);
        deviceBinding().setLibraryDir(ZEQ_DLL_DIR);
        ASSERT_EQ(deviceBinding().load(), 0)
            << (dialogs.messages.empty() ? "" : dialogs.messages[0]);
        ASSERT_EQ(USBOpen(0, &handle), 0);
        dir = std::filesystem::temp_directory_path() /
              ("zeq-tools-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
    }
    void TearDown() override {
        if (handle) myClose(&handle);
        ::unsetenv("ZEQLINK_SIM");
        ::unsetenv("ZEQLINK_SIM_CLOCK");
        ::unsetenv("ZEQLINK_SIM_AXES");
        std::filesystem::remove_all(dir);
        BindingTest::TearDown();
    }

    std::string writeFile(const std::string& name, const std::string& bytes) {
        const std::string path = (dir / name).string();
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    ZEQ_HANDLE handle = 0;
    std::filesystem::path dir;
    CountingClock clock;

  private:
    int m_axes;
};

}  // namespace zeq::desk::test
