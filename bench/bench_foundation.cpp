// Loading the browse table from a data set of realistic size: 3,000 entries
// and 32,767 content records (the most a content file can address).
//
// Prints, one line each:
//   load_ms        median time of データ読込 into a grid table, ready to paint
//                  (the reload after every save: the table already exists)
//   load_fresh_ms  the same into a new, empty table (the first load at start)
//   read_floor_ms  median time of a plain read of the two files' bytes
//   load_ratio     load_ms / read_floor_ms
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "core/store/browse_load.h"
#include "core/store/data_store.h"
#include "core/store/grid_table.h"

namespace {

constexpr int kTitles = 3000;
constexpr int kContents = mk::kMaxRecordNumber;
constexpr int kLoadRuns = 15;
constexpr int kReadRuns = 15;

// A small deterministic generator (splitmix64), so every run measures the
// same data set.
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

// One row of an entry: an item label and a content that fits it.
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

// Writes the data set through the store's own record layout.
void writeDataSet(mk::DataStore& store) {
    Random random{20261208};

    // Every entry gets at least one row; the rest are spread at random, at
    // most 50 per entry. Saving appends content records in the order the
    // rows are saved, so an entry's records mostly follow each other; later
    // edits reuse freed records elsewhere in the file, which one row in ten
    // imitates here.
    std::vector<int> rows(kTitles, 1);
    for (int left = kContents - kTitles; left > 0;) {
        int t = random.below(kTitles);
        if (rows[t] < 50) ++rows[t], --left;
    }
    std::vector<int> numbers(kContents);
    for (int i = 0; i < kContents; ++i) numbers[i] = i + 1;
    for (int i = 0; i < kContents; ++i)
        if (random.below(10) == 0) std::swap(numbers[i], numbers[random.below(kContents)]);

    std::vector<mk::ContentRecord> contents(kContents);
    std::string titleBytes;
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
        titleBytes += title.toBytes();
    }
    std::string contentBytes;
    for (const mk::ContentRecord& record : contents) contentBytes += record.toBytes();
    store.replacePair(titleBytes, contentBytes);
}

double millisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The two files' bytes, read as plainly as the platform allows.
std::size_t readPlain(const std::string& path, std::vector<char>& buffer) {
    int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0) return 0;
    std::size_t total = 0;
    for (;;) {
        if (buffer.size() - total < 65536) buffer.resize(buffer.size() * 2 + 65536);
        ssize_t n = ::read(fd, buffer.data() + total, buffer.size() - total);
        if (n <= 0) break;
        total += std::size_t(n);
    }
    ::close(fd);
    return total;
}

}  // namespace

int main() {
    char templ[] = "/tmp/mirukasu-bench-XXXXXX";
    if (!mkdtemp(templ)) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::string folder = std::string(templ) + "/";
    int status = 0;
    {
        mk::DataStore store(folder);
        writeDataSet(store);

        mk::GridTable table(1, 1);
        std::vector<double> loads;
        for (int run = 0; run < kLoadRuns; ++run) {
            auto start = std::chrono::steady_clock::now();
            mk::データ読込(store, table, false);
            loads.push_back(millisecondsSince(start));
        }
        std::vector<double> fresh;
        for (int run = 0; run < kLoadRuns; ++run) {
            mk::GridTable newTable(1, 1);
            auto start = std::chrono::steady_clock::now();
            mk::データ読込(store, newTable, false);
            fresh.push_back(millisecondsSince(start));
        }
        if (table.rows() != kContents + 1) {
            std::fprintf(stderr, "bench_foundation: expected %d rows, loaded %d\n", kContents + 1,
                         table.rows());
            status = 1;
        }

        std::vector<double> reads;
        std::vector<char> buffer;
        std::size_t bytes = 0;
        for (int run = 0; run < kReadRuns; ++run) {
            auto start = std::chrono::steady_clock::now();
            bytes = readPlain(store.titlePath(), buffer) + readPlain(store.contentPath(), buffer);
            reads.push_back(millisecondsSince(start));
        }
        if (bytes != std::size_t(kTitles) * 154 + std::size_t(kContents) * 146) {
            std::fprintf(stderr, "bench_foundation: read %zu bytes\n", bytes);
            status = 1;
        }

        double load = median(loads);
        double read = median(reads);
        std::printf("load_ms %.2f\n", load);
        std::printf("load_fresh_ms %.2f\n", median(fresh));
        std::printf("read_floor_ms %.3f\n", read);
        std::printf("load_ratio %.1f\n", read > 0 ? load / read : 0.0);
    }
    std::error_code ec;
    std::filesystem::remove_all(templ, ec);
    return status;
}
