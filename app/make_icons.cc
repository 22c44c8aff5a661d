// tarnquill-make-icons OUTDIR SIZE...: the banner picture as the program's
// desktop icon, one OUTDIR/SIZExSIZE/apps/tarnquill.png per size. Runs at
// build time; draws into images only, so it needs no display.
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QString>
#include <cstdio>
#include <cstdlib>

#include "app/banner_picture.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: tarnquill-make-icons OUTDIR SIZE...\n");
    return 2;
  }
  const QString out_dir = QString::fromLocal8Bit(argv[1]);
  for (int i = 2; i < argc; ++i) {
    const int size = std::atoi(argv[i]);
    if (size < 8 || size > 1024) {
      std::fprintf(stderr, "tarnquill-make-icons: bad size '%s'\n", argv[i]);
      return 2;
    }
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
      QPainter painter(&image);
      painter.scale(size / double(app::kBannerPictureSize), size / double(app::kBannerPictureSize));
      app::PaintBannerPicture(painter);
    }
    const QString folder = QStringLiteral("%1/%2x%2/apps").arg(out_dir).arg(size);
    const QString file = folder + QStringLiteral("/tarnquill.png");
    if (!QDir().mkpath(folder) || !image.save(file, "PNG")) {
      std::fprintf(stderr, "tarnquill-make-icons: cannot write %s\n", qPrintable(file));
      return 1;
    }
  }
  return 0;
}
