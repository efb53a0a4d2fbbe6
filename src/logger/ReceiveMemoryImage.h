// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The exchange that reads the meter's whole logger memory, on the download port.
//
// The device is taken over from the live port: the watchdog timer is stopped (a download never
// starts while a watchdog tick is suspended below it: that tick could not end before the download
// does), the frame reader is given up to 2 s to finish, Comm1 is closed and Comm2 opened on the
// same device. Then, with ten-byte command frames: "c" (connect, ten bytes back, 3 tries of 1 s),
// "P" (ten bytes back with byte 1 0x50 and then the memory, 3 tries of 3 s), and 65-byte blocks
// (64 bytes of memory and their 8-bit sum) each answered with "y" (next) or "n" (again), until
// the used length from the first block has come; "Q" ends it. A partial block that stays for more
// than 1.5 s is dropped and asked again; more than 20 failures in a row, or 5 s without a block,
// end the transfer.
//
// The fixed pauses run the message loop (DownloadServices::waitWithMessages); the polls of the
// input queue do not (DownloadServices::pause). The busy cursor is set once the meter has
// answered. Neither the device nor the cursor is given back here: the caller does that on its
// every way out (LiveLinkGiveBack). A port that fails ends it as a meter that does not answer
// (before the transfer) or as a transfer that ended early (during it), so the user may try again.
//
// The progress window is told of the attempt from its start, so that the user can cancel at any
// stage: every pause and every look at the input queue asks it, and a Cancel ends the exchange
// at once with "Q" to the meter (once the download port is open) and Cancelled.

#include "logger/DownloadHost.h"
#include "logger/DownloadStatus.h"
#include "logger/MemoryImage.h"

namespace Download {

constexpr int kInReceiveWaitMs = 2000;
constexpr int kAfterCloseMs = 500;
constexpr int kAfterOpenMs = 1000;
constexpr int kConnectTries = 3;
constexpr int kConnectTimeoutMs = 1000;
constexpr int kStartTries = 3;
constexpr int kStartTimeoutMs = 3000;
constexpr int kReplyLength = 10;
constexpr int kBlockLength = 65;
constexpr int kBlockPayload = 64;
constexpr int kSilenceMs = 5000;
constexpr int kPartialBlockMs = 1500;
constexpr int kMaxFailures = 20;
constexpr int kAckDelayMs = 10;
constexpr int kAckWaitMs = 100;
constexpr int kMaxAcks = 10;
// Long pauses are cut into slices of this length, so that Cancel ends them soon.
constexpr int kWaitSliceMs = 100;
// While no block comes, the progress window is told so this often.
constexpr int kIdleShowMs = 250;

namespace Letter {
constexpr char Connect = 'c';
constexpr char Start = 'P';
constexpr char Next = 'y';
constexpr char Again = 'n';
constexpr char Quit = 'Q';
} // namespace Letter

} // namespace Download

// Appends the memory to image. Ok, Incomplete, BadUsedLength, NoAnswer or Cancelled.
DownloadStatus ReceiveMemoryImage(ILoggerPortHost& host, IDownloadProgress& progress,
                                  const DownloadServices& services, MemoryImage& image);
