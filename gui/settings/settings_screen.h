#pragma once
// The settings screen (page 3): backup, backup folder, restore, login
// settings, sample data, import and conversion, and the user manual. Each
// command is a picture box with its caption label; both run F3切換.
#include <QWidget>
#include <functional>

class QLabel;

namespace mk {
class Program;
}

namespace mk::gui {

class Shell;

class SettingsScreen : public QWidget {
    Q_OBJECT
public:
    SettingsScreen(mk::Program& program, Shell& shell, QWidget* parent = nullptr);
    ~SettingsScreen() override;

    // The command switch (0 to 9).
    void F3切換(int command);
    // Image1 and Picture6 shown; the backup list and login panels hidden.
    void showNormalView();
    // Puts the settings screen copy of the program (password, hint, mode)
    // into the login panel's boxes.
    void refreshFromSettings();

    // What the commands that other parts own do; unset, they do nothing:
    // 7 the import, 8 the conversion, Command3 the conversion started
    // directly, and the developer frame's "データ配列検査".
    void setImportAction(std::function<void()> action);
    void setConversionAction(std::function<void()> action);
    void setCommand3Action(std::function<void()> action);
    void setArrayCheckAction(std::function<void()> action);

    // The import progress label Label4 in the developer frame.
    void setStatusText(const QString& text);
    QString statusText() const;
    QLabel* statusLabel() const;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Private;
    Private* d;
};

}  // namespace mk::gui
