// The card's wire protocol as the host and the card see it on the bridge's byte stream.
//
// Frames: write transfer (kFrameWrite | port, n - 1, n bytes); read transfer
// (kFrameRead | port, n - 1), answered with n bytes; status query (kFrameStatus | port), answered
// with one byte; card reset kResetFrame0 kResetFrame1. Ports take 6 bits. Words travel low byte
// first.
#pragma once

namespace zeq::card::wire {

// Frame headers.
inline constexpr unsigned char kFrameWrite = 0x80;
inline constexpr unsigned char kFrameRead = 0xC0;
inline constexpr unsigned char kFrameStatus = 0x40;
inline constexpr unsigned char kFrameKindMask = 0xC0;
inline constexpr unsigned char kPortMask = 0x3F;
inline constexpr unsigned char kResetFrame0 = 0x7F;
inline constexpr unsigned char kResetFrame1 = 0x5A;
// A transfer carries 1 .. 256 bytes (the length byte holds n - 1).
inline constexpr int kMaxTransferBytes = 256;

// Port registers.
inline constexpr int kPortImmediate = 0;   // command blocks / read-back data of the immediate FIFO
inline constexpr int kPortQueue = 4;       // command blocks / read-back data of the queue FIFO
inline constexpr int kPortControl = 8;     // start of the immediate FIFO; internal register address
inline constexpr int kPortInternal = 12;   // internal register data
inline constexpr int kPortContour = 16;    // contour data blocks / graph capture data
inline constexpr int kPortFlashCs = 56;    // serial-flash chip select (0 selects, 1 releases)
inline constexpr int kPortFlashData = 60;  // serial-flash data byte

// Control port words: 0 starts the immediate FIFO; bit 15 marks an internal register address
// (bits 0..14).
inline constexpr int kControlStartImmediate = 0;
inline constexpr int kInternalAddressFlag = 0x8000;
inline constexpr int kMaxInternalRegister = 0x7FFF;

// Status queries (one-byte answers): kFrameStatus | the port of the status register.
inline constexpr unsigned char kQueryDataStatus = kFrameStatus | kPortControl;        // 0x48
inline constexpr unsigned char kQueryFifoStatus = kFrameStatus | (kPortControl + 1);  // 0x49
inline constexpr unsigned char kQueryAckStatus = kFrameStatus | kPortInternal;        // 0x4C

// FIFO status bits (kQueryFifoStatus). 0x00 and 0xFF are not valid readings.
inline constexpr unsigned char kFifoImmediateHalfFull = 0x40;
inline constexpr unsigned char kFifoQueueHalfFull = 0x10;
inline constexpr unsigned char kFifoImmediateReadbackEmpty = 0x08;
inline constexpr unsigned char kFifoQueueReadbackEmpty = 0x02;

// Data status bits (kQueryDataStatus).
inline constexpr unsigned char kDataImmediateReadbackHalfFull = 0x04;  // also: contour port busy
inline constexpr unsigned char kDataContourBusy = 0x04;  // the contour port is still taking a block
inline constexpr unsigned char kDataQueueReadbackHalfFull = 0x01;  // also: contour FIFO full
inline constexpr unsigned char kDataContourFull = 0x01;  // a block of kMaxContourWords won't fit
inline constexpr unsigned char kDataGraphReady = 0x10;   // graph capture data ready

// Acknowledge status bits (kQueryAckStatus): the last block of the FIFO was not taken.
inline constexpr unsigned char kAckImmediatePending = 0x02;
inline constexpr unsigned char kAckQueuePending = 0x01;

// Command word: operation (bits 13..15), axis (bits 10..12), address (bits 0..9).
inline constexpr int kCommandOpShift = 13;
inline constexpr int kCommandAxisShift = 10;
inline constexpr int kCommandAxisMask = 7;
inline constexpr int kCommandAddressMask = 0x3FF;
inline constexpr int kOpRead16 = 0x0000;
inline constexpr int kOpRead32 = 0x2000;
inline constexpr int kOpRead48 = 0x4000;
inline constexpr int kOpWaitToken = 0x6000;
inline constexpr int kOpWrite16 = 0x8000;
inline constexpr int kOpWrite32 = 0xA000;
inline constexpr int kOpWrite48 = 0xC000;
inline constexpr int kOpWaitToZero = 0xE000;

// Contour port: a block is (n, n data words, their 16-bit sum); at most this many data words.
inline constexpr int kMaxContourWords = 126;
// A read of exactly this many bytes from the contour port returns the machine data (10 bytes
// per axis 0..3: 32-bit `encp`, `moving`, `error`, `aio`).
inline constexpr int kMachineDataBytes = 40;

}  // namespace zeq::card::wire
