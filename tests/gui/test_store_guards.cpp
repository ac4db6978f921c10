// Texts that would read back as the free-record mark never reach the data
// files through the browse grid's editor: the write is refused in the words
// of the saves and the cell shows the stored text again.
#include <QCheckBox>
#include <QInputMethodEvent>
#include <QLineEdit>

#include "core/edit/edit_session.h"
#include "tests/gui/browse_test_support.h"

using namespace browse_test;

namespace {

// Types a text as a user does: Latin-1 runs as key clicks, Japanese runs as
// an input method's commit (which is how they reach a widget).
void typeText(QWidget* editor, const QString& text) {
    QString run;
    bool latin = true;
    auto flush = [&] {
        if (run.isEmpty()) return;
        if (latin) {
            QTest::keyClicks(editor, run);
        } else {
            QInputMethodEvent commit;
            commit.setCommitString(run);
            QApplication::sendEvent(editor, &commit);
        }
        run.clear();
    };
    for (QChar ch : text) {
        const bool isLatin = ch.unicode() < 0x80;
        if (isLatin != latin) flush();
        latin = isLatin;
        run += ch;
    }
    flush();
}

}  // namespace

class TestStoreGuards : public QObject {
    Q_OBJECT
private slots:
    void browseEditorRefusesTheFreeMark() {
        // Shown order: row 1 "Mail" (content 3), rows 2-3 "Bank" (1, 2).
        Harness h({{"Bank", {{"ID", "taro"}, {"PW", "abc123"}}}, {"Mail", {{"ID", "hanako"}}}});
        QTest::mouseClick(h.child<QCheckBox>("Check1"), Qt::LeftButton);  // the edit lock off
        QVERIFY(h.grid()->isEditable());
        const std::string titles = h.readFile(h.program->store.titlePath());
        const std::string contents = h.readFile(h.program->store.contentPath());

        struct Case {
            int row, col;
            QString typed;
            QString stored;
        } cases[] = {
            // The mark, spaces and text that the cut to 42 characters drops.
            {3, mk::bcol::Item, QString("<削除<") + QString(38, ' ') + "abc", "PW"},
            {2, mk::bcol::Title, QString(" <削除<  "), "Bank"},
        };
        for (const Case& c : cases) {
            h.messages.messages.clear();
            h.clickCell(c.row, c.col);
            QTest::mouseDClick(h.grid()->viewport(), Qt::LeftButton, {}, h.cellRect(c.row, c.col).center());
            auto* editor = h.grid()->viewport()->findChild<QLineEdit*>();
            QVERIFY(editor);
            QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);  // typing replaces the old text
            typeText(editor, c.typed);
            QCOMPARE(editor->text(), c.typed);
            QTest::keyClick(editor, Qt::Key_Return);
            QTRY_COMPARE(h.messages.messages.size(), std::size_t(1));
            QCOMPARE(h.messages.last().text, std::string(mk::kFreeMarkMessage));
            QCOMPARE(QString::fromStdString(h.table().text(c.row, c.col)), c.stored);
            const QModelIndex shown = h.grid()->model()->index(h.grid()->viewRowOf(c.row), c.col);
            QCOMPARE(shown.data().toString(), c.stored);
            QCOMPARE(h.readFile(h.program->store.titlePath()), titles);
            QCOMPARE(h.readFile(h.program->store.contentPath()), contents);
        }
    }
};

QTEST_MAIN(TestStoreGuards)
#include "test_store_guards.moc"
