#include "tests/support/engine/EngineFixture.h"

#include "platform/files/Volumes.h"
#include "platform/registry/Registry.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

void CEngineFixture::SetUp() {
    m_dir = m_tmp.File(QStringLiteral("box"));
    QString error;
    ASSERT_TRUE(CSandbox::CreateDefault(m_dir, &error)) << error.toStdString();
    m_sandbox = std::make_unique<CSandbox>(m_dir);
    ASSERT_TRUE(m_sandbox->Open(&error)) << error.toStdString();
    CPlatform services;
    services.registry = &m_sandbox->Registry();
    services.volumes = &m_sandbox->Volumes();
    services.loop = &m_loop;
    services.windows = &m_windows;
    m_scope = std::make_unique<CPlatformScope>(services);
    m_config.engineDir = m_sandbox->EngineDir();
    m_config.backends = DefaultMediaEngineBackends();
    m_main = m_windows.Create(
        {.title = QStringLiteral("Ollivane"), .visible = true, .client = RECT{0, 0, 640, 480}});
    SetRipPreferences(QStringLiteral("C:\\Users\\user\\Music"));
}

void CEngineFixture::TearDown() {
    ReleasePlayer();
    m_loop.Pump();
    m_registration.reset();
    m_scope.reset();
}

QString CEngineFixture::MakeDisc(const TestDisc& disc, const QString& name) {
    QString error;
    const QString cue =
        CTestDiscImage::Make(QDir(m_dir).filePath(QStringLiteral("discs")), disc, &error, name);
    EXPECT_FALSE(cue.isEmpty()) << error.toStdString();
    return QStringLiteral("discs/") + name + QStringLiteral(".cue");
}

const QStringList CEngineFixture::kDemoTitles{QStringLiteral("春の風"),       QStringLiteral("夜明けのうた"),
                                              QStringLiteral("雨上がりの街"), QStringLiteral("遠い約束"),
                                              QStringLiteral("海辺の午後"),   QStringLiteral("星降る丘"),
                                              QStringLiteral("帰り道"),       QStringLiteral("さくら通り"),
                                              QStringLiteral("冬のひだまり"), QStringLiteral("またあした")};
const QString CEngineFixture::kDemoAlbum = QStringLiteral("ひだまりの記憶");

void CEngineFixture::InsertDemoDisc() {
    const QString cue = qEnvironmentVariable("OLLIVANE_DEMO_DISC");
    if (!cue.isEmpty()) {
        const QFileInfo info(cue);
        const QString discs = QDir(m_dir).filePath(QStringLiteral("discs"));
        QDir().mkpath(discs);
        ASSERT_TRUE(QFile::link(info.absoluteFilePath(), discs + QStringLiteral("/demo.cue")));
        ASSERT_TRUE(QFile::link(info.absolutePath() + QLatin1Char('/') + info.completeBaseName() +
                                    QStringLiteral(".bin"),
                                discs + QStringLiteral("/demo.bin")));
        Insert(QLatin1Char('D'), QStringLiteral("discs/demo.cue"));
        return;
    }
    TestDisc disc;
    disc.album = kDemoAlbum;
    disc.artist = QStringLiteral("青空楽団");
    for (const QString& title : kDemoTitles) {
        disc.tracks.append({.seconds = 2, .title = title});
    }
    Insert(QLatin1Char('D'), MakeDisc(disc, QStringLiteral("demo")));
}

QString CEngineFixture::MakeJapaneseDisc(const QString& name) {
    TestDisc disc;
    disc.album = QStringLiteral("夏の記憶");
    disc.artist = QStringLiteral("山田花子");
    disc.tracks = {
        {.seconds = 1.5, .title = QStringLiteral("はじまりの朝")},
        {.seconds = 1.5, .title = QStringLiteral("雨のち晴れ"), .performer = QStringLiteral("鈴木一郎")},
        {.seconds = 1.5, .title = QStringLiteral("さよなら/また明日")}};
    return MakeDisc(disc, name);
}

void CEngineFixture::Insert(QChar letter, const QString& disc) {
    m_sandbox->Volumes().SetDisc(letter, disc);
    m_sandbox->Volumes().SetPresent(letter, true);
}

void CEngineFixture::TakeOut(QChar letter) {
    m_sandbox->Volumes().SetDisc(letter, QString());
    m_sandbox->Volumes().SetPresent(letter, false);
}

void CEngineFixture::SetRipPreferences(const QString& folder, DWORD rate, const QString& detail,
                                       const QString& separator) {
    const QString key = QStringLiteral("Software\\Microsoft\\MediaPlayer\\Preferences");
    CRegistry& registry = m_sandbox->Registry();
    registry.SetString(HKEY_CURRENT_USER, key, QStringLiteral("CDRecordPath"), folder);
    registry.SetDword(HKEY_CURRENT_USER, key, QStringLiteral("MP3RecordRate"), rate);
    registry.SetDword(HKEY_CURRENT_USER, key, QStringLiteral("CDRecordMP3"), 1);
    registry.SetString(HKEY_CURRENT_USER, key, QStringLiteral("CDRecordFileDetail"), detail);
    registry.SetString(HKEY_CURRENT_USER, key, QStringLiteral("CDRecordFileSeparator"), separator);
}

void CEngineFixture::RegisterEngine(const QString& version) {
    m_config.version = version;
    m_registration.reset(); // a registration puts back what it replaced when it goes
    m_registration = std::make_unique<CControlFactoryRegistration>(QString::fromUtf16(kWmpPlayerClsidText),
                                                                   MediaEngineFactory(m_config));
}

ComPtr<IWMPPlayer4> CEngineFixture::CreatePlayer(const QString& version) {
    RegisterEngine(version);
    AtlAxWinInit();
    m_host = std::make_unique<CAxWindow>();
    EXPECT_TRUE(m_host->Create(m_main, RECT{0, 0, 640, 480}));
    EXPECT_EQ(m_host->CreateControl(reinterpret_cast<LPCOLESTR>(kWmpPlayerClsidText)), S_OK);
    m_player = nullptr;
    EXPECT_EQ(m_host->QueryControl(&m_player), S_OK);
    return m_player;
}

void CEngineFixture::ReleasePlayer() {
    if (m_player) {
        m_player->close();
    }
    m_player = nullptr;
    m_host.reset();
}

RecorderPtr CEngineFixture::Advise(bool dispatch) {
    RecorderPtr sink(new CComObject<CEventRecorder>());
    sink->dispatchOnly = dispatch;
    ComPtr<IConnectionPointContainer> container;
    EXPECT_EQ(m_player.As(&container), S_OK);
    ComPtr<IConnectionPoint> point;
    EXPECT_EQ(container->FindConnectionPoint(dispatch ? DIID__WMPOCXEvents : IID_IWMPEvents2, &point), S_OK);
    DWORD cookie = 0;
    EXPECT_EQ(point->Advise(static_cast<IWMPEvents2*>(sink.Get()), &cookie), S_OK);
    EXPECT_NE(cookie, 0u);
    return sink;
}

ComPtr<IMediaEngineTest> CEngineFixture::Test() const {
    ComPtr<IMediaEngineTest> test;
    EXPECT_EQ(m_player.As(&test), S_OK);
    return test;
}

ComPtr<IWMPCdrom> CEngineFixture::Drive(long index) const {
    ComPtr<IWMPCdromCollection> drives;
    EXPECT_EQ(m_player->get_cdromCollection(&drives), S_OK);
    ComPtr<IWMPCdrom> drive;
    if (drives) {
        drives->item(index, &drive);
    }
    return drive;
}

ComPtr<IWMPPlaylist> CEngineFixture::CdPlaylist(long index) const {
    ComPtr<IWMPPlaylist> list;
    const ComPtr<IWMPCdrom> drive = Drive(index);
    if (drive) {
        EXPECT_EQ(drive->get_playlist(&list), S_OK);
    }
    return list;
}

ComPtr<IWMPMediaCollection> CEngineFixture::Library() const {
    ComPtr<IWMPMediaCollection> library;
    EXPECT_EQ(m_player->get_mediaCollection(&library), S_OK);
    return library;
}

bool CEngineFixture::PumpUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    for (;;) {
        m_loop.Pump();
        if (done()) {
            return true;
        }
        if (timer.elapsed() > timeoutMs) {
            return false;
        }
        m_loop.WaitForPosted(50);
    }
}

bool CEngineFixture::WaitForRipEnd(int timeoutMs) {
    const ComPtr<IMediaEngineTest> test = Test();
    return PumpUntil([&] { return !test->IsRipping(); }, timeoutMs);
}

QString CEngineFixture::Info(IWMPMedia* item, const QString& name) {
    CComBSTR value;
    return item && SUCCEEDED(item->getItemInfo(CComBSTR(name), &value)) ? value.ToQString()
                                                                        : QStringLiteral("<fail>");
}

QString CEngineFixture::Info(IWMPPlaylist* list, const QString& name) {
    CComBSTR value;
    return list && SUCCEEDED(list->getItemInfo(CComBSTR(name), &value)) ? value.ToQString()
                                                                        : QStringLiteral("<fail>");
}

QString CEngineFixture::Name(IWMPMedia* item) {
    CComBSTR value;
    return item && SUCCEEDED(item->get_name(&value)) ? value.ToQString() : QStringLiteral("<fail>");
}

QString CEngineFixture::Name(IWMPPlaylist* list) {
    CComBSTR value;
    return list && SUCCEEDED(list->get_name(&value)) ? value.ToQString() : QStringLiteral("<fail>");
}

long CEngineFixture::Count(IWMPPlaylist* list) {
    long count = -1;
    if (list) {
        list->get_count(&count);
    }
    return count;
}

ComPtr<IWMPMedia> CEngineFixture::Item(IWMPPlaylist* list, long index) {
    ComPtr<IWMPMedia> item;
    if (list) {
        list->get_Item(index, &item);
    }
    return item;
}

QString CEngineFixture::Host(const QString& winPath) const {
    QString host;
    ToHostPath(winPath, &host);
    return host;
}
