#include "gui/generator/generator_screen.h"

#include <QButtonGroup>
#include <QFontDatabase>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "core/base/clipboard.h"
#include "core/base/clock.h"
#include "core/base/errors.h"
#include "core/base/messages.h"
#include "core/generator/password.h"
#include "core/generator/site_form.h"
#include "core/store/colors.h"
#include "gui/app/grid_model.h"
#include "gui/app/mouse_help.h"
#include "gui/app/system_clipboard.h"
#include "gui/app/twips.h"

namespace mk::gui {

namespace {

const char* const kBeforeCaption = "生成するパスワード";
const char* const kAfterCaption = "生成したパスワード";
const char* const kBadLength = "入力した文字数が不適切です。";
const char* const kGenerateLocation = "パスワード生成 :  ";

const char* const kButtonCaptions[5] = {"", "パスワード生成", "DBに転送", "初期化", "戻る"};
const char* const kButtonHelp[5] = {
    "", "ボタンクリックのたびに設定された条件と乱数でパスワードを生成します。",
    "現在表示されているデータを編集画面に転送します。　データを再確認して新規保存を実行して下さい"
    "。",
    "入力値を破棄して　この画面のデータを初期化します。", nullptr};
const char* const kLengthHelp = "生成するパスワードの文字数を４～20の範囲で入力します。　";
const char* const kResultHelp =
    "「パスワード生成」　で　指定条件に合致したパスワードを生成します。　";
const char* const kTitleHelp =
    "表題 を入力してください。　DBに転送　でデータベースに転送します。　";

const QColor kScreenBack(214, 228, 240);

// The arrangement, in twips: rows 1 and 2 wide, 3 beside 5 and 4 beside 6,
// then 7 and 8; the generation controls and the commands below.
constexpr int kLeft = 240;
constexpr int kRight = 11160;
constexpr int kBoxHeight = 420;
constexpr int kFirstRowTop = 900;
constexpr int kRowPitch = 540;
constexpr int kItemWidth = 3000;

struct RowPlace {
    int line, itemLeft, itemWidth, valueLeft, valueWidth;
};
// Row i (1..8): its line below the title and the left and width of its
// item-name and value boxes.
constexpr RowPlace kRowPlaces[9] = {
    {},
    {0, kLeft, kItemWidth, 3360, kRight - 3360},
    {1, kLeft, kItemWidth, 3360, kRight - 3360},
    {2, kLeft, 2400, 2760, 2880},
    {3, kLeft, 2400, 2760, 2880},
    {2, 5880, 2400, 8400, kRight - 8400},
    {3, 5880, 2400, 8400, kRight - 8400},
    {4, kLeft, kItemWidth, 3360, 2400},
    {5, kLeft, kItemWidth, 3360, kRight - 3360},
};

QString q(const std::string& text) { return QString::fromStdString(text); }
std::string s(const QString& text) { return text.toStdString(); }

}  // namespace

GeneratorScreen::GeneratorScreen(QWidget* owner) : QWidget(owner, Qt::Tool) {
    setObjectName("パスワード生成");
    setWindowTitle(QString::fromUtf8("パスワード生成"));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, kScreenBack);
    setPalette(pal);
    setMouseTracking(true);
    setFixedSize(px(kRight + kLeft), px(7080));
    installSystemClipboard();

    auto watch = [this](QWidget* w) { w->installEventFilter(this); };
    auto makeBox = [&](const QString& name, const QString& accessible, const QRect& where) {
        auto* box = new QLineEdit(this);
        box->setObjectName(name);
        box->setAccessibleName(accessible);
        box->setGeometry(where);
        watch(box);
        return box;
    };

    auto* titleLabel = new QLabel(QString::fromUtf8("表題"), this);
    titleLabel->setObjectName("Label1");
    titleLabel->setGeometry(rectTwips(kLeft, 240, 900, kBoxHeight));
    title_ = makeBox("Text1", QString::fromUtf8("表題"), rectTwips(1200, 240, 5400, kBoxHeight));

    for (int i = 1; i <= mk::kSiteRows; ++i) {
        const RowPlace& at = kRowPlaces[i];
        const int top = kFirstRowTop + at.line * kRowPitch;
        items_[i] = makeBox(QString("Text2_%1").arg(i), QString::fromUtf8("項目名 %1").arg(i),
                            rectTwips(at.itemLeft, top, at.itemWidth, kBoxHeight));
        values_[i] = makeBox(QString("Text3_%1").arg(i), QString::fromUtf8("内容 %1").arg(i),
                             rectTwips(at.valueLeft, top, at.valueWidth, kBoxHeight));
    }

    auto* rule = new QFrame(this);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    rule->setGeometry(rectTwips(kLeft, 4170, kRight - kLeft, 60));

    auto* lengthLabel = new QLabel(QString::fromUtf8("文字数(4-20)"), this);
    lengthLabel->setObjectName("Label2");
    lengthLabel->setGeometry(rectTwips(kLeft, 4380, 1560, kBoxHeight));
    length_ = makeBox("Text4", QString::fromUtf8("文字数"), rectTwips(1800, 4380, 720, kBoxHeight));
    length_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    plus_ = new QPushButton("+", this);
    plus_->setObjectName("Command5_1");
    plus_->setGeometry(rectTwips(2580, 4380, 420, kBoxHeight));
    minus_ = new QPushButton("-", this);
    minus_->setObjectName("Command5_2");
    minus_->setGeometry(rectTwips(3060, 4380, 420, kBoxHeight));
    connect(plus_, &QPushButton::clicked, this, [this] { stepLength(1); });
    connect(minus_, &QPushButton::clicked, this, [this] { stepLength(-1); });

    auto* frame = new QFrame(this);
    frame->setObjectName("Frame1");
    frame->setFrameShape(QFrame::StyledPanel);
    frame->setGeometry(rectTwips(3720, 4320, kRight - 3720, 540));
    optionFrame_ = frame;
    group_ = new QButtonGroup(this);
    group_->setExclusive(true);
    const int optionWidths[5] = {0, 1500, 1800, 1800, 2300};
    int x = 120;
    for (int k = 1; k <= 4; ++k) {
        options_[k] = new QRadioButton(QString::fromUtf8(mk::kPasswordClassCaptions[k]), frame);
        options_[k]->setObjectName(QString("Option1_%1").arg(k));
        options_[k]->setGeometry(rectTwips(x, 60, optionWidths[k], kBoxHeight));
        x += optionWidths[k];
        group_->addButton(options_[k], k);
    }

    caption_ = new QLabel(QString::fromUtf8(kBeforeCaption), this);
    caption_->setObjectName("Label3");
    caption_->setGeometry(rectTwips(kLeft, 5010, 3000, 360));
    result_ = makeBox("Text5", QString::fromUtf8("パスワード"), rectTwips(kLeft, 5400, 7800, 600));
    QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    mono.setPointSize(16);
    result_->setFont(mono);
    for (int i = 1; i <= 3; ++i) {
        strength_[i] = new QLabel(this);
        strength_[i]->setObjectName(QString("Label4_%1").arg(i));
        strength_[i]->setAlignment(Qt::AlignCenter);
        strength_[i]->setFrameShape(QFrame::StyledPanel);
        QFont f = strength_[i]->font();
        f.setPointSize(14);
        f.setBold(true);
        strength_[i]->setFont(f);
        strength_[i]->setGeometry(rectTwips(8280 + (i - 1) * 980, 5400, 900, 600));
    }
    // The weak rating stands out in red.
    QPalette weak = strength_[1]->palette();
    weak.setColor(QPalette::WindowText, toQColor(mk::palette::LightRed));
    strength_[1]->setPalette(weak);

    for (int i = 1; i <= 4; ++i) {
        buttons_[i] = new QPushButton(QString::fromUtf8(kButtonCaptions[i]), this);
        buttons_[i]->setObjectName(QString("Command%1").arg(i));
        buttons_[i]->setGeometry(rectTwips(kLeft + (i - 1) * 2760, 6240, 2640, 600));
    }
    connect(buttons_[1], &QPushButton::clicked, this, [this] { generatePassword(); });
    connect(buttons_[2], &QPushButton::clicked, this, [this] { TransferToEditScreen(); });
    connect(buttons_[3], &QPushButton::clicked, this, [this] { confirmReset(); });
    connect(buttons_[4], &QPushButton::clicked, this, [this] { back(); });

    addHelp();
    enterClicksButtons(this);
    ResetGeneratorScreen();
}

void GeneratorScreen::setHandOver(HandOver handOver) { handOver_ = std::move(handOver); }

QLineEdit* GeneratorScreen::titleBox() const { return title_; }
QLineEdit* GeneratorScreen::itemBox(int row) const {
    return row >= 1 && row <= 8 ? items_[row] : nullptr;
}
QLineEdit* GeneratorScreen::valueBox(int row) const {
    return row >= 1 && row <= 8 ? values_[row] : nullptr;
}
QLineEdit* GeneratorScreen::lengthBox() const { return length_; }
QLineEdit* GeneratorScreen::resultBox() const { return result_; }
QLabel* GeneratorScreen::resultCaption() const { return caption_; }
QLabel* GeneratorScreen::strengthLabel(int i) const {
    return i >= 1 && i <= 3 ? strength_[i] : nullptr;
}
QRadioButton* GeneratorScreen::classOption(int k) const {
    return k >= 1 && k <= 4 ? options_[k] : nullptr;
}
QPushButton* GeneratorScreen::button(int i) const {
    return i >= 1 && i <= 4 ? buttons_[i] : nullptr;
}

void GeneratorScreen::ResetGeneratorScreen() {
    for (int i = 1; i <= mk::kSiteRows; ++i) {
        items_[i]->setText(QString::fromUtf8(mk::kDefaultSiteItems[i]));
        values_[i]->clear();
    }
    length_->setText("10");
    result_->clear();
    title_->clear();
    caption_->setText(QString::fromUtf8(kBeforeCaption));
    values_[mk::kSiteDateRow]->setText(q(mk::todayText()));
    options_[mk::DigitsLower]->setChecked(true);
    // The strength labels keep what they show.
}

void GeneratorScreen::open() {
    if (QWidget* owner = parentWidget()) move(owner->pos() + QPoint(px(2000), px(2000)));
    show();
    raise();
    activateWindow();
    values_[mk::kSiteDateRow]->setText(q(mk::todayText()));
    paintBox(values_[mk::kSiteDateRow], mk::palette::White);
}

int GeneratorScreen::selectedClass() const {
    for (int k = 1; k <= 4; ++k)
        if (options_[k]->isChecked()) return k;
    return mk::DigitsLower;  // the group always has one; the reset's choice
}

void GeneratorScreen::paintBox(QLineEdit* box, unsigned rgb) {
    QPalette pal = box->palette();
    pal.setColor(QPalette::Base, toQColor(rgb));
    box->setPalette(pal);
}

void GeneratorScreen::generatePassword() {
    const mk::PasswordLength length = mk::ReadPasswordLength(s(length_->text()));
    if (!length.valid) {
        const QPalette before = length_->palette();
        paintBox(length_, mk::palette::LightRed);
        mk::MsgBox(kBadLength, mk::Buttons::OK, mk::Icon::None);
        length_->setPalette(before);
        return;
    }
    // The buttons come back whatever happens below.
    struct Enable {
        QPushButton* a;
        QPushButton* b;
        ~Enable() {
            a->setEnabled(true);
            b->setEnabled(true);
        }
    } enable{buttons_[1], buttons_[2]};
    buttons_[1]->setEnabled(false);
    buttons_[2]->setEnabled(false);
    result_->clear();

    const int passwordClass = selectedClass();
    std::string password;
    if (!mk::Trap(kGenerateLocation, [&] {
            password = mk::GeneratePassword(length.length, passwordClass, mk::systemRandom());
        }))
        return;
    caption_->setText(QString::fromUtf8(kAfterCaption));
    const QString shown = q(password);
    for (int i = 1; i <= shown.size(); ++i) {
        result_->setText(shown.left(i));
        mk::WaitSeconds(0.05);
    }
    // The password as generated is rated: "8.5" gives eight characters.
    const mk::Strength strength = mk::PasswordStrength(length.length, passwordClass);
    for (int i = 1; i <= 3; ++i) strength_[i]->clear();
    strength_[int(strength)]->setText(QString::fromUtf8(mk::StrengthCaption(strength)));
}

void GeneratorScreen::TransferToEditScreen() {
    std::vector<std::string> names, values;
    for (int i = 1; i <= mk::kSiteRows; ++i) {
        names.push_back(s(items_[i]->text()));
        values.push_back(s(values_[i]->text()));
    }
    const std::string title = s(title_->text());
    const auto rows = mk::SiteEntryRows(names, values, s(result_->text()));
    if (handOver_ && !handOver_(title, rows)) return;
    hide();
}

void GeneratorScreen::stepLength(int step) {
    length_->setText(q(mk::StepPasswordLength(s(length_->text()), step)));
}

void GeneratorScreen::confirmReset() {
    mk::SetMessageLines(
        {"現在表示されているデータを全てクリアします。", "元に戻りません。", "実行しますか?"});
    if (mk::MsgBox(mk::JoinMessageLines(), mk::Buttons::YesNoDefaultNo, mk::Icon::Question) ==
        mk::AnswerYes)
        ResetGeneratorScreen();
}

void GeneratorScreen::back() {
    hide();
    caption_->setText(QString::fromUtf8(kBeforeCaption));
}

// Some texts name what the boxes hold when the pointer arrives.
void GeneratorScreen::addHelp() {
    auto* help = new MouseHelp(this);
    auto fixed = [](const char* text) { return [text] { return std::string(text); }; };
    help->add(title_, kTitleHelp);
    help->add(length_, kLengthHelp);
    help->add(result_, kResultHelp);
    for (int i = 1; i <= 4; ++i)
        help->add(buttons_[i], kButtonHelp[i] ? MouseHelp::Text(fixed(kButtonHelp[i])) : nullptr);
    for (int k = 1; k <= 4; ++k)
        help->add(options_[k], [this, k] {
            return "文字数　" + s(length_->text()) + " で " + mk::kPasswordClassCaptions[k] +
                   " のパスワードを生成します。 文字数が少ないと条件を満たさない場合があります。";
        });
    for (int i = 1; i <= mk::kSiteRows; ++i) {
        help->add(items_[i], [this, i] {
            return "データベースに　" + s(items_[i]->text()) +
                   " を転送します。　この項目名は変更出来ます。";
        });
        help->add(values_[i], [this, i] {
            return s(items_[i]->text()) +
                   " を入力してください。　DBに転送　でデータベースに転送します。　全角40文字ま"
                   "で対応します。";
        });
    }
    help->addBackground(this);
    help->addBackground(optionFrame_);
}

// Enter moves on through the form; Esc cuts the whole box to the clipboard.
bool GeneratorScreen::boxKey(QLineEdit* box, int key) {
    if (key == Qt::Key_Escape) {
        if (box == length_ || box == result_) return false;
        if (mk::Clipboard* clipboard = mk::programClipboard()) {
            clipboard->clear();
            clipboard->setText(s(box->text()));
        }
        box->clear();
        return true;
    }
    if (key != Qt::Key_Return && key != Qt::Key_Enter) return false;
    if (box == title_) {
        values_[1]->setFocus();
        return true;
    }
    for (int i = 1; i <= mk::kSiteRows; ++i) {
        if (box == items_[i]) {
            if (i < mk::kSiteRows) items_[i + 1]->setFocus();
            return true;
        }
        if (box == values_[i]) {
            if (i == mk::kSiteDateRow)
                paintBox(box, mk::IsDateText(s(box->text())) ? mk::palette::White
                                                             : mk::palette::LightRed);
            if (i < mk::kSiteRows) values_[i + 1]->setFocus();
            return true;
        }
    }
    return false;
}

bool GeneratorScreen::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress)
        if (auto* box = qobject_cast<QLineEdit*>(watched))
            if (boxKey(box, static_cast<QKeyEvent*>(event)->key())) return true;
    return QWidget::eventFilter(watched, event);
}

}  // namespace mk::gui
