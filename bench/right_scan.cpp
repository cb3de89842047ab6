// SPDX-License-Identifier: GPL-3.0-or-later
// quarnix-right-scan: the look at a right decryption of many files, at
// Secret with a password of every length from 4 to 20 (key periods 5 to 21),
// and a list of every one it questions. Reads file names, one a line, from
// standard input; each file is judged under its own name from its first
// 20481 bytes, encrypted and decrypted in memory. Not part of the tests.
//
//   find /usr/share /usr/lib -xdev -type f -size +63c | quarnix-right-scan

#include <QCoreApplication>
#include <QLocale>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "content_check/content_verdict.h"
#include "engine/format/cipher.h"
#include "engine/text_codec.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    const std::u16string letters = u"Kx7#mWq2zR9!pT4vLb8$";
    long files = 0;
    long looks = 0;
    long questioned = 0;
    std::string path;
    while (std::getline(std::cin, path)) {
        std::ifstream in(path, std::ios::binary | std::ios::ate);
        const auto length = static_cast<std::uint64_t>(in.tellg());
        in.seekg(0);
        std::vector<std::uint8_t> head(quarnix::ContentPreviewLength);
        in.read(reinterpret_cast<char*>(head.data()), static_cast<std::streamsize>(head.size()));
        head.resize(static_cast<std::size_t>(in.gcount()));
        if (head.empty()) {
            continue;
        }
        ++files;
        quarnix::ContentPreview preview;
        preview.Way = quarnix::Direction::Decrypt;
        preview.Level = quarnix::Level::Secret;
        preview.FilePath = preview.PromisedPath = quarnix::Utf8ToUtf16(path);
        preview.FileLength = length;
        preview.Result = head;
        for (std::size_t size = 4; size <= 20; ++size) {
            const auto keys =
                quarnix::MakeCipherKeys(quarnix::Level::Secret, letters.substr(0, size), u"");
            preview.Current = quarnix::EncryptImage(head, *keys);
            preview.Password1Period = size + 1;
            ++looks;
            const quarnix::ContentVerdict verdict = quarnix::JudgeContent(preview);
            if (verdict.Concern != quarnix::ContentConcern::None) {
                ++questioned;
                std::cout << "password length " << size << ": " << path << ": "
                          << quarnix::ConcernText(verdict).toStdString() << '\n';
            }
        }
    }
    std::cout << files << " files, " << looks << " right decryptions, " << questioned
              << " questioned\n";
    return 0;
}
