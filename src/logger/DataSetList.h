// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The texts of the data sets list: one row per set with its number, start date and time, rate,
// sample count, unit, thermocouple letter and the four offsets in degrees. The data-logger
// window and the command-line tools show the same texts.

#include "logger/DataSet.h"

#include <QLocale>
#include <QStringList>

// "Set", "DATE", "TIME", "Rate", "Nums", "Unit", "Couple", "T1 Offset" .. "T4 Offset".
QStringList DataSetListTitles();

// The row of set k (counting from 0): k + 1, the date in the short date format, the time as
// hh:mm:ss, the rate as mm:ss ("01:05"), Nums, "C" or "F", the letter, and the offsets with one
// decimal, numbers and date in the locale's formats.
QStringList DataSetRowTexts(const DataSet& set, int k, const QLocale& locale = QLocale());

// "01:05" for 65 seconds, "10:00" for 600.
QString RateText(int seconds);
