#include "gui/app/system_clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace mk::gui {

namespace {

const QString kHintType = QStringLiteral("x-kde-passwordManagerHint");

// Platforms whose clipboard lives inside the program (no other program can
// have put its data there), where ownsClipboard() says nothing.
bool clipboardIsInProcess() {
    const QString name = QGuiApplication::platformName();
    return name == QLatin1String("offscreen") || name == QLatin1String("minimal");
}

// Copies that Qt's own widgets make (Ctrl+C, Ctrl+X or the context menu of
// the title box, a search box or a cell editor) do not pass through
// SystemClipboard::setText. Once the program's data is on the clipboard
// without the hint, it is put back with the hint added; data of another
// program is never touched.
void markOwnCopies() {
    QClipboard* clipboard = QGuiApplication::clipboard();
    QObject::connect(
        clipboard, &QClipboard::dataChanged, clipboard,
        [clipboard] {
            if (!clipboard->ownsClipboard() && !clipboardIsInProcess()) return;
            const QMimeData* now = clipboard->mimeData();
            if (!now || now->formats().isEmpty() || now->hasFormat(kHintType)) return;
            auto* data = new QMimeData;
            for (const QString& format : now->formats()) data->setData(format, now->data(format));
            data->setData(kHintType, QByteArrayLiteral("secret"));
            clipboard->setMimeData(data);
        },
        Qt::QueuedConnection);
}

}  // namespace

void SystemClipboard::clear() { QGuiApplication::clipboard()->clear(); }

void SystemClipboard::setText(const std::string& text) {
    auto* data = new QMimeData;
    data->setText(QString::fromStdString(text));
    data->setData(kHintType, QByteArrayLiteral("secret"));
    QGuiApplication::clipboard()->setMimeData(data);
}

std::string SystemClipboard::text() { return QGuiApplication::clipboard()->text().toStdString(); }

void installSystemClipboard() {
    static SystemClipboard clipboard;
    static const bool marking = (markOwnCopies(), true);
    (void)marking;
    mk::setProgramClipboard(&clipboard);
}

}  // namespace mk::gui
