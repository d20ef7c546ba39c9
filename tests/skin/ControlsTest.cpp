#include "TempDir.h"

#include "skin/GlobalHelper.h"
#include "skin/UxButton.h"
#include "skin/UxHyperLink.h"
#include "skin/UxStatic.h"

#include <gtest/gtest.h>

#include <QDesktopServices>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>

namespace {

const QString kDefaultSkin = QStringLiteral(SHIPPED_SKINS "/Default");

class UrlCatcher : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> urls;

public slots:
    void handle(const QUrl& url) { urls << url; }
};

TEST(Button, TakesItsSizeFromOneFrameOfTheStrip)
{
    UxButton button(QStringLiteral("Move->"));
    ASSERT_TRUE(button.SetBitmapFile(kDefaultSkin + QStringLiteral("/WideBtn.bmp")));
    EXPECT_TRUE(button.HasBitmap());
    EXPECT_EQ(button.GetWindowSize(), QSize(100, 24));
    button.Resize(button.GetWindowSize());
    EXPECT_EQ(button.size(), QSize(100, 24));
    EXPECT_EQ(button.minimumSize(), QSize(100, 24));
    EXPECT_EQ(button.maximumSize(), QSize(100, 24));
    EXPECT_FALSE(button.autoDefault());

    ASSERT_TRUE(button.SetBitmapFile(kDefaultSkin + QStringLiteral("/Btn.bmp")));
    EXPECT_EQ(button.GetWindowSize(), QSize(72, 24));
}

TEST(Button, MissingOrOddPictureKeepsADrawnButton)
{
    TempDir dir;
    QImage odd(10, 8, QImage::Format_RGB32);
    odd.fill(Qt::gray);
    const QString oddPath = QString::fromStdString((dir.path() / "odd.bmp").string());
    ASSERT_TRUE(odd.save(oddPath));

    UxButton button(QStringLiteral("Browse"));
    button.resize(80, 22);
    EXPECT_FALSE(button.SetBitmapFile(QString::fromStdString((dir.path() / "none.bmp").string())));
    EXPECT_FALSE(button.SetBitmapFile(oddPath));
    EXPECT_FALSE(button.HasBitmap());
    EXPECT_EQ(button.GetWindowSize(), QSize(80, 22));
    button.SetTextColor(0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF);
    EXPECT_FALSE(button.grab().isNull());
}

TEST(Button, PaintsTheFrameOfItsState)
{
    UxButton button(QString{});
    ASSERT_TRUE(button.SetBitmapFile(kDefaultSkin + QStringLiteral("/WideBtn.bmp")));
    button.Resize(button.GetWindowSize());
    const QImage strip(kDefaultSkin + QStringLiteral("/WideBtn.bmp"));
    const QPoint probe(50, 20);
    EXPECT_EQ(button.grab().toImage().pixel(probe), strip.pixel(probe));
    button.setDown(true);
    EXPECT_EQ(button.grab().toImage().pixel(probe), strip.pixel(probe + QPoint(100, 0)));
    button.setDown(false);
    button.setEnabled(false);
    EXPECT_EQ(button.grab().toImage().pixel(probe), strip.pixel(probe + QPoint(300, 0)));
}

TEST(Button, TextColoursPerState)
{
    UxButton button(QStringLiteral("MMMMMMMM"));
    button.SetBitmapFile(kDefaultSkin + QStringLiteral("/WideBtn.bmp"));
    button.Resize(button.GetWindowSize());
    QFont f = button.font();
    f.setPixelSize(20);
    f.setBold(true);
    button.setFont(f);
    button.SetTextColor(0x000000FF, 0x0000FF00, 0x00FF0000, 0x00FF00FF);
    const auto hasColour = [&](QRgb c) {
        const QImage img = button.grab().toImage();
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                if (img.pixel(x, y) == c)
                    return true;
        return false;
    };
    EXPECT_TRUE(hasColour(qRgb(255, 0, 0)));
    button.setDown(true);
    EXPECT_TRUE(hasColour(qRgb(0, 255, 0)));
    button.setDown(false);
    button.setEnabled(false);
    EXPECT_TRUE(hasColour(qRgb(255, 0, 255)));
}

TEST(HyperLink, ClickOpensTheAddress)
{
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "handle");
    UxHyperLink link(QStringLiteral("Click here for help"));
    link.SetURL(QStringLiteral("https://example.org/help"));
    EXPECT_EQ(link.GetURL(), QStringLiteral("https://example.org/help"));
    link.resize(200, 20);
    QSignalSpy clicked(&link, &UxHyperLink::clicked);
    QTest::mouseClick(&link, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(clicked.count(), 1);
    EXPECT_EQ(catcher.urls, QList<QUrl>{QUrl(QStringLiteral("https://example.org/help"))});
    QTest::mouseClick(&link, Qt::RightButton, {}, QPoint(10, 10));
    EXPECT_EQ(catcher.urls.size(), 1);
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
}

TEST(PictureHyperLink, TakesThePictureSizeAndStretchesAtTheSplit)
{
    const QString path = kDefaultSkin + QStringLiteral("/logo.bmp");
    const QImage logo(path);
    ASSERT_FALSE(logo.isNull());
    UxPictureHyperLink link;
    ASSERT_TRUE(link.SetPictureFile(path));
    link.SetSize();
    EXPECT_EQ(link.size(), logo.size());
    link.SetSplitPos(0, 300);
    link.SetBgMode(0);
    EXPECT_EQ(link.GetSplitPos(), 300);
    link.resize(logo.width() + 200, logo.height());
    const QImage shown = link.grab().toImage();
    const int y = logo.height() / 2;
    EXPECT_EQ(shown.pixel(10, y), logo.pixel(10, y));                                 // left part in place
    EXPECT_EQ(shown.pixel(shown.width() - 5, y), logo.pixel(logo.width() - 5, y)); // right part at the edge
    EXPECT_EQ(shown.pixel(400, y), logo.pixel(300, y));                             // split column stretched

    EXPECT_FALSE(link.SetPictureFile(QStringLiteral("/no/such/logo.bmp")));
    EXPECT_FALSE(link.grab().isNull());
}

TEST(Static, TextColour)
{
    UxStatic label(QStringLiteral("Path:"));
    label.SetTextColor(0x00332211);
    EXPECT_EQ(label.palette().color(QPalette::WindowText), QColor(0x11, 0x22, 0x33));
    label.SetTextColor(0xFFFFFFFF);
    EXPECT_NE(label.palette().color(QPalette::WindowText), QColor(0x11, 0x22, 0x33));
}

} // namespace

#include "ControlsTest.moc"
