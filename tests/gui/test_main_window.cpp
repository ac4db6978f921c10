// The main window: page switch looks and screens, the edit context fix on
// page 2, an open grid edit committed by the switch, hover looks, mouse-help
// texts, and the exit procedure.
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "core/app/program.h"
#include "core/base/scripted_messages.h"
#include "core/edit/edit_session.h"
#include "gui/app/folder_chooser.h"
#include "gui/app/grid_view.h"
#include "gui/app/main_window.h"
#include "gui/app/progress_window.h"
#include "gui/app/qt_messages.h"
#include "gui/browse/browse_window.h"
#include "gui/edit/edit_menu.h"
#include "gui/edit/edit_screen.h"
#include "gui/generator/generator_screen.h"
#include "gui/output/output_selection_screen.h"
#include "tests/gui/browse_test_support.h"
#include "tests/support/test_support.h"

using mk::gui::CaptionLook;
using mk::gui::MainWindow;

namespace {

const QColor kPale(255, 255, 128);
const QColor kCyan(0, 255, 255);

// A point of `screen` over no child: its background.
QPoint backgroundOf(QWidget* screen) {
    for (int y = 2; y < screen->height(); y += 4)
        for (int x = 2; x < screen->width(); x += 4)
            if (!screen->childAt(x, y)) return {x, y};
    return {};
}

void sendMove(QWidget* w) {
    QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), w->mapToGlobal(QPointF(5, 5)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &move);
}

}  // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<mk::Program> program;
    std::unique_ptr<mk::ScriptedMessages> messages;
    std::unique_ptr<MainWindow> window;

private slots:
    void init() {
        dir = std::make_unique<QTemporaryDir>();
        program = std::make_unique<mk::Program>(dir->path().toStdString() + "/");
        messages = std::make_unique<mk::ScriptedMessages>();
        window = std::make_unique<MainWindow>(*program);
        window->show();
    }
    void cleanup() {
        window.reset();
        messages.reset();
        program.reset();
        dir.reset();
    }

    void pageSwitchShowsOneScreenAndMarksItsButton() {
        window->頁切換(3);
        QVERIFY(window->settingsScreen()->isVisible());
        QCOMPARE(window->settingsScreen()->objectName(), QString("設定画面"));
        QVERIFY(!window->browseWindow()->isVisible());
        QCOMPARE(window->settingsScreen()->geometry(), window->workArea()->rect());
        for (int i = 1; i <= 3; ++i) {
            const CaptionLook look = window->captionLook(i);
            QCOMPARE(look.bold, i == 3);
            QCOMPARE(look.pointSize, i == 3 ? 12.0 : 11.0);
            QCOMPARE(look.color, i == 3 ? kPale : QColor(Qt::white));
            QCOMPARE(window->caption(i)->font().bold(), i == 3);
            QCOMPARE(window->caption(i)->palette().color(QPalette::WindowText), look.color);
        }
        window->progressWindow()->show();
        window->頁切換(1);
        QVERIFY(window->browseWindow()->isVisible());
        QVERIFY(!window->settingsScreen()->isVisible());
        QVERIFY(!window->progressWindow()->isVisible());
        QCOMPARE(window->captionLook(1).color, kPale);

        // Page 0 changes nothing.
        window->頁切換(0);
        QVERIFY(window->browseWindow()->isVisible());
        QCOMPARE(window->captionLook(1).color, kPale);

        // Any other page hides everything and marks no button.
        window->頁切換(7);
        QVERIFY(!window->browseWindow()->isVisible());
        for (int i = 1; i <= 3; ++i) QCOMPARE(window->captionLook(i).color, QColor(Qt::white));
    }

    // The settings screen's maintenance controls reach their routines: each
    // asks its own question first (answered No, so nothing changes), and the
    // developer's data array check opens its window.
    void settingsMaintenanceControlsRunTheirRoutines() {
        program->developerMode = true;
        window->頁切換(mk::gui::Page::Settings);
        struct Case {
            const char* control;
            const char* questionStart;
        };
        for (const Case& c : {Case{"Picture1_7", "ピコットパスワード管理のデータを読み込んで"},
                              Case{"Picture1_8", ""}, Case{"Command3", ""}}) {
            auto* control = window->settingsScreen()->findChild<QWidget*>(c.control);
            QVERIFY2(control && control->isVisible(), c.control);
            messages->answers.push_back(mk::AnswerNo);
            const std::size_t before = messages->messages.size();
            QTest::mouseClick(control, Qt::LeftButton, {}, control->rect().center());
            QVERIFY2(messages->messages.size() > before, c.control);
            const mk::RecordedMessage& asked = messages->messages[before];
            QCOMPARE(int(asked.buttons), int(mk::Buttons::YesNoDefaultNo));
            QVERIFY2(
                QString::fromStdString(asked.text).startsWith(QString::fromUtf8(c.questionStart)),
                asked.text.c_str());
        }
        auto* arrayCheck = window->settingsScreen()->findChild<QPushButton*>("データ配列検査");
        QVERIFY(arrayCheck && arrayCheck->isVisible());
        QTest::mouseClick(arrayCheck, Qt::LeftButton);
        QWidget* checkWindow = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->inherits("mk::gui::ArrayCheckWindow") && w->isVisible()) checkWindow = w;
        for (QWidget* w : window->findChildren<QWidget*>())
            if (w->inherits("mk::gui::ArrayCheckWindow") && w->isVisible()) checkWindow = w;
        QVERIFY(checkWindow);
        window->頁切換(mk::gui::Page::Browse);
        QVERIFY(!checkWindow->isVisible());
    }

    void pageTwoFixesTheBlockEndBeforeOpeningTheEditScreen() {
        program->browse.setRows(6);
        QCOMPARE(program->editContext.blockLast, std::string("MainR2"));
        window->頁切換(2);
        QCOMPARE(program->editContext.blockLast, std::string("5"));
        QVERIFY(window->editScreen()->isVisible());
        QVERIFY(window->settingsScreen()->isHidden());

        // A block that is already set stays.
        program->editContext.setBlock(2, 3);
        window->頁切換(2);
        QCOMPARE(program->editContext.blockLast, std::string("3"));
    }

    void aPageSwitchCommitsAnOpenGridEdit() {
        window->頁切換(mk::gui::Page::Edit);
        mk::gui::GridView* grid = window->editScreen()->grid();
        grid->setCurrentCell(1, mk::ecol::Item);
        grid->edit(grid->currentIndex());
        auto* editor = grid->viewport()->findChild<QLineEdit*>();
        QVERIFY(editor);
        QTest::keyClicks(editor, "Memo");
        QTest::mouseClick(window->caption(1), Qt::LeftButton);
        QVERIFY(window->browseWindow()->isVisible());
        QCOMPARE(window->editScreen()->session().table.text(1, mk::ecol::Item),
                 std::string("Memo"));
    }

    void hoverKeepsTheCurrentPageAndShowsHelp() {
        window->頁切換(1);
        sendMove(window->caption(2));
        QCOMPARE(window->captionLook(2).color, kCyan);
        QVERIFY(window->captionLook(2).bold);
        QCOMPARE(window->mouseHelpLine()->text(), QString::fromUtf8(mk::gui::kMenuHelp[1]));

        // Over the current page's own button: its look stays, the others go
        // back to white and not bold.
        sendMove(window->menuBox(1));
        QCOMPARE(window->captionLook(1).color, kPale);
        QVERIFY(window->captionLook(1).bold);
        QCOMPARE(window->captionLook(1).pointSize, 12.0);
        QCOMPARE(window->captionLook(2).color, QColor(Qt::white));
        QVERIFY(!window->captionLook(2).bold);
        QCOMPARE(window->mouseHelpLine()->text(), QString("パスワード・備忘録の検索画面です。"));

        sendMove(window->exitCaption());
        QCOMPARE(window->mouseHelpLine()->text(), QString("このアプリを終了します。"));
        sendMove(window->mouseHelpLine());
        QCOMPARE(window->mouseHelpLine()->text(),
                 QString("マウスカーソルのあるボタンなどの機能をこの場所に表示します。"));
    }

    // Every control that a screen gives a help text, under the real pointer
    // (moves through the window system, Enter and Leave included): the help
    // line ends with its text, and of a command's captions only the one
    // under the pointer is lit. The background clears the line and the looks.
    void hoverShowsTheHelpOfEveryControl() {
        program->developerMode = true;  // the settings' developer commands show
        struct Hover {
            QString control;
            std::string help;
            bool lit = false;  // the control's caption is the one lit
            QPoint at = {};    // default: the centre
        };
        QStringList captions;  // of the screen under test
        auto bold = [](QWidget* w) { return w->font().bold(); };
        auto check = [&](QWidget* screen, const std::vector<Hover>& hovers) {
            QVERIFY(QTest::qWaitForWindowExposed(screen->window()));
            QApplication::processEvents();
            for (const Hover& h : hovers) {
                auto* control = screen->findChild<QWidget*>(h.control);
                QVERIFY2(control && control->isVisible(), qPrintable(h.control));
                const QPoint at = h.at.isNull() ? control->rect().center() : h.at;
                QTest::mouseMove(control, at);
                QVERIFY2(!messages->mouseHelp.empty(), qPrintable(h.control));
                QCOMPARE(QString::fromStdString(messages->mouseHelp.back()),
                         QString::fromStdString(h.help));
                for (const QString& name : captions) {
                    auto* caption = screen->findChild<QWidget*>(name);
                    const bool underPointer =
                        h.lit && (name == h.control || control->isAncestorOf(caption));
                    QVERIFY2(bold(caption) == underPointer,
                             qPrintable(h.control + " / " + name));
                }
            }
            QTest::mouseMove(screen, backgroundOf(screen));
            QCOMPARE(messages->mouseHelp.back(), std::string());
            for (const QString& name : captions) QVERIFY(!bold(screen->findChild<QWidget*>(name)));
        };

        window->頁切換(mk::gui::Page::Browse);
        captions = {"Label1_1", "Label1_2", "Label1_4"};
        check(window->browseWindow(),
              {{"Label1_1", "全検索をします。 空白では検索出来ません。Hitしたセルは文字が赤くなります。", true},
               {"Label1_2", "検索結果からさらに絞込検索をします。　Hitしたセルの文字は赤く装飾されます。", true},
               {"Label1_4", "並替えや文字装飾は破棄され、全データを表示します。起動時と同じ表示になります。", true},
               {"Option1_1", "検索でHitしたデータがある表題を表示します。　Hitしていない行も表示されます。"},
               {"Option1_2", "検索でHitした行のみ表示します。表題がHitした場合は全行表示します。"},
               {"Label6", "検索時のカウンターを表示します。"},
               {"検索箱1", "この部分に検索キーワードを入力します。セルをクリックするとこの場所に転送されます."},
               {"Label5", "表示のデータをエクセルに転送します。　エクセルで印刷やスマホなどへ転送が可能です。スマホ転送時はxlsxへの変換が必要です。"},
               {"Label7", "パスワードを自動生成します。"},
               {"Frame16", "", false, {3, 12}}});

        window->頁切換(mk::gui::Page::Edit);
        captions = {"Label1_1", "Label1_2", "Label1_3", "Label1_4"};
        const std::string clearHelp =
            "現在表示されているデータを消去します。　注意：この状態で修正保存を実行するとデータ内容は空白に書き換わります。";
        check(window->editScreen(),
              {{"Label1_1", "新しいレコード番号を取って新規保存します。", true},
               {"Label1_2", "現在のレコード番号で上書保存します。", true},
               {"Label1_3", "", true},
               {"Label1_4", clearHelp, true},
               {"Picture1", clearHelp, true, {3, 3}},
               {"Command1", "現在のセルに本日の日付を転送します。"},
               {"Text1", "表題が表示されます。新規保存の場合は重複を避けて修正してください。全角20文字まで対応します。"}});

        window->頁切換(mk::gui::Page::Settings);
        auto* settings = window->settingsScreen();
        settings->findChild<QWidget*>("Frame4")->show();
        const char* commandHelp[10] = {
            "", "アプリのデータをバックアップします。バックアップ先は　「バックアップ先指定」で変更出来ます。",
            "アプリのデータのバックアップ先を変更します。", "バックアップしたデータを読み込みます。",
            "アプリ起動時のログインパスワードの入力有無を選択します。",
            "デバッグ用　サンプルデータを削除します。", "デバッグ用　サンプルデータを生成します。",
            "ピコットPWのデータをインポートします。", "旧　パスワード管理のデータをインポートします。",
            "未設定"};
        std::vector<Hover> onSettings;
        captions.clear();
        for (int i = 0; i <= 9; ++i) {
            captions << QString("Label1_%1").arg(i);
            const QString box = QString("Picture1_%1").arg(i);
            onSettings.push_back({box, commandHelp[i], true, {3, 3}});
            onSettings.push_back({captions.back(), commandHelp[i], true});
        }
        for (Hover h : std::vector<Hover>{
                 {"Label2", "バックアップファイルの収納先を表示しています."},
                 {"List1", "リストから読み込むバックアップファイルを選択してください。"},
                 {"Label5_1", "このアプリを起動したとき ログインパスワードの入力有無を切りかえます。"},
                 {"Label5_2", "パスワードを入力してください。"},
                 {"Label5_3", "パスワードを忘れた場合　ヒントになる言葉を入力してください。"},
                 {"Text1_1", "パスワードを入力してください。右のボタンで明示出来ます。"},
                 {"Text1_2", "パスワードを忘れた場合のヒントを表示してください。最初のパスワード入力でアクセス出来なかった場合に表示されます。"},
                 {"Frame4", "", false, {3, 40}}})
            onSettings.push_back(h);
        const Hover list[2] = {onSettings[20], onSettings[21]};  // Label2, List1
        onSettings.erase(onSettings.begin() + 20, onSettings.begin() + 22);
        check(settings, onSettings);
        // The backup list and the manual show in other views.
        settings->findChild<QWidget*>("Frame4")->hide();
        settings->findChild<QWidget*>("Frame1")->show();
        check(settings, {list[0], list[1]});
        settings->findChild<QWidget*>("Frame1")->hide();
        check(settings, {{"Picture6", "このアプリの取扱説明書を起動します。Adobe Acrobat が必要です。"}});

        // The separate windows away from the main window: the pointer finds
        // the window under it.
        const QPoint beside = window->geometry().topRight() + QPoint(40, 0);
        window->openGenerator();
        mk::gui::GeneratorScreen* generator = window->generatorScreen();
        generator->move(beside);
        captions.clear();
        std::vector<Hover> onGenerator = {
            {"Text1", "表題 を入力してください。　DBに転送　でデータベースに転送します。　"},
            {"Text4", "生成するパスワードの文字数を４～20の範囲で入力します。　"},
            {"Text5", "「パスワード生成」　で　指定条件に合致したパスワードを生成します。　"},
            {"Command1", "ボタンクリックのたびに設定された条件と乱数でパスワードを生成します。"},
            {"Command2", "現在表示されているデータを編集画面に転送します。　データを再確認して新規保存を実行して下さい。"},
            {"Command3", "入力値を破棄して　この画面のデータを初期化します。"},
            {"Frame1", "", false, {2, 2}}};
        const char* classes[5] = {"", "数字のみ", "数字+小文字", "数字+大文字", "数字+小文字+大文字"};
        for (int k = 1; k <= 4; ++k)
            onGenerator.push_back({QString("Option1_%1").arg(k),
                                   std::string("文字数　10 で ") + classes[k] +
                                       " のパスワードを生成します。 文字数が少ないと条件を満たさない場合があります。"});
        for (int i = 1; i <= 8; ++i) {
            const std::string name = generator->itemBox(i)->text().toStdString();
            onGenerator.push_back({QString("Text2_%1").arg(i),
                                   "データベースに　" + name + " を転送します。　この項目名は変更出来ます。"});
            onGenerator.push_back({QString("Text3_%1").arg(i),
                                   name + " を入力してください。　DBに転送　でデータベースに転送します。　全角40文字まで対応します。"});
        }
        check(generator, onGenerator);
        generator->hide();

        window->outputSelectionScreen()->showBeside(true);
        window->outputSelectionScreen()->move(beside);
        captions = {"Command1_1", "Command1_2", "Command1_3", "Command1_4", "Command2", "Command4", "Command5"};
        check(window->outputSelectionScreen(),
              {{"Command1_1", "表示しているデータの全てにチェックを入れます。　この行は印刷候補になります。", true},
               {"Command1_2", "表示しているデータの全てのチェックを外します。　印刷候補から除外されます。", true},
               {"Command1_3", "表示しているデータのチェックを反転します。", true},
               {"Command1_4", "全データのチェックを外します。　全データが印刷候補から除外されます。　非表示の行もチェックが外れます。", true},
               {"Command2", "変更したチェックの状態を保存します。保存すると次回起動したとき現在の状態が表示されます。", true},
               {"Command4", "印刷出力画面を非表示にします。", true},
               {"Command5", "チェックにの有無に関係無く現在表示されているデータをエクセルに転送します。マイクロソフトエクセルが必要です。", true},
               {"Frame1", "", false, {3, 3}},
               {"Frame2", "", false, {3, 3}}});
    }

    // A whole session with the keyboard alone: a keyword typed in hiragana
    // finds the entry stored in katakana, the grid takes the entry, the menu
    // button opens it, a content is typed and saved with "修正保存", and a
    // row is deleted through the edit menu; the files hold both changes.
    void aKeyboardAloneSearchesEditsSavesAndDeletesARow() {
        browse_test::writeEntries(program->store,
                                  {{"カード会社", {{"ID", "user1"}, {"暗証", "1234"}, {"メモ", "旧"}}},
                                   {"銀行", {{"ID", "bank"}}}});
        window->reloadBrowse();
        window->頁切換(mk::gui::Page::Browse);
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        auto focused = [] { return QApplication::focusWidget(); };
        auto key = [&](int k, Qt::KeyboardModifiers mods = Qt::NoModifier) {
            QVERIFY(focused());
            QTest::keyClick(focused(), Qt::Key(k), mods);
        };
        auto typeText = [&](const QString& text) {
            for (const QChar ch : text) {
                QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
                QApplication::sendEvent(focused(), &press);
            }
        };
        // Tab until `name` has the focus; the names on the way are the order.
        auto tabTo = [&](const QString& name, Qt::KeyboardModifiers mods = Qt::NoModifier) {
            QStringList way;
            for (int i = 0; i < 20 && focused()->objectName() != name; ++i) {
                key(Qt::Key_Tab, mods);
                way << focused()->objectName();
            }
            return way;
        };
#define TAB_TO(name, ...) \
    tabTo(name, ##__VA_ARGS__);  \
    QCOMPARE(focused()->objectName(), QString(name))

        // The bar's captions come first, then the search box and its commands.
        window->caption(1)->setFocus();
        QCOMPARE(tabTo("検索箱1"), QStringList({"Label1_2", "Label1_3", "Label2", "検索箱1"}));
        typeText("かーど");
        QCOMPARE(window->browseWindow()->searchBox()->text(), QString("かーど"));
        QCOMPARE(tabTo("Label1_1"), QStringList({"Label1_1"}));
        QVERIFY(focused()->font().underline());  // the focus shows
        key(Qt::Key_Space);
        QCOMPARE(window->browseWindow()->counter()->text(), QString("3/4"));

        // Into the grid: its first shown row is the entry's.
        TAB_TO("VSFlexGrid1");
        key(Qt::Key_Down);
        key(Qt::Key_Up);
        QCOMPARE(program->browse.text(program->browse.currentRow, mk::bcol::Title), std::string("カード会社"));

        // Ctrl+Tab leaves the grid; the bar's "新規登録・編集" opens the entry.
        key(Qt::Key_Tab, Qt::ControlModifier);
        TAB_TO("Label1_2");
        key(Qt::Key_Return);
        mk::gui::EditScreen* edit = window->editScreen();
        QVERIFY(edit->isVisible());
        mk::gui::GridView* grid = edit->grid();
        QCOMPARE(focused(), static_cast<QWidget*>(grid));
        QCOMPARE(edit->titleBox()->text(), QString("カード会社"));

        // Tab never stops on the fixed column 0.
        key(Qt::Key_Down);
        key(Qt::Key_Down);
        key(Qt::Key_Tab, Qt::ShiftModifier);
        QCOMPARE(std::pair(grid->row(), grid->col()), std::pair(2, 2));
        key(Qt::Key_Tab);
        QCOMPARE(std::pair(grid->row(), grid->col()), std::pair(3, 1));
        key(Qt::Key_Tab);
        typeText("新メモ");
        key(Qt::Key_Return);
        QTRY_COMPARE(edit->session().table.text(3, mk::ecol::Content), std::string("新メモ"));

        // Back out of the grid to "修正保存", and Enter saves.
        key(Qt::Key_Tab, Qt::ControlModifier | Qt::ShiftModifier);
        TAB_TO("Label1_2", Qt::ShiftModifier);
        key(Qt::Key_Return);
        const std::string titles = program->store.titlePath(), contents = program->store.contentPath();
        std::vector<mk::test::PairEntry> pair = mk::test::readPair(titles, contents);
        QCOMPARE(pair[0].rows[2].content, mk::test::cp932Bytes("新メモ"));
        // The save reloaded the table: no search result is left to count.
        QCOMPARE(window->browseWindow()->counter()->text(), QString("-*-"));

        // Shift+F10 on the row of "暗証", the arrow keys to "③行を削除する".
        TAB_TO("VSFlexGrid1");
        while (grid->row() > 2) key(Qt::Key_Up);
        QCOMPARE(grid->row(), 2);
        key(Qt::Key_F10, Qt::ShiftModifier);
        QVERIFY(edit->editMenu()->isVisible());
        key(Qt::Key_Down);
        key(Qt::Key_Down);
        key(Qt::Key_Return);
        key(Qt::Key_Escape);
        QVERIFY(!edit->editMenu()->isVisible());
        QCOMPARE(focused(), static_cast<QWidget*>(grid));
        pair = mk::test::readPair(titles, contents);
        QCOMPARE(pair[0].rows.size(), std::size_t(2));
        QCOMPARE(pair[0].rows[1].content, mk::test::cp932Bytes("新メモ"));
        QCOMPARE(mk::test::readContentRecord(contents, 2).item, mk::test::cp932Bytes("<削除<"));
#undef TAB_TO
    }

    void clickingACaptionHighlightsAndSwitches() {
        window->頁切換(1);
        QTest::mouseClick(window->caption(3), Qt::LeftButton);
        QVERIFY(window->settingsScreen()->isVisible());
        QCOMPARE(window->captionLook(3).color, kPale);
        QCOMPARE(window->captionLook(1).color, QColor(Qt::white));
        QTest::mouseClick(window->menuBox(1), Qt::LeftButton, {}, QPoint(3, 3));
        QVERIFY(window->browseWindow()->isVisible());
    }

    void highlightMarksOnlyColourAndWeight() {
        window->頁切換(3);
        window->highlightMenu(1);
        QCOMPARE(window->captionLook(1).color, kPale);
        QVERIFY(window->captionLook(1).bold);
        QCOMPARE(window->captionLook(1).pointSize, 11.0);  // size stays as the switch left it
        QCOMPARE(window->captionLook(3).color, QColor(Qt::white));
        QVERIFY(!window->captionLook(3).bold);
    }

    void exitClosesEveryOtherWindow() {
        QWidget generator, output;
        generator.show();
        output.show();
        window->progressWindow()->show();
        QTest::mouseClick(window->exitCaption(), Qt::LeftButton);
        QCOMPARE(window->exitCaption()->palette().color(QPalette::WindowText),
                 QColor(255, 255, 64));
        QVERIFY(window->exitCaption()->font().bold());
        QVERIFY(!generator.isVisible());
        QVERIFY(!output.isVisible());
        QVERIFY(!window->progressWindow()->isVisible());
        QVERIFY(!window->isVisible());
    }

    void theCloseBoxRunsTheExitProcedure() {
        QWidget generator;
        generator.show();
        window->close();
        QVERIFY(!generator.isVisible());
        QVERIFY(!window->isVisible());
        QCOMPARE(window->exitCaption()->palette().color(QPalette::WindowText),
                 QColor(255, 255, 64));
    }

    void theQtServiceShowsJapaneseButtonsAndMapsAnswers() {
        QVERIFY(mk::gui::installJapaneseQtTexts(*qApp));
        mk::gui::QtMessages service;
        service.setMouseHelpSink([this](const QString& t) { window->setMouseHelp(t); });
        mk::ShowMouseHelp("ヘルプ");
        QCOMPARE(window->mouseHelpLine()->text(), QString("ヘルプ"));

        QString shownText, shownTitle, noText;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            shownText = box->text();
            shownTitle = box->windowTitle();
            noText = box->button(QMessageBox::No)->text();
            box->button(QMessageBox::No)->click();
        });
        const int answer =
            mk::MsgBox("一行目\r  \r二行目", mk::Buttons::YesNo, mk::Icon::Question, "題");
        QCOMPARE(answer, int(mk::AnswerNo));
        QCOMPARE(shownText, QString("一行目\n  \n二行目"));
        QCOMPARE(shownTitle, QString("題"));
        QVERIFY(noText.startsWith(QString("いいえ")));

        // A question whose Yes destroys data: Enter answers No.
        QTimer::singleShot(0, [] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            QTest::keyClick(box, Qt::Key_Return);
        });
        QCOMPARE(mk::MsgBox("消去?", mk::Buttons::YesNoDefaultNo, mk::Icon::Question),
                 int(mk::AnswerNo));

        // Cancel on an input box gives an empty answer, whatever was typed.
        QTimer::singleShot(0, [] {
            auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            dialog->setTextValue("typed");
            dialog->reject();
        });
        QCOMPARE(mk::InputBox("prompt", "title", "default"), std::string());

        // The folder chooser is Qt's own dialog, whose labels the translation
        // covers; a desktop's dialog would speak the machine's language.
        QStringList buttons;
        bool native = true;
        QTimer::singleShot(0, [&] {
            auto* chooser = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            QVERIFY(chooser);
            native = !chooser->testOption(QFileDialog::DontUseNativeDialog);
            for (auto* button : chooser->findChildren<QPushButton*>())
                if (button->isVisible()) buttons << button->text();
            chooser->reject();
        });
        QCOMPARE(mk::gui::chooseFolder(nullptr, "題", dir->path()), QString());
        QVERIFY(!native);
        buttons.sort();
        QCOMPARE(buttons, QStringList({"キャンセル", "選択(&C)"}));
    }
};

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
