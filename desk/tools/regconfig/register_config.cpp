#include "tools/regconfig/register_config.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "binding/device_wrappers.h"
#include "catalogue/param_catalogue.h"
#include "tools/regconfig/regconfig_messages.h"

namespace zeq::desk::regconfig {

namespace {

int addressOf(const char* name) {
    ParamRow row{};
    return paramCatalogue().findByName(name, &row) >= 0 ? row.address : -1;
}

int addressOf(RegId id) {
    static const auto table = [] {
        std::array<int, kRegCount> a{};
        for (const RegisterInfo& r : kRegisters)
            a[static_cast<std::size_t>(r.id)] = addressOf(r.name);
        return a;
    }();
    return table[static_cast<std::size_t>(id)];
}

int readRegister(ZEQ_HANDLE h, int axis, const RegisterInfo& r, std::int32_t& out) {
    const int address = addressOf(r.id);
    if (address < 0) return ZEQ_ERR_OTHER;
    int status = ZEQ_OK;
    if (r.words == 1)
        out = myReadParamWord(h, axis, address, &status);
    else
        out = myReadParam(h, axis, address, &status);
    return status;
}

int writeRegister(ZEQ_HANDLE h, int axis, const RegisterInfo& r, std::int32_t value) {
    const int address = addressOf(r.id);
    if (address < 0) return ZEQ_ERR_OTHER;
    return r.words == 1 ? myWriteParamWord(h, axis, address, value & 0xFFFF)
                        : myWriteParam(h, axis, address, value);
}

void putWord(std::vector<std::uint8_t>& out, std::uint16_t w) {
    out.push_back(static_cast<std::uint8_t>(w));
    out.push_back(static_cast<std::uint8_t>(w >> 8));
}
void putDouble(std::vector<std::uint8_t>& out, double d) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &d, sizeof bits);
    for (int i = 0; i < 4; ++i) putWord(out, static_cast<std::uint16_t>(bits >> (16 * i)));
}

class WordReader {
  public:
    explicit WordReader(const std::vector<std::uint8_t>& b) : m_b(b) {}
    std::uint16_t word() {
        const std::uint16_t w = static_cast<std::uint16_t>(m_b[m_at] | (m_b[m_at + 1] << 8));
        m_at += 2;
        return w;
    }
    double real() {
        std::uint64_t bits = 0;
        for (int i = 0; i < 4; ++i) bits |= static_cast<std::uint64_t>(word()) << (16 * i);
        double d = 0;
        std::memcpy(&d, &bits, sizeof d);
        return d;
    }

  private:
    const std::vector<std::uint8_t>& m_b;
    std::size_t m_at = 0;
};

constexpr Group kGroups[] = {Group::MainEncoder, Group::AuxEncoder,   Group::Aiod, Group::Aioctr,
                             Group::Stepmod,     Group::ErrorFilters, Group::Other};

void appendf(std::string& out, const char* format, auto... args) {
    char line[160];
    std::snprintf(line, sizeof line, format, args...);
    out += line;
}

}  // namespace

void RegisterConfig::resize(int count, int naxis) {
    m_axes.assign(static_cast<std::size_t>(std::clamp(count, 0, kMaxConfigAxes)), {});
    m_naxis = naxis;
}

int RegisterConfig::readFromCard(ZEQ_HANDLE h, int axisCount) {
    const int naxis = readAxisCount(h);
    if (naxis < 0) return ZEQ_ERR_TIMEOUT;
    std::vector<AxisRegisters> axes(
        static_cast<std::size_t>(std::clamp(axisCount, 0, kMaxConfigAxes)));
    for (std::size_t a = 0; a < axes.size(); ++a) {
        for (const RegisterInfo& r : kRegisters) {
            const int status = readRegister(h, static_cast<int>(a), r, axes[a][r.id]);
            if (status != ZEQ_OK) return status;
        }
        axes[a].distScale = MyGetDistScale(h, static_cast<int>(a));
    }
    m_timeScale = MyGetTimescale(h);
    m_axes = std::move(axes);
    m_naxis = naxis;
    m_saved = true;
    return ZEQ_OK;
}

int RegisterConfig::apply(ZEQ_HANDLE h) {
    for (int a = 0; a < axisCount(); ++a) {
        const AxisRegisters& v = axis(a);
        for (const RegisterInfo& r : kRegisters) {
            if (r.group == Group::Aiod && !hasAiod()) continue;
            if (const int status = writeRegister(h, a, r, v[r.id]); status != ZEQ_OK) return status;
        }
        if (const int status = MySetDistScale(h, v.distScale, a); status != ZEQ_OK) return status;
        if (const int status = MySetTimescale(h, m_timeScale); status != ZEQ_OK) return status;
    }
    m_saved = true;
    return ZEQ_OK;
}

std::string RegisterConfig::instructionText() const {
    std::string out = msg::kGeneratedHeader;
    auto u = [](std::int32_t v) { return static_cast<unsigned>(v); };
    for (int a = 0; a < axisCount(); ++a) {
        const AxisRegisters& v = axis(a);
        appendf(out, "wr mcsmaxvel %08Xh %d \r\n", u(v[RegId::mcsmaxvel]), a);
        appendf(out, "wr pcsmaxvel %08Xh %d \r\n", u(v[RegId::pcsmaxvel]), a);
        appendf(out, "wr mcsaccel %08Xh %d \r\n", u(v[RegId::mcsaccel]), a);
        appendf(out, "wr pcsaccel %08Xh %d \r\n", u(v[RegId::pcsaccel]), a);
        appendf(out, "wr mcsdecel %08Xh %d \r\n", u(v[RegId::mcsdecel]), a);
        appendf(out, "wr pcsdecel %08Xh %d \r\n", u(v[RegId::pcsdecel]), a);
        appendf(out, "wr mcstrack %08Xh %d \r\n", u(v[RegId::mcstrack]), a);
        appendf(out, "wr pcstrack %08Xh %d \r\n", u(v[RegId::pcstrack]), a);
        appendf(out, "wr smooth %04Xh %d \r\n", u(v[RegId::smooth]), a);
        appendf(out, "wr trackwin %04Xh %d \r\n", u(v[RegId::trackwin]), a);
        appendf(out, "wr settlewin %04Xh %d \r\n", u(v[RegId::settlewin]), a);
        appendf(out, "wr settlen %04Xh %d \r\n", u(v[RegId::settlen]), a);
        appendf(out, "wr poserrlim %04Xh %d \r\n", u(v[RegId::poserrlim]), a);
        appendf(out, "wr nsoftlim %04Xh %d \r\n", u(v[RegId::nsoftlim]), a);
        appendf(out, "wr psoftlim %04Xh %d \r\n", u(v[RegId::psoftlim]), a);
        appendf(out, "SetDistScale %.7lf %d \r\n", v.distScale, a);
        appendf(out, "SetTimeScale %.7lf \r\n", m_timeScale);
        appendf(out, "wr encpctr %04Xh %d \r\nwr encpfactor %08Xh %d\r\n", u(v[RegId::encpctr]), a,
                u(v[RegId::encpfactor]), a);
        appendf(out, "wr encsctr %04Xh %d\r\nwr encsfactor %08Xh %d\r\n", u(v[RegId::encsctr]), a,
                u(v[RegId::encsfactor]), a);
        appendf(out, "wr aiod %04Xh %d\r\n", u(v[RegId::aiod]), a);
        appendf(out, "wr aioctr %04Xh %d\r\n", u(v[RegId::aioctr]), a);
        appendf(out, "wr stepmod %04Xh %d \r\nwr steptime %04Xh %d \r\nwr dirtime %04Xh %d \r\n",
                u(v[RegId::stepmod]), a, u(v[RegId::steptime]), a, u(v[RegId::dirtime]), a);
        appendf(out, "wr stopfilt %04Xh %d \r\nwr exitfilt %04Xh %d\r\n", u(v[RegId::stopfilt]), a,
                u(v[RegId::exitfilt]), a);
        out += "\n";
    }
    return out;
}

std::vector<std::uint8_t> RegisterConfig::cfgBlock() const {
    std::vector<std::uint8_t> out;
    out.reserve(kCfgWordsPerAxis * 2 * m_axes.size());
    for (Group g : kGroups) {
        for (const AxisRegisters& v : m_axes) {
            for (const RegisterInfo& r : kRegisters) {
                if (r.group != g) continue;
                const auto value = static_cast<std::uint32_t>(v[r.id]);
                putWord(out, static_cast<std::uint16_t>(value));
                if (r.words == 2) putWord(out, static_cast<std::uint16_t>(value >> 16));
            }
            if (g == Group::Other) {
                putDouble(out, v.distScale);
                putDouble(out, m_timeScale);
            }
        }
    }
    return out;
}

CfgImport RegisterConfig::takeCfgBlock(const std::vector<std::uint8_t>& block) {
    if (block.size() != kCfgWordsPerAxis * 2 * m_axes.size()) return CfgImport::Mismatch;
    std::vector<AxisRegisters> axes = m_axes;
    double timeScale = m_timeScale;
    WordReader in(block);
    for (Group g : kGroups) {
        for (AxisRegisters& v : axes) {
            for (const RegisterInfo& r : kRegisters) {
                if (r.group != g) continue;
                std::uint32_t value = in.word();
                if (r.words == 2) value |= static_cast<std::uint32_t>(in.word()) << 16;
                v[r.id] = static_cast<std::int32_t>(value);
            }
            if (g == Group::Other) {
                v.distScale = in.real();
                timeScale = in.real();
            }
        }
    }
    m_axes = std::move(axes);
    m_timeScale = timeScale;
    m_saved = false;
    return CfgImport::Ok;
}

bool RegisterConfig::saveCfg(const std::string& path) const {
    const std::vector<std::uint8_t> block = cfgBlock();
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(reinterpret_cast<const char*>(block.data()),
              static_cast<std::streamsize>(block.size()));
    return static_cast<bool>(out.flush());
}

CfgImport RegisterConfig::importCfg(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) return CfgImport::CannotOpen;
    const std::streamoff size = in.tellg();
    if (size < 0) return CfgImport::ReadFailed;
    // The size decides before anything is read: a block for another board does not match.
    if (static_cast<std::uint64_t>(size) != kCfgWordsPerAxis * 2 * m_axes.size())
        return CfgImport::Mismatch;
    std::vector<std::uint8_t> block(static_cast<std::size_t>(size));
    in.seekg(0);
    if (size > 0 && !in.read(reinterpret_cast<char*>(block.data()), size))
        return CfgImport::ReadFailed;
    return takeCfgBlock(block);
}

bool RegisterConfig::writeInstructionFile(const std::string& path) const {
    const std::string text = instructionText();
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out << text;
    return static_cast<bool>(out.flush());
}

bool RegisterConfig::keepUnsavedCard(UserDialogs& dialogs) const {
    return !m_saved &&
           dialogs.askYesNo(msg::kNotSaved, UserDialogs::Answer::No) == UserDialogs::Answer::Yes;
}

bool RegisterConfig::applyReporting(ZEQ_HANDLE handle, UserDialogs& dialogs) {
    const bool ok = apply(handle) == 0;
    dialogs.message(ok ? msg::kApplied : msg::kApplyFailed);
    return ok;
}

bool RegisterConfig::generateReporting(const std::string& path, UserDialogs& dialogs) const {
    if (!writeInstructionFile(path)) {
        dialogs.message(msg::kCreateFailed);
        return false;
    }
    return dialogs.askYesNo(msg::kGenerated, UserDialogs::Answer::No) != UserDialogs::Answer::No;
}

bool RegisterConfig::saveReporting(const std::string& path, UserDialogs& dialogs) {
    if (!saveCfg(path)) {
        dialogs.message(msg::kCreateFailed);
        return false;
    }
    m_saved = true;
    return true;
}

bool RegisterConfig::importReporting(const std::string& path, UserDialogs& dialogs) {
    switch (importCfg(path)) {
        case CfgImport::Ok:
            return true;
        case CfgImport::CannotOpen:
            dialogs.message(msg::kCannotOpenCfg);
            break;
        case CfgImport::Mismatch:
            dialogs.message(msg::kCfgMismatch);
            break;
        case CfgImport::ReadFailed:
            dialogs.message(msg::kCfgReadFailed);
            break;
    }
    return false;
}

}  // namespace zeq::desk::regconfig
