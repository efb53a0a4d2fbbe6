// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A missing or out-of-range reading: the chart's null value (such points are never drawn), "OL"
// in text, an empty field in machine CSV. Shared by the charts, the logger data and the files.

inline constexpr float NullReading = 9999.0f;
