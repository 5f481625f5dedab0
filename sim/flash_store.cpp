#include "sim/flash_store.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include "sim/flash.h"

namespace zeq::sim {

std::string flash_file(int index) {
    const char* dir = std::getenv("ZEQLINK_SIM_FLASH");
    if (!dir || !*dir) return {};
    return std::string(dir) + "/zeqsim" + std::to_string(index) + ".flash";
}

void load_flash(SimCard& card) {
    const std::string path = flash_file(card.index());
    if (path.empty()) return;
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) return;
    const std::streamoff size = in.tellg();
    if (size != static_cast<std::streamoff>(SerialFlash::kSize)) return;
    std::vector<uint8_t> bytes(SerialFlash::kSize);
    in.seekg(0);
    if (!in.read(reinterpret_cast<char*>(bytes.data()), size)) return;
    card.set_flash_image(bytes);
}

bool save_flash(SimCard& card) {
    const std::string path = flash_file(card.index());
    if (path.empty()) return false;
    const std::vector<uint8_t> bytes = card.flash_image();
    const std::string temp = path + ".tmp" + std::to_string(::getpid());
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        out.flush();
        if (!out) {
            out.close();
            std::remove(temp.c_str());
            return false;
        }
    }
    std::error_code ec;
    std::filesystem::rename(temp, path, ec);
    if (ec) {
        std::remove(temp.c_str());
        return false;
    }
    return true;
}

}  // namespace zeq::sim
