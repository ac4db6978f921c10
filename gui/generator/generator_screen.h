#pragma once
// The password generator ("パスワード生成"): a site form of a title and eight
// item rows, the password's length and character class, the generated
// password with its strength, and the hand-over of it all to the edit
// screen. A separate window of the main window; its values live as long as
// the program runs.
#include <QWidget>
#include <functional>
#include <string>
#include <utility>
#include <vector>

class QButtonGroup;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace mk::gui {

class GeneratorScreen : public QWidget {
    Q_OBJECT
public:
    // `owner` is the main window: the screen is its tool window and is
    // placed relative to it.
    explicit GeneratorScreen(QWidget* owner);

    // Default item names, empty values, length 10, no password, class
    // "数字+小文字", today's date in value 7.
    void ResetGeneratorScreen();
    // Opening from the browse window: placed 2000 twips right of and below
    // the owner's top-left corner, today's date in value 7 on white.
    void open();
    // The "パスワード生成" button: validates the length, generates, reveals the
    // password one character at a time and rates it.
    void generatePassword();
    // The "DBに転送" button: hands the title and the rows over, then hides.
    void TransferToEditScreen();

    // Who takes the hand-over: opens the edit screen and fills it with the
    // title and the (item, content) rows. False when it did not (the user
    // kept unsaved work on the edit screen): the generator then stays open.
    using HandOver = std::function<bool(
        const std::string& title, const std::vector<std::pair<std::string, std::string>>& rows)>;
    void setHandOver(HandOver handOver);

    QLineEdit* titleBox() const;             // Text1
    QLineEdit* itemBox(int row) const;       // Text2_1 .. Text2_8
    QLineEdit* valueBox(int row) const;      // Text3_1 .. Text3_8
    QLineEdit* lengthBox() const;            // Text4
    QLineEdit* resultBox() const;            // Text5
    QLabel* resultCaption() const;           // Label3
    QLabel* strengthLabel(int i) const;      // Label4_1 .. Label4_3
    QRadioButton* classOption(int k) const;  // Option1_1 .. Option1_4
    QPushButton* button(int i) const;        // Command1 .. Command4

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int selectedClass() const;
    void stepLength(int step);
    void confirmReset();
    void back();
    void addHelp();
    bool boxKey(QLineEdit* box, int key);
    void paintBox(QLineEdit* box, unsigned rgb);

    QLineEdit* title_ = nullptr;
    QLineEdit* items_[9] = {};
    QLineEdit* values_[9] = {};
    QLineEdit* length_ = nullptr;
    QPushButton* plus_ = nullptr;
    QPushButton* minus_ = nullptr;
    QWidget* optionFrame_ = nullptr;
    QRadioButton* options_[5] = {};
    QButtonGroup* group_ = nullptr;
    QLabel* caption_ = nullptr;
    QLineEdit* result_ = nullptr;
    QLabel* strength_[4] = {};
    QPushButton* buttons_[5] = {};
    HandOver handOver_;
};

}  // namespace mk::gui
