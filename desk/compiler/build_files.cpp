// build.dat and binfo.dat.
//
// binfo.dat, little-endian, no gaps:
//   u32 source mtime | u32 build.dat mtime | u32 L | u32 global-list offset | u32 N | u32 M |
//   L bytes source path | N × (u32 offset behind label line, u32 index of next item) |
//   M × u32 source line of each output item
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

#include "compiler/messages.h"
#include "compiler/script_compiler.h"
#include "core/app_home.h"
#include "core/prefault.h"

namespace zeq::desk {

namespace {
// Little-endian at `at`, which the caller has sized.
char* putU32(char* at, uint32_t v) {
    for (int i = 0; i < 4; ++i) *at++ = static_cast<char>((v >> (8 * i)) & 0xFF);
    return at;
}
uint32_t modificationTime(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return 0;
    return static_cast<uint32_t>(st.st_mtime);
}
// The file in one write of one buffer.
bool writeFile(const std::string& path, const char* bytes, size_t size) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    std::setvbuf(f, nullptr, _IONBF, 0);
    const bool ok = size == 0 || std::fwrite(bytes, 1, size, f) == size;
    return std::fclose(f) == 0 && ok;
}
}  // namespace

size_t ScriptCompiler::buildInfoSize(std::string_view sourcePath) const {
    return 24 + sourcePath.size() + 8 * static_cast<size_t>(m_labelCounter) + 4 * m_lineMap.size();
}

void ScriptCompiler::fillBuildInfo(char* at, uint32_t sourceTime, uint32_t buildTime,
                                   std::string_view sourcePath) const {
    const auto labels = static_cast<size_t>(m_labelCounter);
    at = putU32(at, sourceTime);
    at = putU32(at, buildTime);
    at = putU32(at, static_cast<uint32_t>(sourcePath.size()));
    at = putU32(at, m_globalListOffset);
    at = putU32(at, static_cast<uint32_t>(labels));
    at = putU32(at, static_cast<uint32_t>(m_lineMap.size()));
    if (!sourcePath.empty()) std::memcpy(at, sourcePath.data(), sourcePath.size());
    at += sourcePath.size();
    for (size_t n = 0; n < labels; ++n) {
        // Labels allocated but never defined keep zeros: nothing jumps to them.
        const auto entry =
            n < m_labelTable.size() ? m_labelTable[n] : std::pair<uint32_t, uint32_t>{0u, 0u};
        at = putU32(at, entry.first);
        at = putU32(at, entry.second);
    }
    for (uint32_t line : m_lineMap) at = putU32(at, line);
}

std::string ScriptCompiler::buildInfo(uint32_t sourceTime, uint32_t buildTime,
                                      std::string_view sourcePath) const {
    std::string out(buildInfoSize(sourcePath), '\0');
    fillBuildInfo(out.data(), sourceTime, buildTime, sourcePath);
    return out;
}

// Both files are written under temporary names and then renamed into place, so a reader never
// finds a half-written build.dat or binfo.dat (a rename keeps the modification time that
// binfo.dat records).
bool ScriptCompiler::writeBuildFiles(const std::string& programDir, const std::string& sourcePath) {
    std::string dir = programDir;
    while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
    const std::string dat = dir + "/dat";
    ensureDirectory(dat);
    const std::string buildPath = dat + "/build.dat";
    const std::string infoPath = dat + "/binfo.dat";
    const std::string suffix = ".tmp" + std::to_string(static_cast<long>(::getpid()));
    const std::string buildTemp = buildPath + suffix;
    const std::string infoTemp = infoPath + suffix;
    bool ok = writeFile(buildTemp, m_out.data(), m_out.size());
    if (ok) {
        const size_t size = buildInfoSize(sourcePath);
        const std::unique_ptr<char[]> info(new char[size]);
        prefaultForWriting(info.get(), size);
        fillBuildInfo(info.get(), modificationTime(sourcePath), modificationTime(buildTemp),
                      sourcePath);
        ok = writeFile(infoTemp, info.get(), size);
    }
    std::error_code ec;
    if (ok) {
        std::filesystem::rename(buildTemp, buildPath, ec);
        if (!ec) std::filesystem::rename(infoTemp, infoPath, ec);
        ok = !ec;
    }
    if (!ok) {
        std::filesystem::remove(buildTemp, ec);
        std::filesystem::remove(infoTemp, ec);
        m_lex.say(msg::kCannotSave);
        m_lex.addError();
    }
    return ok;
}

}  // namespace zeq::desk
