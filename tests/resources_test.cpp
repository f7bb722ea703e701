// The application icon as the windows, the desktop and a Windows build get it: the images linked
// into the program, the PNGs at the desktop's sizes and the .ico, all made from the two drawings.

#include "resources/icon.h"

#include <QByteArray>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>

#include <gtest/gtest.h>

#include <memory>

namespace {

const QString drawingsDir = QStringLiteral(QUORVEL_DRAWINGS_DIR);
const QString derivedDir = QStringLiteral(QUORVEL_DERIVED_DIR);

QImage argb(const QImage& image) {
    return image.convertToFormat(QImage::Format_ARGB32);
}

QImage drawing(int size) {
    return argb(QImage(drawingsDir + QStringLiteral("/quorvel-%1.xpm").arg(size)));
}

// Equal pixel for pixel, where all fully transparent pixels are the same whatever their colour.
testing::AssertionResult samePixels(const QImage& actual, const QImage& expected) {
    if (actual.size() != expected.size())
        return testing::AssertionFailure()
            << "size " << actual.width() << "x" << actual.height() << ", expected "
            << expected.width() << "x" << expected.height();
    for (int y = 0; y < actual.height(); ++y) {
        for (int x = 0; x < actual.width(); ++x) {
            const QRgb a = actual.pixel(x, y), e = expected.pixel(x, y);
            if (a != e && (qAlpha(a) != 0 || qAlpha(e) != 0))
                return testing::AssertionFailure()
                    << "pixel " << x << "," << y << " is " << std::hex << a << ", expected " << e;
        }
    }
    return testing::AssertionSuccess();
}

unsigned littleEndian(const QByteArray& bytes, int at, int length) {
    unsigned value = 0;
    for (int i = length - 1; i >= 0; --i)
        value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

TEST(IconDrawings, AreDrawnOnATransparentGroundInBlackAndWhite) {
    for (const int size : { 32, 16 }) {
        SCOPED_TRACE(size);
        const QImage image = drawing(size);
        ASSERT_EQ(image.size(), QSize(size, size));
        // The pointer covers the top-left corner; the other three lie outside the page.
        EXPECT_EQ(qAlpha(image.pixel(size - 1, 0)), 0);
        EXPECT_EQ(qAlpha(image.pixel(0, size - 1)), 0);
        bool black = false, white = false;
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                const QRgb pixel = image.pixel(x, y);
                black |= pixel == qRgb(0, 0, 0);
                white |= pixel == qRgb(255, 255, 255);
            }
        }
        EXPECT_TRUE(black && white);
    }
}

TEST(ApplicationIcon, IsLinkedIntoTheProgramWithBothImages) {
    const QIcon icon = quorvel::resources::applicationIcon();
    ASSERT_FALSE(icon.isNull());
    EXPECT_TRUE(icon.availableSizes().contains(QSize(16, 16)));
    EXPECT_TRUE(icon.availableSizes().contains(QSize(32, 32)));
    EXPECT_TRUE(samePixels(argb(icon.pixmap(QSize(16, 16)).toImage()), drawing(16)));
    EXPECT_TRUE(samePixels(argb(icon.pixmap(QSize(32, 32)).toImage()), drawing(32)));
    EXPECT_TRUE(samePixels(argb(quorvel::resources::applicationPicture().toImage()), drawing(32)));
}

TEST(DesktopIcons, AreTheDrawingsEnlargedByWholeNumbers) {
    // Size, drawing enlarged and by how much: 48 is three times the small drawing.
    const struct {
        int size, from, factor;
    } cases[] = { { 16, 16, 1 }, { 32, 32, 1 }, { 48, 16, 3 }, { 64, 32, 2 }, { 128, 32, 4 },
        { 256, 32, 8 } };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.size);
        ASSERT_EQ(c.size, c.from * c.factor);
        // Qt's own scaling without smoothing repeats each pixel as a square block.
        const QImage expected = argb(
            drawing(c.from).scaled(c.size, c.size, Qt::IgnoreAspectRatio, Qt::FastTransformation));
        const QImage png(derivedDir + QStringLiteral("/quorvel-%1.png").arg(c.size));
        EXPECT_TRUE(samePixels(argb(png), expected));
    }
}

TEST(WindowsIcon, HoldsBothDrawingsInSixteenColours) {
    QFile file(derivedDir + QStringLiteral("/quorvel.ico"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    ASSERT_GE(bytes.size(), 6 + 2 * 16);
    EXPECT_EQ(littleEndian(bytes, 2, 2), 1u); // an icon
    ASSERT_EQ(littleEndian(bytes, 4, 2), 2u); // two images
    const int sizes[] = { 32, 16 };
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(sizes[i]);
        const int entry = 6 + 16 * i;
        EXPECT_EQ(littleEndian(bytes, entry, 1), unsigned(sizes[i])); // width
        EXPECT_EQ(littleEndian(bytes, entry + 1, 1), unsigned(sizes[i])); // height
        EXPECT_EQ(littleEndian(bytes, entry + 2, 1), 16u); // colours
        EXPECT_EQ(littleEndian(bytes, entry + 6, 2), 4u); // bits a pixel
        const unsigned length = littleEndian(bytes, entry + 8, 4);
        const unsigned offset = littleEndian(bytes, entry + 12, 4);
        EXPECT_LE(offset + length, unsigned(bytes.size()));
        EXPECT_EQ(littleEndian(bytes, int(offset) + 14, 2), 4u); // bits a pixel in the bitmap
    }

    // Read back by Qt's own .ico reader, each image must be its drawing.
    file.seek(0);
    QImageReader reader(&file, "ico");
    for (const int size : sizes) {
        SCOPED_TRACE(size);
        const QImage image = reader.read();
        ASSERT_FALSE(image.isNull()) << reader.errorString().toStdString();
        EXPECT_TRUE(samePixels(argb(image), drawing(size)));
        reader.jumpToNextImage();
    }
}

// The icon needs a QGuiApplication; it is made only when tests run, not when they are listed.
class GuiEnvironment : public testing::Environment {
public:
    void SetUp() override {
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        application = std::make_unique<QGuiApplication>(argc, argv);
    }
    void TearDown() override { application.reset(); }

private:
    int argc = 1;
    char name[16] = "resources_test";
    char* argv[2] = { name, nullptr };
    std::unique_ptr<QGuiApplication> application;
};

} // namespace

int main(int argc, char* argv[]) {
    testing::InitGoogleTest(&argc, argv);
    testing::AddGlobalTestEnvironment(new GuiEnvironment);
    return RUN_ALL_TESTS();
}
