#include "gui/app/qt_messages.h"

#include <QApplication>
#include <QInputDialog>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QTranslator>

namespace mk::gui {

QString messageText(const std::string& text) {
    QString s = QString::fromStdString(text);
    s.replace("\r\n", "\n");
    s.replace('\r', '\n');
    return s;
}

QtMessages::QtMessages() { previous_ = mk::installMessageService(this); }

QtMessages::~QtMessages() { mk::installMessageService(previous_); }

QWidget* QtMessages::dialogParent() const {
    // A dialog owned by a minimised window would stay out of sight with it.
    if (owner_ && owner_->isVisible() && !owner_->isMinimized()) return owner_;
    return nullptr;
}

int QtMessages::messageBox(const std::string& text, mk::Buttons buttons, mk::Icon icon,
                           const std::string& title) {
    QMessageBox box(dialogParent());
    box.setWindowTitle(QString::fromStdString(title));
    box.setTextFormat(Qt::PlainText);
    box.setText(messageText(text));
    switch (icon) {
    case mk::Icon::Critical: box.setIcon(QMessageBox::Critical); break;
    case mk::Icon::Question: box.setIcon(QMessageBox::Question); break;
    case mk::Icon::Exclamation: box.setIcon(QMessageBox::Warning); break;
    case mk::Icon::Information: box.setIcon(QMessageBox::Information); break;
    case mk::Icon::None: box.setIcon(QMessageBox::NoIcon); break;
    }
    switch (buttons) {
    case mk::Buttons::OK:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case mk::Buttons::OKCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Ok);
        break;
    case mk::Buttons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        break;
    case mk::Buttons::YesNoDefaultNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::No);
        break;
    case mk::Buttons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Yes);
        break;
    case mk::Buttons::AbortRetryIgnore:
        box.setStandardButtons(QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore);
        box.setDefaultButton(QMessageBox::Abort);
        break;
    }
    const int pressed = box.exec();
    switch (pressed) {
    case QMessageBox::Yes: return mk::AnswerYes;
    case QMessageBox::No: return mk::AnswerNo;
    case QMessageBox::Cancel: return mk::AnswerCancel;
    case QMessageBox::Abort: return mk::AnswerAbort;
    case QMessageBox::Retry: return mk::AnswerRetry;
    case QMessageBox::Ignore: return mk::AnswerIgnore;
    default: break;
    }
    // Closing a Yes/No box by its close button counts as No; others as OK.
    if ((buttons == mk::Buttons::YesNo || buttons == mk::Buttons::YesNoDefaultNo) &&
        pressed != QMessageBox::Ok)
        return mk::AnswerNo;
    return mk::AnswerOK;
}

std::string QtMessages::inputBox(const std::string& prompt, const std::string& title,
                                 const std::string& defaultText) {
    QInputDialog dialog(dialogParent());
    dialog.setWindowTitle(QString::fromStdString(title));
    dialog.setLabelText(messageText(prompt));
    dialog.setTextValue(QString::fromStdString(defaultText));
    dialog.setInputMode(QInputDialog::TextInput);
    if (dialog.exec() != QDialog::Accepted) return {};
    return dialog.textValue().toStdString();
}

void QtMessages::processEvents() { QCoreApplication::processEvents(); }

void QtMessages::showMouseHelp(const std::string& text) {
    if (helpSink_) helpSink_(QString::fromStdString(text));
}

bool installJapaneseQtTexts(QApplication& app) {
    auto* translator = new QTranslator(&app);
    if (!translator->load(QLocale(QLocale::Japanese, QLocale::Japan), "qtbase", "_",
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return app.installTranslator(translator);
}

}  // namespace mk::gui
