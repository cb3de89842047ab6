// SPDX-License-Identifier: GPL-3.0-or-later
// quarnix-trace-scan: looks for a typo's trace in the right content of many
// files, at every key period from 5 to 21 (passwords of 4 to 20 characters),
// and lists each one found: each is a right decryption that the look would
// question. Reads file names, one a line, from standard input; looks at the
// first 20481 bytes of each, as a decryption's preview holds. Not part of
// the tests.
//
//   find /usr/share /usr/lib -xdev -type f -size +63c | quarnix-trace-scan

#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "content_check/key_trace.h"
#include "engine/work_hooks.h"

int main() {
    long files = 0;
    long looks = 0;
    long found = 0;
    std::string path;
    while (std::getline(std::cin, path)) {
        std::ifstream in(path, std::ios::binary);
        std::vector<std::uint8_t> bytes(quarnix::ContentPreviewLength);
        in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        bytes.resize(static_cast<std::size_t>(in.gcount()));
        if (bytes.empty()) {
            continue;
        }
        ++files;
        for (std::size_t period = 5; period <= 21; ++period) {
            ++looks;
            if (const auto trace = quarnix::ClearKeyTrace(bytes, period)) {
                ++found;
                std::cout << "trace at period " << period << " (gain " << trace->Strongest
                          << "): " << path << '\n';
            }
        }
    }
    std::cout << files << " files, " << looks << " looks, " << found << " traces\n";
    return 0;
}
