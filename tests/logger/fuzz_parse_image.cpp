// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer entry for the memory image decoder (a clang build with -fsanitize=fuzzer,address):
//     kolva-fuzz-parse-image -max_total_time=60
#include "ParseCheck.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string broken = checkParse(data, size);
    if (!broken.empty()) {
        std::fprintf(stderr, "%s\n", broken.c_str());
        std::abort();
    }
    return 0;
}
