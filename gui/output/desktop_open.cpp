#include "gui/output/desktop_open.h"

#include <QDesktopServices>
#include <QFont>
#include <QFontMetricsF>
#include <QUrl>
#include <cmath>

#include "core/output/desktop_programs.h"
#include "core/output/output_table.h"

namespace mk::gui {

bool openWithDesktop(const std::string& path) {
    // The desktop's opener is started and left to itself: that it started
    // says nothing about a program for the file, so ask for one first.
    return mk::desktopHasProgramFor(path) &&
           QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)));
}

int outputTextWidth(const std::string& text, int points) {
    // Measured at a large pixel size, unhinted, and scaled: the widths do
    // not then depend on the screen's resolution or on hinting at small sizes.
    constexpr int kPixels = 1000;
    QFont font(QString::fromStdString(mk::OutputTable().fontName));
    font.setPixelSize(kPixels);
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setStyleStrategy(QFont::NoSubpixelAntialias);
    const double advance = QFontMetricsF(font).horizontalAdvance(QString::fromStdString(text));
    return int(std::ceil(advance * points * 20 / kPixels));
}

}  // namespace mk::gui
