// The data array check window over a data set with a doubly named row: its
// two buttons fill its table from the data files and report what is wrong.
#include <QPushButton>

#include "gui/maintenance/array_check_window.h"
#include "tests/gui/browse_test_support.h"

using namespace browse_test;

class TestArrayCheck : public QObject {
    Q_OBJECT
private slots:
    void buttonsFillTheTableAndReport() {
        Harness h({{"A", {{"ID", "one"}, {"PW", "two"}}}, {"B", {{"URL", "three"}}}});
        // Title 2 also names row 1.
        mk::TitleRecord second = *h.program->store.titleAt(2);
        second.子Rec[1] = 1;
        h.program->store.Openfile1();
        h.program->store.writeTitle(2, second);
        h.program->store.Close1();

        mk::gui::ArrayCheckWindow* window = mk::gui::showArrayCheck(*h.program, h.shell);
        QVERIFY(window->isVisible());
        QCOMPARE(mk::gui::showArrayCheck(*h.program, h.shell), window);  // one window
        auto* command1 = window->findChild<QPushButton*>(QStringLiteral("Command1"));
        auto* command2 = window->findChild<QPushButton*>(QStringLiteral("Command2"));
        QVERIFY(command1 && command2);

        QTest::mouseClick(command1, Qt::LeftButton);
        QCOMPARE(QString::fromStdString(h.messages.last().text),
                 QString::fromUtf8("異常報告　　項目Recの重複が　1件ありました。"));
        QAbstractItemModel* model = window->grid()->model();
        auto cell = [&](int row, int col) { return model->index(row - 1, col).data().toString(); };
        QCOMPARE(model->rowCount(), 2);
        QCOMPARE(model->columnCount(), 53);
        QCOMPARE(model->headerData(2, Qt::Horizontal).toString(), QStringLiteral("1"));
        QCOMPARE(cell(2, 1), QStringLiteral("B"));
        QCOMPARE(cell(2, 2), QStringLiteral("3"));
        QCOMPARE(cell(2, 3), QStringLiteral("1"));

        QTest::mouseClick(command2, Qt::LeftButton);
        QCOMPARE(model->rowCount(), 3);
        QCOMPARE(model->columnCount(), 5);
        QCOMPARE(model->headerData(3, Qt::Horizontal).toString(), QString::fromUtf8("自分Rec"));
        QCOMPARE(cell(3, 1), QStringLiteral("URL"));
        QCOMPARE(cell(3, 2), QStringLiteral("three"));
        QCOMPARE(cell(3, 4), QStringLiteral("2"));
        QCOMPARE(int(h.messages.messages.size()), 1);  // the listing reports nothing
    }
};

QTEST_MAIN(TestArrayCheck)
#include "test_array_check.moc"
