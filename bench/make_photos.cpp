// Writes photo-like test pictures for the benchmarks: smooth light, texture
// noise and hard edges, so the JPEG coder does work a real photo makes it do.
//   make_photos FOLDER COUNT WIDTH HEIGHT jpg|bmp [FIRST_NUMBER]
#include "codecs/picture_codecs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <cmath>
#include <cstdio>
#include <random>

namespace {

tess::Picture photo(int width, int height, unsigned seed)
{
    std::mt19937 random(seed);
    std::normal_distribution<float> grain(0.0f, 6.0f);
    tess::Picture p(width, height);
    const float cx = float(width) * (0.3f + 0.4f * float(seed % 7) / 7.0f);
    const float cy = float(height) * 0.45f;
    for (int y = 0; y < height; ++y) {
        tess::Colour *row = p.row(y);
        for (int x = 0; x < width; ++x) {
            const float fx = float(x) / float(width);
            const float fy = float(y) / float(height);
            const float d = std::hypot(float(x) - cx, float(y) - cy) / float(width);
            float r = 200.0f * (1.0f - fy) + 40.0f * std::sin(fx * 9.0f + float(seed));
            float g = 150.0f + 60.0f * std::cos(fy * 7.0f) - 90.0f * d;
            float b = 90.0f + 120.0f * fy + 30.0f * std::sin((fx + fy) * 23.0f);
            if (((x / 97) + (y / 89)) % 5 == 0) { // hard-edged blocks
                r *= 0.4f;
                b = 255.0f - b;
            }
            const float n = grain(random);
            auto clamp = [](float v) { return int(std::lround(std::fmin(255.0f, std::fmax(0.0f, v)))); };
            row[x] = tess::rgb(clamp(r + n), clamp(g + n), clamp(b + n));
        }
    }
    return p;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList a = app.arguments();
    if (a.size() < 6) {
        std::fputs("usage: make_photos FOLDER COUNT WIDTH HEIGHT jpg|bmp [FIRST_NUMBER]\n", stderr);
        return 2;
    }
    const QString folder = a[1];
    const int count = a[2].toInt();
    const int width = a[3].toInt();
    const int height = a[4].toInt();
    const bool jpeg = a[5] == QLatin1String("jpg");
    const int first = a.size() > 6 ? a[6].toInt() : 0;
    QDir().mkpath(folder);
    for (int i = first; i < first + count; ++i) {
        const tess::Picture p = photo(width, height, unsigned(i));
        const QString name = QStringLiteral("%1/photo_%2x%3_%4.%5")
                                 .arg(folder).arg(width).arg(height).arg(i, 4, 10, QLatin1Char('0'))
                                 .arg(jpeg ? "jpg" : "bmp");
        tess::JpegOptions options;
        options.quality = 90;
        const std::optional<QByteArray> bytes = jpeg ? tess::encodeJpeg(p, options, name)
                                                     : std::optional<QByteArray>(tess::encodeBmp(p));
        QFile f(name);
        if (!bytes || !f.open(QIODevice::WriteOnly) || f.write(*bytes) != bytes->size()) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(name));
            return 1;
        }
    }
    return 0;
}
