// SPDX-License-Identifier: GPL-3.0-or-later
#include "sample_files.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QStringEncoder>

namespace quarnix::test {
namespace {

Bytes ToBytes(const QByteArray& bytes) {
    return Bytes(bytes.begin(), bytes.end());
}

QByteArray Picture(const char* format) {
    QImage image(160, 120, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            image.setPixel(x, y, qRgb(x * 3 % 256, y * 5 % 256, (x * y) % 256));
        }
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

// Objects, one stream of binary (as compressed page content is) and a trailer.
QByteArray Pdf() {
    QByteArray pdf = "%PDF-1.7\n%\xe2\xe3\xcf\xd3\n";
    pdf += "1 0 obj\n<< /Type /Catalog /Pages 2 0 R >>\nendobj\n";
    pdf += "2 0 obj\n<< /Type /Pages /Kids [3 0 R] /Count 1 >>\nendobj\n";
    pdf += "3 0 obj\n<< /Type /Page /Parent 2 0 R /Contents 4 0 R >>\nendobj\n";
    const Bytes stream = Pattern(30000, 7);
    pdf += "4 0 obj\n<< /Length 30000 /Filter /FlateDecode >>\nstream\n";
    pdf.append(reinterpret_cast<const char*>(stream.data()), static_cast<qsizetype>(stream.size()));
    pdf += "\nendstream\nendobj\ntrailer\n<< /Root 1 0 R >>\n%%EOF\n";
    return pdf;
}

std::uint32_t Crc32(const QByteArray& bytes) {
    std::uint32_t crc = 0xffffffffu;
    for (const char byte : bytes) {
        crc ^= static_cast<std::uint8_t>(byte);
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
        }
    }
    return ~crc;
}

void Put16(QByteArray& out, std::uint32_t value) {
    out += static_cast<char>(value & 0xff);
    out += static_cast<char>(value >> 8 & 0xff);
}

void Put32(QByteArray& out, std::uint32_t value) {
    Put16(out, value & 0xffff);
    Put16(out, value >> 16);
}

// A ZIP archive of stored (uncompressed) entries.
QByteArray Zip(const QList<std::pair<QByteArray, QByteArray>>& entries) {
    QByteArray zip;
    QByteArray directory;
    for (const auto& [name, data] : entries) {
        const auto offset = static_cast<std::uint32_t>(zip.size());
        const std::uint32_t crc = Crc32(data);
        const auto size = static_cast<std::uint32_t>(data.size());
        const auto nameLength = static_cast<std::uint32_t>(name.size());
        zip += "PK\x03\x04";
        Put16(zip, 20), Put16(zip, 0), Put16(zip, 0), Put16(zip, 0), Put16(zip, 0x21);
        Put32(zip, crc), Put32(zip, size), Put32(zip, size);
        Put16(zip, nameLength), Put16(zip, 0);
        zip += name + data;
        directory += "PK\x01\x02";
        Put16(directory, 20), Put16(directory, 20), Put16(directory, 0), Put16(directory, 0);
        Put16(directory, 0), Put16(directory, 0x21);
        Put32(directory, crc), Put32(directory, size), Put32(directory, size);
        Put16(directory, nameLength), Put16(directory, 0), Put16(directory, 0);
        Put16(directory, 0), Put16(directory, 0), Put32(directory, 0), Put32(directory, offset);
        directory += name;
    }
    const auto directoryOffset = static_cast<std::uint32_t>(zip.size());
    zip += directory;
    zip += "PK\x05\x06";
    Put16(zip, 0), Put16(zip, 0);
    Put16(zip, static_cast<std::uint32_t>(entries.size()));
    Put16(zip, static_cast<std::uint32_t>(entries.size()));
    Put32(zip, static_cast<std::uint32_t>(directory.size())), Put32(zip, directoryOffset);
    Put16(zip, 0);
    return zip;
}

QByteArray Docx() {
    QByteArray document = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<w:document><w:body>";
    for (int i = 0; i < 100; ++i) {
        document +=
            "<w:p><w:r><w:t>第" + QByteArray::number(i) + "段：合同条款。</w:t></w:r></w:p>";
    }
    document += "</w:body></w:document>";
    return Zip({{"[Content_Types].xml",
                 "<?xml version=\"1.0\"?><Types xmlns=\"http://schemas.openxmlformats.org/"
                 "package/2006/content-types\"/>"},
                {"word/document.xml", document}});
}

QString ChineseText() {
    QString text;
    for (int i = 1; i <= 150; ++i) {
        text +=
            QStringLiteral("第%1行：会议纪要，请于周五前回复。Reply by Friday, please.\r\n").arg(i);
    }
    return text;
}

}  // namespace

std::vector<SampleFile> SampleFiles() {
    QStringEncoder gbk("GBK");
    const QByteArray gbkText = gbk.encode(ChineseText());
    return {
        {"report.pdf", ToBytes(Pdf())},
        {"photo.png", ToBytes(Picture("PNG"))},
        {"photo.jpg", ToBytes(Picture("JPEG"))},
        {"合同.docx", ToBytes(Docx())},
        {"notes.txt", ToBytes(ChineseText().toUtf8())},
        {"旧笔记.txt", ToBytes(gbkText)},
    };
}

}  // namespace quarnix::test
