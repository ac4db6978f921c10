// Mirukasu: a password memo. Starts the Qt application, the message service
// and the main window, then runs the start-up sequence.
#include <QApplication>
#include <QFontDatabase>
#include <QIcon>
#include <QLocale>

#include "core/app/program.h"
#include "gui/app/main_window.h"
#include "gui/app/qt_messages.h"
#include "gui/app/startup.h"

namespace {

// The screens are laid out for "Meiryo UI"; elsewhere a Japanese sans-serif
// of similar width stands in.
void chooseFont(QApplication& app) {
    const QStringList families = QFontDatabase::families();
    for (const char* name : {"Meiryo UI", "Noto Sans CJK JP", "Noto Sans JP", "IPAGothic"}) {
        if (families.contains(QString::fromUtf8(name))) {
            QFont font(QString::fromUtf8(name));
            font.setPointSize(10);
            app.setFont(font);
            return;
        }
    }
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Mirukasu");
    // Matches the installed mirukasu.desktop, so that a desktop groups the
    // windows under its entry and icon.
    QApplication::setDesktopFileName("mirukasu");
    QApplication::setWindowIcon(QIcon(":/icons/mirukasu.svg"));
    // Every text of the program is Japanese: dates and sizes in the file
    // dialog follow, whatever the machine's locale.
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    mk::gui::installJapaneseQtTexts(app);
    chooseFont(app);

    const std::string appFolder = QCoreApplication::applicationDirPath().toStdString() + "/";
    mk::Program program(appFolder);

    mk::gui::QtMessages messages;
    mk::gui::MainWindow window(program);
    messages.setOwner(&window);
    messages.setMouseHelpSink([&window](const QString& text) { window.setMouseHelp(text); });

    mk::gui::StartUp startUp(program, window, mk::gui::StartUpEnvironment::system(appFolder));
    if (!startUp.run()) return 0;
    return app.exec();
}
