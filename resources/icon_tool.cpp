// Derives quorvel's icon files from its two drawings, at build time:
//
//   quorvel_icons DRAWING32 DRAWING16 OUTDIR SIZE...
//
// writes OUTDIR/quorvel-N.png for each size N, a multiple of 16, and OUTDIR/quorvel.ico with the
// 32 x 32 and the 16 x 16 image in 16 colours (4 bits a pixel, with a transparency mask).
// The larger PNGs are the drawings enlarged by a whole number, every pixel a square block: the
// 32 x 32 drawing for multiples of 32 such as 64, the 16 x 16 one for the others such as 48.
// A drawing of the wrong size, or with a colour outside the 16-colour VGA palette or a partly
// transparent pixel, is refused.

#include <QByteArray>
#include <QImage>
#include <QSaveFile>
#include <QString>

#include <array>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// The 16 colours in the order of the Windows 16-colour palette; a pixel's index in the .ico.
constexpr std::array<QRgb, 16> palette = {
    0x000000, // black
    0x800000, // maroon
    0x008000, // green
    0x808000, // olive
    0x000080, // navy
    0x800080, // purple
    0x008080, // teal
    0xC0C0C0, // silver
    0x808080, // grey
    0xFF0000, // red
    0x00FF00, // lime
    0xFFFF00, // yellow
    0x0000FF, // blue
    0xFF00FF, // fuchsia
    0x00FFFF, // aqua
    0xFFFFFF, // white
};

// The palette index of an opaque pixel; nothing for a transparent one.
std::optional<int> paletteIndex(QRgb pixel) {
    if (qAlpha(pixel) == 0)
        return std::nullopt;
    for (std::size_t i = 0; i < palette.size(); ++i) {
        if (qAlpha(pixel) == 255 && (pixel & 0xFFFFFF) == palette[i])
            return static_cast<int>(i);
    }
    throw std::runtime_error(QStringLiteral("colour #%1 is not one of the 16 colours")
                                 .arg(pixel, 8, 16, QLatin1Char('0'))
                                 .toStdString());
}

QImage loadDrawing(const QString& path, int size) {
    QImage image(path);
    if (image.isNull())
        throw std::runtime_error("cannot read " + path.toStdString());
    if (image.width() != size || image.height() != size)
        throw std::runtime_error(
            path.toStdString() + " is not " + std::to_string(size) + " x " + std::to_string(size));
    image = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            try {
                paletteIndex(image.pixel(x, y));
            } catch (const std::runtime_error& error) {
                throw std::runtime_error(path.toStdString() + ", pixel " + std::to_string(x) + ","
                    + std::to_string(y) + ": " + error.what());
            }
        }
    }
    return image;
}

// The image with each pixel repeated as a factor x factor block.
QImage enlarged(const QImage& image, int factor) {
    QImage result(image.width() * factor, image.height() * factor, QImage::Format_ARGB32);
    for (int y = 0; y < result.height(); ++y) {
        for (int x = 0; x < result.width(); ++x)
            result.setPixel(x, y, image.pixel(x / factor, y / factor));
    }
    return result;
}

void appendWord(QByteArray& bytes, std::uint16_t value) {
    bytes.append(static_cast<char>(value & 0xFF));
    bytes.append(static_cast<char>(value >> 8));
}

void appendDword(QByteArray& bytes, std::uint32_t value) {
    appendWord(bytes, static_cast<std::uint16_t>(value & 0xFFFF));
    appendWord(bytes, static_cast<std::uint16_t>(value >> 16));
}

// One image of an .ico: a bitmap header, the palette, the 4-bit colour rows and the 1-bit mask
// rows (1 = transparent), each row padded to 4 bytes, bottom row first.
QByteArray icoImage(const QImage& image) {
    const int size = image.width();
    const int colourRow = (size * 4 + 31) / 32 * 4;
    const int maskRow = (size + 31) / 32 * 4;
    QByteArray bytes;
    appendDword(bytes, 40); // size of the bitmap header
    appendDword(bytes, static_cast<std::uint32_t>(size));
    appendDword(bytes, static_cast<std::uint32_t>(size * 2)); // colour rows and mask rows
    appendWord(bytes, 1); // planes
    appendWord(bytes, 4); // bits a pixel
    appendDword(bytes, 0); // no compression
    appendDword(bytes, static_cast<std::uint32_t>((colourRow + maskRow) * size));
    appendDword(bytes, 0); // horizontal resolution
    appendDword(bytes, 0); // vertical resolution
    appendDword(bytes, static_cast<std::uint32_t>(palette.size()));
    appendDword(bytes, 0); // all colours important
    for (const QRgb colour : palette) {
        bytes.append(static_cast<char>(qBlue(colour)));
        bytes.append(static_cast<char>(qGreen(colour)));
        bytes.append(static_cast<char>(qRed(colour)));
        bytes.append('\0');
    }
    QByteArray colours, mask;
    for (int y = size - 1; y >= 0; --y) {
        QByteArray colourBytes(colourRow, '\0'), maskBytes(maskRow, '\0');
        for (int x = 0; x < size; ++x) {
            const std::optional<int> index = paletteIndex(image.pixel(x, y));
            if (index)
                colourBytes[x / 2]
                    = static_cast<char>(colourBytes[x / 2] | (*index << (x % 2 ? 0 : 4)));
            else
                maskBytes[x / 8] = static_cast<char>(maskBytes[x / 8] | (0x80 >> (x % 8)));
        }
        colours += colourBytes;
        mask += maskBytes;
    }
    return bytes + colours + mask;
}

// An .ico file holding the images in the given order.
QByteArray icoFile(const std::vector<QImage>& images) {
    constexpr int directorySize = 6, entrySize = 16;
    QByteArray file;
    appendWord(file, 0); // reserved
    appendWord(file, 1); // an icon, not a cursor
    appendWord(file, static_cast<std::uint16_t>(images.size()));
    std::vector<QByteArray> data;
    auto offset = static_cast<std::uint32_t>(directorySize + entrySize * images.size());
    for (const QImage& image : images) {
        data.push_back(icoImage(image));
        file.append(static_cast<char>(image.width()));
        file.append(static_cast<char>(image.height()));
        file.append(static_cast<char>(palette.size()));
        file.append('\0'); // reserved
        appendWord(file, 1); // planes
        appendWord(file, 4); // bits a pixel
        appendDword(file, static_cast<std::uint32_t>(data.back().size()));
        appendDword(file, offset);
        offset += static_cast<std::uint32_t>(data.back().size());
    }
    for (const QByteArray& image : data)
        file += image;
    return file;
}

void save(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw std::runtime_error("cannot write " + path.toStdString());
}

void save(const QString& path, const QImage& image) {
    if (!image.save(path, "PNG"))
        throw std::runtime_error("cannot write " + path.toStdString());
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc < 4) {
        std::fputs("usage: quorvel_icons DRAWING32 DRAWING16 OUTDIR SIZE...\n", stderr);
        return 2;
    }
    try {
        const QImage large = loadDrawing(QString::fromLocal8Bit(argv[1]), 32);
        const QImage small = loadDrawing(QString::fromLocal8Bit(argv[2]), 16);
        const QString out = QString::fromLocal8Bit(argv[3]) + u'/';
        for (int i = 4; i < argc; ++i) {
            const int size = QByteArray(argv[i]).toInt();
            if (size <= 0 || size % 16 != 0)
                throw std::runtime_error(std::string("size ") + argv[i] + " is no multiple of 16");
            const QImage& drawing = size % 32 == 0 ? large : small;
            save(out + QStringLiteral("quorvel-%1.png").arg(size),
                enlarged(drawing, size / drawing.width()));
        }
        save(out + QStringLiteral("quorvel.ico"), icoFile({ large, small }));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "quorvel_icons: %s\n", error.what());
        return 1;
    }
    return 0;
}
