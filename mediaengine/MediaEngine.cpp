#include "mediaengine/MediaEngine.h"

#include "mediaengine/MediaEngineTest.h"

#include "mediaengine/core/ComHelpers.h"
#include "mediaengine/player/Player.h"
#include "platform/wmp/WmpIds.h"

#include <QDir>
#include <QStandardPaths>

int MediaEngineLiveObjects() {
    return EngineObjectCount().load();
}

ControlFactory MediaEngineFactory(const MediaEngineConfig& config) {
    return [config](IUnknown** control) -> HRESULT {
        if (!control) {
            return E_POINTER;
        }
        *control = nullptr;
        ComPtr<CPlayer> player = MakeComObject<CPlayer>(config);
        if (const HRESULT hr = player->Initialise(); FAILED(hr)) {
            return hr;
        }
        *control = static_cast<IWMPPlayer*>(player.Detach());
        return S_OK;
    };
}

void RegisterMediaEngine(const MediaEngineConfig& config) {
    MediaEngineConfig complete = config;
    const MediaEngineBackends defaults = DefaultMediaEngineBackends();
    if (!complete.backends.readDisc) {
        complete.backends.readDisc = defaults.readDisc;
    }
    if (!complete.backends.makeRip) {
        complete.backends.makeRip = defaults.makeRip;
    }
    RegisterControlFactory(QString::fromUtf16(kWmpPlayerClsidText), MediaEngineFactory(complete));
}

QString DefaultMediaEngineDir() {
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty()) {
        base = QDir::homePath() + QStringLiteral("/.local/share");
    }
    return base + QStringLiteral("/Ollivane/engine");
}
