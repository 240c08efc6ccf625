// The characters CleanName keeps: the generated table itself, CleanName against a reference built
// directly on glibc's JIS encoders (no table, no index), and the generator reproducing the
// committed table.

#include "ui/text/NameCharTables.h"
#include "ui/text/TextRules.h"

#include <QFile>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QTemporaryFile>

#include <gtest/gtest.h>

#include <iconv.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace {

// Which code units a name may hold, asked of glibc's Unicode-to-JIS encoders one code unit at a
// time: a member is one the EUC-JP encoder writes as a JIS X 0208 pair (both bytes 0xA1..0xFE), or
// one of the single-byte JIS Roman, halfwidth katakana and code page 932 members.
class CJisReference {
public:
    static const CJisReference& Instance() {
        static const CJisReference reference;
        return reference;
    }

    bool ok = true;
    std::string error;
    std::array<bool, 0x10000> allowed{};
    std::array<bool, 0x10000> excludedFirst{};
    int allowedCount = 0;
    int excludedCount = 0;

    bool Allowed(char16_t unit) const { return allowed[unit]; }
    bool ExcludedFirst(char16_t unit) const { return excludedFirst[unit]; }

    // CleanName as the rules read, on top of the reference sets.
    QString Clean(const QString& text) const {
        QString result;
        for (qsizetype i = 0; i < text.size() && i < 26; ++i) {
            const char16_t unit = text.at(i).unicode();
            const bool keep = Allowed(unit) && !(i == 0 && ExcludedFirst(unit));
            result.append(keep ? QChar(unit) : QChar(0x25A1));
        }
        return result;
    }

private:
    CJisReference() {
        iconv_t euc = iconv_open("EUC-JP", "UTF-16LE");
        iconv_t sjis = iconv_open("SHIFT_JIS", "UTF-16LE");
        if (euc == iconv_t(-1) || sjis == iconv_t(-1)) {
            ok = false;
            error = "glibc iconv has no EUC-JP or SHIFT_JIS converter";
            return;
        }
        for (unsigned unit = 0; unit < 0x10000; ++unit) {
            const std::string e = Encode(euc, char16_t(unit));
            const std::string s = Encode(sjis, char16_t(unit));
            const bool jisPair = e.size() == 2 && std::all_of(e.begin(), e.end(), [](char c) {
                                     return (unsigned char)c >= 0xA1 && (unsigned char)c <= 0xFE;
                                 });
            const bool extra = (unit >= 0x20 && unit <= 0x7E) || unit == 0xA5 || unit == 0x203E ||
                               (unit >= 0xFF61 && unit <= 0xFF9F) || unit == 0x2225 || unit == 0xFF0D ||
                               unit == 0xFF5E || unit == 0xFFE0 || unit == 0xFFE2;
            allowed[unit] = jisPair || extra;
            excludedFirst[unit] = jisPair && s.size() == 2 && (unsigned char)s[0] == 0xE5;
            allowedCount += allowed[unit];
            excludedCount += excludedFirst[unit];
        }
        iconv_close(euc);
        iconv_close(sjis);
    }

    // The bytes the converter writes for one code unit; empty when it cannot (lone surrogates,
    // characters outside the target set).
    static std::string Encode(iconv_t cd, char16_t unit) {
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        char in[2] = {char(unit & 0xFF), char(unit >> 8)};
        char out[16];
        char* inPtr = in;
        char* outPtr = out;
        size_t inLeft = sizeof in;
        size_t outLeft = sizeof out;
        if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == size_t(-1) || inLeft != 0)
            return std::string();
        return std::string(out, outPtr);
    }
};

QString Hex(char16_t unit) {
    return QStringLiteral("U+%1").arg(unsigned(unit), 4, 16, QLatin1Char('0')).toUpper();
}

bool InTable(char16_t unit) {
    return std::binary_search(NameChars::kAllowed, NameChars::kAllowed + NameChars::kAllowedCount, unit);
}

} // namespace

TEST(NameChars, ReferenceSetsHaveTheExpectedSize) {
    const CJisReference& ref = CJisReference::Instance();
    ASSERT_TRUE(ref.ok) << ref.error;
    EXPECT_EQ(ref.allowedCount, 7044);
    EXPECT_EQ(ref.excludedCount, 188);
}

TEST(NameChars, TableIsSortedIndexedAndHoldsTheJisMembers) {
    const char16_t* const table = NameChars::kAllowed;
    const int count = NameChars::kAllowedCount;
    EXPECT_TRUE(std::adjacent_find(table, table + count, std::greater_equal<char16_t>()) == table + count)
        << "the table must ascend strictly";

    const std::array<int32_t, 16> expectedIndex = {0,    -1,   221, 330, 529, 735, 2116, 3523,
                                                   4704, 5908, -1,  -1,  -1,  -1,  -1,   6885};
    for (int block = 0; block < NameChars::kBlockCount; ++block) {
        EXPECT_EQ(NameChars::kBlockStart[block], expectedIndex[block]) << "block " << block;
        // Each start is the first member of its block.
        const auto first = std::lower_bound(table, table + count, char16_t(block << 12));
        const bool hasMember = first != table + count && (*first >> 12) == block;
        EXPECT_EQ(NameChars::kBlockStart[block], hasMember ? int32_t(first - table) : -1)
            << "block " << block;
    }

    // JIS mapping of the wave dash and minus, the code page 932 forms of five JIS characters, the
    // yen sign and overline of JIS Roman, and the replacement character itself.
    for (char16_t member : {u'\u301C', u'\u2212', u'\u2225', u'\uFF0D', u'\uFF5E', u'\uFFE0', u'\uFFE2',
                            u'\u00A5', u'\u203E', u'\u25A1', u'\uFF61', u'\uFF9F', u' ', u'~'})
        EXPECT_TRUE(InTable(member)) << Hex(member).toStdString();
    // NEC row 13 (circled digits, Roman numerals, ㈱, №), the NEC-selected IBM kanji 纊, IBM's
    // broken bar, accented Latin, controls and DEL.
    for (char16_t stranger : {u'\u2460', u'\u2160', u'\u2170', u'\u3231', u'\u2116', u'\u7E8A', u'\uFFE4',
                              u'\u00E9', u'\u007F', u'\u001F', u'\u0000', u'\uFF60', u'\uFFA0'})
        EXPECT_FALSE(InTable(stranger)) << Hex(stranger).toStdString();

    const char16_t* const excluded = NameChars::kFirstExcluded;
    const int excludedCount = NameChars::kFirstExcludedCount;
    EXPECT_TRUE(std::adjacent_find(excluded, excluded + excludedCount, std::greater_equal<char16_t>()) ==
                excluded + excludedCount);
    EXPECT_EQ(excluded[0], u'\u4E55');
    EXPECT_EQ(excluded[excludedCount - 1], u'\u96D6');
    EXPECT_TRUE(std::all_of(excluded, excluded + excludedCount, InTable));
}

// Every code unit in the first position, in a later one, in the last kept one and just past it.
TEST(NameChars, CleanNameMatchesReferenceForEveryCodeUnit) {
    const CJisReference& ref = CJisReference::Instance();
    ASSERT_TRUE(ref.ok) << ref.error;
    const QString kept25(25, QLatin1Char('A'));
    const QString kept26(26, QLatin1Char('A'));

    std::vector<QString> mismatches;
    for (unsigned u = 0; u < 0x10000; ++u) {
        const QChar unit{char16_t(u)};
        const QString texts[] = {QString(unit), QStringLiteral("A") + unit + QStringLiteral("B"),
                                 kept25 + unit, kept26 + unit};
        for (const QString& text : texts) {
            const QString got = CleanName(text);
            const QString want = ref.Clean(text);
            if (got != want && mismatches.size() < 20)
                mismatches.push_back(Hex(char16_t(u)) + QStringLiteral(" at length %1").arg(text.size()));
        }
    }
    EXPECT_TRUE(mismatches.empty())
        << QStringList(mismatches.begin(), mismatches.end()).join(QStringLiteral(", ")).toStdString();
}

TEST(NameChars, CleanNameMatchesReferenceOnRandomTexts) {
    const CJisReference& ref = CJisReference::Instance();
    ASSERT_TRUE(ref.ok) << ref.error;
    std::mt19937 random(20240607);
    std::uniform_int_distribution<int> length(0, 64);
    std::uniform_int_distribution<int> kind(0, 9);
    std::uniform_int_distribution<int> anyUnit(0, 0xFFFF);
    std::uniform_int_distribution<int> tableAt(0, NameChars::kAllowedCount - 1);
    std::uniform_int_distribution<int> excludedAt(0, NameChars::kFirstExcludedCount - 1);
    std::uniform_int_distribution<int> surrogate(0xD800, 0xDFFF);

    for (int round = 0; round < 5000; ++round) {
        QString text;
        const int n = length(random);
        for (int i = 0; i < n; ++i) {
            // Mostly characters a name may hold, so the kept ones are exercised as much as the
            // replaced ones.
            const int k = kind(random);
            char16_t unit;
            if (k < 5)
                unit = NameChars::kAllowed[tableAt(random)];
            else if (k < 7)
                unit = NameChars::kFirstExcluded[excludedAt(random)];
            else if (k < 8)
                unit = char16_t(surrogate(random));
            else
                unit = char16_t(anyUnit(random));
            text.append(QChar(unit));
        }
        const QString got = CleanName(text);
        ASSERT_EQ(got, ref.Clean(text)) << "round " << round;
        ASSERT_EQ(got.size(), std::min<qsizetype>(text.size(), 26));
    }
}

// The committed table is what the generator writes today; a hand edit or a stale table fails here.
TEST(NameChars, GeneratorReproducesTheCommittedTable) {
    const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
    ASSERT_FALSE(python.isEmpty()) << "python3 is needed to regenerate the table (scripts/setup installs it)";
    const QString source = QStringLiteral(OLLIVANE_SOURCE_DIR);

    // Spawned without QProcess: Qt starts children with a vfork-style clone after which
    // ThreadSanitizer misreads the process's locking, and the copy tests after this one run under it.
    QTemporaryFile output;
    QTemporaryFile errors;
    ASSERT_TRUE(output.open());
    ASSERT_TRUE(errors.open());
    QByteArray program = QFile::encodeName(python);
    QByteArray script = QFile::encodeName(source + QStringLiteral("/scripts/gen-name-tables.py"));
    QByteArray option("--stdout");
    char* argv[] = {program.data(), script.data(), option.data(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, output.handle(), STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, errors.handle(), STDERR_FILENO);
    pid_t pid = 0;
    int status = -1;
    const int spawned = posix_spawn(&pid, program.constData(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    ASSERT_EQ(spawned, 0) << "python3 cannot be started";
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    errors.seek(0);
    ASSERT_EQ(WEXITSTATUS(status), 0) << errors.readAll().toStdString();
    output.seek(0);
    const QByteArray generated = output.readAll();

    QFile committed(source + QStringLiteral("/ui/text/NameCharTables.cpp"));
    ASSERT_TRUE(committed.open(QIODevice::ReadOnly));
    const QByteArray text = committed.readAll();
    EXPECT_EQ(generated.size(), text.size());
    EXPECT_TRUE(generated == text) << "run scripts/gen-name-tables.py and commit its output";
}
