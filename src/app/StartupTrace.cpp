// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/StartupTrace.h"

#include <QDateTime>
#include <QtGlobal>

#include <cstdio>

void traceStartup(const char* event)
{
    if (!qEnvironmentVariableIsSet("KOLVA_TRACE_STARTUP"))
        return;
    std::fprintf(stderr, "kolva-trace %s %lld\n", event,
                 static_cast<long long>(QDateTime::currentMSecsSinceEpoch()));
    std::fflush(stderr);
}
