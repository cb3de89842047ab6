// SPDX-License-Identifier: GPL-3.0-or-later
// Real files of every format whose own integrity data the look checks, as
// Debian and npm packages ship them (samples/README.md), through the real
// commands at every level: a right decryption is never questioned, a
// mistyped character of either password always is, and so is the decryption
// of a file that was never encrypted. Tables of fixed-length
// records (dBase, SQLite pages) are decrypted with passwords whose key period
// divides the record length.

#include <gtest/gtest.h>
#include <lzma.h>

#include <QLocale>
#include <fstream>
#include <iterator>
#include <string>

#include "../commands/file_fixture.h"
#include "content_check/content_verdict.h"
#include "look_on_commands.h"

namespace quarnix::test {
namespace {

Bytes Sample(const std::string& name) {
    std::ifstream in(std::string(QUARNIX_SAMPLES_DIR) + "/" + name, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The tar archive inside the xz sample, which keeps the repository small.
Bytes Unxz(const Bytes& packed) {
    Bytes out(1 << 20);
    std::uint64_t limit = UINT64_MAX;
    std::size_t in = 0, made = 0;
    const lzma_ret answer = lzma_stream_buffer_decode(&limit, 0, nullptr, packed.data(), &in,
                                                      packed.size(), out.data(), &made, out.size());
    EXPECT_EQ(answer, LZMA_OK);
    out.resize(made);
    return out;
}

class StructureSamples : public FileFixture {
  protected:
    void SetUp() override {
        FileFixture::SetUp();
        QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    }
};

// The same password with its last character changed.
std::u16string Mistyped(std::u16string password) {
    password.back() = password.back() == u'x' ? u'y' : u'x';
    return password;
}

TEST_F(StructureSamples, RightPasswordsFitAndTyposAreCaught) {
    const struct {
        const char* sample;
        const char* name;  // as the user's file is called; some without an extension
        std::u16string password;
        // Whether a typo that changes a rotation is caught: a dBase table
        // begins with no signature by which it shows under another rotation.
        bool rotation = true;
    } rows[] = {
        {"accessories-calculator.png", "calculator.png", u"Secret1"},
        {"python.gif", "logo.gif", u"Secret1"},
        {"mimetype.jpg", "photo.jpg", u"Secret1"},
        {"mimetype.docx", "合同.docx", u"Secret1"},
        {"mimetype.docx", "合同", u"Secret1"},
        {"mimetype.xlsx", "budget.xlsx", u"Secret1"},
        {"mimetype.pptx", "slides.pptx", u"Secret1"},
        {"table-complex.pptx.gz", "table.pptx.gz", u"Secret1"},
        // Its typo at Secret puts gzip's method byte wrong, and no more at the start.
        {"table-complex.pptx.gz", "table.pptx.gz", u"Grey"},
        {"lego.html.bz2", "lego.html.bz2", u"Secret1"},
        {"testtar.tar.xz", "testtar.tar.xz", u"Secret1"},
        {"testtar.tar", "testtar.tar", u"Secret1"},
        {"recursion.tar", "old.tar", u"Secret1"},
        {"mimetype.7z", "archive.7z", u"Secret1"},
        {"mimetype.doc", "报告.doc", u"Secret1"},
        {"mimetype.xls", "账目.xls", u"Secret1"},
        {"mimetype.ppt", "slides.ppt", u"Secret1"},
        {"Fpdf_SVGBasicWrite.pdf", "drawing.pdf", u"Secret1"},
        {"Fpdf_SVGBasicWrite.pdf", "drawing", u"Secret1"},
        {"Cantarell-Thin.otf", "Cantarell-Thin.otf", u"Secret1"},
        {"glyphicons-halflings-regular.woff2", "icons.woff2", u"Secret1"},
        {"png.so", "png.so", u"Secret1"},
        {"pluck-pcm16.wav", "pluck.wav", u"Secret1"},
        // Records of 192 bytes: key periods 12 and 16.
        {"columbus.dbf", "columbus.dbf", u"Columbus-OH", false},
        {"columbus.dbf", "columbus.dbf", u"Columbus-Ohio-1", false},
        // Records of 10 bytes: key period 10.
        {"storms_xyz_feature.dbf", "storms.dbf", u"Storms-xyz", false},
        // Pages of 4096 bytes: key periods 8 and 16.
        {"nospatial.gpkg", "points.gpkg", u"Secret1"},
        {"nospatial.gpkg", "points.gpkg", u"GeoPackage-4096"},
        // R's lazy-load database: zlib values one after the other.
        {"png.rdb", "png.rdb", u"Geography", false},
        // A shapefile index, records of 8 bytes: key periods 8 and 16.
        {"olinda1.shx", "olinda1.shx", u"Olinda1", false},
        {"olinda1.shx", "olinda1.shx", u"Olinda-Shapes-1", false},
    };
    const std::u16string two = u"Zhang-2026";
    for (const auto& row : rows) {
        const std::string sample = row.sample;
        const Bytes content =
            sample == "testtar.tar" ? Unxz(Sample("testtar.tar.xz")) : Sample(sample);
        ASSERT_FALSE(content.empty()) << sample;
        for (const Level level : {Level::Secret, Level::Secretter, Level::TopSecret}) {
            SCOPED_TRACE(std::string(row.sample) + " as " + row.name + ", level " +
                         std::to_string(static_cast<int>(level)));
            ClearFolder();
            WriteBytes(row.name, content);
            CryptRequest first = Request(row.name, level, row.password, two);
            first.MarkFile = false;
            first.MakeBackup = false;
            ASSERT_TRUE(EncryptCommand(first).Succeeded());
            EXPECT_EQ(LookOnCommands(false, row.name, level, row.password, two),
                      ContentConcern::None);
            // A second click on 加密.
            EXPECT_NE(LookOnCommands(true, row.name, level, row.password, two),
                      ContentConcern::None);
            // A typo that changes a rotation (Secretter's always, TopSecret's
            // in password 2) moves the whole file: the look finds its format
            // under the rotations that one typo would give, whatever the name.
            const bool rotationSeen = row.rotation;
            if (rotationSeen || level == Level::Secret || level == Level::TopSecret) {
                EXPECT_NE(LookOnCommands(false, row.name, level, Mistyped(row.password), two),
                          ContentConcern::None);
            }
            if (level == Level::TopSecret && rotationSeen) {
                EXPECT_NE(LookOnCommands(false, row.name, level, row.password, Mistyped(two)),
                          ContentConcern::None);
            }
            // The file as it is, plain: a decryption would spoil it.
            WriteBytes(row.name, content);
            EXPECT_EQ(LookOnCommands(true, row.name, level, row.password, two),
                      ContentConcern::None);
            EXPECT_NE(LookOnCommands(false, row.name, level, row.password, two),
                      ContentConcern::None);
        }
    }
}

}  // namespace
}  // namespace quarnix::test
