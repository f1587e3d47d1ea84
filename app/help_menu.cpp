// The icon is an SVG, which GdkPixbuf draws (Qt's SVG support is an extra
// module): one raster per size, so the window manager gets _NET_WM_ICON.
#include "app/help_menu.h"

#include "app/app_globals.h"
#include "toolbox/owned.h"
#include "toolbox/resources.h"

#include <QDesktopServices>
#include <QImage>
#include <QMainWindow>
#include <QMessageBox>
#include <QUrl>
#include <cairo.h>
#include <filesystem>

#undef signals // Qt's keyword is a field name of GLib's
#include <gdk-pixbuf/gdk-pixbuf.h>
#include <gst/gst.h>

extern "C" {
#include <xdo.h>
}

namespace {

// The README in the source tree (resources/..) or where it is installed
// (share/kestrix/.. /doc/kestrix).
std::filesystem::path ReadmePath() {
    const std::filesystem::path& resources = AppResourceDirectory();
    if (resources.empty()) return {};
    for (const std::filesystem::path& candidate :
         {resources.parent_path() / "README.md",
          resources.parent_path() / "doc/kestrix/README.md"}) {
        std::error_code ec;
        if (std::filesystem::is_regular_file(candidate, ec)) return candidate;
    }
    return {};
}

} // namespace

QString AboutText() {
    guint major = 0, minor = 0, micro = 0, nano = 0;
    gst_version(&major, &minor, &micro, &nano);
    const QString gstreamer = QStringLiteral("%1.%2.%3").arg(major).arg(minor).arg(micro);
    return QStringLiteral("<p><b>Kestrix %1</b><br>turns a webcam into a barcode scanner.</p>"
                          "<p>Licence: %2.</p>"
                          "<p>Uses Qt %3, GStreamer %4, Cairo %5, GdkPixbuf %6 and %7.</p>")
        .arg(QStringLiteral(KESTRIX_VERSION), QStringLiteral(KESTRIX_LICENSE),
             QString::fromLatin1(qVersion()), gstreamer,
             QString::fromLatin1(cairo_version_string()), QString::fromLatin1(gdk_pixbuf_version),
             QString::fromUtf8(xdo_version()));
}

void ShowAbout() {
    QMessageBox::about(globals->window.get(), QStringLiteral("About Kestrix"), AboutText());
}

bool OpenUsage() {
    const std::filesystem::path readme = ReadmePath();
    if (readme.empty()) return false;
    QUrl url = QUrl::fromLocalFile(QString::fromStdString(readme.string()));
    url.setFragment(QStringLiteral("kestrix-the-desktop-scanner"));
    return QDesktopServices::openUrl(url);
}

QIcon KestrixIcon() {
    QIcon icon;
    // The scalable icon beside the resources in the build tree, and where the
    // install puts it (share/icons, beside share/kestrix).
    std::filesystem::path file;
    for (const char* place : {"desktop/icons/hicolor/scalable/apps/com.vondrel.kestrix.svg",
                              "../icons/hicolor/scalable/apps/com.vondrel.kestrix.svg"})
        if (file = AppResourcePath(place); !file.empty()) break;
    if (file.empty()) return icon;
    for (int size : {16, 32, 48, 64, 128}) {
        const Owned<GdkPixbuf, g_object_unref> owned(
            gdk_pixbuf_new_from_file_at_size(file.c_str(), size, size, nullptr));
        GdkPixbuf* pixbuf = owned.get();
        if (!pixbuf) continue;
        const QImage image(gdk_pixbuf_get_pixels(pixbuf), gdk_pixbuf_get_width(pixbuf),
                           gdk_pixbuf_get_height(pixbuf), gdk_pixbuf_get_rowstride(pixbuf),
                           gdk_pixbuf_get_has_alpha(pixbuf) ? QImage::Format_RGBA8888
                                                            : QImage::Format_RGB888);
        icon.addPixmap(QPixmap::fromImage(image.copy())); // copied before the pixbuf goes
    }
    return icon;
}
