#include "bench/support/dataset.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "codec/cp932.h"
#include "ciphrax/cipher_control.h"
#include "core/app/cipher_wrappers.h"
#include "core/app/program.h"
#include "core/edit/edit_session.h"
#include "core/store/data_store.h"
#include "core/store/text.h"
#include "core/store/file_layer.h"

namespace mk::bench {

namespace {

// splitmix64: small, fast and the same everywhere.
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
    const T& pick(const std::vector<T>& items) {
        return items[below(int(items.size()))];
    }
};

const std::vector<std::string> kServices = {
    "楽天銀行 ネットバンキング",
    "Amazon.co.jp",
    "ゆうちょダイレクト",
    "Yahoo! JAPAN ID",
    "三井住友カード Vpass",
    "Gmail（仕事用）",
    "自宅 Wi-Fi ルーター",
    "マイナポータル",
    "NHKプラス",
    "docomo dアカウント",
    "メルカリ",
    "ANAマイレージクラブ",
    "じゃらんnet",
    "住信SBIネット銀行",
    "確定申告 e-Tax",
    "会社 VPN",
    "図書館 利用者カード",
    "PayPay",
    "Netflix",
    "市役所 電子申請",
    "ヨドバシ・ドット・コム",
    "証券口座（つみたてNISA）",
};
const std::vector<std::string> kPlaces = {"",      "",  "", " 個人", " 家族用", " 旧アカウント",
                                          " サブ", " 2"};
const std::vector<std::string> kNotes = {
    "2024年3月にパスワード変更済み。二段階認証あり",
    "家族と共用。変更したら連絡すること",
    "ログインは携帯番号でも可",
    "秘密の質問は旧姓",
    "年会費あり（初年度無料）",
    "自動更新：毎年4月",
    "問い合わせ窓口 0120-123-456（平日9時～17時）",
    // Longer than the content field holds: stored cut to its byte width.
    "ご利用明細はWebで確認。ポイントは毎月末に失効分あり、更新時に本人確認書類が必要です。窓口は平"
    "日のみ受付",
    "メモなし",
};
const std::vector<std::string> kAnswers = {"やまだ", "ポチ", "東京都", "さくら小学校",
                                           "カレーライス"};

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
        "ID",   "パスワード", "メールアドレス", "URL",      "暗証番号", "秘密の質問",
        "答え", "会員番号",   "カード番号",     "有効期限", "電話番号", "備考"};
    const std::string& item = slot < 3 ? kItems[slot] : random.pick(kItems);
    std::string content;
    if (item == "ID")
        content = "user" + digits(random, 6);
    else if (item == "パスワード")
        content = password(random);
    else if (item == "メールアドレス")
        content = "taro.yamada" + digits(random, 3) + "@example.co.jp";
    else if (item == "URL")
        content = "https://www.example" + digits(random, 2) + ".co.jp/member/login.html";
    else if (item == "暗証番号")
        content = digits(random, 4);
    else if (item == "秘密の質問")
        content = "初めて飼ったペットの名前は？";
    else if (item == "答え")
        content = random.pick(kAnswers);
    else if (item == "会員番号")
        content = digits(random, 10);
    else if (item == "カード番号")
        content = digits(random, 4) + " " + digits(random, 4) + " " + digits(random, 4) + " " +
                  digits(random, 4);
    else if (item == "有効期限")
        content = "20" + std::to_string(26 + random.below(8)) + "/0" +
                  std::to_string(1 + random.below(9));
    else if (item == "電話番号")
        content = "090-" + digits(random, 4) + "-" + digits(random, 4);
    else
        content = random.pick(kNotes);
    return {item, content};
}

}  // namespace

DataSetSize scaledDataSet(int contents) {
    DataSetSize size;
    size.contents = std::min(contents, int(kMaxRecordNumber));
    size.titles = std::max(1, int(int64_t(size.contents) * 3000 / kMaxRecordNumber));
    return size;
}

void writeDataSet(DataStore& store, DataSetSize size, uint64_t seed) {
    Random random{seed};
    const int titles = size.titles;
    const int contents = size.contents;

    // Every entry gets at least one row; the rest are spread at random, at
    // most 50 per entry.
    std::vector<int> rows(titles, 1);
    for (int left = contents - titles; left > 0;) {
        int t = random.below(titles);
        if (rows[t] < kMaxEntryRows) ++rows[t], --left;
    }
    std::vector<int> numbers(contents);
    for (int i = 0; i < contents; ++i) numbers[i] = i + 1;
    for (int i = 0; i < contents; ++i)
        if (random.below(10) == 0) std::swap(numbers[i], numbers[random.below(contents)]);

    std::vector<ContentRecord> records(contents);
    std::string titleBytes;
    std::string previousTitle;
    int used = 0;
    for (int t = 1; t <= titles; ++t) {
        TitleRecord title;
        // One neighbour in twenty shares the title before it: the merged
        // look of the title column must still keep them apart.
        title.表題 = (t > 1 && random.below(20) == 0)
                         ? previousTitle
                         : random.pick(kServices) + random.pick(kPlaces);
        previousTitle = title.表題;
        title.自分Rec = int16_t(t);
        title.Status = 0;
        for (int slot = 0; slot < rows[t - 1]; ++slot) {
            int r = numbers[used++];
            title.子Rec[slot] = int16_t(r);
            auto [item, content] = row(random, slot);
            ContentRecord& record = records[r - 1];
            record.出力 = std::to_string(random.below(3));
            record.項目 = item;
            record.内容 = content;
            record.親Rec = int16_t(t);
            record.自分Rec = int16_t(r);
        }
        titleBytes += title.toBytes();
    }
    std::string contentBytes;
    for (const ContentRecord& record : records) contentBytes += record.toBytes();
    store.replacePair(titleBytes, contentBytes);
}

namespace {

// Spreads `contents` rows over entries of at least one and at most
// `maxRows` rows each, as many entries as it takes at `perEntry` rows on
// average.
std::vector<int> spreadRows(Random& random, int contents, int entries, int maxRows) {
    entries = std::max(entries, (contents + maxRows - 1) / maxRows);
    std::vector<int> rows(entries, 1);
    for (int left = contents - entries; left > 0;) {
        int t = random.below(entries);
        if (rows[t] < maxRows) ++rows[t], --left;
    }
    return rows;
}

void putField(std::string& record, std::size_t offset, std::size_t width, const std::string& text) {
    record.replace(offset, width, cp932::encodeField(text, width));
}

}  // namespace

void writeImportFile(const std::string& path, DataSetSize size, uint64_t seed) {
    constexpr std::size_t kRecord = 4542, kTitle = 42, kItems = 84, kContents = 504;
    constexpr int kRows = 10;
    Random random{seed};
    // The cipher's own keys come from the seed too, so that the file is the
    // same on every run.
    ciphrax::CipherControl cipher;
    Random keys{seed ^ 0x5EEDull};
    cipher.setRandomSource([&keys] { return uint32_t(keys.next()); });
    // Ten rows at most an entry: more entries than the data set's own.
    const std::vector<int> rows = spreadRows(random, size.contents, size.contents / 8, kRows);
    std::string bytes;
    bytes.reserve(rows.size() * kRecord);
    for (int count : rows) {
        std::string record(kRecord, ' ');
        putField(record, 0, 42, "PW" + digits(random, 6));
        putField(record, kTitle, 42, random.pick(kServices) + random.pick(kPlaces));
        for (int k = 0; k < count; ++k) {
            auto [item, content] = row(random, k);
            putField(record, kItems + 42 * k, 42, item);
            // Most contents are enciphered; one in eight is stored plain
            // behind the marker, and so is one whose cipher text would not
            // fit the field (a cipher text's length varies with its key).
            std::string stored = random.below(8) == 0 ? std::string() : cipher.toCipher(content);
            if (stored.empty() || stored.size() > 402) stored = kPlainMarker + content;
            putField(record, kContents + 402 * k, 402, stored);
        }
        record.replace(4524, 18, std::string(18, '\0'));
        bytes += record;
    }
    fs::replaceFile(path, bytes);
}

void writeOldVersionFile(const std::string& path, DataSetSize size, uint64_t seed) {
    constexpr std::size_t kRecord = 5254, kItems = 42, kContents = 924;
    constexpr int kRows = 20;
    Random random{seed};
    const std::vector<int> rows = spreadRows(random, size.contents, size.titles, kRows);
    std::string bytes;
    bytes.reserve(rows.size() * kRecord);
    for (int count : rows) {
        std::string record(kRecord, ' ');
        putField(record, 0, 42, random.pick(kServices) + random.pick(kPlaces));
        // The filled rows keep their places among the twenty: a gap now
        // and then, as after rows were cleared in the old program.
        int slot = 1;
        for (int k = 0; k < count; ++k, ++slot) {
            if (slot < kRows - (count - k) + 1 && random.below(10) == 0) ++slot;
            auto [item, content] = row(random, k);
            putField(record, kItems + 42 * slot, 42, item);
            putField(record, kContents + 202 * slot, 202, content);
        }
        record.replace(5166, 88, std::string(88, '\0'));
        bytes += record;
    }
    fs::replaceFile(path, bytes);
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

double timeMs(const std::function<void()>& body) {
    auto start = std::chrono::steady_clock::now();
    body();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

double medianMs(int runs, const std::function<void()>& body) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) times.push_back(timeMs(body));
    return median(times);
}

void printFigure(const char* name, const char* suffix, double value, int decimals) {
    std::printf("%s%s %.*f\n", name, suffix, decimals, value);
}

void printRatio(const char* name, const char* suffix, double value, double floor) {
    printFigure(name, suffix, floor > 0 ? value / floor : 0.0);
}

int runAtBothSizes(const std::function<int(const DataSetSize&, const char* suffix)>& run) {
    int status = run(scaledDataSet(8192), "_8k");
    status |= run(DataSetSize{}, "");
    return status;
}

int openStoredEntry(EditSession& session, int rows) {
    DataStore& store = session.program.store;
    const std::vector<TitleRecord> titles = store.readTitles();
    for (std::size_t t = 0; t < titles.size(); ++t) {
        std::vector<int> used;
        for (int16_t k : titles[t].子Rec)
            if (k > 0) used.push_back(k);
        if (int(used.size()) != rows) continue;
        SetVsGrid51(session.table, false);
        session.titleBox.text = CleanField(std::string(titles[t].表題));
        session.table.setRows(rows + 2);
        for (int r = 1; r <= rows; ++r) {
            session.table.setText(r, ecol::Item, "項目" + std::to_string(r));
            session.table.setText(r, ecol::Content, "変更後の内容" + std::to_string(r));
            session.table.setText(r, ecol::Parent, std::to_string(t + 1));
            session.table.setText(r, ecol::Child, std::to_string(used[r - 1]));
        }
        return int(t + 1);
    }
    return 0;
}

}  // namespace mk::bench
