#pragma once
// The CD source on the engine's sandbox machine, with the window controls it fills (drive combo
// box, track list, total-size and album read-outs) and the player context set up from the host
// window, as the main window does it.

#include "source/CDROMAcc.h"
#include "tests/source/FakePlayer.h"
#include "tests/support/engine/EngineFixture.h"
#include "ui/MyComboBox.h"
#include "ui/ReportCtrl.h"
#include "ui/StaticEx.h"

#include <memory>

class CCdSourceTest : public CEngineFixture {
protected:
    void SetUp() override;
    void TearDown() override;

    // The engine's player (version text as given), the player context and the CD source with its
    // controls.
    void StartPlayer(const QString& version = QStringLiteral("11.0.5721.5145"));
    // A player that reports `disc` in D: instead of the engine, set up the same way.
    void StartFakePlayer(const FakeDisc& disc);
    // What the main window does when it starts or the user picks a drive: list the drives, open
    // the disc, fill the list with every track checked, show the album title.
    bool OpenLikeTheWindow(DWORD bitRate = 128000);
    // A CD drive at `letter`; with a label it holds a (data) disc of that name.
    void AddCdDrive(QChar letter, const QString& label = QString());
    // The drive's root folder on the host (a data disc's files go there).
    QString DriveFolder(QChar letter) const;
    // Lets the engine look at the drives now, as its poll would.
    void CheckMedia();
    // A disc of `count` short tracks with the given titles (empty: "Track N" by the engine).
    QString MakeShortDisc(int count, const QStringList& titles = {}, const QString& album = QString(),
                          const QString& artist = QString(), const QString& name = QStringLiteral("disc"));
    QStringList ComboItems() const;
    QStringList Titles() const;

    std::unique_ptr<CMyComboBox> m_combo;
    std::unique_ptr<CReportCtrl> m_list;
    std::unique_ptr<CStaticEx> m_total;
    std::unique_ptr<CStaticEx> m_album;
    std::unique_ptr<CCDROMAcc> m_cd;
};
