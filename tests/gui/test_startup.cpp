// The start-up sequence on a temporary program folder: first start with the
// sample set, the login prompt, the developer machine, the empty data set, a
// second running copy, and the cipher library opened beside the program or
// missing.
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QtTest>

#include "core/app/cipher_library.h"
#include "core/app/cipher_wrappers.h"
#include "core/app/program.h"
#include "core/base/scripted_messages.h"
#include "core/maintenance/sample_data.h"
#include "core/settings/settings_file.h"
#include "core/store/browse_load.h"
#include "gui/app/grid_view.h"
#include "gui/app/main_window.h"
#include "gui/app/progress_window.h"
#include "gui/app/startup.h"
#include "gui/app/twips.h"
#include "gui/browse/browse_window.h"

using namespace mk::gui;

namespace {

const std::string CR = "\r";

StartUpEnvironment machine(const std::string& name, bool anotherCopy = false) {
    StartUpEnvironment env;
    env.computerName = [name] { return name; };
    env.anotherCopyRunning = [anotherCopy] { return anotherCopy; };
    env.cipherFolder = MIRUKASU_BIN_DIR;
    return env;
}

// One run of the program over a folder.
struct Run {
    explicit Run(const std::string& folder) : program(folder), window(program) {}
    bool start(StartUpEnvironment env) {
        StartUp startUp(program, window, std::move(env));
        return startUp.run();
    }
    mk::Program program;
    MainWindow window;
};

// Presses the exit button at the `at`-th turn of the event loop.
struct ExitPressedAt : mk::ScriptedMessages {
    MainWindow* window = nullptr;
    int at = -1;
    void processEvents() override {
        mk::ScriptedMessages::processEvents();
        if (eventsProcessed != at || !window) return;
        QWidget* caption = window->findChild<QWidget*>("Picture2")->findChild<QLabel*>("Label2");
        QTest::mouseClick(caption, Qt::LeftButton);
    }
};

bool exists(const std::string& path) { return QFile::exists(QString::fromStdString(path)); }

}  // namespace

class TestStartUp : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir;
    std::string folder;

    // A settings file that asks for `password` with `hint`.
    void writeLogin(const std::string& password, const std::string& hint) {
        mk::ScriptedMessages quiet;
        mk::CipherLibrary cipher(MIRUKASU_BIN_DIR);
        mk::ScopedCipherService use(&cipher);
        mk::Program p(folder);
        mk::設定読込(p);
        p.settingsScreen.passwordBox = password;
        p.settingsScreen.hintBox = hint;
        p.settingsScreen.option1 = true;
        p.settingsScreen.option2 = false;
        mk::設定書込(p);
    }

    // Empty data files: no sample set, nothing to load.
    void writeEmptyDataFiles(bool both) {
        QDir(QString::fromStdString(folder)).mkpath("DuzoZuzevod");
        mk::Program p(folder);
        QFile title(QString::fromStdString(p.store.titlePath()));
        QVERIFY(title.open(QIODevice::WriteOnly));
        if (both) {
            QFile content(QString::fromStdString(p.store.contentPath()));
            QVERIFY(content.open(QIODevice::WriteOnly));
        }
    }

private slots:
    void init() {
        dir = std::make_unique<QTemporaryDir>();
        folder = dir->path().toStdString() + "/";
    }
    void cleanup() { dir.reset(); }

    void firstStartMakesSettingsAndSampleDataAndLoadsThem() {
        mk::ScriptedMessages messages;
        Run run(folder);
        QVERIFY(run.start(machine("PC-1")));

        QVERIFY(exists(folder + "DuzoZuzevod/設定.Int"));
        QVERIFY(exists(run.program.store.titlePath()));
        QVERIFY(exists(run.program.store.contentPath()));

        // 20 entries, newest first: the last sample entry is number 1.
        const mk::GridTable& table = run.program.browse;
        QCOMPARE(table.rows(), 1 + 86);
        QCOMPARE(table.text(1, mk::bcol::Number), std::string("1"));
        QCOMPARE(table.text(table.rows() - 1, mk::bcol::Number), std::string("20"));
        const auto samples = mk::SampleData();
        QCOMPARE(QString::fromStdString(table.text(1, mk::bcol::Title)),
                 QString::fromStdString(samples[19].title).left(42));

        // The first block is current: entry 20 has 3 rows.
        QCOMPARE(run.program.editContext.blockFirst, std::string("1"));
        QCOMPARE(run.program.editContext.blockLast, std::string("3"));
        QCOMPARE(run.program.editContext.currentRow, 1);
        QCOMPARE(run.program.editContext.currentCol, 1);

        // No login on first start; only the sample set's own message.
        for (const auto& m : messages.messages) QVERIFY(!m.isInput);
        QCOMPARE(messages.messages.size(), std::size_t(1));

        QVERIFY(!run.program.developerMode);
        QCOMPARE(run.program.savedLockState, std::string("ON"));
        QCOMPARE(run.program.dateTimeFormat, std::string("yyyy/mm/dd hh:mm:ss"));
        QVERIFY(run.window.browseWindow()->editLock());
        QVERIFY(!run.window.browseWindow()->grid()->isEditable());
        QVERIFY(run.window.browseWindow()->isVisible());
        QVERIFY(!run.window.progressWindow()->isVisible());
        QVERIFY(run.window.isVisible());
        QVERIFY(!run.window.isMinimized());
        QCOMPARE(run.window.captionLook(1).color, QColor(255, 255, 128));
        QCOMPARE(run.window.progressWindow()->text(),
                 QString("全ての設定が完了しました。メインメニューを起動します。 "));
        QCOMPARE(run.window.pos(), QPoint(px(90), px(75)));

        // The second start leaves the data as it is.
        Run again(folder);
        QVERIFY(again.start(machine("PC-1")));
        QCOMPARE(again.program.browse.rows(), 87);
        QCOMPARE(messages.messages.size(), std::size_t(1));
    }

    void wrongPasswordAsksAgainWithTheHint() {
        writeLogin("secret", "ペットの名前");
        mk::ScriptedMessages messages;
        messages.inputs = {"wrong", "SECRET"};
        Run run(folder);
        QVERIFY(run.start(machine("PC-1")));

        std::vector<mk::RecordedMessage> inputs;
        for (const auto& m : messages.messages)
            if (m.isInput) inputs.push_back(m);
        QCOMPARE(inputs.size(), std::size_t(2));
        QCOMPARE(inputs[0].title, std::string("ログインパスワードの入力　　"));
        QCOMPARE(inputs[0].text, "ログインパスワードを入力してください。" + CR + "  " + CR);
        QCOMPARE(inputs[1].text,
                 "入力したログインパスワード　wrong は不一致です。  " + CR + "  " + CR +
                     "ログインパスワードを入力してください。" + CR + "  " + CR +
                     "ヒントは　ペットの名前  です。" + CR + "  " + CR);
        QCOMPARE(inputs[1].title, std::string("ログインパスワードの入力　　"));
    }

    void anEmptyAnswerEndsBeforeAnyDataFile() {
        writeLogin("abc", "hint");
        mk::ScriptedMessages messages;  // no answer queued: Cancel
        Run run(folder);
        QVERIFY(!run.start(machine("PC-1")));
        const mk::RecordedMessage& last = messages.last();
        QCOMPARE(last.text, std::string("キャンセルがクリックされたので　起動しないで終了します。"));
        QCOMPARE(last.icon, mk::Icon::Critical);
        QCOMPARE(last.buttons, mk::Buttons::OK);
        QCOMPARE(last.title, std::string("Mirukasu"));
        QVERIFY(!exists(run.program.store.titlePath()));
        QVERIFY(!exists(run.program.store.contentPath()));
    }

    void theDeveloperNameIsCaseSensitive() {
        {
            mk::ScriptedMessages messages;
            Run run(folder);
            QVERIFY(run.start(machine("rozoz-idizu")));
            QVERIFY(!run.program.developerMode);
            QCOMPARE(run.program.computerName, std::string("rozoz-idizu"));
        }
        mk::ScriptedMessages messages;
        Run run(folder);
        QVERIFY(run.start(machine("ROZOZ-IDIZU")));
        QVERIFY(run.program.developerMode);
        QCOMPARE(run.window.pos(), QPoint(px(33000), px(2500)));
    }

    void emptyDataShowsTheMessageAndOneEmptyRow() {
        writeEmptyDataFiles(true);
        mk::ScriptedMessages messages;
        Run run(folder);
        QVERIFY(run.start(machine("PC-1")));
        QCOMPARE(messages.messages.size(), std::size_t(1));
        const mk::RecordedMessage& m = messages.last();
        QCOMPARE(m.text, "データが登録されていません。" + CR + "  " + CR +
                             "新規登録・編集画面で　データ登録をお願いいたします。" + CR + "  " + CR);
        QCOMPARE(m.icon, mk::Icon::Information);
        QCOMPARE(m.buttons, mk::Buttons::OK);
        QCOMPARE(run.program.browse.rows(), 2);
        QCOMPARE(run.program.browse.rowHeight(1), 550);
        QCOMPARE(run.program.browse.rowHeight(0), 300);
        QCOMPARE(run.program.editContext.blockFirst, std::string("1"));
        QCOMPARE(run.program.editContext.blockLast, std::string("1"));
    }

    void oneDataFileIsEnoughToSkipTheSampleSet() {
        writeEmptyDataFiles(false);
        mk::ScriptedMessages messages;
        Run run(folder);
        QVERIFY(run.start(machine("PC-1")));
        QCOMPARE(run.program.browse.rows(), 2);
        QCOMPARE(messages.last().icon, mk::Icon::Information);
    }

    void theCipherComesFromTheLibraryBesideTheProgram() {
        mk::ScriptedMessages messages;
        Run run(folder);
        QVERIFY(run.start(machine("PC-1")));
        const std::string cipher = mk::暗号化("パスワード");
        QVERIFY(!cipher.empty());
        QCOMPARE(mk::復号化(cipher), std::string("パスワード"));
        QVERIFY(dynamic_cast<mk::CipherLibrary*>(mk::cipherService()));
    }

    // Without the library the start reports error 429 and goes on; the
    // settings then cannot be written (their password is enciphered).
    void aMissingCipherLibraryIsReportedAndTheStartGoesOn() {
        QTemporaryDir noLibrary;
        mk::ScriptedMessages messages;
        Run run(folder);
        StartUpEnvironment env = machine("PC-1");
        env.cipherFolder = noLibrary.path().toStdString();
        QVERIFY(run.start(env));
        QVERIFY(!messages.messages.empty());
        const mk::RecordedMessage& report = messages.messages.front();
        QCOMPARE(report.title, std::string("エラー発生表示"));
        QVERIFY(report.text.find("　エラー番号： 429" + CR) != std::string::npos);
        QVERIFY(report.text.find("ActiveX コンポーネントはオブジェクトを作成できません。") !=
                std::string::npos);
        QCOMPARE(mk::暗号化("x"), std::string());
        QCOMPARE(run.program.browse.rows(), 87);  // the sample set, loaded
        QVERIFY(run.window.isVisible());
    }

    void aSecondCopyEndsAtOnce() {
        mk::ScriptedMessages messages;
        Run run(folder);
        QVERIFY(!run.start(machine("PC-1", true)));
        QCOMPARE(messages.messages.size(), std::size_t(1));
        QCOMPARE(messages.last().text, std::string("このアプリケーションは　すでに起動されています。"));
        QCOMPARE(messages.last().icon, mk::Icon::None);
        QCOMPARE(messages.last().buttons, mk::Buttons::OK);
        QVERIFY(!exists(folder + "DuzoZuzevod/設定.Int"));

        // The lock: one holder per folder, free again once it is gone.
        auto first = std::make_unique<SingleInstance>(folder);
        QVERIFY(first->acquire());
        SingleInstance second(folder);
        QVERIFY(!second.acquire());
        SingleInstance elsewhere(folder + "other/");
        QVERIFY(elsewhere.acquire());
        first.reset();
        QVERIFY(second.acquire());
    }

    // A user who presses 終了 while the start-up still waits ends the
    // program there: the start-up stops instead of showing the window again
    // with an event loop whose quit came too early.
    void theExitButtonDuringStartUpEndsTheProgram() {
        int turns = 0;
        {
            mk::ScriptedMessages messages;
            Run run(folder);
            QVERIFY(run.start(machine("PC-1")));
            turns = messages.eventsProcessed;
        }
        QVERIFY(turns > 10);
        for (int at : {1, 2, turns / 3, turns / 2, turns - 1}) {
            ExitPressedAt messages;
            messages.at = at;
            Run run(folder);
            messages.window = &run.window;
            QVERIFY2(!run.start(machine("PC-1")), qPrintable(QString::number(at)));
            QVERIFY(run.window.exiting());
            QVERIFY(!run.window.isVisible());
            QVERIFY(!run.window.progressWindow()->isVisible());
        }
    }

    // Every damaged data folder of the test data: the start runs to its end
    // (or to the login that nobody answers) and the grid shows what loaded.
    void damagedDataFoldersStartWithoutACrash() {
        const QDir corpus(qEnvironmentVariable("MIRUKASU_SOURCE_DIR") + "/tests/data/damaged");
        const QStringList cases = corpus.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        QVERIFY(cases.size() >= 20);
        for (const QString& name : cases) {
            QTemporaryDir app;
            const QString data = app.path() + "/DuzoZuzevod/";
            QVERIFY(QDir().mkpath(data));
            for (const QString& file : QDir(corpus.filePath(name)).entryList(QDir::Files))
                QVERIFY(QFile::copy(corpus.filePath(name) + "/" + file, data + file));
            mk::ScriptedMessages messages;
            Run run(app.path().toStdString() + "/");
            if (!run.start(machine("PC-1"))) continue;  // the login was not answered
            QVERIFY2(run.window.isVisible(), qPrintable(name));
            QVERIFY2(run.program.browse.rows() >= 2, qPrintable(name));
        }
    }
};

QTEST_MAIN(TestStartUp)
#include "test_startup.moc"
