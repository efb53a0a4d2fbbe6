// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The lines of "what was measured" for the three origins of a graph's data: a real-time
// recording, a data set of the meter's logger, and a file. Dates and times in the user's formats.

#include "files/MachineCsv.h"
#include "report/ReportSource.h"

#include <optional>
#include <span>
#include <vector>

struct DataSet;

// "30 s", "2 min", "1 min 30 s", "1 h 5 min".
QString periodText(int seconds);

// A real-time recording: its start, end, sampling period and number of samples.
std::vector<ReportFact> recordingFacts(double start, double end, int periodSeconds, int samples);

// Data set `number` (from 1) of the meter's logger; fileName names the collection file it was read
// from (empty: downloaded in this session).
std::vector<ReportFact> loggerSetFacts(const DataSet& set, int number, const QString& fileName);

// A file: its name, and the first and last time and the number of its samples.
std::vector<ReportFact> fileFacts(const QString& fileName, std::span<const MachineSample> samples);

// The meter: the model, and where the program has read them, its firmware version and how far
// its clock was from the computer's (meter minus computer, seconds).
std::vector<ReportFact> meterFacts(const QString& model, const std::optional<int>& firmware,
                                   const std::optional<double>& clockDifferenceSeconds);
