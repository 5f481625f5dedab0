// The "使用配置文件" command: an instruction file sent to a card through the immediate FIFO.
//
// Threads: talks to the card, so a worker's business in the window; `output` is thread-safe.
#pragma once

#include <chrono>
#include <functional>
#include <string>

#include "binding/device_types.h"
#include "core/interfaces.h"
#include "tools/regconfig/instruction_file.h"

namespace zeq::desk::regconfig {

// How long one statement waits for the immediate FIFO to drop below half full.
constexpr std::chrono::milliseconds kFifoWaitLimit{2000};
// Files larger than this are refused unread: no instruction file comes near it.
constexpr std::size_t kMaxInstructionFileSize = 16u << 20;

// The immediate FIFO's state before a write: 8 while it is half full (the default asks the
// card through WaitForICDFIFONotHalfFull).
using FifoProbe = std::function<int(ZEQ_HANDLE)>;

// Executes the instructions in order; the first non-zero status ends the run. A statement
// whose FIFO stays half full for kFifoWaitLimit ends it too. 0 or the status.
int executeInstructions(ZEQ_HANDLE handle, const std::vector<Instruction>& instructions,
                        Clock& clock, const FifoProbe& probe = {});

// The whole command after the file was chosen: device check, reading, the grammar check of
// the whole file (nothing is sent after an error), execution, and the result line, all
// reported to `output`. True on "配置成功!".
bool downloadInstructionFile(ZEQ_HANDLE handle, const std::string& path, OutputSink& output,
                             Clock& clock, const FifoProbe& probe = {});

}  // namespace zeq::desk::regconfig
