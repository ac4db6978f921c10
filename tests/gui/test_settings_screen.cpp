// The settings screen through its own buttons: a hand-edited login mode, the
// backup folder chosen (and one whose name the file cannot hold refused),
// two backups on one day, a refused backup of unchanged data, a backup after
// a save, the restore of an older pair, a restore with its content half
// missing, the login settings read back by the next start, and the sample
// data deleted with the user's entries kept, each sample command ending on
// the search and browse screen.
#include <QDesktopServices>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>
#include <QAccessible>
#include <QInputMethodEvent>

#include "core/app/cipher_library.h"
#include "core/app/cipher_service.h"
#include "codec/cp932.h"
#include "core/base/clock.h"
#include "core/settings/settings_file.h"
#include "core/startup/login.h"
#include "gui/app/folder_chooser.h"
#include "gui/app/main_window.h"
#include "gui/settings/settings_screen.h"
#include "tests/gui/browse_test_support.h"
#include "tests/support/test_support.h"

using namespace mk::gui;

namespace {

const std::string CR = "\r";

struct FixedClock : mk::Clock {
    std::time_t when = 0;
    std::time_t now() const override { return when; }
};

std::time_t localTime(int y, int mo, int d, int h) {
    std::tm t{};
    t.tm_year = y - 1900;
    t.tm_mon = mo - 1;
    t.tm_mday = d;
    t.tm_hour = h;
    t.tm_isdst = -1;
    return std::mktime(&t);
}

// Text as an input method hands it over (QTest types Latin-1 only).
void commitText(QWidget* box, const char* text) {
    QInputMethodEvent event;
    event.setCommitString(QString::fromUtf8(text));
    QApplication::sendEvent(box, &event);
}

std::string lines(std::initializer_list<std::string> parts) {
    std::string text;
    for (const std::string& p : parts) text += p + CR + "  " + CR;
    return text;
}

}  // namespace

class TestSettingsScreen : public QObject {
    Q_OBJECT

private slots:
    void theCommandsThroughTheirButtons() {
        QTemporaryDir dir;
        const std::string app = dir.path().toStdString() + "/";
        mk::CipherLibrary cipher(MIRUKASU_BIN_DIR);
        mk::ScopedCipherService useCipher(&cipher);
        mk::ScriptedMessages messages;
        FixedClock clock;
        clock.when = localTime(2024, 3, 5, 10);
        mk::setProgramClock(&clock);

        mk::Program program(app);
        browse_test::writeEntries(program.store,
                                  {{"自分の銀行", {{"ID", "me"}}}, {"見本", {{"PW", "x"}}, 9}});
        for (const std::string& path : {program.store.titlePath(), program.store.contentPath()})
            mk::fs::setModifiedTime(path, localTime(2024, 3, 1, 9));
        // A hand-edited file whose mode word the program does not know.
        const std::string settingsFile = mk::settingsPath(program);
        mk::test::writeFile(settingsFile, mk::cp932::encode(program.dataFolder() +
                                                            "パスワード・備忘録バックアップ/\r\n"
                                                            "-*-5830\r\nいつもの5830\r\nmaybe\r\n"));
        mk::設定読込(program);

        MainWindow window(program);
        window.show();
        window.browseWindow()->reload();
        window.頁切換(3);
        auto* screen = qobject_cast<SettingsScreen*>(window.settingsScreen());
        QVERIFY(screen && screen->isVisible());
        auto child = [&](const char* name) {
            return screen->findChild<QWidget*>(QString::fromUtf8(name));
        };
        auto click = [&](const char* name) {
            QWidget* w = child(name);
            QVERIFY2(w && w->isVisible(), name);
            QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center());
        };
        QVERIFY(!child("Frame3")->isVisible());  // a developer-only frame
        QVERIFY(child("Image1")->isVisible() && child("Picture6")->isVisible());
        auto* option1 = screen->findChild<QRadioButton*>("Option1_1");
        auto* option2 = screen->findChild<QRadioButton*>("Option1_2");
        click("Label1_4");
        QVERIFY(!option1->isChecked() && !option2->isChecked());  // neither for "maybe"
        click("Command4");

        // The backup folder: a cancel changes nothing, then a chosen folder.
        const std::string chosen = app + "控え";
        QDir().mkpath(QString::fromStdString(chosen));
        // Names the file cannot hold as they are: 〜 comes back as ～, Hangul as "?".
        const std::pair<std::string, std::string> unstorable[] = {{"波〜線", "〜"}, {"한글", "한"}};
        std::vector<QString> answers = {QString()};
        for (const auto& [name, bad] : unstorable) {
            QDir().mkpath(QString::fromStdString(app + name));
            answers.push_back(QString::fromStdString(app + name));
        }
        answers.push_back(QString::fromStdString(chosen));
        QString prompt;
        setFolderChooser([&](QWidget*, const QString& caption, const QString&) {
            prompt = caption;
            QString a = answers.front();
            answers.erase(answers.begin());
            return a;
        });
        const std::string before = program.settings.BackupFolder;
        click("Label1_2");
        QCOMPARE(program.settings.BackupFolder, before);
        const std::string settingsBytes = mk::test::readFile(settingsFile);
        for (const auto& [name, bad] : unstorable) {
            click("Picture1_2");
            QCOMPARE(messages.last().text,
                     lines({"選択したフォルダー " + app + name + " の名前には",
                            "設定ファイルに保存出来ない文字「" + bad + "」が含まれています。",
                            "この名前のままではバックアップ先に指定出来ません。",
                            "フォルダー名を変更するか　別のフォルダーを指定してください。",
                            "バックアップ先は変更しません。"}));
            QCOMPARE(program.settings.BackupFolder, before);
            QCOMPARE(mk::test::readFile(settingsFile), settingsBytes);
        }
        click("Picture1_2");
        setFolderChooser(nullptr);
        QCOMPARE(prompt, QString("バックアップを作成するフォルダーを指定してください。"));
        const std::string backups = chosen + "/";
        QCOMPARE(program.settings.BackupFolder, backups);
        QCOMPARE(messages.last().text, lines({"バックアップ先を", backups + " に", "設定しました。",
                                              "今後、この場所にバックアップが作成されます。"}));

        // Two backups on one day; the second only once the data changed.
        const std::string b1 = backups + "パスワード表題_2024_03_05_001.dat";
        const std::string b2 = backups + "パスワード表題_2024_03_05_002.dat";
        click("Label1_1");
        QCOMPARE(messages.messages[messages.messages.size() - 2].text,
                 lines({"Mirukasuデータのバックアップを作成します。", "実行しますか?"}));
        QCOMPARE(messages.last().icon, mk::Icon::Information);
        QVERIFY(QFile::exists(QString::fromStdString(b1)));
        QVERIFY(!child("コメント表示")->isVisible());
        click("Label1_1");
        QCOMPARE(messages.last().text,
                 lines({"現在のデータは既にバックアップ作成済みです。", b1, "処理を中止します。"}));
        QCOMPARE(messages.last().icon, mk::Icon::Exclamation);
        QVERIFY(!QFile::exists(QString::fromStdString(b2)));

        mk::EntryWrite added{0, "後から保存", {{0, "メモ", "新しい"}}, {}};
        program.store.writeNewEntry(added);
        mk::fs::setModifiedTime(program.store.contentPath(), localTime(2024, 3, 5, 11));
        click("Label1_1");
        QVERIFY(QFile::exists(QString::fromStdString(b2)));
        QCOMPARE(messages.last().text.substr(0, b2.size() + 3), b2 + "で");

        // The older pair comes back: the browse table shows exactly its entries.
        click("Label1_3");
        auto* list = screen->findChild<QListWidget*>("List1");
        QVERIFY(list->isVisible());
        QCOMPARE(list->count(), 2);
        QCOMPARE(list->item(0)->text(), QString("パスワード表題_2024_03_05_001.dat"));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(0)).center());
        QCOMPARE(messages.last().text, lines({"指定のバックアップデータを読込みました。　",
                                              "検索・閲覧画面に移動します。"}));
        QVERIFY(window.browseWindow()->isVisible());
        QVERIFY(!screen->isVisible());
        std::vector<std::string> titles;
        for (int r = 1; r < program.browse.rows(); ++r)
            titles.push_back(program.browse.text(r, mk::bcol::Title));
        QCOMPARE(titles, (std::vector<std::string>{"見本", "自分の銀行"}));
        QCOMPARE(window.browseWindow()->grid()->model()->rowCount(), 2);

        // A backup whose content half is gone is refused with nothing changed.
        const std::string titleBytes = mk::test::readFile(program.store.titlePath());
        const std::string contentBytes = mk::test::readFile(program.store.contentPath());
        QFile::remove(QString::fromStdString(backups + "パスワード内容_2024_03_05_002.dat"));
        window.頁切換(3);
        click("Label1_3");
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(1)).center());
        QCOMPARE(messages.last().text,
                 lines({"リンクするデータの",
                        backups + "パスワード内容_2024_03_05_002.dat にアクセス出来ません。",
                        "処理を中止します。"}));
        QCOMPARE(mk::test::readFile(program.store.titlePath()), titleBytes);
        QCOMPARE(mk::test::readFile(program.store.contentPath()), contentBytes);
        QVERIFY(screen->isVisible());

        // Login settings: asked for from the next start on.
        click("Label1_4");
        QVERIFY(child("Frame4")->isVisible());
        auto* password = screen->findChild<QLineEdit*>("Text1_1");
        auto* hint = screen->findChild<QLineEdit*>("Text1_2");
        QCOMPARE(password->text(), QString("5830"));
        QCOMPARE(password->echoMode(), QLineEdit::Password);
        click("Command2");
        QCOMPARE(password->echoMode(), QLineEdit::Normal);
        password->selectAll();
        QTest::keyClicks(password, "himitsu");
        hint->selectAll();
        QTest::keyClicks(hint, "pet");
        QVERIFY(option2->isChecked());  // the folder's save wrote the mode the screen showed
        click("Option1_1");
        click("Option1_1");  // a click on the selected option keeps it
        QVERIFY(option1->isChecked() && !option2->isChecked());
        for (QRadioButton* option : {option1, option2})
            QCOMPARE(QAccessible::queryAccessibleInterface(option)->role(),
                     QAccessible::RadioButton);
        // A character the file cannot hold is refused by name; nothing is saved.
        const std::string loginBytes = mk::test::readFile(settingsFile);
        struct Refused {
            QLineEdit* box;
            const char *typed, *kept, *what, *bad;
        } refused[] = {{hint, "ヒント한글", "pet", "ログインパスワードのヒント", "한"},
                       {password, "pw한", "himitsu", "ログインパスワード", "한"}};
        for (const Refused& r : refused) {
            r.box->selectAll();
            commitText(r.box, r.typed);
            click("Command1");
            QCOMPARE(messages.last().text,
                     lines({std::string(r.what) + "に　保存出来ない文字「" + r.bad + "」があります。",
                            "この文字を使わずに入力してください。", "設定は保存しません。"}));
            QCOMPARE(mk::test::readFile(settingsFile), loginBytes);
            QVERIFY(child("Frame4")->isVisible());
            r.box->selectAll();
            QTest::keyClicks(r.box, r.kept);
        }
        click("Command1");
        QCOMPARE(messages.last().text,
                 lines({"現在の設定を保存しました。", "次回起動時から反映されます。"}));
        QVERIFY(!child("Frame4")->isVisible());
        {
            mk::Program next(app);
            mk::設定読込(next);
            QCOMPARE(next.settings.LoginMode, std::string("入力する"));
            QCOMPARE(next.settings.LoginPassword, std::string("himitsu"));
            const std::size_t shown = messages.messages.size();
            messages.inputs = {"HIMITSU"};
            QVERIFY(mk::ログイン(next.settings));
            QCOMPARE(messages.messages.size(), shown + 1);
            QVERIFY(messages.last().isInput);
        }

        // The sample data goes, the user's entry stays; the command ends where
        // its message says.
        const auto endsOnBrowse = [&](const char* message) {
            QCOMPARE(messages.last().text, std::string(message));
            QVERIFY(window.browseWindow()->isVisible() && !screen->isVisible());
            QCOMPARE(window.captionLook(1).color, QColor(255, 255, 128));
            QCOMPARE(window.captionLook(3).color, QColor(Qt::white));
        };
        click("Label1_5");
        titles.clear();
        for (int r = 1; r < program.browse.rows(); ++r)
            titles.push_back(program.browse.text(r, mk::bcol::Title));
        QCOMPARE(titles, std::vector<std::string>{"自分の銀行"});
        QCOMPARE(window.browseWindow()->counter()->text(), QString("-*-"));
        endsOnBrowse("サンプルデータの削除が完了しました。　検索・閲覧に移動します。");
        window.頁切換(3);
        QVERIFY(child("Image1")->isVisible());

        // The manual: missing, then handed to the desktop.
        const std::string manual = app + "【ユーザーマニュアル】Mirukasu.pdf";
        click("Picture6");
        QCOMPARE(
            messages.last().text,
            lines({"選択されたファイルにアクセス出来ません。", manual + CR + " が存在しません。",
                   "お手数ですがファイル場所を確認して下さい。", "処理を中止します"}));
        QCOMPARE(messages.last().buttons, mk::Buttons::AbortRetryIgnore);
        QCOMPARE(messages.last().icon, mk::Icon::Question);
        mk::test::writeFile(manual, "%PDF");
        QDesktopServices::setUrlHandler("file", this, "openFile");
        const std::size_t shown = messages.messages.size();
        {
            mk::test::DesktopPrograms desktop({"application/pdf"});
            click("Picture6");
        }
        QCOMPARE(opened.toLocalFile(), QString::fromStdString(manual));
        QCOMPARE(messages.messages.size(), shown);
        // A desktop without a PDF viewer: the path, and "no program" (31).
        opened.clear();
        {
            mk::test::DesktopPrograms desktop({});
            click("Picture6");
        }
        QDesktopServices::unsetUrlHandler("file");
        QVERIFY(opened.isEmpty());
        QCOMPARE(messages.last().text, manual + " にアクセスができませんでした。   Res=31");

        // On the developer machine the debug frame shows until "消す".
        program.developerMode = true;
        window.頁切換(1);
        window.頁切換(3);
        QVERIFY(child("Frame3")->isVisible());
        int checks = 0;
        screen->setArrayCheckAction([&] { ++checks; });
        click("データ配列検査");
        QCOMPARE(checks, 1);
        click("Label1_6");
        QCOMPARE(mk::test::readPair(program.store.titlePath(), program.store.contentPath()).size(),
                 size_t(20));
        endsOnBrowse("サンプルデータの生成が完了しました。　検索・閲覧に移動します。");
        window.頁切換(3);
        click("Command5");
        QVERIFY(!child("Frame3")->isVisible());
        window.頁切換(1);
        window.頁切換(3);
        QVERIFY(!child("Frame3")->isVisible());

        mk::setProgramClock(nullptr);
    }

public slots:
    void openFile(const QUrl& url) { opened = url; }

private:
    QUrl opened;
};

QTEST_MAIN(TestSettingsScreen)
#include "test_settings_screen.moc"
