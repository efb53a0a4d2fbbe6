// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a decoding of any bytes must hold, for the fuzz tests: the decoder reads a copy of the
// bytes in a buffer of exactly their size (so that AddressSanitizer stops at any read beyond the
// image) and its result keeps its promises. Returns an empty string, or what was broken.

#include "logger/ParseMemoryImage.h"

#include <cstdint>
#include <string>

std::string checkParse(const std::uint8_t* data, std::size_t size);
