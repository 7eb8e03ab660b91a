#include "ui/qt/icons.h"

#include <QImage>
#include <QPixmap>

#include <array>

#include "resources/icon_art.h"
#include "resources/resource_ids.h"

namespace {

constexpr int kSizes[] = {16, 20, 24, 32, 48};

QIcon drawProgramIcon(int iconId) {
    QIcon icon;
    for (int size : kSizes) {
        IconImage art;
        if (!drawIcon(iconId, size, 32, &art)) continue;
        // Red, green, blue, alpha in bytes, straight alpha, rows top-down.
        QImage image(art.pixels.data(), size, size, size * 4, QImage::Format_RGBA8888);
        icon.addPixmap(QPixmap::fromImage(image.convertToFormat(QImage::Format_ARGB32_Premultiplied)));
    }
    return icon;
}

}  // namespace

QIcon programIcon(int iconId) {
    if (iconId < 1 || iconId > IDI_COUNT) iconId = IDI_BATTERY_PLAIN;
    // Never destroyed: pixmaps must not outlive the QGuiApplication into
    // the process's exit.
    static auto* made = new std::array<QIcon, IDI_COUNT>;
    QIcon& icon = (*made)[iconId - 1];
    if (icon.isNull()) icon = drawProgramIcon(iconId);
    return icon;
}
