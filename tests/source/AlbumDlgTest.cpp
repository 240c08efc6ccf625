// The album name dialog: what it shows, the 26-unit limit of the name, the default button that
// follows an empty name, and the keys it handles.

#include "source/AlbumDlg.h"
#include "resources/StringTable.h"
#include "tests/source/CdSourceFixture.h"

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

class AlbumDialog : public CCdSourceTest {
protected:
    // The dialog over a disc with this album name (null: none).
    void OpenDisc(const QString& album) {
        Insert(QLatin1Char('D'), MakeShortDisc(2, {}, album));
        StartPlayer();
        ASSERT_TRUE(OpenLikeTheWindow());
    }
    // Runs the dialog modally and `during` once it shows; a watchdog ends a run that hangs.
    int Run(CAlbumDlg& dialog, const std::function<void()>& during) {
        QTimer::singleShot(0, [&dialog, during] {
            QTimer::singleShot(5000, dialog.Window(), [&dialog] { dialog.EndDialog(-99); });
            during();
        });
        return dialog.DoModal(m_main);
    }
    static void Type(QWidget* widget, int key) { QTest::keyClick(widget, Qt::Key(key)); }
};

const QString kHigh = QString::fromUcs4(U"\U00020BB7"); // 𠮷: two UTF-16 code units

TEST_F(AlbumDialog, ShowsTheAlbumTitleWithItsCaptionAndLabel) {
    OpenDisc(QString());
    CAlbumDlg dialog(m_cd.get());
    ASSERT_TRUE(dialog.Create(m_main));
    EXPECT_EQ(dialog.Window()->windowTitle(), LoadString(1316));
    EXPECT_EQ(qobject_cast<QLabel*>(dialog.GetDlgItem(CAlbumDlg::IDC_LABEL))->text(), LoadString(1202));
    EXPECT_EQ(dialog.NameField()->text(), QStringLiteral("情報なし")) << "the player's アルバム情報なし";
    EXPECT_TRUE(dialog.OkButton()->isEnabled());
    EXPECT_TRUE(dialog.OkButton()->isDefault());
    EXPECT_FALSE(dialog.CancelButton()->isDefault());
}

TEST_F(AlbumDialog, TheNameTakesAtMost26UnitsAndNeverHalfACharacter) {
    OpenDisc(QStringLiteral("Album"));
    const struct {
        QString before;
        QString put; // typed or pasted at the end
        QString after;
    } cases[] = {
        {QString(), QString(30, QLatin1Char('a')), QString(26, QLatin1Char('a'))},
        {QString(25, QLatin1Char('a')), QStringLiteral("bc"),
         QString(25, QLatin1Char('a')) + QLatin1Char('b')},
        // The 26th unit would be the first half of a character: the character is refused whole.
        {QString(25, QLatin1Char('a')), kHigh, QString(25, QLatin1Char('a'))},
        {QString(24, QLatin1Char('a')), kHigh, QString(24, QLatin1Char('a')) + kHigh},
        {QString(23, QLatin1Char('a')), kHigh + kHigh, QString(23, QLatin1Char('a')) + kHigh},
        {QString(26, QLatin1Char('a')), QStringLiteral("b"), QString(26, QLatin1Char('a'))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.before.size());
        CAlbumDlg dialog(m_cd.get());
        ASSERT_TRUE(dialog.Create(m_main));
        QLineEdit* name = dialog.NameField();
        name->selectAll();
        name->del();
        name->insert(c.before);
        name->end(false);
        name->insert(c.put);
        EXPECT_EQ(name->text(), c.after);
    }
    // Typing key by key stops at the limit too.
    CAlbumDlg dialog(m_cd.get());
    ASSERT_TRUE(dialog.Create(m_main));
    dialog.NameField()->clear();
    QTest::keyClicks(dialog.NameField(), QString(27, QLatin1Char('x')));
    EXPECT_EQ(dialog.NameField()->text(), QString(26, QLatin1Char('x')));
}

TEST_F(AlbumDialog, ALongerTitleIsShownWholeAndCanOnlyBeShortened) {
    const QString longTitle =
        QStringLiteral("とても長いアルバムのタイトルでございます、三十字を超えています");
    ASSERT_GT(longTitle.size(), 26);
    OpenDisc(longTitle);
    CAlbumDlg dialog(m_cd.get());
    ASSERT_TRUE(dialog.Create(m_main));
    QLineEdit* name = dialog.NameField();
    EXPECT_EQ(name->text(), longTitle);
    name->end(false);
    name->insert(QStringLiteral("x"));
    EXPECT_EQ(name->text(), longTitle);
    name->backspace();
    EXPECT_EQ(name->text(), longTitle.left(longTitle.size() - 1));
}

TEST_F(AlbumDialog, AnEmptyNameGreysOkAndEnterCancels) {
    OpenDisc(QStringLiteral("Album"));
    CAlbumDlg dialog(m_cd.get());
    bool okEnabled = true, cancelDefault = false, okBack = false;
    const int result = Run(dialog, [&] {
        QLineEdit* name = dialog.NameField();
        name->clear();
        okEnabled = dialog.OkButton()->isEnabled();
        cancelDefault = dialog.CancelButton()->isDefault() && !dialog.OkButton()->isDefault();
        name->insert(QStringLiteral("x"));
        okBack = dialog.OkButton()->isEnabled() && dialog.OkButton()->isDefault() &&
                 !dialog.CancelButton()->isDefault();
        name->clear();
        Type(name, Qt::Key_F1); // no help, and the dialog stays
        Type(name, Qt::Key_Return);
    });
    EXPECT_FALSE(okEnabled);
    EXPECT_TRUE(cancelDefault);
    EXPECT_TRUE(okBack);
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(m_cd->GetAlbumTitle(), QStringLiteral("Album"));
}

TEST_F(AlbumDialog, OkRenamesTheDiscAsTyped) {
    OpenDisc(QString());
    const QString typed = QStringLiteral("僕の/アルバム:\t2");
    CAlbumDlg dialog(m_cd.get());
    const int result = Run(dialog, [&] {
        dialog.NameField()->setText(typed);
        Type(dialog.NameField(), Qt::Key_Return); // OK is the default button
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(m_cd->GetAlbumTitle(), typed);
    EXPECT_EQ(Name(CdPlaylist(0).Get()), typed);
    m_cd->ShowAlbumTitle();
    EXPECT_EQ(m_album->text(), typed);
}

TEST_F(AlbumDialog, EnterPressesTheButtonThatHasTheFocus) {
    OpenDisc(QStringLiteral("Album"));
    for (const int button : {IDOK, IDCANCEL}) {
        SCOPED_TRACE(button);
        CAlbumDlg dialog(m_cd.get());
        const int result = Run(dialog, [&] {
            dialog.NameField()->setText(QStringLiteral("Renamed"));
            QWidget* target =
                button == IDOK ? static_cast<QWidget*>(dialog.OkButton()) : dialog.CancelButton();
            target->setFocus();
            Type(target, Qt::Key_Return);
        });
        EXPECT_EQ(result, button);
        EXPECT_EQ(m_cd->GetAlbumTitle(),
                  button == IDOK ? QStringLiteral("Renamed") : QStringLiteral("Album"));
        m_cd->SetAlbumTitle(QStringLiteral("Album"));
    }
}

TEST_F(AlbumDialog, EscapeCancels) {
    OpenDisc(QStringLiteral("Album"));
    CAlbumDlg dialog(m_cd.get());
    const int result = Run(dialog, [&] {
        dialog.NameField()->setText(QStringLiteral("Renamed"));
        Type(dialog.NameField(), Qt::Key_Escape);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(m_cd->GetAlbumTitle(), QStringLiteral("Album"));
}

} // namespace
