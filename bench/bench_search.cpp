// Search, narrowing, display-mode switch and header sort on the 32,767-row
// data set (3,000 entries, the same data set as the load benchmark).
//
// Prints, one line each (medians, milliseconds):
//   search_core_ms        a new search (unmark, search, hide) on the table alone
//   search_core_cold_ms   the same, first search after a load (keys not cached yet)
//   narrow_core_ms        a narrowing search after it, on the table alone
//   search_view_ms        "検索" pressed in the window until the window has painted
//   mode_switch_view_ms   a click on the other display mode until painted
//   sort_view_ms          a header click until painted
//   timer_tick_view_ms    the current-cell timer's repaint of the whole table
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QRadioButton>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "core/app/program.h"
#include "core/browse/grid_actions.h"
#include "core/browse/search.h"
#include "core/browse/search_commands.h"
#include "core/store/browse_load.h"
#include "core/store/data_store.h"
#include "gui/app/grid_view.h"
#include "gui/app/qt_messages.h"
#include "gui/app/shell.h"
#include "gui/browse/browse_window.h"

namespace {

constexpr int kTitles = 3000;
constexpr int kContents = mk::kMaxRecordNumber;
constexpr int kRuns = 9;

// The load benchmark's generator (splitmix64, same seed), so that both
// measure the same data set.
struct Random {
    uint64_t state;
    uint64_t next() {
        uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    int below(int n) { return int(next() % uint64_t(n)); }
    template <class T>
    const T& pick(const std::vector<T>& items) { return items[below(int(items.size()))]; }
};

const std::vector<std::string> kServices = {
    "楽天銀行 ネットバンキング", "Amazon.co.jp", "ゆうちょダイレクト", "Yahoo! JAPAN ID",
    "三井住友カード Vpass", "Gmail（仕事用）", "自宅 Wi-Fi ルーター", "マイナポータル",
    "NHKプラス", "docomo dアカウント", "メルカリ", "ANAマイレージクラブ", "じゃらんnet",
    "住信SBIネット銀行", "確定申告 e-Tax", "会社 VPN", "図書館 利用者カード", "PayPay",
    "Netflix", "市役所 電子申請", "ヨドバシ・ドット・コム", "証券口座（つみたてNISA）",
};
const std::vector<std::string> kPlaces = {"", "", "", " 個人", " 家族用", " 旧アカウント", " サブ", " 2"};
const std::vector<std::string> kNotes = {
    "2024年3月にパスワード変更済み。二段階認証あり",
    "家族と共用。変更したら連絡すること",
    "ログインは携帯番号でも可",
    "秘密の質問は旧姓",
    "年会費あり（初年度無料）",
    "自動更新：毎年4月",
    "問い合わせ窓口 0120-123-456（平日9時～17時）",
    "メモなし",
};
const std::vector<std::string> kAnswers = {"やまだ", "ポチ", "東京都", "さくら小学校", "カレーライス"};

std::string digits(Random& random, int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += char('0' + random.below(10));
    return s;
}

std::string password(Random& random) {
    static const char kChars[] =
        "ABCDEFGHJKLMNPQRSTUVWXYZabcdefghijkmnopqrstuvwxyz23456789!#$%&*+-=?@";
    int length = 8 + random.below(9);
    std::string s;
    for (int i = 0; i < length; ++i) s += kChars[random.below(int(sizeof kChars) - 1)];
    return s;
}

std::pair<std::string, std::string> row(Random& random, int slot) {
    static const std::vector<std::string> kItems = {
        "ID", "パスワード", "メールアドレス", "URL", "暗証番号", "秘密の質問", "答え",
        "会員番号", "カード番号", "有効期限", "電話番号", "備考"};
    const std::string& item = slot < 3 ? kItems[slot] : random.pick(kItems);
    std::string content;
    if (item == "ID") content = "user" + digits(random, 6);
    else if (item == "パスワード") content = password(random);
    else if (item == "メールアドレス") content = "taro.yamada" + digits(random, 3) + "@example.co.jp";
    else if (item == "URL") content = "https://www.example" + digits(random, 2) + ".co.jp/member/login.html";
    else if (item == "暗証番号") content = digits(random, 4);
    else if (item == "秘密の質問") content = "初めて飼ったペットの名前は？";
    else if (item == "答え") content = random.pick(kAnswers);
    else if (item == "会員番号") content = digits(random, 10);
    else if (item == "カード番号") content = digits(random, 4) + " " + digits(random, 4) + " " +
                                             digits(random, 4) + " " + digits(random, 4);
    else if (item == "有効期限") content = "20" + std::to_string(26 + random.below(8)) + "/0" +
                                           std::to_string(1 + random.below(9));
    else if (item == "電話番号") content = "090-" + digits(random, 4) + "-" + digits(random, 4);
    else content = random.pick(kNotes);
    return {item, content};
}

void writeDataSet(mk::DataStore& store) {
    Random random{20261208};
    std::vector<int> rows(kTitles, 1);
    for (int left = kContents - kTitles; left > 0;) {
        int t = random.below(kTitles);
        if (rows[t] < 50) ++rows[t], --left;
    }
    std::vector<int> numbers(kContents);
    for (int i = 0; i < kContents; ++i) numbers[i] = i + 1;
    for (int i = kContents - 1; i > 0; --i) std::swap(numbers[i], numbers[random.below(i + 1)]);

    std::vector<mk::ContentRecord> contents(kContents);
    std::string titles;
    int used = 0;
    for (int t = 1; t <= kTitles; ++t) {
        mk::TitleRecord title;
        title.表題 = random.pick(kServices) + random.pick(kPlaces);
        title.自分Rec = int16_t(t);
        title.Status = 0;
        for (int slot = 0; slot < rows[t - 1]; ++slot) {
            int r = numbers[used++];
            title.子Rec[slot] = int16_t(r);
            auto [item, content] = row(random, slot);
            mk::ContentRecord& record = contents[r - 1];
            record.出力 = std::to_string(random.below(3));
            record.項目 = item;
            record.内容 = content;
            record.親Rec = int16_t(t);
            record.自分Rec = int16_t(r);
        }
        titles += title.toBytes();
    }
    std::string contentBytes;
    for (const mk::ContentRecord& record : contents) contentBytes += record.toBytes();
    store.replacePair(titles, contentBytes);
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double timeMs(const std::function<void()>& body) {
    auto start = std::chrono::steady_clock::now();
    body();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

struct CoreView : mk::SearchView {
    std::string box;
    int mode = mk::HitTitles;
    std::string counter;
    std::string keyword() const override { return box; }
    void setKeyword(const std::string& text) override { box = text; }
    int displayMode() const override { return mode; }
    void setCounter(const std::string& caption) override { counter = caption; }
    void setTableVisible(bool) override {}
};

struct BenchShell : mk::gui::Shell {
    mk::gui::BrowseWindow* browse = nullptr;
    void 頁切換(int) override {}
    void highlightMenu(int) override {}
    void showBrowseScreen() override {}
    QWidget* mainWindow() override { return browse; }
    void hideEditScreen() override {}
    void setBrowseCounter(const QString&) override {}
    void reloadBrowse() override {}
    void setMouseHelp(const QString&) override {}
};

void mouse(QWidget* widget, QEvent::Type type, QPoint at) {
    QMouseEvent event(type, at, widget->mapToGlobal(at), Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

void press(QWidget* widget) {
    mouse(widget, QEvent::MouseButtonPress, widget->rect().center());
    mouse(widget, QEvent::MouseButtonRelease, widget->rect().center());
}

// Until the window has painted what changed: with the window shown, the
// pending update requests paint it into its backing store.
void settle(QWidget* window) {
    (void)window;
    QApplication::processEvents();
}

}  // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    char templ[] = "/tmp/mirukasu-bench-XXXXXX";
    if (!mkdtemp(templ)) {
        std::perror("mkdtemp");
        return 1;
    }
    int status = 0;
    {
        mk::Program program(std::string(templ) + "/");
        writeDataSet(program.store);
        program.reload();
        if (program.browse.rows() != kContents + 1) {
            std::fprintf(stderr, "bench_search: loaded %d rows\n", program.browse.rows());
            status = 1;
        }

        // ---- the core alone ----
        mk::GridTable& table = program.browse;
        CoreView view;
        mk::SearchKeyCache cache;
        auto newSearch = [&](const char* keyword) {
            view.box = keyword;
            mk::runSearchCommand(mk::SearchCommand::Search, table, view, &cache, {});
        };
        const double cold = timeMs([&] { newSearch("楽天"); });
        std::vector<double> searches, narrows;
        for (int run = 0; run < kRuns; ++run) {
            searches.push_back(timeMs([&] { newSearch("楽天"); }));
            view.box = "0120";
            narrows.push_back(timeMs([&] { mk::runSearchCommand(mk::SearchCommand::Narrow, table, view, &cache, {}); }));
        }
        const std::string narrowed = view.counter;
        newSearch("楽天");
        const std::string searched = view.counter;
        mk::resetSearchMarks(table);

        // The window lets events run while it searches, as the program does.
        mk::gui::QtMessages messages;

        // ---- the window, offscreen ----
        BenchShell shell;
        mk::gui::BrowseWindow window(program, shell);
        shell.browse = &window;
        window.resize(1000, 640);
        window.reload();
        window.show();
        settle(&window);

        auto* searchButton = window.findChild<QLabel*>("Label1_1");
        auto* titles = window.findChild<QRadioButton*>("Option1_1");
        auto* rowsOnly = window.findChild<QRadioButton*>("Option1_2");
        QHeaderView* header = window.grid()->horizontalHeader();
        const QPoint itemHeader(header->sectionViewportPosition(mk::bcol::Item) + 20, header->height() / 2);

        std::vector<double> viewSearches, switches, sorts;
        for (int run = 0; run < kRuns; ++run) {
            window.searchBox()->setText("楽天");
            viewSearches.push_back(timeMs([&] {
                press(searchButton);
                settle(&window);
            }));
            QRadioButton* other = run % 2 ? titles : rowsOnly;
            switches.push_back(timeMs([&] {
                other->click();
                settle(&window);
            }));
            sorts.push_back(timeMs([&] {
                mouse(header->viewport(), QEvent::MouseButtonPress, itemHeader);
                settle(&window);
            }));
            mouse(header->viewport(), QEvent::MouseButtonRelease, itemHeader);
        }
        // The 500 ms current-cell timer's work, with a full table shown.
        mk::runSearchCommand(mk::SearchCommand::ShowAll, table, view, nullptr, [&] { window.reload(); });
        settle(&window);
        program.editContext.currentRow = 3;
        program.editContext.currentCol = 3;
        std::vector<double> ticks;
        for (int run = 0; run < kRuns; ++run) {
            ticks.push_back(timeMs([&] {
                mk::paintCurrentCell(table, program.editContext);
                settle(&window);
            }));
        }

        std::fprintf(stderr, "bench_search: core result %s, narrowed %s, window counter %s\n",
                     searched.c_str(), narrowed.c_str(),
                     window.counter()->text().toStdString().c_str());

        std::printf("search_core_ms %.2f\n", median(searches));
        std::printf("search_core_cold_ms %.2f\n", cold);
        std::printf("narrow_core_ms %.2f\n", median(narrows));
        std::printf("search_view_ms %.2f\n", median(viewSearches));
        std::printf("mode_switch_view_ms %.2f\n", median(switches));
        std::printf("sort_view_ms %.2f\n", median(sorts));
        std::printf("timer_tick_view_ms %.2f\n", median(ticks));
    }
    std::error_code ec;
    std::filesystem::remove_all(templ, ec);
    return status;
}
