// The flash kept across processes (ZEQLINK_SIM_FLASH): a dropped card stands for a new process.
#include "sim/flash_store.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "sim/flash.h"
#include "sim/sim.h"

namespace {

class FlashStore : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() /
              ("zeq-flashstore-" + std::to_string(::getpid()));
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        ::setenv("ZEQLINK_SIM_FLASH", dir.c_str(), 1);
        zeq::sim::reset_all();
    }
    void TearDown() override {
        zeq::sim::reset_all();
        ::unsetenv("ZEQLINK_SIM_FLASH");
        std::filesystem::remove_all(dir);
    }
    std::filesystem::path dir;
};

TEST_F(FlashStore, FlashWrittenInOneLifeReadsBackInTheNext) {
    zeq::sim::card(1).set_flash_byte(0x3E700, 4);
    zeq::sim::card(1).set_flash_byte(0x7FFFF, 0x12);
    ASSERT_TRUE(zeq::sim::save_flash(zeq::sim::card(1)));
    EXPECT_EQ(std::filesystem::file_size(dir / "zeqsim1.flash"), zeq::sim::SerialFlash::kSize);
    for (const auto& e : std::filesystem::directory_iterator(dir))
        EXPECT_EQ(e.path().filename(), "zeqsim1.flash");  // no temporary file left

    zeq::sim::reset_all();
    EXPECT_EQ(zeq::sim::card(1).flash_byte(0x3E700), 4);
    EXPECT_EQ(zeq::sim::card(1).flash_byte(0x7FFFF), 0x12);
    EXPECT_EQ(zeq::sim::card(0).flash_byte(0x3E700), 0xFF);  // a card without a file
}

TEST_F(FlashStore, FileOfAnotherSizeIsIgnored) {
    std::ofstream(dir / "zeqsim0.flash", std::ios::binary) << std::string(1000, '\0');
    EXPECT_EQ(zeq::sim::card(0).flash_byte(10), 0xFF);
    ::unsetenv("ZEQLINK_SIM_FLASH");
    EXPECT_FALSE(zeq::sim::save_flash(zeq::sim::card(0)));
}

}  // namespace
