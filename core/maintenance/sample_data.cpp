#include "core/maintenance/sample_data.h"

#include <string>
#include <vector>

#include "core/base/errors.h"
#include "core/base/messages.h"
#include "core/store/data_store.h"
#include "core/store/records.h"
#include "core/store/text.h"

namespace mk {

namespace {

const char* const kSampleDataLocation = "SampleData : 9793";
const char* const kGenerateLocation = "サンプルデータ生成 :  4518   ";
const char* const kDeleteLocation = "サンプルデータ削除 :  4519   ";

const char* const kGeneratedMessage =
    "サンプルデータの生成が完了しました。　検索・閲覧に移動します。";
const char* const kDeletedMessage =
    "サンプルデータの削除が完了しました。　検索・閲覧に移動します。";

constexpr int16_t kSampleStatus = 9;
// The output state that every saver gives a newly stored row.
const char* const kNewRowOutput = "0";

using Rows = std::vector<std::pair<std::string, std::string>>;

void add(std::vector<SampleEntry>& set, const char* title, Rows rows) {
    set.push_back(SampleEntry{title, std::move(rows)});
}

// Every name, number and address below is made up: example.jp addresses,
// numbers that belong to nobody.
std::vector<SampleEntry> buildSampleSet() {
    std::vector<SampleEntry> set;
    add(set, "自宅パソコン（仕様）",
        {{"メーカー", "サンプル電機株式会社"},
         {"型番", "SPL-DT7000-EX"},
         {"CPU", "8コア 3.2GHz"},
         {"メモリ", "16GB DDR4"},
         {"ストレージ", "SSD 512GB / HDD 2TB"},
         {"OS", "Windows 11 Pro 64bit"},
         {"コンピューター名", "HOME-PC-SAMPLE"},
         {"ユーザー名", "taro_yamada"},
         {"購入日", "2024/04/01"},
         {"備考", "保証期間は2027/03/31まで（延長保証あり）"}});
    add(set, "ディスク暗号化回復キー",
        {{"対象ドライブ", "C: （自宅パソコン）"},
         {"暗号化方式", "XTS-AES 128ビット"},
         {"回復キーID", "1A2B3C4D-0000-4E5F-8A9B-000000000000"},
         {"回復キー", "111111-222222-333333-444444-555555-666666-777777-888888"},
         {"保存場所", "印刷して金庫に保管"},
         {"作成日", "2024/04/02"},
         {"関連アカウント", "taro.yamada@example.jp"},
         {"確認方法", "起動時の回復画面でキーIDの先頭8桁を照合"},
         {"備考", "パソコンの修理に出す前に必ず確認する"}});
    add(set, "ネット通販サイト",
        {{"ログインID", "taro.yamada@example.jp"},
         {"パスワード", "Shop#Sample2024"},
         {"URL", "https://shop.example.jp/login"}});
    add(set, "動画配信サービス",
        {{"メールアドレス", "taro.movie@example.jp"},
         {"パスワード", "Movie!Pass0001"}});
    add(set, "携帯電話（本人）",
        {{"電話番号", "090-0000-0001"},
         {"暗証番号", "0000（サンプル）"},
         {"キャリアID", "sample-taro-0001"},
         {"備考", "機種変更は2026年3月の予定"}});
    add(set, "みらい銀行（普通預金）",
        {{"支店名", "さくら通り支店"},
         {"支店番号", "001"},
         {"口座種別", "普通"},
         {"口座番号", "0000001"},
         {"口座名義", "ヤマダ　タロウ"},
         {"キャッシュカード暗証番号", "0000（サンプル）"},
         {"ネットバンキングID", "MB00000001"},
         {"ログインパスワード", "Mirai#Bank001"}});
    add(set, "図書館カード", {{"カード番号", "0000-1234-5678"}});
    add(set, "自宅Wi-Fi", {{"暗号化キー", "WiFi-Sample-Key-0000"}});
    add(set, "クレジットカード（サンプル）",
        {{"カード番号", "0000-1111-2222-3333"},
         {"有効期限", "12/29"},
         {"セキュリティコード", "000"},
         {"暗証番号", "0000（サンプル）"},
         {"会員サイトID", "card_taro0001"},
         {"問い合わせ先", "0120-000-000（平日9時から17時）"}});
    add(set, "ETCカード",
        {{"カード番号", "0000-0000-0000-0001"},
         {"有効期限", "2028年3月"},
         {"登録車両", "品川 300 さ 00-00"},
         {"利用照会URL", "https://etc.example.jp/meisai"}});
    add(set, "フリーメール",
        {{"メールアドレス", "yamada.taro.sample@example.jp"},
         {"パスワード", "Mail$Sample2024"}});
    add(set, "携帯電話（家族）",
        {{"電話番号", "080-0000-0002"},
         {"暗証番号", "1111（サンプル）"}});
    add(set, "ひまわり信用金庫",
        {{"支店名", "駅前支店"},
         {"支店番号", "002"},
         {"口座種別", "普通"},
         {"口座番号", "0000002"},
         {"口座名義", "ヤマダ　ハナコ"},
         {"キャッシュカード暗証番号", "2222（サンプル）"},
         {"ネットバンキングID", "HS00000002"},
         {"ログインパスワード", "Himawari#002"},
         {"URL", "https://bank.example.jp/himawari"}});
    add(set, "チケット予約サービス",
        {{"会員番号", "T0000000001"},
         {"ログインID", "taro_ticket"},
         {"パスワード", "Ticket!Sample01"},
         {"URL", "https://ticket.example.jp/"}});
    add(set, "航空会社マイレージ",
        {{"会員番号", "0000000001"},
         {"パスワード", "Fly#Sample2024"},
         {"備考", "マイルの有効期限は3年"}});
    add(set, "SNSアカウント",
        {{"ユーザー名", "@taro_sample"},
         {"パスワード", "Sns$Sample0001"}});
    add(set, "ネット証券",
        {{"口座番号", "000-0000001"},
         {"ログインID", "taro.kabu"},
         {"ログインパスワード", "Stock#Login01"},
         {"取引パスワード", "Trade#Pass01"},
         {"URL", "https://sec.example.jp/"}});
    add(set, "インターネットプロバイダー",
        {{"契約者ID", "AB0000001"},
         {"接続パスワード", "Net#Connect01"},
         {"サポート窓口", "0120-000-001"}});
    add(set, "電力会社Web会員",
        {{"お客さま番号", "00-0000-0000-00"},
         {"ログインID", "taro_denki"},
         {"パスワード", "Denki#Sample01"},
         {"メールアドレス", "taro.denki@example.jp"},
         {"URL", "https://denki.example.jp/mypage"}});
    add(set, "ポイントカード",
        {{"カード番号", "0000 0000 0000 0001"},
         {"暗証番号", "0000（サンプル）"},
         {"備考", "誕生月はポイント2倍"}});
    return set;
}

// The two files of the sample set, complete: title e names content records
// that run on from those of title e - 1, in row order.
void buildSampleFiles(const std::vector<SampleEntry>& set, std::string& titles,
                      std::string& contents) {
    long contentNumber = 0;
    for (std::size_t e = 1; e <= set.size(); ++e) {
        const SampleEntry& entry = set[e - 1];
        TitleRecord title;
        title.表題 = LeftChars(entry.title, kTitleChars);
        title.自分Rec = toInt16(long(e));
        title.Status = kSampleStatus;
        std::size_t slot = 0;
        for (const auto& [item, content] : entry.rows) {
            ++contentNumber;
            if (slot >= std::size_t(TitleRecord::kSlots))
                throw RuntimeError(ErrSubscript, "サンプルデータの行数が多すぎます。");
            title.子Rec[slot++] = toInt16(contentNumber);
            ContentRecord row;
            row.出力 = kNewRowOutput;
            row.項目 = LeftChars(item, kItemChars);
            row.内容 = LeftChars(content, kContentChars);
            row.親Rec = toInt16(long(e));
            row.自分Rec = toInt16(contentNumber);
            contents += row.toBytes();
        }
        titles += title.toBytes();
    }
}

}  // namespace

std::vector<SampleEntry> SampleData() {
    std::vector<SampleEntry> set;
    if (!Trap(kSampleDataLocation, [&] { set = buildSampleSet(); })) set.clear();
    return set;
}

bool サンプルデータ生成(Program& program) {
    // Built in full before any file is touched; the old data files stay as
    // they are until the new ones are complete.
    std::vector<SampleEntry> set = SampleData();
    if (set.empty()) return false;  // already reported

    bool done = Trap(kGenerateLocation, [&] {
        std::string titles, contents;
        buildSampleFiles(set, titles, contents);
        // Both files are replaced together: a failure leaves the old pair.
        program.store.replacePair(titles, contents);
    });
    if (!done) return false;

    program.reload();
    MsgBox(kGeneratedMessage, Buttons::OK, Icon::None);
    return true;
}

bool サンプルデータ削除(Program& program) {
    // Every title that is not a sample stays, renumbered with its rows;
    // the real files change only once both new ones are complete.
    const bool done = Trap(kDeleteLocation, [&] {
        program.store.rewritePairKeeping(
            [](const TitleRecord& title) { return title.Status != kSampleStatus; });
    });
    if (!done) return false;

    MsgBox(kDeletedMessage, Buttons::OK, Icon::None);
    return true;
}

}  // namespace mk
