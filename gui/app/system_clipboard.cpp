#include "gui/app/system_clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace mk::gui {

void SystemClipboard::clear() { QGuiApplication::clipboard()->clear(); }

void SystemClipboard::setText(const std::string& text) {
    auto* data = new QMimeData;
    data->setText(QString::fromStdString(text));
    data->setData(QStringLiteral("x-kde-passwordManagerHint"), QByteArrayLiteral("secret"));
    QGuiApplication::clipboard()->setMimeData(data);
}

std::string SystemClipboard::text() { return QGuiApplication::clipboard()->text().toStdString(); }

void installSystemClipboard() {
    static SystemClipboard clipboard;
    mk::setProgramClipboard(&clipboard);
}

}  // namespace mk::gui
