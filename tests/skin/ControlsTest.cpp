#include "TempDir.h"

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

TEST(Button, TakesSizeAndFramesFromItsStripOrKeepsADrawnLook)
{
    const QString wide = kDefaultSkin + QStringLiteral("/WideBtn.bmp");
    const QImage strip(wide);
    UxButton button(QStringLiteral("MM"));
    EXPECT_FALSE(button.autoDefault());
    ASSERT_TRUE(button.SetBitmapFile(wide));
    button.Resize(button.GetWindowSize());
    EXPECT_EQ(button.minimumSize(), QSize(100, 24));
    EXPECT_EQ(button.maximumSize(), QSize(100, 24));
    QFont f = button.font();
    f.setPixelSize(20);
    f.setBold(true);
    button.setFont(f);
    button.SetTextColor(0x000000FF, 0x0000FF00, 0x00FF0000, 0x00FF00FF);
    struct Case { bool down; bool enabled; int frame; QRgb text; };
    for (const Case c : {Case{false, true, 0, qRgb(255, 0, 0)}, Case{true, true, 1, qRgb(0, 255, 0)},
                         Case{false, false, 3, qRgb(255, 0, 255)}}) {
        button.setDown(c.down);
        button.setEnabled(c.enabled);
        const QImage shown = button.grab().toImage();
        for (const QPoint probe : {QPoint(2, 12), QPoint(15, 20), QPoint(97, 12)})
            EXPECT_EQ(shown.pixel(probe), strip.pixel(probe + QPoint(100 * c.frame, 0))) << c.frame;
        bool hasText = false;
        for (int i = 0; i < shown.width() * shown.height(); ++i)
            hasText = hasText || shown.pixel(i % shown.width(), i / shown.width()) == c.text;
        EXPECT_TRUE(hasText) << c.frame;
    }

    TempDir dir;
    QImage odd(10, 8, QImage::Format_RGB32); // not four frames wide
    odd.fill(Qt::gray);
    const QString oddPath = QString::fromStdString((dir.path() / "odd.bmp").string());
    ASSERT_TRUE(odd.save(oddPath));
    button.Resize(QSize(80, 22));
    for (const QString& bad : {oddPath, oddPath + u'x', QString()}) {
        EXPECT_FALSE(button.SetBitmapFile(bad)) << qPrintable(bad);
        EXPECT_FALSE(button.HasBitmap());
        EXPECT_EQ(button.GetWindowSize(), QSize(80, 22));
    }
    ASSERT_TRUE(button.SetBitmapFile(kDefaultSkin + QStringLiteral("/Btn.bmp")));
    EXPECT_EQ(button.GetWindowSize(), QSize(72, 24));
}

TEST(HyperLink, ClickOpensTheAddress)
{
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "handle");
    UxHyperLink link(QStringLiteral("Click here for help"));
    link.SetURL(QStringLiteral("https://example.org/help"));
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
    UxPictureHyperLink link;
    ASSERT_TRUE(link.SetPictureFile(path));
    link.SetSize();
    EXPECT_EQ(link.size(), logo.size());
    link.SetSplitPos(0, 300);
    link.SetBgMode(0);
    link.resize(logo.width() + 200, logo.height());
    const QImage shown = link.grab().toImage();
    const int y = logo.height() / 2;
    EXPECT_EQ(shown.pixel(10, y), logo.pixel(10, y));                              // left part in place
    EXPECT_EQ(shown.pixel(shown.width() - 5, y), logo.pixel(logo.width() - 5, y)); // right part at the edge
    EXPECT_EQ(shown.pixel(400, y), logo.pixel(300, y));                            // split column stretched
    EXPECT_FALSE(link.SetPictureFile(QStringLiteral("/no/such/logo.bmp")));
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
