// A seeded random walk over the browse and edit screens of the real main
// window: typing with and without Enter, undo and redo, 消去, the edit menu,
// sorts, searches, in-place edits with the lock on and off, both saves,
// 戻る and page switches, every question answered either way. A small model
// holds what the user has saved; after every step the data files, read back
// by an independent reader, must hold exactly the model's entries, the link
// check must be empty, no error report may have appeared, and leaving the
// edit screen must ask exactly when there is unsaved work.
//
// MIRUKASU_WALK_SEED repeats a walk, MIRUKASU_WALK_STEPS makes it longer.
#include <QCheckBox>
#include <QDesktopServices>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include <algorithm>
#include <array>
#include <chrono>
#include <deque>
#include <functional>
#include <map>
#include <random>

#include "core/edit/edit_session.h"
#include "core/store/browse_load.h"
#include "core/store/text.h"
#include "gui/app/main_window.h"
#include "gui/edit/edit_menu.h"
#include "gui/edit/edit_screen.h"
#include "tests/gui/browse_test_support.h"

using mk::gui::GridView;
namespace ecol = mk::ecol;
namespace bcol = mk::bcol;

namespace {

// ---- the model: what the user has saved -------------------------------------
struct Row {
    std::string item, content;
    int rec = 0;  // the content record, learnt from the files once they agree
};
struct Entry {
    std::string title;
    std::vector<Row> rows;
    bool operator==(const Entry& o) const {  // the texts; record numbers aside
        return title == o.title && std::equal(rows.begin(), rows.end(), o.rows.begin(),
                                              o.rows.end(), [](const Row& a, const Row& b) {
                                                  return a.item == b.item && a.content == b.content;
                                              });
    }
};
// By title record; a new entry waits under a negative key until the check
// finds the record it took.
using Model = std::map<int, Entry>;
struct Candidate {
    Model model;
    bool saved = false;  // the step's save went through
};

const char* const kLeaveQuestion = "修正または入力されたデータは保存されていません。";

using mk::Trim;
long number(const std::string& s) { return mk::LeadingNumber(s); }

// What the walk types: items, contents, titles and search words are made of these.
const char* const kTokens[] = {"ID",       "PW",  "URL", "mail", "銀行",           "パスワード",
                               "会員番号", "abc", "x1",  "ﾒﾓ",   "http://ex.jp/a", "二段階",
                               "42"};

std::string describe(const Entry& e) {
    std::string out = "\"" + e.title + "\" [";
    for (const Row& r : e.rows) out += " (" + r.item + " | " + r.content + ")";
    return out + " ]";
}

// ---- the files, read back record by record --------------------------------
struct FileState {
    Model entries;                 // titles and rows as stored
    std::vector<std::string> odd;  // records holding text that no entry names
};

FileState readFiles(mk::DataStore& store) {
    FileState files;
    const auto field = [](const std::string& f) { return Trim(mk::CleanField(std::string(f))); };
    const std::vector<mk::TitleRecord> titles = store.readTitles();
    const std::vector<mk::ContentRecord> contents = store.readContents();
    std::vector<bool> named(contents.size() + 1, false);
    for (std::size_t t = 0; t < titles.size(); ++t) {
        Entry e{field(titles[t].表題), {}};
        for (const int16_t k : titles[t].子Rec) {
            if (k <= 0) continue;
            const bool in = k <= int(contents.size());
            e.rows.push_back(
                {in ? field(contents[k - 1].項目) : "", in ? field(contents[k - 1].内容) : "", k});
            if (in) named[k] = true;
        }
        // A deleted title reads blank; a blank record without rows is no entry.
        if (!e.title.empty() || !e.rows.empty()) files.entries[int(t + 1)] = e;
    }
    for (std::size_t k = 1; k < named.size(); ++k) {
        const std::string item = field(contents[k - 1].項目), text = field(contents[k - 1].内容);
        if (!named[k] && item != "<削除<" && !(item + text).empty())
            files.odd.push_back("content record " + std::to_string(k) + " (" + item + " | " + text +
                                ") holds text that no entry names");
    }
    return files;
}

// Why the files do not hold `model` ("" when they do). New entries take the
// title records the model does not know, in order; once the files agree the
// model learns their record numbers.
std::string difference(Model& model, const FileState& files) {
    std::vector<int> pending, unknown;
    for (const auto& [key, e] : model)
        if (key < 0) pending.push_back(key);
    for (const auto& [key, e] : files.entries)
        if (!model.count(key)) unknown.push_back(key);
    if (pending.size() == unknown.size())
        for (std::size_t i = 0; i < pending.size(); ++i) {
            model[unknown[i]] = model[pending[i]];
            model.erase(pending[i]);
        }
    for (const auto& [key, e] : files.entries) {
        const auto m = model.find(key);
        if (m == model.end())
            return "表題 " + std::to_string(key) + " is in the files only: " + describe(e);
        if (!(m->second == e))
            return "表題 " + std::to_string(key) + " differs\n    model: " + describe(m->second) +
                   "\n    files: " + describe(e);
    }
    for (const auto& [key, e] : model)
        if (!files.entries.count(key))
            return "表題 " + std::to_string(key) + " is missing from the files: " + describe(e);
    for (auto& [key, e] : model)
        for (std::size_t i = 0; i < e.rows.size(); ++i)
            e.rows[i].rec = files.entries.at(key).rows[i].rec;
    return {};
}

// A Yes/No question, whichever button is its default.
bool isQuestion(mk::Buttons buttons) {
    return buttons == mk::Buttons::YesNo || buttons == mk::Buttons::YesNoDefaultNo;
}

// Answers every question of a step the same way, chosen by the walk.
class WalkMessages : public mk::ScriptedMessages {
public:
    int answer = mk::AnswerYes;
    int messageBox(const std::string& text, mk::Buttons buttons, mk::Icon icon,
                   const std::string& title) override {
        ScriptedMessages::messageBox(text, buttons, icon, title);
        return isQuestion(buttons) ? answer : mk::AnswerOK;
    }
};

// Swallows the web addresses that a double-click opens.
class UrlSink : public QObject {
    Q_OBJECT
public slots:
    void open(const QUrl&) {}
};

// One row of the edit screen as the user sees it, with the record numbers
// the screen keeps behind it.
struct ScreenRow {
    std::string item, content, parent, child;
    bool blank() const { return Trim(item).empty() && Trim(content).empty(); }
};

enum class Unsaved { No, Yes, Unknown };

}  // namespace

class TestRandomWalk : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<mk::Program> program;
    std::unique_ptr<WalkMessages> messages;
    std::unique_ptr<mk::gui::MainWindow> window;
    UrlSink urls;
    std::mt19937 rng;
    Model model;

    // What the walk knows of the edit screen: the title it typed or opened,
    // and whether there is work the user has not saved.
    std::string title;
    Unsaved unsaved = Unsaved::No;
    std::size_t stepStart = 0;  // first message of the step
    std::deque<std::string> trail;

    // ---- chance ----------------------------------------------------------
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }
    bool chance(double p) { return std::uniform_real_distribution<double>(0, 1)(rng) < p; }
    std::string text(int maxTokens) {
        const int count = int(std::size(kTokens));
        if (chance(0.1)) return {};
        std::string out = kTokens[pick(count)];
        for (int n = pick(maxTokens + 1); n > 0; --n)
            out += std::string(chance(0.3) ? " " : "") + kTokens[pick(count)];
        return out;
    }

    // ---- widgets -----------------------------------------------------------
    mk::gui::EditScreen* screen() { return window->editScreen(); }
    mk::GridTable& edit() { return screen()->session().table; }
    GridView* editGrid() { return screen()->grid(); }
    GridView* browseGrid() { return window->browseWindow()->grid(); }
    template <class T = QWidget>
    T* in(QWidget* parent, const char* name) {
        return parent->findChild<T*>(QString::fromUtf8(name));
    }
    void settle() {
        for (int i = 0; i < 4; ++i) QCoreApplication::processEvents();
    }
    void click(QWidget* w, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mouseClick(w, button, {}, w->rect().center());
        settle();
    }
    static QWidget* focused(QWidget* fallback) {
        return QApplication::focusWidget() ? QApplication::focusWidget() : fallback;
    }
    // Keys go to `to`, or where the focus is at each key, as a keyboard
    // sends them; Japanese arrives in a text box as an input method's commit.
    void typeKeys(QWidget* to, const std::string& typed, QWidget* fallback = nullptr) {
        for (const QChar ch : QString::fromStdString(typed)) {
            QWidget* target = to ? to : focused(fallback);
            if (ch.unicode() < 0x80) {
                QTest::keyClick(target, ch.toLatin1());
            } else if (!qobject_cast<QLineEdit*>(target) && chance(0.5)) {
                // A grid opens its editor on a key press and hands the key on.
                QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
                QApplication::sendEvent(target, &press);
            } else {  // a grid not being edited must open its editor for it too
                QInputMethodEvent commit;
                commit.setCommitString(QString(ch));
                QApplication::sendEvent(target, &commit);
            }
        }
    }
    // Select all, delete, type: what replacing a text box's text takes.
    void retype(QLineEdit* box, const std::string& typed) {
        box->setFocus();
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(box, Qt::Key_Backspace);
        typeKeys(box, typed);
    }
    enum class Finish { Enter, ClickAway, LeaveOpen };
    // Click, double-click and type over the cell; where no editor opened (a
    // locked grid, a web address opened instead), the keys go to the grid
    // after one more click. False when nothing can have been edited.
    bool typeInto(GridView* grid, int row, int col, const std::string& typed, Finish finish) {
        const QPoint at = browse_test::cellCenter(grid, row, col);
        // The click first: it ends an edit left open, whose follow-up may
        // move the cursor.
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
        settle();
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
        settle();
        auto* editor = qobject_cast<QLineEdit*>(grid->indexWidget(grid->currentIndex()));
        if (editor) {
            retype(editor, typed);
        } else {
            QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
            grid->setFocus();
            typeKeys(nullptr, typed, grid);
        }
        // Away means a click on the row above or below, or Enter where it is hidden.
        const int other = row > 1 ? row - 1 : row + 1;
        if (finish == Finish::ClickAway && grid->viewRowOf(other) >= 0)
            QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                              browse_test::cellCenter(grid, other, col));
        else if (finish != Finish::LeaveOpen)
            QTest::keyClick(focused(grid), Qt::Key_Return);
        settle();
        return editor || !typed.empty();
    }
    std::vector<int> shownBrowseRows() {
        std::vector<int> rows;
        for (int r = 1; r < program->browse.rows(); ++r)
            if (browseGrid()->viewRowOf(r) >= 0) rows.push_back(r);
        return rows;
    }
    // The edit table as the user sees it, an open editor's text included.
    std::vector<ScreenRow> screenRows() {
        std::vector<ScreenRow> rows(1);
        for (int r = 1; r < edit().rows(); ++r)
            rows.push_back({edit().text(r, ecol::Item), edit().text(r, ecol::Content),
                            edit().text(r, ecol::Parent), edit().text(r, ecol::Child)});
        if (auto* editor =
                qobject_cast<QLineEdit*>(editGrid()->indexWidget(editGrid()->currentIndex()))) {
            const int r = editGrid()->row(), c = editGrid()->col();
            if (r >= 1 && r < int(rows.size()))
                (c == ecol::Item ? rows[r].item : rows[r].content) = editor->text().toStdString();
        }
        return rows;
    }
    static std::vector<std::pair<std::string, std::string>> texts(
        const std::vector<ScreenRow>& rows) {
        std::vector<std::pair<std::string, std::string>> out;
        for (std::size_t r = 1; r < rows.size(); ++r)
            out.emplace_back(rows[r].item, rows[r].content);
        return out;
    }
    std::vector<mk::RecordedMessage> stepMessages() const {
        return {messages->messages.begin() + long(stepStart), messages->messages.end()};
    }
    bool asked(const char* start = "") const {
        for (const auto& m : stepMessages())
            if (isQuestion(m.buttons) && m.text.rfind(start, 0) == 0) return true;
        return false;
    }
    bool yes() const { return messages->answer == mk::AnswerYes; }
    void touched(bool changed) {
        if (changed)
            unsaved = Unsaved::Yes;
        else if (unsaved == Unsaved::No)
            unsaved = Unsaved::Unknown;
    }
    Entry entryOf(const std::string& t, const std::vector<ScreenRow>& rows, int last) {
        Entry e{t, {}};
        for (int r = 1; r <= last; ++r)
            e.rows.push_back({Trim(rows[r].item), Trim(rows[r].content)});
        return e;
    }

    // ---- the steps: each acts through the widgets and returns what the files
    // may hold afterwards ----------------------------------------------------
    using Step = std::function<std::vector<Candidate>(std::string&)>;
    std::vector<Candidate> same() { return {{model, false}}; }
    // A command refused with a message (not a question) changes nothing.
    std::vector<Candidate> refusable(std::vector<Candidate> out) {
        for (const auto& m : stepMessages())
            if (!isQuestion(m.buttons)) return out.push_back({model, false}), out;
        return out;
    }

    std::vector<Candidate> browseClick(std::string& what) {
        const auto rows = shownBrowseRows();
        if (rows.empty()) return same();
        const int r = rows[pick(int(rows.size()))], c = std::array{1, 3, 4}[pick(3)];
        what += " row " + std::to_string(r) + " col " + std::to_string(c);
        QTest::mouseClick(browseGrid()->viewport(), Qt::LeftButton, {},
                          browse_test::cellCenter(browseGrid(), r, c));
        settle();
        return same();
    }
    std::vector<Candidate> inPlaceEdit(std::string& what) {
        auto rows = shownBrowseRows();
        if (rows.empty()) return same();
        std::vector<int> addresses;  // web addresses unlock the grid for a moment
        for (int r : rows)
            if (program->browse.text(r, bcol::Content).find("http") != std::string::npos)
                addresses.push_back(r);
        const bool address = !addresses.empty() && chance(0.4);
        const int r =
            address ? addresses[pick(int(addresses.size()))] : rows[pick(int(rows.size()))];
        const int c = address ? bcol::Content : std::array{1, 3, 4}[pick(3)];
        const bool locked = in<QCheckBox>(window->browseWindow(), "Check1")->isChecked();
        const std::string typed = text(2);
        const bool enter = chance(0.6);
        what += std::string(locked ? " (locked)" : "") + " row " + std::to_string(r) + " col " +
                std::to_string(c) + " \"" + typed + "\"" + (enter ? " Enter" : " click away");
        // The cells that one title edit may reach: the run of rows showing
        // the same title (merged cells).
        std::vector<int> run{r};
        if (c == bcol::Title)
            for (int k : rows)
                if (k != r && program->browse.text(k, 1) == program->browse.text(r, 1))
                    run.push_back(k);
        std::vector<std::array<long, 2>> ids;
        for (int k : run)
            ids.push_back(
                {program->browse.number(k, bcol::Parent), program->browse.number(k, bcol::Child)});
        if (!typeInto(browseGrid(), r, c, typed, enter ? Finish::Enter : Finish::ClickAway) ||
            locked)
            return same();
        std::vector<Candidate> out;
        for (const auto& [t, k] : ids) {
            Model m = model;
            auto e = m.find(int(t));
            if (e != m.end() && c == bcol::Title) e->second.title = Trim(typed);
            if (e != m.end() && c != bcol::Title)
                for (Row& row : e->second.rows)
                    if (row.rec == k) (c == bcol::Item ? row.item : row.content) = Trim(typed);
            out.push_back({m, false});  // a stale row (its record freed) writes nothing
        }
        return out;
    }
    std::vector<Candidate> search(std::string& what) {
        QLineEdit* box = window->browseWindow()->searchBox();
        const std::string key = text(0);
        retype(box, key);
        const int how = pick(4);
        what += " \"" + key + "\" by " + std::array{"検索", "絞込検索", "Enter", "option"}[how];
        if (how == 2)
            QTest::keyClick(box, Qt::Key_Return);
        else if (how == 3)
            click(in(window->browseWindow(), chance(0.5) ? "Option1_1" : "Option1_2"));
        else
            click(in(window->browseWindow(), how == 0 ? "Label1_1" : "Label1_2"));
        return same();
    }

    std::vector<Candidate> typeCell(std::string& what) {
        const auto before = screenRows();
        const int r = 1 + pick(edit().rows() - 1), c = 1 + pick(2);
        const std::string typed = text(c == 1 ? 1 : 2);
        const Finish finish = chance(0.6) ? Finish::Enter : Finish::LeaveOpen;
        what += " row " + std::to_string(r) + " col " + std::to_string(c) + " \"" + typed + "\"" +
                (finish == Finish::Enter ? " Enter" : " (no Enter)");
        typeInto(editGrid(), r, c, typed, finish);
        touched(typed != (c == 1 ? before[r].item : before[r].content));
        return same();
    }
    std::vector<Candidate> typeTitle(std::string& what) {
        title = text(1);
        what += " \"" + title + "\"";
        QLineEdit* box = screen()->titleBox();
        retype(box, title);
        if (chance(0.5)) QTest::keyClick(box, Qt::Key_Return);
        touched(false);
        settle();
        return same();
    }
    std::vector<Candidate> undoRedo(bool undo) {
        const auto before = texts(screenRows());
        click(in(screen(), undo ? "Command2_1" : "Command2_2"));
        touched(texts(screenRows()) != before);
        return same();
    }
    std::vector<Candidate> menu(std::string& what) {
        const auto before = screenRows();
        const int r = 1 + pick(edit().rows() - 1), c = 1 + pick(2);
        const int item = std::array{2, 2, 3, 3, 3, 4, 5, 5, 6, 6, 7}[pick(11)];
        what += " " + std::string(mk::kEditMenuItems[item - 1]) + " on row " + std::to_string(r) +
                " col " + std::to_string(c);
        QTest::mouseClick(editGrid()->viewport(), Qt::RightButton, {},
                          browse_test::cellCenter(editGrid(), r, c));
        settle();
        QListWidget* list = screen()->editMenu()->list();
        if (!list->isVisible()) return same();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(item - 1)).center());
        settle();
        if (item == 7) {
            Model m = model;
            if (asked() && yes()) m.erase(int(number(before[1].parent)));
            return refusable({{m, false}});
        }
        if (item != 3) {
            if (item != 4) touched(texts(screenRows()) != texts(before));
            return same();
        }
        // A row delete takes the stored row the screen row stands for; when
        // the screen does not show that row's stored text, only after a
        // question answered yes.
        const long t = number(before[r].parent), k = number(before[r].child);
        auto e = model.find(int(t));
        if (t <= 0 || e == model.end()) return same();
        auto row = std::find_if(e->second.rows.begin(), e->second.rows.end(),
                                [&](const Row& x) { return x.rec == k; });
        if (row == e->second.rows.end()) return same();
        // Stored text the screen shows (an empty field hides nothing).
        const auto showsField = [](const std::string& stored, const std::string& screen) {
            return stored.empty() || stored == Trim(screen);
        };
        const bool shown =
            showsField(row->item, before[r].item) && showsField(row->content, before[r].content);
        if (shown ? (asked() && !yes()) : !(asked() && yes())) return same();
        touched(true);
        Model m = model;
        auto& rows = m[int(t)].rows;
        rows.erase(rows.begin() + (row - e->second.rows.begin()));
        // An entry that loses its last row is deleted, or keeps that row.
        if (rows.empty()) {
            m.erase(int(t));
            return {{m, false}, {model, false}};
        }
        return {{m, false}};
    }
    std::vector<Candidate> newSave(std::string& what) {
        const auto rows = screenRows();
        click(in(screen(), "Label1_1"));
        int last = int(rows.size()) - 1;
        while (last >= 1 && rows[last].blank()) --last;
        // Nothing to save, a blank title, or a question answered no.
        if (last < 1 || Trim(title).empty() || !yes()) return same();
        Model m = model;
        m[-1] = entryOf(title, rows, last);
        what += " as " + describe(m[-1]);
        return {{m, true}};
    }
    std::vector<Candidate> modifySave(std::string& what) {
        const auto rows = screenRows();
        click(in(screen(), "Label1_2"));
        // Trailing rows that hold no text and no stored record are not stored.
        int last = int(rows.size()) - 1;
        while (last >= 1 && rows[last].blank() && number(rows[last].parent) <= 0 &&
               number(rows[last].child) <= 0)
            --last;
        long t = 0;
        for (int r = 1; r <= last && t <= 0; ++r) t = number(rows[r].parent);
        bool anyText = false;
        for (std::size_t r = 1; r < rows.size(); ++r) anyText = anyText || !rows[r].blank();
        if (!anyText || t <= 0 || !model.count(int(t))) return same();
        Model m = model;
        m[int(t)] = entryOf(title, rows, last);
        what += " as " + describe(m[int(t)]);
        return refusable({{m, true}});
    }
    std::vector<Candidate> clear(std::string&) {
        click(in(screen(), "Label1_3"));
        if (asked() && yes()) title.clear();
        touched(false);
        return same();
    }
    // 戻る or a menu button: the way off the edit screen.
    std::vector<Candidate> leave(std::string& what, int page) {
        what += page == 0 ? " 戻る" : " menu " + std::to_string(page);
        if (page == 0)
            click(in(screen(), "Label1_4"));
        else
            click(window->caption(page));
        return same();
    }

    // ---- the checks after every step -----------------------------------------
    QString failure(int step, const std::string& what, const std::string& why) {
        std::string out =
            "step " + std::to_string(step) + " (" + what + "): " + why + "\n  the steps before:";
        for (const std::string& s : trail) out += "\n    " + s;
        return QString::fromStdString(out);
    }

private slots:
    void init() {
        dir = std::make_unique<QTemporaryDir>();
        program = std::make_unique<mk::Program>(dir->path().toStdString() + "/");
        messages = std::make_unique<WalkMessages>();
        QDesktopServices::setUrlHandler("http", &urls, "open");
        QDesktopServices::setUrlHandler("https", &urls, "open");
        const std::vector<browse_test::Entry> start = {
            {"銀行", {{"ID", "taro"}, {"パスワード", "abc123"}, {"URL", "http://example.jp/bank"}}},
            {"Mail", {{"ID", "hanako"}, {"PW", "x9"}}},
            {"カード", {{"番号", "1234-5678"}}},
            {"Shop",
             {{"ID", "s1"},
              {"PW", "s2"},
              {"メモ", "会員番号 55"},
              {"URL", "https://shop.example/"}}},
            {"Wifi", {{"SSID", "home"}, {"キー", "k3y"}}}};
        browse_test::writeEntries(program->store, start);
        model.clear();
        for (std::size_t t = 0; t < start.size(); ++t)
            for (const auto& r : start[t].rows)
                model[int(t + 1)].rows.push_back({r.item, r.content});
        for (auto& [t, e] : model) e.title = start[t - 1].title;
        window = std::make_unique<mk::gui::MainWindow>(*program);
        window->resize(1200, 860);
        window->show();
        QApplication::setActiveWindow(window.get());
        window->browseWindow()->reload();
        window->browseWindow()->setEditLock(true);
        window->頁切換(mk::gui::Page::Browse);
        settle();
    }
    void cleanup() {
        QDesktopServices::unsetUrlHandler("http");
        QDesktopServices::unsetUrlHandler("https");
        window.reset();
        messages.reset();
        program.reset();
        dir.reset();
    }

    void walk() {
        // A new seed each run unless one is given; it is printed first, so
        // that a failing walk can be repeated step for step.
        const QByteArray seedText = qgetenv("MIRUKASU_WALK_SEED");
        const unsigned seed =
            !seedText.isEmpty()
                ? seedText.toUInt()
                : unsigned(std::chrono::system_clock::now().time_since_epoch().count() % 1000000);
        const int steps = qEnvironmentVariableIsSet("MIRUKASU_WALK_STEPS")
                              ? qEnvironmentVariableIntValue("MIRUKASU_WALK_STEPS")
                              : 3000;
        qInfo("random walk: MIRUKASU_WALK_SEED=%u MIRUKASU_WALK_STEPS=%d", seed, steps);
        rng.seed(seed);

        struct Action {
            const char* name;
            int page;  // 1 browse, 2 edit, 3 settings
            int weight;
            Step run;
        };
        const std::vector<Action> actions = {
            {"browse click", 1, 4, [this](std::string& w) { return browseClick(w); }},
            {"in-place edit", 1, 4, [this](std::string& w) { return inPlaceEdit(w); }},
            {"sort", 1, 1,
             [this](std::string& w) {
                 const int c = std::array{0, 1, 3, 4}[pick(4)];
                 w += " col " + std::to_string(c);
                 browse_test::clickHeader(browseGrid(), c);
                 settle();
                 return same();
             }},
            {"search", 1, 2, [this](std::string& w) { return search(w); }},
            {"全データ表示", 1, 1,
             [this](std::string&) {
                 click(in(window->browseWindow(), "Label1_4"));
                 return same();
             }},
            {"修正の無効化", 1, 1,
             [this](std::string&) {
                 click(in(window->browseWindow(), "Check1"));
                 return same();
             }},
            {"open page", 1, 3, [this](std::string& w) { return leave(w, chance(0.9) ? 2 : 3); }},
            {"open page", 3, 1, [this](std::string& w) { return leave(w, 1 + pick(2)); }},
            {"type", 2, 7, [this](std::string& w) { return typeCell(w); }},
            {"title", 2, 1, [this](std::string& w) { return typeTitle(w); }},
            {"undo", 2, 2, [this](std::string&) { return undoRedo(true); }},
            {"redo", 2, 1, [this](std::string&) { return undoRedo(false); }},
            {"menu", 2, 3, [this](std::string& w) { return menu(w); }},
            {"新規登録", 2, 1, [this](std::string& w) { return newSave(w); }},
            {"修正保存", 2, 2, [this](std::string& w) { return modifySave(w); }},
            {"消去", 2, 1, [this](std::string& w) { return clear(w); }},
            {"leave", 2, 2,
             [this](std::string& w) { return leave(w, chance(0.5) ? 0 : 1 + pick(3)); }},
        };

        for (int step = 1; step <= steps; ++step) {
            const int page = screen()->isVisible()                 ? 2
                             : window->browseWindow()->isVisible() ? 1
                                                                   : 3;
            int total = 0;
            for (const Action& a : actions) total += a.page == page ? a.weight : 0;
            int roll = pick(total);
            const Action* action = nullptr;
            for (const Action& a : actions) {
                if (a.page != page) continue;
                action = &a;
                if ((roll -= a.weight) < 0) break;
            }
            messages->answer = chance(0.5) ? mk::AnswerYes : mk::AnswerNo;
            stepStart = messages->messages.size();
            std::string what = action->name;
            const Unsaved before = unsaved;
            const int loadsBefore = program->browseLoad.loads();
            std::vector<Candidate> candidates = action->run(what);
            what += yes() ? " [answers yes]" : " [answers no]";
            settle();

            // The files hold one of the outcomes the step allows.
            const FileState files = readFiles(program->store);
            // A save whose outcome equals a refusal's leaves it open whether
            // anything is unsaved.
            std::string why = "differs";
            bool savedMatches = false, otherMatches = false;
            for (Candidate& c : candidates) {
                if (!difference(c.model, files).empty()) continue;
                if (!why.empty()) model = c.model;
                why.clear();
                (c.saved ? savedMatches : otherMatches) = true;
            }
            if (savedMatches) unsaved = otherMatches ? Unsaved::Unknown : Unsaved::No;
            if (!why.empty()) why = difference(candidates.front().model, files);
            if (why.empty() && !files.odd.empty()) why = files.odd.front();
            for (const std::string& p : program->store.linkProblems())
                if (why.empty()) why = "link check: " + p;
            for (const auto& m : stepMessages())
                if (why.empty() && m.title == "エラー発生表示") why = "error report: " + m.text;
            // A reload that decoded only the written entries shows what a
            // whole load shows.
            if (why.empty() && program->browseLoad.loads() != loadsBefore &&
                program->browseLoad.lastLoadWasPartial()) {
                mk::GridTable whole(1, 1);
                mk::データ読込(program->store, whole, program->recordNumbersShown);
                const mk::GridTable& shown = program->browse;
                if (shown.rows() != whole.rows())
                    why = "the browse table has " + std::to_string(shown.rows()) + " rows, the files " +
                          std::to_string(whole.rows());
                for (int r = 1; why.empty() && r < whole.rows(); ++r)
                    for (int c = 0; why.empty() && c < mk::bcol::Count; ++c)
                        if (shown.text(r, c) != whole.text(r, c) || shown.checkState(r, c) != whole.checkState(r, c))
                            why = "browse row " + std::to_string(r) + " shows \"" + shown.text(r, c) +
                                  "\", the files \"" + whole.text(r, c) + "\"";
            }
            // Leaving the edit screen asks exactly when there is unsaved work.
            const bool leaving = page == 2 && std::string(action->name) == "leave";
            if (why.empty() && leaving && before == Unsaved::Yes && !asked(kLeaveQuestion))
                why = "unsaved work left without the question";
            if (why.empty() && leaving && before == Unsaved::No && asked(kLeaveQuestion))
                why = "asked about unsaved work where nothing changed";
            // A fresh fill shows exactly the stored entry and starts clean.
            const bool filled = screen()->isVisible() && what.find("menu 2") != std::string::npos &&
                                !(asked(kLeaveQuestion) && yes());
            if (filled) {
                const auto rows = screenRows();
                const long t = rows.size() > 1 ? number(rows[1].parent) : 0;
                const auto e = model.find(int(t));
                Entry expected = e != model.end() ? e->second : Entry{};
                int last = int(rows.size()) - 1;
                while (last > int(expected.rows.size()) && rows[last].blank()) --last;
                const Entry shown = entryOf(screen()->titleBox()->text().toStdString(), rows, last);
                if (why.empty() && !(shown == expected))
                    why = "the edit screen opened 表題 " + std::to_string(t) + " as " +
                          describe(shown) + "\n    stored: " + describe(expected);
                title = expected.title;
                unsaved = Unsaved::No;
            }
            if (!screen()->isVisible()) unsaved = Unsaved::No;
            if (!why.empty()) QFAIL(qPrintable(failure(step, what, why)));
            trail.push_back(std::to_string(step) + " " + what);
            if (trail.size() > 12) trail.pop_front();
        }
    }
};

QTEST_MAIN(TestRandomWalk)
#include "test_random_walk.moc"
