// The icons: every name draws Pardow's SVG at the size and pixel ratio asked
// for (sharp at 2x, not a scaled-up small picture), standard actions take
// the desktop theme's icon first, and Pardow's own icons never do.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QIcon>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <string>

#include "Icons.h"

namespace {

// Themes are looked for in `dir` only, under the name `theme`: with an empty
// folder no theme answers and every icon is Pardow's drawing.
void UseThemes(const QString& dir, const QString& theme) {
  QIcon::setThemeSearchPaths({dir});
  QIcon::setFallbackSearchPaths({});
  QIcon::setFallbackThemeName(theme);
  QIcon::setThemeName(theme);
}

// The SVG at `path` as QtSvg draws it on `px` x `px` transparent pixels.
QImage RenderSvg(const QString& path, int px) {
  QSvgRenderer renderer(path);
  QImage image(px, px, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  renderer.render(&painter);
  return image;
}

QImage Rendered(const QIcon& icon, int size, qreal dpr) {
  return icon.pixmap(QSize(size, size), dpr)
      .toImage()
      .convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// Pixels of `a` and `b` (same size) whose channels differ by more than 2.
int DifferentPixels(const QImage& a, const QImage& b) {
  int count = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) {
      const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
      if (std::abs(qRed(p) - qRed(q)) > 2 || std::abs(qGreen(p) - qGreen(q)) > 2 ||
          std::abs(qBlue(p) - qBlue(q)) > 2 || std::abs(qAlpha(p) - qAlpha(q)) > 2)
        ++count;
    }
  return count;
}

double CoveredShare(const QImage& image) {
  int covered = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (qAlpha(image.pixel(x, y)) > 128) ++covered;
  return double(covered) / (image.width() * image.height());
}

class IconsTest : public testing::TestWithParam<std::string_view> {
 protected:
  void SetUp() override { UseThemes(noThemes_.path(), QStringLiteral("no-such-theme")); }
  QTemporaryDir noThemes_;
};

}  // namespace

TEST(Icons, SvgPluginsAreFound) {
  EXPECT_TRUE(QImageReader::supportedImageFormats().contains("svg"))
      << "the QtSvg image plugin (libqt6svg6) is missing";
}

// Each icon at the tool bar's 36 px: on a screen of pixel ratio 1 and of 2,
// the pixmap has all the device pixels (72 at 2x) and they are the bundled
// drawing as QtSvg renders it at that size.
TEST_P(IconsTest, DrawsItsSvgSharplyAtPixelRatioOneAndTwo) {
  const QString name = QString::fromLatin1(GetParam().data(), GetParam().size());
  const QString file =
      QStringLiteral(":/pardow/icons/%1.svg").arg(name == "reopen" ? "open" : name);
  ASSERT_TRUE(QFile::exists(file)) << file.toStdString();
  const QIcon icon = PardowIcon(GetParam());
  ASSERT_FALSE(icon.isNull());
  for (const qreal dpr : {1.0, 2.0}) {
    const int px = static_cast<int>(36 * dpr);
    const QPixmap pixmap = icon.pixmap(QSize(36, 36), dpr);
    EXPECT_EQ(pixmap.size(), QSize(px, px)) << "dpr " << dpr;
    EXPECT_EQ(pixmap.devicePixelRatio(), dpr);
    const QImage image = Rendered(icon, 36, dpr);
    EXPECT_GT(CoveredShare(image), 0.15) << "dpr " << dpr << ": nearly blank";
    EXPECT_EQ(DifferentPixels(image, RenderSvg(file, px)), 0) << "dpr " << dpr;
  }
}

INSTANTIATE_TEST_SUITE_P(EveryName, IconsTest, testing::ValuesIn(PardowIconNames()),
                         [](const testing::TestParamInfo<std::string_view>& param) {
                           std::string name(param.param);
                           for (char& c : name)
                             if (c == '-') c = '_';
                           return name;
                         });

TEST(Icons, UnknownNameGivesANullIcon) {
  EXPECT_TRUE(PardowIcon("no-such-icon").isNull());
}

// A theme with document-new, accounts and preferences-system (but no
// edit-undo): "new" is the theme's, "accounts" and "settings" stay Pardow's
// drawings, "undo" falls back to Pardow's.
TEST(Icons, StandardActionsPreferTheThemeAndOwnIconsIgnoreIt) {
  QTemporaryDir dir;
  const QString theme = dir.path() + "/test-theme";
  ASSERT_TRUE(QDir().mkpath(theme + "/scalable/actions"));
  QFile index(theme + "/index.theme");
  ASSERT_TRUE(index.open(QIODevice::WriteOnly));
  index.write(
      "[Icon Theme]\nName=test-theme\nDirectories=scalable/actions\n\n"
      "[scalable/actions]\nSize=48\nMinSize=8\nMaxSize=512\nType=Scalable\n");
  index.close();
  const QByteArray red =
      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"48\" height=\"48\">"
      "<rect width=\"48\" height=\"48\" fill=\"#ff0000\"/></svg>";
  for (const char* file : {"document-new.svg", "accounts.svg", "preferences-system.svg",
                           "x-office-address-book.svg"}) {
    QFile svg(theme + "/scalable/actions/" + file);
    ASSERT_TRUE(svg.open(QIODevice::WriteOnly));
    svg.write(red);
  }
  UseThemes(dir.path(), QStringLiteral("test-theme"));

  EXPECT_EQ(Rendered(PardowIcon("new"), 36, 2).pixel(36, 36), qRgb(255, 0, 0));
  for (const char* own : {"accounts", "settings"})
    EXPECT_EQ(DifferentPixels(Rendered(PardowIcon(own), 36, 2),
                              RenderSvg(QStringLiteral(":/pardow/icons/%1.svg").arg(own), 72)),
              0)
        << own;
  EXPECT_EQ(DifferentPixels(Rendered(UndoIcon(), 36, 2), RenderSvg(":/pardow/icons/undo.svg", 72)),
            0);
  UseThemes(QString(), QString());
}

TEST(Icons, ApplicationIconIsThePardowMarkAtAnySize) {
  const QString file = QStringLiteral(":/pardow/icons/pardow.svg");
  for (const int px : {16, 48, 256}) {
    const QImage image = Rendered(ApplicationIcon(), px, 1);
    ASSERT_EQ(image.size(), QSize(px, px));
    EXPECT_GT(CoveredShare(image), 0.5);
    EXPECT_EQ(DifferentPixels(image, RenderSvg(file, px)), 0) << px;
  }
}
