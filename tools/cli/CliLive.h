// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// `live`: the program's live link (frame reader, watchdog with keep-alive and restart, decoder)
// on the event loop, with a timer as MainTimer and its interval correction. Every sampling
// period on which frames came, one machine CSV line is written and flushed (with the unit the
// meter shows at that moment; its key may change it during the run); a lost meter gives
// no lines until it is back, and a note on standard error. It ends after --count lines or at
// Ctrl+C / SIGTERM, with every line written.
//
// With --alarm rules the alarm engine (alarms/AlarmEngine.h) watches every decoded frame, the
// lost meter and the ticks: each event goes to standard error and, with --on-alarm, to a shell
// command that finds the event in its environment; --exit-on-alarm ends the run with status 3 at
// the first start.

#include "CliArgs.h"

#include "app/MeterSearch.h"
#include "files/MachineCsv.h"
#include "link/LiveDecoder.h"

#include <array>

namespace cli {

// What describes a live run: the device, the sampling period in seconds, the meter's reply to
// its identification where the search found it.
MachineCsv::Metadata liveMetadata(const QString& device, int period,
                                  const MeterSearchResult& search);

int runLive(const Arguments& a);

} // namespace cli
