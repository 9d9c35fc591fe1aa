// Counts the pixels in which two pictures differ (colour only, alpha ignored):
//   quorvan_pngdiff A.png B.png
// Prints the count; exit status 0 when it is 0, 1 when pixels differ, 2 when a
// picture cannot be read or the sizes differ.

#include <QCoreApplication>
#include <QImage>

#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: quorvan_pngdiff A.png B.png\n");
        return 2;
    }
    const QImage a = QImage(args[1]).convertToFormat(QImage::Format_RGB32);
    const QImage b = QImage(args[2]).convertToFormat(QImage::Format_RGB32);
    if (a.isNull() || b.isNull() || a.size() != b.size()) {
        std::fprintf(stderr, "quorvan_pngdiff: unreadable pictures or sizes differ (%dx%d, %dx%d)\n", a.width(),
                     a.height(), b.width(), b.height());
        return 2;
    }
    long long differing = 0;
    for (int y = 0; y < a.height(); ++y) {
        const auto* p = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* q = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x)
            differing += (p[x] & 0xFFFFFFu) != (q[x] & 0xFFFFFFu) ? 1 : 0;
    }
    std::printf("%lld\n", differing);
    return differing == 0 ? 0 : 1;
}
