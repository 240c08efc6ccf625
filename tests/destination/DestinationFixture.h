#pragma once
// The destination on the engine's sandbox: the player created as the program creates it, the
// player context attached, a destination combo box and the two capacity read-outs, plus the cards
// and devices a test puts into the machine and ripped albums in the player's library.

#include "destination/DAPAcc.h"
#include "tests/support/engine/EngineFixture.h"
#include "ui/MyComboBox.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class CTextReadout : public ITextControl {
public:
    QString GetText() const override { return text; }
    void SetText(const QString& value) override { text = value; }
    QString text;
};

class CDestinationFixture : public CEngineFixture {
protected:
    void TearDown() override;

    // Creates the player of that version and attaches the destination to it.
    void Start(const QString& version = QStringLiteral("11.0.5721.5145"));
    // engine/devices.ini.
    void WriteDevices(const QByteArray& ini);
    // A removable drive of the sandbox at drives/<letter>; without capacity the host's space.
    void AddCard(QChar letter, const QString& label, std::optional<quint64> capacity = std::nullopt,
                 bool present = true);
    void AddFixedDrive(QChar letter);
    // Host path of a path on a drive of the sandbox ("E", "音声データ/x").
    QString DriveHost(QChar letter, const QString& relative = QString()) const;
    // Every file and folder below a host folder, relative to it, sorted; hidden ones included.
    static QStringList Tree(const QString& hostFolder);
    QStringList ComboItems() const;

    // Writes one short MP3 per title into C:\Users\user\Music\<artist>\<album>\ as "NN title.mp3",
    // adds them to the player's library and returns the album's playlist.
    ComPtr<IWMPPlaylist> RipAlbum(const QString& album, const QStringList& titles, double seconds = 0.3,
                                  const QString& artist = QStringLiteral("Artist"));
    // The Windows path of a ripped file of that album.
    static QString RipPath(const QString& album, int track, const QString& title,
                           const QString& artist = QStringLiteral("Artist"));
    // Selects the card entry of the drive and makes the destination ready for a copy.
    void ReadyOn(QChar letter);

    std::unique_ptr<CMyComboBox> m_combo;
    std::unique_ptr<CDAPAcc> m_dap;
    CTextReadout m_used;
    CTextReadout m_free;
};
