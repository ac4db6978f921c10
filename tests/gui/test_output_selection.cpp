// The output selection screen in the main window: opened from "Excel出力・印刷",
// checks set by clicks on the check column and by the commands, stored with
// "結果を保存する", the three outputs opened through the desktop, and "戻る";
// a desktop without a spreadsheet program; the table's columns as
// LibreOffice prints them.
#include <QDesktopServices>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QtTest>

#include "core/output/print_output.h"
#include "gui/app/main_window.h"
#include "gui/output/output_selection_screen.h"
#include "tests/gui/browse_test_support.h"
#include "tests/support/test_support.h"

using namespace browse_test;

class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls << url; }
};

class TestOutputSelection : public QObject {
    Q_OBJECT

private slots:
    void checksStoredAndTheThreeOutputsOpened() {
        QTemporaryDir dir;
        mk::ScriptedMessages messages;
        // A folder name that a command interpreter would split or run.
        mk::Program program(dir.path().toStdString() + "/a b'c;$(touch x)`id`\"/");
        std::vector<Row> rows;
        for (int i = 1; i <= 9; ++i)
            rows.push_back({"項目" + std::to_string(i), "内容" + std::to_string(i)});
        writeEntries(program.store, {{"銀行", rows}, {"メール", {{"ID", "a@b.jp"}, {"PW", "x"}}}});
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler("file", &catcher, "open");
        auto desktop = std::make_unique<mk::test::DesktopPrograms>(
            std::vector<std::string>{"application/vnd.ms-excel"});

        mk::gui::MainWindow window(program);
        window.show();
        window.reloadBrowse();
        window.頁切換(1);
        mk::gui::BrowseWindow* browse = window.browseWindow();
        mk::gui::OutputSelectionScreen* form6 = window.outputSelectionScreen();
        auto* grid = browse->grid();
        QVERIFY(browse->editLock());
        QVERIFY(program.browse.colHidden(2));

        auto* label5 = browse->findChild<QLabel*>("Label5");
        QTest::mouseClick(label5, Qt::LeftButton, {}, label5->rect().center());
        QVERIFY(form6->isVisible());
        QCOMPARE(form6->pos(), window.geometry().topLeft() + QPoint(6500 / 15, 4000 / 15));
        QVERIFY(!browse->editLock());
        QCOMPARE(program.savedLockState, std::string("ON"));
        QVERIFY(!program.browse.colHidden(2));

        // Table rows 1-2 are the mail entry (newest first), 3-11 the bank's.
        auto clickCheck = [&](int row) {
            const QRect cell = grid->visualRect(grid->model()->index(grid->viewRowOf(row), 2));
            QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
        };
        clickCheck(1);
        clickCheck(3);
        QCOMPARE(program.browse.checkState(1, 2), mk::Checked);
        QCOMPARE(program.browse.checkState(3, 2), mk::Checked);
        QVERIFY(form6->isVisible());

        auto click = [&](const char* name) {
            QTest::mouseClick(form6->command(name), Qt::LeftButton);
        };
        click("Command1_3");  // invert: 1 and 3 off, the rest on
        program.browse.setRowHidden(
            11, true);  // a row hidden by a search is neither changed nor stored
        click("Command1_2");
        QCOMPARE(program.browse.checkState(11, 2), mk::Checked);
        click("Command1_1");
        clickCheck(2);  // off again
        click("Command2");
        const std::string content = program.store.contentPath();
        for (int row = 1; row <= 11; ++row) {
            const int record = int(program.browse.number(row, mk::bcol::Child));
            // Row 11 was never stored: its file value is the one it was loaded with.
            const char* expected = row == 2 || row == 11 ? "2" : "1";
            QCOMPARE(mk::test::readContentRecord(content, record).output, std::string(expected));
        }

        const QString file = QString::fromStdString(mk::outputFilePath(program));
        for (const char* name : {"Command3_1", "Command3_2", "Command5"}) {
            QFile::remove(file);
            click(name);
            QVERIFY2(QFile::exists(file), name);
            QCOMPARE(mk::test::readFile(file.toStdString()).substr(0, 4),
                     std::string("\xD0\xCF\x11\xE0"));
        }
        QCOMPARE(catcher.urls, QList<QUrl>(3, QUrl::fromLocalFile(file)));
        QCOMPARE(catcher.urls.front().toLocalFile(), file);
        QVERIFY(!QFile::exists(dir.path() + "/x"));
        QVERIFY(!browse->findChild<QLineEdit*>("コメント表示")->isVisible());
        QVERIFY(messages.messages.empty());

        click("Command1_2");
        click("Command3_1");
        QCOMPARE(messages.messages.size(), std::size_t(1));
        QCOMPARE(messages.last().icon, mk::Icon::Critical);
        QVERIFY(QString::fromStdString(messages.last().text)
                    .startsWith("出力にチェックが入っていません。"));
        QCOMPARE(catcher.urls.size(), 3);

        // No program for the file: it is written all the same, and the user
        // is told where it is.
        desktop = std::make_unique<mk::test::DesktopPrograms>(std::vector<std::string>{});
        QFile::remove(file);
        click("Command5");
        QVERIFY(QFile::exists(file));
        QCOMPARE(catcher.urls.size(), 3);
        QCOMPARE(messages.messages.size(), std::size_t(2));
        QCOMPARE(messages.last().text,
                 "表示出力.xls を開くアプリケーションが見つかりません。\r  \r"
                 "表計算ソフト（LibreOffice Calc など）をインストールして、\r  \r"
                 "次のファイルを開いて下さい。\r  \r" +
                     file.toStdString() + "\r  \r");
        QVERIFY(!browse->findChild<QLineEdit*>("コメント表示")->isVisible());

        // The last output still open in LibreOffice: refused, the old file kept.
        const std::string lock = program.dataFolder() + ".~lock.表示出力.xls#";
        mk::test::writeFile(lock, ",yuki,host,;");
        const std::string old = mk::test::readFile(file.toStdString());
        click("Command1_1");
        click("Command3_2");
        QCOMPARE(messages.last().text,
                 "前回転送したエクセルファイル　表示出力.xls が起動しています。\r  \r"
                 "終了させてから再度印刷出力を実行して下さい。\r  \r");
        QCOMPARE(messages.last().icon, mk::Icon::Critical);
        QCOMPARE(mk::test::readFile(file.toStdString()), old);
        QCOMPARE(catcher.urls.size(), 3);
        QVERIFY(!browse->findChild<QLineEdit*>("コメント表示")->isVisible());
        std::remove(lock.c_str());

        click("Command4");
        QVERIFY(!form6->isVisible());
        QVERIFY(program.browse.colHidden(2));
        QVERIFY(browse->editLock());
        QDesktopServices::unsetUrlHandler("file");
    }

    // Wide capitals, narrow letters, full- and half-width texts: every
    // title and item must print whole, where a column too narrow cuts the
    // text at the next column.
    void tableColumnsHoldTheirTextsInLibreOffice() {
        const QString soffice = QStandardPaths::findExecutable("soffice");
        const QString pdftotext = QStandardPaths::findExecutable("pdftotext");
        if (soffice.isEmpty() || pdftotext.isEmpty())
            QSKIP("needs soffice and pdftotext (scripts/setup test installs them)");
        QTemporaryDir dir;
        mk::ScriptedMessages messages;
        mk::Program program(dir.path().toStdString() + "/app/");
        const std::vector<std::pair<std::string, std::string>> texts{
            {"MY MOBILE WEB MEMBERSHIP", "WWW LOGIN MAIL ADDRESS"},
            {"ＭＹ全角のタイトル", "ｶｰﾄﾞ ｾｷｭﾘﾃｨｺｰﾄﾞ"},
            {"illi", "MMMMMMMMMMMMMMMMMMMM"},
            {"Wi-Fi ROUTER", "パスワード"}};
        std::vector<Entry> entries;
        for (const auto& [title, item] : texts) entries.push_back({title, {{item, "x"}}});
        writeEntries(program.store, entries);
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler("file", &catcher, "open");
        mk::test::DesktopPrograms desktop({"application/vnd.ms-excel"});
        mk::gui::MainWindow window(program);
        window.show();
        window.reloadBrowse();
        window.頁切換(1);
        auto* label5 = window.browseWindow()->findChild<QLabel*>("Label5");
        QTest::mouseClick(label5, Qt::LeftButton, {}, label5->rect().center());
        QTest::mouseClick(window.outputSelectionScreen()->command("Command5"), Qt::LeftButton);
        QDesktopServices::unsetUrlHandler("file");
        QCOMPARE(catcher.urls.size(), 1);

        QProcess convert;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", dir.path());  // LibreOffice's profile
        convert.setProcessEnvironment(env);
        convert.start(soffice, {"--headless", "--convert-to", "pdf", "--outdir", dir.path(),
                                catcher.urls.front().toLocalFile()});
        QVERIFY(convert.waitForFinished(180000));
        const QString pdf = dir.path() + "/表示出力.pdf";
        QVERIFY2(QFile::exists(pdf), convert.readAllStandardError().constData());
        QProcess text;
        text.start(pdftotext, {"-layout", pdf, "-"});
        QVERIFY(text.waitForFinished(60000));
        const QString printed = QString::fromUtf8(text.readAllStandardOutput());
        for (const auto& [title, item] : texts) {
            QVERIFY2(printed.contains(QString::fromStdString(title)), qPrintable(printed));
            QVERIFY2(printed.contains(QString::fromStdString(item)), qPrintable(printed));
        }
        QVERIFY(messages.messages.empty());
    }
};

QTEST_MAIN(TestOutputSelection)
#include "test_output_selection.moc"
