// The shipped Japanese texts, the lookups callers rely on, and the parser of the table's data file.

#include "resources/StringTable.h"
#include "resources/StringIds.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

#include <algorithm>
#include <latch>
#include <ostream>
#include <thread>
#include <vector>

// Readable failure output for texts (QString is in the global namespace).
void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace {

struct Entry {
    UINT id;
    const char* text; // UTF-8
};

// Every text the program ships, character for character: full-width letters, the ideographic space
// (U+3000) that indents the status lines, and real line breaks.
const Entry kShipped[] = {
    {208, "閉じる(&C)"},
    {209, "ファイル操作(&E)"},
    {210, "タイトル"},
    {212, "長さ"},
    {315, "音楽CDのデータ転送を開始します。別のCDに入れ替える場合は、キャンセルを押してください。"},
    {500, "警告"},
    {501, "エラー"},
    {700, "別のログオンユーザが使用中のため、起動することができません。"},
    {701, "このアプリケーションは、 Windows XP Home/Professional のみで動作可能です。"},
    {702, "このアプリケーションを使用するには、Windows Media Player 10 が必要です。"},
    {703, "正しくインストールされていません。アンインストール後、再度インストールしなおしてください。"},
    {704, "Windows Media Playerが起動されていると、本ソフトは使用できません。Windows Media "
          "Playerを終了後、本ソフトを起動してください。"},
    {705, "本ソフトウェアを使用中は、Windows Media Playerを使用することができません。Windows Media "
          "Playerを終了しました。"},
    {706,
     "本ソフトウェアを使用するために必要な設定ができませんでした。パソコンを再起動後、本ソフトを起動してく"
     "ださい。"},
    {723, "開けません。"},
    {800, "中断しています..."},
    {803, "起動中です。しばらくお待ちください..."},
    {1101, "Ollivaneのバージョン情報(&A)..."},
    {1102, "Ollivane"},
    {1103, "%1 バージョン %2"},
    {1104, "Copyright (C) 2026 Ollivane の開発者"},
    {1105,
     "このプログラムはフリーソフトウェアです。GNU 一般公衆利用許諾書（GPL）バージョン "
     "3、またはそれ以降のバージョンの条件の下で再頒布・改変することができます。このプログラムは無保証です。"},
    {1106, "使用しているライブラリ（実行時のバージョン）："},
    {1107, "ライセンスと各ライブラリの条件：\n%1"},
    {1110, "元のサイズに戻す(&R)"},
    {1111, "移動(&M)"},
    {1112, "最小化(&N)"},
    {1120, "使用領域"},
    {1121, "空き領域"},
    {1122, "ＳＤカードの使用済みの容量"},
    {1123, "ＳＤカードの空き容量"},
    {1124, "全曲の合計（目安）"},
    {1125, "ＣＤの全曲をＭＰ３にしたときの大きさの目安"},
    {1202, "ＣＤタイトル："},
    {1206, "転送(&T)"},
    {1213, "ＣＤタイトル(&A)"},
    {1316, "ＣＤタイトル名編集"},
    {1400, "ドライブに有効なCDが挿入されていません"},
    {1410,
     "前回の転送が正常に終了しなかったため、以前に取り込んだ曲のファイルの一部を元の場所に戻せませんでした。"
     "これらのファイルは削除せずに、次のフォルダに残してあります。\n%1"},
    {1707, "ＣＤのデータの取り込みに失敗しました。"},
    {1708, "ＳＤカードへの転送に失敗しました。"},
    {1709, "ＳＤカードへの転送が中断されました。"},
    {1712,
     "ＣＤのすべての音声データを取り込むために必要な空きエリアが、パソコン（ハードディスクなど）にありま"
     "せん。"},
    {1719,
     "音声データを転送するために、ＳＤカード側に十分な空きエリアがありません。継続しますか？（ＳＤカード"
     "側のエリアが一杯になるまで音声データを転送します。）"},
    {1720, "ＳＤカードにファイルを転送しました。"},
    {1721, "転送する音声データが1つも選択されていません。"},
    {1722, "音声データを転送するための空きエリアが、ＳＤカード側にありません。"},
    {1725, "ＣＤデータの取り込みに失敗しました。\n再度、ＣＤを入れ直してください。"},
    {1801, "ＣＤデータの取り込み中"},
    {1802, "転送中..."},
    {1804, "CDデータの取り込み準備中..."},
    {1900, "\n\u3000ＣＤをＣＤドライブに挿入してください。"},
    {1901, "\n\u3000ＣＤドライブを接続して、ＣＤを\n\u3000挿入してください。"},
    {1902, "\n\u3000ＳＤカードをＳＤカードスロットに\n\u3000挿入してください。\n\n\u3000または、ＳＤカード"
           "を挿入したＳＤ\n\u3000カードスロットを接続してください。"},
    {1903, "\n\u3000「転送」ボタンを押してください。"},
    {1904, "\n\u3000引き続きCDのデータを\n\u3000転送するには、別のCDに\n\u3000入れ替えてください。"},
};

} // namespace

TEST(StringTable, ShipsExactlyTheseTexts) {
    const CStringTable& table = CStringTable::Instance();
    EXPECT_TRUE(table.Errors().isEmpty()) << qPrintable(table.Errors().join(u'\n'));

    QSet<UINT> expectedIds;
    for (const Entry& e : kShipped) {
        expectedIds.insert(e.id);
        QString text;
        ASSERT_TRUE(LoadString(e.id, text)) << "missing id " << e.id;
        EXPECT_EQ(text, QString::fromUtf8(e.text)) << "id " << e.id;
        EXPECT_EQ(LoadString(e.id), text) << "id " << e.id;
    }
    // Nothing else in the table: a stray entry (a control id taken for a string id, say) shows here.
    const QList<UINT> ids = table.Ids();
    EXPECT_EQ(QSet<UINT>(ids.begin(), ids.end()), expectedIds);
}

TEST(StringTable, TextsCarryRealLineBreaksAndNoEscapes) {
    // The \n escapes of the data file must arrive as line breaks, never as a backslash and an "n".
    const QStringList stalled = LoadString(1725).split(u'\n');
    ASSERT_EQ(stalled.size(), 2);
    EXPECT_EQ(stalled[1], QString::fromUtf8("再度、ＣＤを入れ直してください。"));

    // The card hint has an empty line in the middle and starts with a break.
    EXPECT_EQ(LoadString(1902).count(u'\n'), 5);
    EXPECT_TRUE(LoadString(1902).contains(QStringLiteral("\n\n")));
    for (UINT id : {1900u, 1901u, 1902u, 1903u, 1904u}) {
        EXPECT_TRUE(LoadString(id).startsWith(QStringLiteral("\n") + QChar(0x3000))) << "id " << id;
    }

    for (UINT id : CStringTable::Instance().Ids()) {
        const QString text = LoadString(id);
        EXPECT_FALSE(text.isEmpty()) << "id " << id;
        EXPECT_FALSE(text.contains(u'\\')) << "id " << id;
        EXPECT_FALSE(text.contains(u'\r')) << "id " << id;
        EXPECT_FALSE(text.contains(u'\t')) << "id " << id;
    }
}

TEST(StringTable, UnknownIdGivesEmptyTextAndReportsMissing) {
    // 102: named by the player-window watch but without text; 1038: a control id, not a string.
    for (UINT id : {0u, 102u, 1038u, 1109u, 65535u, 70000u}) {
        EXPECT_TRUE(LoadString(id).isEmpty()) << "id " << id;
        QString text = QStringLiteral("untouched");
        EXPECT_FALSE(LoadString(id, text)) << "id " << id;
        EXPECT_EQ(text, QStringLiteral("untouched")) << "id " << id;
        EXPECT_FALSE(CStringTable::Instance().Has(id)) << "id " << id;
    }
}

TEST(StringTable, EachIdAppearsOnceInTheDataFile) {
    // Read the compiled-in file as raw lines, independently of the parser: a repeated id would
    // silently shadow a text.
    QFile file(QString::fromLatin1(CStringTable::kResourcePath));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n');
    static const QRegularExpression idField(QStringLiteral("^(\\d+)\t"));
    QSet<uint> seen;
    int entries = 0;
    for (const QString& line : lines) {
        const QRegularExpressionMatch m = idField.match(line);
        if (!m.hasMatch()) {
            continue;
        }
        ++entries;
        const uint id = m.captured(1).toUInt(); // "0500" and "500" are the same id
        EXPECT_FALSE(seen.contains(id)) << "id " << id << " repeated";
        seen.insert(id);
    }
    EXPECT_EQ(entries, static_cast<int>(std::size(kShipped)));
}

TEST(StringTable, NamedIdsResolveToTheirTexts) {
    const UINT named[] = {
        IDS_CAPTION_WARNING,    IDS_CAPTION_ERROR,      IDS_APP_TITLE,
        IDS_ABOUT_MENU_ITEM,    IDS_STARTING_UP,        IDS_ERR_OTHER_USER_RUNNING,
        IDS_ERR_UNSUPPORTED_OS, IDS_ERR_PLAYER_TOO_OLD, IDS_ERR_NOT_INSTALLED,
        IDS_ERR_PLAYER_RUNNING, IDS_WARN_PLAYER_CLOSED, IDS_ERR_SETUP_FAILED,
        IDS_BTN_CLOSE,          IDS_BTN_OPEN_DEST,      IDS_BTN_TRANSFER,
        IDS_BTN_ALBUM,          IDS_COL_TITLE,          IDS_COL_LENGTH,
        IDS_ERR_CANNOT_OPEN,    IDS_STATUS_INSERT_CD,   IDS_STATUS_NO_DRIVE,
        IDS_STATUS_INSERT_CARD, IDS_STATUS_READY,       IDS_STATUS_NEXT_CD,
        IDS_CANCELLING,         IDS_AUTO_START_NOTICE,  IDS_RIP_PROGRESS_HEAD,
        IDS_COPY_PROGRESS,      IDS_RIP_PREPARING,      IDS_RIP_FAILED,
        IDS_COPY_FAILED,        IDS_COPY_CANCELLED,     IDS_PC_SPACE_LOW,
        IDS_ASK_FILL_CARD,      IDS_COPY_DONE,          IDS_NOTHING_CHOSEN,
        IDS_NO_TRACK_FITS,      IDS_RIP_STALLED,        IDS_NO_VALID_CD,
        IDS_ALBUM_DLG_CAPTION,  IDS_ALBUM_DLG_LABEL,    IDS_EARLIER_RIPS_KEPT,
        IDS_ABOUT_VERSION,      IDS_ABOUT_COPYRIGHT,    IDS_ABOUT_LICENCE,
        IDS_ABOUT_LIBRARIES,    IDS_ABOUT_TEXTS_AT,     IDS_SYSMENU_RESTORE,
        IDS_SYSMENU_MOVE,       IDS_SYSMENU_MINIMIZE,   IDS_CAPTION_USED,
        IDS_CAPTION_FREE,       IDS_TIP_USED,           IDS_TIP_FREE,
        IDS_CAPTION_TOTAL,      IDS_TIP_TOTAL,
    };
    QSet<UINT> distinct;
    for (UINT id : named) {
        EXPECT_TRUE(CStringTable::Instance().Has(id)) << "id " << id;
        distinct.insert(id);
    }
    EXPECT_EQ(distinct.size(), static_cast<qsizetype>(std::size(named))) << "two names share an id";
    // Spot checks that a name sits on the right number.
    EXPECT_EQ(LoadString(IDS_APP_TITLE), QStringLiteral("Ollivane"));
    EXPECT_EQ(LoadString(IDS_CAPTION_WARNING), QString::fromUtf8("警告"));
    EXPECT_EQ(LoadString(IDS_COPY_DONE), QString::fromUtf8("ＳＤカードにファイルを転送しました。"));
    // The watch compares player dialog titles with this text; it must stay absent so that the
    // comparison never matches a titled window.
    EXPECT_FALSE(CStringTable::Instance().Has(IDS_IGNORED_PLAYER_DIALOG));
}

TEST(StringTable, FirstUseFromManyThreadsSeesOneConsistentTable) {
    // In its own test process this is the first use, so the threads race to load the table.
    constexpr int kThreads = 8;
    std::latch start(kThreads);
    std::vector<int> mismatches(kThreads, 0);
    std::vector<std::thread> threads;
    const QString expectedTitle = QStringLiteral("Ollivane");
    const auto stall =
        std::find_if(std::begin(kShipped), std::end(kShipped), [](const Entry& e) { return e.id == 1725; });
    ASSERT_NE(stall, std::end(kShipped));
    const QString expectedStall = QString::fromUtf8(stall->text);
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            start.arrive_and_wait();
            for (int i = 0; i < 200; ++i) {
                if (LoadString(IDS_APP_TITLE) != expectedTitle || LoadString(1725) != expectedStall ||
                    !LoadString(99999).isEmpty()) {
                    ++mismatches[t];
                }
            }
        });
    }
    for (std::thread& th : threads) {
        th.join();
    }
    for (int t = 0; t < kThreads; ++t) {
        EXPECT_EQ(mismatches[t], 0) << "thread " << t;
    }
}

TEST(StringTableParse, EscapesBlanksCommentsAndLineEnds) {
    const CStringTable table = CStringTable::Parse(QString::fromUtf8("# a comment\n"
                                                                     "\n"
                                                                     "1\ta\\nb\\tc\\\\d\n"
                                                                     "2\t\\\\n stays a backslash and n\n"
                                                                     "3\t  padded  \n"
                                                                     "4\t\n"
                                                                     "5\tcrlf\r\n"
                                                                     "6\tsecond\ttab kept\n"
                                                                     "  \n"
                                                                     "7\t全角　テキスト"));
    EXPECT_TRUE(table.Errors().isEmpty()) << qPrintable(table.Errors().join(u'\n'));
    EXPECT_EQ(table.Text(1), QStringLiteral("a\nb\tc\\d"));
    EXPECT_EQ(table.Text(2), QStringLiteral("\\n stays a backslash and n"));
    EXPECT_EQ(table.Text(3), QStringLiteral("  padded  "));
    EXPECT_EQ(table.Text(5), QStringLiteral("crlf"));
    EXPECT_EQ(table.Text(6), QStringLiteral("second\ttab kept"));
    EXPECT_EQ(table.Text(7), QString::fromUtf8("全角　テキスト")); // last line without a line end
    EXPECT_EQ(table.Ids(), (QList<UINT>{1, 2, 3, 4, 5, 6, 7}));

    // An entry with an empty text is present; an absent id is not. Both read as empty text.
    EXPECT_TRUE(table.Has(4));
    EXPECT_TRUE(table.Text(4).isEmpty());
    QString text = QStringLiteral("x");
    EXPECT_TRUE(table.Lookup(4, text));
    EXPECT_TRUE(text.isEmpty());
    EXPECT_FALSE(table.Has(8));
    EXPECT_FALSE(table.Lookup(8, text));
}

TEST(StringTableParse, MalformedLineIsReportedAndSkipped) {
    struct Case {
        const char* line;
        const char* why;
    };
    const Case cases[] = {
        {"5 no tab at all", "no tab"},
        {"\ttext without id", "bad id"},
        {"abc\ttext", "bad id"},
        {"-5\ttext", "bad id"},
        {"+5\ttext", "bad id"},
        {" 5\ttext", "bad id"},
        {"65536\ttext", "bad id"},
        {"99999999999999999999\ttext", "bad id"},
        {"5\tunknown \\q escape", "unknown escape"},
        {"5\tends in a backslash \\", "backslash at the end"},
    };
    for (const Case& c : cases) {
        const CStringTable table = CStringTable::Parse(
            QStringLiteral("7\tbefore\n") + QString::fromUtf8(c.line) + QStringLiteral("\n8\tafter\n"));
        ASSERT_EQ(table.Errors().size(), 1) << c.line;
        EXPECT_TRUE(table.Errors()[0].startsWith(QStringLiteral("line 2:"))) << qPrintable(table.Errors()[0]);
        EXPECT_TRUE(table.Errors()[0].contains(QString::fromUtf8(c.why))) << qPrintable(table.Errors()[0]);
        EXPECT_FALSE(table.Has(5)) << c.line;
        EXPECT_EQ(table.Ids(), (QList<UINT>{7, 8})) << c.line;
    }
    // The largest 16-bit id is still a valid one.
    EXPECT_TRUE(CStringTable::Parse(QStringLiteral("65535\tlast")).Has(65535));
}

TEST(StringTableParse, RepeatedIdKeepsTheFirstTextAndIsReported) {
    const CStringTable table =
        CStringTable::Parse(QStringLiteral("1102\tOllivane\n500\twarn\n1102\tshadow\n0500\tagain\n"));
    EXPECT_EQ(table.Text(1102), QStringLiteral("Ollivane"));
    EXPECT_EQ(table.Text(500), QStringLiteral("warn"));
    ASSERT_EQ(table.Errors().size(), 2);
    EXPECT_TRUE(table.Errors()[0].startsWith(QStringLiteral("line 3:")));
    EXPECT_TRUE(table.Errors()[0].contains(QStringLiteral("1102")));
    // A leading zero names the same id.
    EXPECT_TRUE(table.Errors()[1].startsWith(QStringLiteral("line 4:")));
}
