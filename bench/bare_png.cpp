// The yardstick for velmora-render's start: the least a Qt program does to write one PNG.
#include <QGuiApplication>
#include <QImage>

int main(int argc, char **argv)
{
    if (argc != 2)
        return 2;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int toolkitArgc = 1;
    QGuiApplication app(toolkitArgc, argv);
    QImage image(300, 475, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image.save(QString::fromLocal8Bit(argv[1]), "PNG") ? 0 : 1;
}
