#include "tools/regconfig/instruction_download.h"

#include <cstdio>
#include <fstream>

#include "binding/device_wrappers.h"
#include "catalogue/param_catalogue.h"
#include "tools/regconfig/regconfig_messages.h"

namespace zeq::desk::regconfig {

namespace {

// Polls the immediate FIFO until it is below half full, at most kFifoWaitLimit. A card that
// stays half full would otherwise hold the command for ever.
int waitForFifo(ZEQ_HANDLE handle, Clock& clock, const FifoProbe& probe) {
    const auto deadline = clock.now() + kFifoWaitLimit;
    for (;;) {
        const int status = probe ? probe(handle) : WaitForICDFIFONotHalfFull(handle);
        if (status != ZEQ_ERR_FIFO_FULL) return ZEQ_OK;
        if (clock.now() >= deadline) return ZEQ_ERR_FIFO_FULL;
        clock.sleepFor(std::chrono::milliseconds(1));
    }
}

int writeParameter(ZEQ_HANDLE handle, const Instruction& ins) {
    switch (ins.kind) {
        case kKindGearSrc:
        case kKindFlag16:
        case kKindUInt16:
        case kKindInt16:
            return myWriteParamWord(handle, ins.axis, ins.address, static_cast<int>(ins.value));
        case kKindUInt32:
        case kKindInt32:
            return myWriteParam(handle, ins.axis, ins.address, static_cast<int>(ins.value));
        case kKindInt48:
            return myWriteParamDouble(handle, ins.axis, ins.address, ins.value);
        default:
            return ZEQ_ERR_OTHER;
    }
}

}  // namespace

int executeInstructions(ZEQ_HANDLE handle, const std::vector<Instruction>& instructions,
                        Clock& clock, const FifoProbe& probe) {
    for (const Instruction& ins : instructions) {
        int status = ZEQ_OK;
        switch (ins.op) {
            case Instruction::Op::Write:
                status = waitForFifo(handle, clock, probe);
                if (status == ZEQ_OK) status = writeParameter(handle, ins);
                break;
            case Instruction::Op::TimeScale:
                status = MySetTimescale(handle, ins.scale);
                break;
            case Instruction::Op::DistScale:
                status = MySetDistScale(handle, ins.scale, ins.axis);
                break;
        }
        if (status != ZEQ_OK) return status;
    }
    return ZEQ_OK;
}

bool downloadInstructionFile(ZEQ_HANDLE handle, const std::string& path, OutputSink& output,
                             Clock& clock, const FifoProbe& probe) {
    if (handle == 0) {
        output.append(msg::kDeviceNotOpen);
        return false;
    }
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    const std::streamoff size = in ? static_cast<std::streamoff>(in.tellg()) : -1;
    if (size < 0) {
        output.append(std::string(msg::kCannotOpenFilePrefix) + path + "\r\n");
        return false;
    }
    if (static_cast<std::uint64_t>(size) > kMaxInstructionFileSize) {
        output.append(std::string(msg::kFileTooLargePrefix) + path + "\r\n");
        return false;
    }
    std::string text(static_cast<std::size_t>(size), '\0');
    in.seekg(0);
    if (size > 0 && !in.read(text.data(), size)) {
        output.append(std::string(msg::kCannotOpenFilePrefix) + path + "\r\n");
        return false;
    }
    const ParseResult parsed = parseInstructions(text);
    if (parsed.errorLine != 0) {
        char line[64];
        std::snprintf(line, sizeof line, msg::kFileErrorFormat, parsed.errorLine);
        output.append(line);
        return false;
    }
    const bool ok = executeInstructions(handle, parsed.instructions, clock, probe) == 0;
    output.append(ok ? msg::kConfigured : msg::kConfigFailed);
    return ok;
}

}  // namespace zeq::desk::regconfig
