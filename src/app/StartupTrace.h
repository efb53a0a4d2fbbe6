// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Start-up timing for the start-up measurement (bench/startup.sh): with KOLVA_TRACE_STARTUP set,
// prints "kolva-trace EVENT MS" to stderr, MS being milliseconds since the epoch.

void traceStartup(const char* event);
