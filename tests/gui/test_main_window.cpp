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
#include "gui/edit/edit_screen.h"

using mk::gui::CaptionLook;
using mk::gui::MainWindow;

namespace {

const QColor kPale(255, 255, 128);
const QColor kCyan(0, 255, 255);

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
