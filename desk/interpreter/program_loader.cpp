// Loading and checking the build files. binfo.dat is read whole and every field is bounded
// before it is used: a damaged or hand-made file makes the load fail, it is never trusted.
#include <sys/stat.h>

#include <cstdio>
#include <cstring>

#include "interpreter/script_interpreter.h"

namespace zeq::desk {
namespace {

// Larger build files than this are not the compiler's (the text is at most a few MB).
constexpr long kMaxFileBytes = 64L * 1024 * 1024;

bool readWholeFile(const std::string& path, std::string& out) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    bool ok = false;
    if (std::fseek(f, 0, SEEK_END) == 0) {
        long size = std::ftell(f);
        if (size >= 0 && size <= kMaxFileBytes && std::fseek(f, 0, SEEK_SET) == 0) {
            out.resize(static_cast<std::size_t>(size));
            ok = size == 0 || std::fread(out.data(), 1, out.size(), f) == out.size();
        }
    }
    std::fclose(f);
    return ok;
}

std::uint32_t u32At(const std::string& bytes, std::size_t offset) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data() + offset);
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

}  // namespace

bool fileTime32(const std::string& path, std::uint32_t& out) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return false;
    out = static_cast<std::uint32_t>(static_cast<std::uint64_t>(st.st_mtime));
    return true;
}

bool ScriptInterpreter::load(const std::string& programDir, const std::string& documentPath) {
    m_programDir = programDir;
    const std::string dat = programDir + "/dat";
    std::string info;
    if (!readWholeFile(dat + "/binfo.dat", info) || info.size() < 24) return false;

    const std::uint32_t sourceTime = u32At(info, 0);
    const std::uint32_t buildTime = u32At(info, 4);
    std::uint32_t actualBuildTime = 0;
    if (!fileTime32(dat + "/build.dat", actualBuildTime) || actualBuildTime != buildTime)
        return false;

    const std::uint64_t pathLength = u32At(info, 8);
    const std::uint32_t globalPos = u32At(info, 12);
    const std::uint64_t labels = u32At(info, 16);
    const std::uint64_t lines = u32At(info, 20);
    if (pathLength >= sizeof sourcePath) return false;
    // The fields follow each other without gaps; anything else is not a file we wrote.
    if (24 + pathLength + 8 * labels + 4 * lines != info.size()) return false;

    std::memcpy(sourcePath, info.data() + 24, pathLength);
    sourcePath[pathLength] = '\0';
    if (std::strlen(sourcePath) != pathLength) return false;  // a NUL inside the path
    std::uint32_t actualSourceTime = 0;
    if (!fileTime32(sourcePath, actualSourceTime) || actualSourceTime != sourceTime) return false;

    std::size_t offset = 24 + pathLength;
    labelTable.resize(labels);
    for (auto& entry : labelTable) {
        entry.position = u32At(info, offset);
        entry.line = u32At(info, offset + 4);
        offset += 8;
    }
    lineMap.resize(lines);
    for (auto& entry : lineMap) {
        entry = u32At(info, offset);
        offset += 4;
    }

    if (!readWholeFile(dat + "/build.dat", m_programText)) return false;
    textLength = static_cast<std::uint32_t>(m_programText.size());
    programText = m_programText.c_str();
    if (globalPos > textLength) return false;
    globalListPos = globalPos;

    // The compiled program must be the open document's, byte for byte.
    if (documentPath != sourcePath) return false;
    // Macros of the program exist only in the catalogue of the process that compiled it.
    if (!CatalogueOwner::matches(sourcePath, sourceTime)) return false;

    m_encoding = detectScriptEncoding(m_programText);
    return true;
}

}  // namespace zeq::desk
