// The browse window's search controls: commands, display modes, narrowing,
// messages, counter, layout and hover looks.
#include <QCheckBox>
#include <QFrame>
#include <QInputMethodEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>

#include "core/browse/search_commands.h"
#include "core/store/text.h"
#include "gui/app/grid_model.h"
#include "gui/app/twips.h"
#include "gui/browse/label_button.h"
#include "tests/gui/browse_test_support.h"

using namespace browse_test;
using Rows = std::vector<int>;
Q_DECLARE_METATYPE(std::vector<int>)

namespace {

// Shown order: rows 1-2 "Shop", rows 3-4 "Mail", rows 5-7 "Bank".
const std::vector<Entry> kEntries = {
    {"Bank", {{"ID", "taro"}, {"PW", "abc123"}, {"memo", "ab cd"}}},
    {"Mail", {{"ID", "hanako@example.jp"}, {"URL", "https://mail.example.jp"}}},
    {"ABC Shop", {{"No", "12345"}, {"memo", "kana"}}},
};

bool red(Harness& h, int r, int c) { return h.table().foreColor(r, c) == mk::palette::LightRed; }

}  // namespace

class TestBrowseSearch : public QObject {
    Q_OBJECT
private slots:
    void layoutNamesAndLooks() {
        Harness h(kEntries);
        auto* frame = h.child<QFrame>("Frame16");
        QVERIFY(frame);
        QCOMPARE(frame->geometry(), mk::gui::rectTwips(120, -60, 9465, 1035));
        QCOMPARE(h.box()->objectName(), QString("検索箱1"));
        QCOMPARE(h.box()->accessibleName(), QString("検索キーワード"));
        QCOMPARE(h.box()->parentWidget(), frame);
        QCOMPARE(h.box()->geometry(), mk::gui::rectTwips(120, 210, 4230, 420));
        const char* captions[] = {"", "検索", "絞込検索", "再表示", "全データ表示"};
        for (int i = 1; i <= 4; ++i) {
            auto* label = h.child<QLabel>(("Label1_" + std::to_string(i)).c_str());
            QVERIFY(label);
            QCOMPARE(label->text(), QString(captions[i]));
            QCOMPARE(mk::gui::textColor(label), QColor(255, 255, 255));
            QVERIFY(!label->font().bold());
        }
        QCOMPARE(h.child<QLabel>("Label1_1")->parentWidget()->geometry(),
                 mk::gui::rectTwips(4380, 180, 1455, 495));
        QCOMPARE(h.child<QLabel>("Label7")->parentWidget()->geometry(),
                 mk::gui::rectTwips(11940, 120, 2175, 495));
        QVERIFY(h.child<QRadioButton>("Option1_1")->isChecked());
        QCOMPARE(h.child<QRadioButton>("Option1_2")->text(), QString("Hit行のみ表示"));
        QCOMPARE(h.counter(), QString("-*-"));
        QCOMPARE(h.child<QCheckBox>("Check1")->text(), QString("修正の無効化"));
        QVERIFY(h.child<QCheckBox>("Check1")->isChecked());
        QCOMPARE(h.child<QLabel>("Label5")->text(), QString("Excel出力・印刷"));
        QCOMPARE(h.grid()->objectName(), QString("VSFlexGrid1"));
        QCOMPARE(h.grid()->pos(), QPoint(mk::gui::px(120), mk::gui::px(1020)));
        QVERIFY(h.child<QLineEdit>("コメント表示")->isHidden());
        const QString family = h.window->font().family();
        QVERIFY2(family == "Meiryo UI" || family.contains("CJK JP") || family.contains("Gothic"),
                 qPrintable(family));

        // Developer-only controls.
        auto* command2 = h.child<QPushButton>("Command2");
        QVERIFY(command2->isHidden());
        QVERIFY(h.child<QFrame>("Frame1")->isHidden());
        h.window->setDeveloperMode(true);
        QVERIFY(!command2->isHidden());
        QVERIFY(!h.child<QFrame>("Frame1")->isHidden());
        QCOMPARE(command2->text(), QString("Rec表示/非表示"));
        QVERIFY(h.table().colHidden(mk::bcol::Parent));
        command2->click();
        QVERIFY(h.program->recordNumbersShown);
        QVERIFY(!h.table().colHidden(mk::bcol::Parent));
        QCOMPARE(h.table().colWidth(mk::bcol::Item), 3000);
        QVERIFY(!h.grid()->isColumnHidden(mk::bcol::Output));
    }

    void searchNarrowAndNewSearch() {
        Harness h(kEntries);
        h.search("abc");  // title "ABC Shop" and content "abc123"
        QCOMPARE(h.shownRows(), (Rows{1, 2, 5, 6, 7}));
        QCOMPARE(h.counter(), QString("5/7"));
        QVERIFY(h.grid()->isVisible());
        QVERIFY(red(h, 1, mk::bcol::Title));
        QVERIFY(red(h, 6, mk::bcol::Content));
        QVERIFY(!red(h, 5, mk::bcol::Content));
        const QModelIndex hit = h.grid()->model()->index(h.grid()->viewRowOf(6), mk::bcol::Content);
        QCOMPARE(hit.data(Qt::ForegroundRole).value<QColor>(), QColor(255, 0, 0));

        // Narrowing by the button, then by Enter.
        h.search("ID");
        h.search("taro", "Label1_2");
        QCOMPARE(h.shownRows(), (Rows{5, 6, 7}));
        QCOMPARE(h.counter(), QString("3/7"));
        QVERIFY(red(h, 3, mk::bcol::Item));  // earlier marks stay
        h.child<QRadioButton>("Option1_2")->setChecked(true);  // no click: no search
        h.box()->setText("123");
        QTest::keyClick(h.box(), Qt::Key_Return);
        QCOMPARE(h.shownRows(), (Rows{6}));
        QCOMPARE(h.counter(), QString("1/7"));  // row 1 ("12345"), hidden before, is not tested

        // A new search starts over.
        h.child<QRadioButton>("Option1_1")->setChecked(true);
        h.search("Mail");
        QCOMPARE(h.shownRows(), (Rows{3, 4}));
        QVERIFY(!red(h, 3, mk::bcol::Item));
        QVERIFY(!red(h, 6, mk::bcol::Content));
    }

    // A search over a big table with scattered hits reaches the view as one
    // layout change or reset, not as a removal per run of hidden rows, and
    // its marks as a few blocks, not a change per hit.
    void bigSearchIsOneLayoutChange() {
        std::vector<Entry> entries;
        for (int t = 0; t < 1500; ++t)
            entries.push_back({t % 7 ? "Shop " + std::to_string(t) : "楽天 " + std::to_string(t),
                               {{"ID", "u" + std::to_string(t)}, {"PW", "p"}, {"memo", "m"}}});
        Harness h(entries);
        QAbstractItemModel* model = h.grid()->model();
        QSignalSpy resets(model, &QAbstractItemModel::modelReset);
        QSignalSpy layouts(model, &QAbstractItemModel::layoutChanged);
        QSignalSpy removals(model, &QAbstractItemModel::rowsRemoved);
        QSignalSpy insertions(model, &QAbstractItemModel::rowsInserted);
        QSignalSpy changes(model, &QAbstractItemModel::dataChanged);
        h.search("楽天");
        QCOMPARE(h.counter(), QString("645/4500"));
        QCOMPARE(int(h.shownRows().size()), 645);
        QCOMPARE(removals.count() + insertions.count(), 0);
        QCOMPARE(resets.count() + layouts.count(), 1);
        QVERIFY(changes.count() <= 4);
        QVERIFY(red(h, h.table().rows() - 3, mk::bcol::Title));  // title record 1 is shown last
    }

    // An input method types 〜 (U+301C); the data file gives back ～ (U+FF5E).
    // QTest::keyClicks takes Latin-1 only, so the character arrives as an
    // input method's commit, the way a Japanese user enters it.
    void typedWaveDashFindsTheStoredTilde() {
        Harness h({{"Shop", {{"Hours", "9時～17時"}}}, {"Bank", {{"ID", "taro"}}}});
        h.box()->setFocus();
        QInputMethodEvent commit;
        commit.setCommitString(QString::fromUtf8("〜"));
        QApplication::sendEvent(h.box(), &commit);
        QCOMPARE(h.box()->text(), QString(QChar(0x301C)));
        h.press(h.child<QLabel>("Label1_1"));
        QCOMPARE(h.shownRows(), (Rows{2}));
        QCOMPARE(h.counter(), QString("1/2"));
        QVERIFY(red(h, 2, mk::bcol::Content));
        QVERIFY(h.messages.messages.empty());
    }

    // The search meets a word however the input method gave it: hiragana
    // and katakana, full and half width, small and full-size kana, the long
    // vowel and its dashes. Stored texts go through CP932 and back; the
    // keyword is committed as an input method commits it. The hit marks
    // follow the same folding.
    void kanaFolding_data() {
        QTest::addColumn<QString>("keyword");
        QTest::addColumn<Rows>("shown");
        const Rows card{1, 4, 5};
        QTest::newRow("hiragana") << "かーど" << card;
        QTest::newRow("katakana") << "カード" << card;
        QTest::newRow("half width") << "ｶｰﾄﾞ" << card;
        QTest::newRow("dash for the long vowel") << "カ―ド" << card;
        QTest::newRow("full-size for small kana") << "きつちん" << Rows{3};
        QTest::newRow("half-width small kana") << "ｼｮｯﾌﾟ" << Rows{3};
        QTest::newRow("ke for the small ke") << "霞ケ関" << Rows{2};
        QTest::newRow("mixed with kanji") << "かーど会社" << Rows{5};
        QTest::newRow("the long vowel is not dropped") << "かど" << Rows{};
    }
    void kanaFolding() {
        QFETCH(QString, keyword);
        QFETCH(Rows, shown);
        // Shown newest first: Bank, 霞ヶ関, キッチン, ｶｰﾄﾞ払い, カード会社.
        Harness h({{"カード会社", {{"ID", "user"}}},
                   {"ｶｰﾄﾞ払い", {{"ID", "x"}}},
                   {"キッチン", {{"メモ", "ショップ"}}},
                   {"霞ヶ関", {{"住所", "東京"}}},
                   {"Bank", {{"PW", "かーど"}}}});
        h.box()->setFocus();
        QInputMethodEvent commit;
        commit.setCommitString(keyword);
        QApplication::sendEvent(h.box(), &commit);
        h.press(h.child<QLabel>("Label1_1"));
        QCOMPARE(h.shownRows(), shown);
        QCOMPARE(h.counter(), QString("%1/5").arg(shown.size()));
        for (int r : shown) QVERIFY(red(h, r, mk::bcol::Title) != red(h, r, mk::bcol::Content));
        // The comparison key itself still tells them apart (titles, passwords).
        QVERIFY(mk::CompareKey("かーど") != mk::CompareKey("カード"));
    }

    void displayModesByOptionClicks() {
        Harness h(kEntries);
        h.box()->setText("abc");
        QTest::mouseClick(h.child<QRadioButton>("Option1_2"), Qt::LeftButton);
        QVERIFY(h.child<QRadioButton>("Option1_2")->isChecked());
        QCOMPARE(h.shownRows(), (Rows{1, 2, 6}));  // a title hit keeps its rows
        QCOMPARE(h.counter(), QString("3/7"));
        QTest::mouseClick(h.child<QRadioButton>("Option1_1"), Qt::LeftButton);
        QCOMPARE(h.shownRows(), (Rows{1, 2, 5, 6, 7}));
        QVERIFY(h.messages.messages.empty());
    }

    void blankKeywordMessagesEscAndShowAll() {
        Harness h(kEntries);
        h.search("   ");
        QCOMPARE(h.messages.messages.size(), size_t(1));
        QCOMPARE(h.messages.last().text, std::string("空白のキーワードは検索できません。"));
        QCOMPARE(h.messages.last().title, std::string("Mirukasu"));
        QVERIFY(h.messages.last().icon == mk::Icon::None);
        h.search("", "Label1_2");
        QCOMPARE(h.messages.last().text, std::string(mk::kBlankKeywordA));

        QTest::keyClick(h.box(), Qt::Key_Enter);
        QCOMPARE(h.messages.last().text, std::string("空白のキーワードは検索できません。     "));
        QTest::mouseClick(h.child<QRadioButton>("Option1_2"), Qt::LeftButton);
        QCOMPARE(h.messages.messages.size(), size_t(4));
        QCOMPARE(h.messages.last().text, std::string(mk::kBlankKeywordB));
        QCOMPARE(h.counter(), QString("-*-"));
        QCOMPARE(h.shownRows().size(), size_t(7));

        h.child<QRadioButton>("Option1_1")->setChecked(true);
        h.search("zzz");
        QVERIFY(h.shownRows().empty());
        QCOMPARE(h.counter(), QString("0/7"));
        QTest::keyClick(h.box(), Qt::Key_Escape);
        QCOMPARE(h.box()->text(), QString());

        h.clickHeader(mk::bcol::Item);  // sorting is undone by show all too
        h.press(h.child<QLabel>("Label1_4"));
        QCOMPARE(h.counter(), QString("-*-"));
        QCOMPARE(h.shownRows().size(), size_t(7));
        QCOMPARE(h.table().text(1, mk::bcol::Title), std::string("ABC Shop"));
        QVERIFY(!red(h, 1, mk::bcol::Title));

        h.search("abc");
        h.window->setDeveloperMode(true);
        h.press(h.child<QLabel>("Label1_3"));  // "再表示"
        QCOMPARE(h.shownRows().size(), size_t(7));
        QVERIFY(!red(h, 1, mk::bcol::Title));
        QCOMPARE(h.counter(), QString("検索中"));
    }

    void hoverLooksAndHelp() {
        Harness h(kEntries);
        auto* search = h.child<QLabel>("Label1_1");
        h.hover(search);
        QCOMPARE(mk::gui::textColor(search), QColor(0, 255, 255));
        QVERIFY(search->font().bold());
        QCOMPARE(h.messages.mouseHelp.back(), std::string(mk::gui::kHelpSearch));
        h.hover(h.child<QLabel>("Label1_2"));  // straight to the next button
        QVERIFY(!search->font().bold());
        QVERIFY(h.child<QLabel>("Label1_2")->font().bold());
        h.hover(h.child<QLabel>("Label1_3"));
        QCOMPARE(h.messages.mouseHelp.back(), std::string());
        h.hover(h.child<QLabel>("Label6"));
        QCOMPARE(h.messages.mouseHelp.back(), std::string("検索時のカウンターを表示します。"));
        QCOMPARE(mk::gui::textColor(search), QColor(255, 255, 255));
        QVERIFY(!search->font().bold());

        h.hover(h.child<QLabel>("Label1_4"));
        h.hover(h.child<QFrame>("Frame16"));
        QVERIFY(!h.child<QLabel>("Label1_4")->font().bold());
        QCOMPARE(h.messages.mouseHelp.back(), std::string());
        h.hover(h.box());
        QCOMPARE(h.messages.mouseHelp.back(),
                 std::string("この部分に検索キーワードを入力します。セルをクリックするとこの場所に転送されます."));
        h.hover(h.child<QRadioButton>("Option1_2"));
        QCOMPARE(h.messages.mouseHelp.back(), std::string(mk::gui::kHelpOptionRows));

        // The output and generator buttons light up for 0.2 s only.
        auto* generator = h.child<QLabel>("Label7");
        h.hover(generator);
        QCOMPARE(h.messages.mouseHelp.back(), std::string("パスワードを自動生成します。"));
        QVERIFY(!generator->font().bold());
        QCOMPARE(mk::gui::textColor(generator), QColor(255, 255, 255));
        h.hover(h.child<QLabel>("Label1_2"));
        h.hover(h.window.get());
        QCOMPARE(h.messages.mouseHelp.back(), std::string());
        QVERIFY(!h.child<QLabel>("Label1_2")->font().bold());

        // Their click actions are hooks for the screens they open.
        int opened = 0;
        h.window->setGeneratorAction([&] { ++opened; });
        QTest::mouseClick(generator, Qt::LeftButton);
        QCOMPARE(opened, 1);
    }
};

QTEST_MAIN(TestBrowseSearch)
#include "test_browse_search.moc"
