// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// `download`: the program's "Data Logger" command without its windows. The meter is found and
// its live stream started as at the program's start-up; the first frame tells whether the meter
// records (a download is then refused, as in the program). The download itself is the program's
// (LoggerDownload: the same exchange, retries, faults and checks). Its error dialog becomes:
//   - a failed transfer or a meter that does not answer: tried again --retries times (default 1),
//     then the failure with its text;
//   - a damaged data set: the failure with its text, or with --fix the damaged set deleted and the
//     sets before it kept, as "Fixed the error " does.
// The collection file gets exactly the bytes the program keeps as its collection copy, written
// whole or not at all. While it runs, a progress line is shown on standard error when that is a
// terminal.

#include "CliArgs.h"

namespace cli {

int runDownload(const Arguments& a);

} // namespace cli
