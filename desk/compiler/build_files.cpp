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
#include <string>
#include <system_error>

#include "compiler/messages.h"
#include "compiler/script_compiler.h"
#include "core/app_home.h"

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
bool writeFile(const std::string& path, const std::string& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}
}  // namespace

std::string ScriptCompiler::buildInfo(uint32_t sourceTime, uint32_t buildTime,
                                      std::string_view sourcePath) const {
    const auto labels = static_cast<size_t>(m_labelCounter);
    // One buffer of the file's size, filled in place.
    std::string out(24 + sourcePath.size() + 8 * labels + 4 * m_lineMap.size(), '\0');
    char* at = out.data();
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
        const auto entry = n < m_labelTable.size() ? m_labelTable[n]
                                                   : std::pair<uint32_t, uint32_t>{0u, 0u};
        at = putU32(at, entry.first);
        at = putU32(at, entry.second);
    }
    for (uint32_t line : m_lineMap) at = putU32(at, line);
    return out;
}

// Both files are written under temporary names and then renamed into place, so a reader never
// finds a half-written build.dat or binfo.dat (a rename keeps the modification time that
// binfo.dat records).
bool ScriptCompiler::writeBuildFiles(const std::string& programDir,
                                     const std::string& sourcePath) {
    std::string dir = programDir;
    while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
    const std::string dat = dir + "/dat";
    ensureDirectory(dat);
    const std::string buildPath = dat + "/build.dat";
    const std::string infoPath = dat + "/binfo.dat";
    const std::string suffix = ".tmp" + std::to_string(static_cast<long>(::getpid()));
    const std::string buildTemp = buildPath + suffix;
    const std::string infoTemp = infoPath + suffix;
    bool ok = writeFile(buildTemp, m_out);
    if (ok) {
        const std::string info =
            buildInfo(modificationTime(sourcePath), modificationTime(buildTemp), sourcePath);
        ok = writeFile(infoTemp, info);
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
