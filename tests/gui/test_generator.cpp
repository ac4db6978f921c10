// The password generator in the real main window: opened from the browse
// window's "パスワード生成", filled by typing, a bad length refused, a
// password generated and rated, the form handed over to the edit screen and
// saved there with "新規登録"; the data files are then read back.
#include <QClipboard>
#include <QMimeData>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include "core/base/clipboard.h"
#include "core/base/clock.h"
#include "core/edit/edit_session.h"
#include "gui/app/main_window.h"
#include "gui/app/twips.h"
#include "gui/edit/edit_screen.h"
#include "gui/generator/generator_screen.h"
#include "tests/gui/browse_test_support.h"
#include "tests/support/test_support.h"

using mk::gui::GeneratorScreen;
using mk::gui::MainWindow;

namespace {

// 2026-12-08 12:00 UTC: the same day in every time zone the tests run in.
struct FixedClock : mk::Clock {
    std::time_t now() const override { return 1796731200; }
};

QColor base(QWidget* w) { return w->palette().color(QPalette::Base); }

}  // namespace

class TestGenerator : public QObject {
    Q_OBJECT

private slots:
    void siteFormToANewEntry() {
        QTemporaryDir dir;
        FixedClock clock;
        mk::setProgramClock(&clock);
        mk::ScriptedMessages messages;
        mk::Program program(dir.path().toStdString() + "/");
        browse_test::writeEntries(program.store, {{"Old", {{"ID", "x"}}}});
        MainWindow window(program);
        window.show();
        window.browseWindow()->reload();
        window.頁切換(1);
        window.placeSeparateScreens();
        GeneratorScreen* gen = window.generatorScreen();
        QVERIFY(gen->isHidden());

        // Opening from the browse window.
        auto* label7 = window.browseWindow()->findChild<QLabel*>("Label7");
        QVERIFY(label7);
        QTest::mouseClick(label7, Qt::LeftButton, {}, label7->rect().center());
        QVERIFY(gen->isVisible());
        QCOMPARE(gen->pos(), window.pos() + QPoint(mk::gui::px(2000), mk::gui::px(2000)));
        QCOMPARE(gen->valueBox(7)->text(), QString("2026/12/08"));
        QCOMPARE(gen->itemBox(1)->text(), QString("パスワードを設定するサイト名"));
        QCOMPARE(gen->lengthBox()->text(), QString("10"));
        QVERIFY(gen->classOption(2)->isChecked());
        QCOMPARE(gen->resultCaption()->text(), QString("生成するパスワード"));

        // The form, typed; item 3 renamed; a date that is not one.
        QTest::keyClicks(gen->titleBox(), "Shop");
        QTest::keyClicks(gen->valueBox(1), "Shop Online");
        gen->itemBox(3)->selectAll();
        QTest::keyClicks(gen->itemBox(3), "Login");
        QTest::keyClicks(gen->valueBox(3), "me@example.com");
        gen->valueBox(7)->selectAll();
        QTest::keyClicks(gen->valueBox(7), "2026/13/01");
        QTest::keyClick(gen->valueBox(7), Qt::Key_Return);
        QCOMPARE(base(gen->valueBox(7)), QColor(255, 0, 0));
        // Esc cuts a box to the clipboard.
        QTest::keyClicks(gen->valueBox(8), "memo");
        QTest::keyClick(gen->valueBox(8), Qt::Key_Escape);
        QCOMPARE(gen->valueBox(8)->text(), QString());
        QCOMPARE(mk::programClipboard()->text(), std::string("memo"));
        QCOMPARE(QGuiApplication::clipboard()->mimeData()->data("x-kde-passwordManagerHint"),
                 QByteArray("secret"));

        // A bad length: the message, the box back to its colour, nothing made.
        const QColor lengthBack = base(gen->lengthBox());
        gen->lengthBox()->selectAll();
        QTest::keyClicks(gen->lengthBox(), "3");
        QTest::mouseClick(gen->button(1), Qt::LeftButton);
        QCOMPARE(messages.messages.size(), std::size_t(1));
        QCOMPARE(messages.last().text, std::string("入力した文字数が不適切です。"));
        QCOMPARE(base(gen->lengthBox()), lengthBack);
        QCOMPARE(gen->resultBox()->text(), QString());

        // 4.5 passes as read and makes 4 characters; class 4 rates that 弱.
        gen->lengthBox()->selectAll();
        QTest::keyClicks(gen->lengthBox(), "4.5");
        QTest::mouseClick(gen->classOption(4), Qt::LeftButton);
        QVERIFY(gen->classOption(4)->isChecked() && !gen->classOption(2)->isChecked());
        QTest::mouseClick(gen->button(1), Qt::LeftButton);
        const QString password = gen->resultBox()->text();
        QCOMPARE(password.size(), 4);
        QCOMPARE(gen->resultCaption()->text(), QString("生成したパスワード"));
        QCOMPARE(gen->strengthLabel(1)->text(), QString("弱"));
        QCOMPARE(gen->strengthLabel(2)->text(), QString());
        QCOMPARE(gen->strengthLabel(3)->text(), QString());
        QVERIFY(gen->button(1)->isEnabled() && gen->button(2)->isEnabled());

        // "初期化" answered No keeps everything.
        messages.answers = {mk::AnswerNo};
        QTest::mouseClick(gen->button(3), Qt::LeftButton);
        QCOMPARE(messages.last().buttons, mk::Buttons::YesNoDefaultNo);
        QCOMPARE(gen->titleBox()->text(), QString("Shop"));
        QCOMPARE(gen->resultBox()->text(), password);

        // The hand-over: only rows with a value, then the password.
        QTest::mouseClick(gen->button(2), Qt::LeftButton);
        QVERIFY(gen->isHidden());
        mk::gui::EditScreen* edit = window.editScreen();
        QVERIFY(edit->isVisible());
        QCOMPARE(edit->titleBox()->text(), QString("Shop"));
        QVERIFY(!edit->findChild<QLabel*>("Label1_2")->isEnabled());
        const mk::GridTable& t = edit->session().table;
        QCOMPARE(t.rows(), 5);
        QCOMPARE(t.text(0, mk::ecol::Item), std::string("項目"));
        const std::pair<std::string, std::string> rows[] = {
            {"パスワードを設定するサイト名", "Shop Online"},
            {"Login", "me@example.com"},
            {"パスワード生成日", "2026/13/01"},
            {"パスワード", password.toStdString()}};
        for (int r = 1; r <= 4; ++r) {
            QCOMPARE(t.text(r, mk::ecol::Item), rows[r - 1].first);
            QCOMPARE(t.text(r, mk::ecol::Content), rows[r - 1].second);
            QCOMPARE(t.text(r, mk::ecol::Parent), std::string());
            QCOMPARE(t.rowHeight(r), 550);
        }
        QCOMPARE(t.rowHeight(0), 300);

        // Saved as a new entry: the files hold it beside the old one.
        auto* newSave = edit->findChild<QLabel*>("Label1_1");
        QTest::mouseClick(newSave, Qt::LeftButton);
        const auto pair =
            mk::test::readPair(program.store.titlePath(), program.store.contentPath());
        QCOMPARE(pair.size(), std::size_t(2));
        const mk::test::PairEntry& entry = pair[1];
        QCOMPARE(entry.title, std::string("Shop"));
        QCOMPARE(entry.rows.size(), std::size_t(4));
        for (int r = 0; r < 4; ++r) {
            QCOMPARE(entry.rows[r].item, mk::test::cp932Bytes(rows[r].first));
            QCOMPARE(entry.rows[r].content, rows[r].second);
            QCOMPARE(entry.rows[r].parent, entry.titleRec);
        }

        // The next opening shows the same form, value 7 today again on white.
        QTest::mouseClick(label7, Qt::LeftButton, {}, label7->rect().center());
        QCOMPARE(gen->titleBox()->text(), QString("Shop"));
        QCOMPARE(gen->itemBox(3)->text(), QString("Login"));
        QCOMPARE(gen->valueBox(7)->text(), QString("2026/12/08"));
        QCOMPARE(base(gen->valueBox(7)), QColor(255, 255, 255));
        mk::setProgramClock(nullptr);
    }
};

QTEST_MAIN(TestGenerator)
#include "test_generator.moc"
