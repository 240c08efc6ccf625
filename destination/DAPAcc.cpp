#include "destination/DAPAcc.h"

#include "destination/TransferJob.h"
#include "platform/com/ComBSTR.h"
#include "platform/thread/WorkerThread.h"
#include "source/PlayerContext.h"

CDAPAcc::CDAPAcc() : CBasicDrive(QStringLiteral("DAP Access")) {}

CDAPAcc::~CDAPAcc() {
    // A worker that still runs is asked to stop; one stuck in a write is left to itself with its
    // job, so the program's end never waits for a card.
    RequestStop();
    if (!ReapTransfer())
        AbandonTransfer();
    Detach();
}

bool CDAPAcc::Attach(CMyComboBox* comboBox) {
    Detach();
    if (!comboBox)
        return false;
    SetComboBox(comboBox);
    CPlayerContext& context = PlayerContext();
    if (!m_syncPlaylists.Bind(context.Player(), context.Library()))
        return false;
    m_player = context.Player();
    m_majorVersion = context.MajorVersion();
    return m_player != nullptr;
}

void CDAPAcc::Detach() {
    m_syncServices = nullptr;
    m_device.Reset();
    m_currentIndex = -1;
    m_majorVersion = -1;
    m_player = nullptr;
    m_syncPlaylists.Unbind();
}

bool CDAPAcc::SetCapacityControls(ITextControl* used, ITextControl* free) {
    if (!used || !free)
        return false;
    m_usedText = used;
    m_freeText = free;
    return true;
}

ComPtr<IWMPSyncDevice> CDAPAcc::FetchDevice(long index) const {
    ComPtr<IWMPSyncDevice> device;
    if (!m_syncServices || index < 0 || FAILED(m_syncServices->getDevice(index, &device)))
        return nullptr;
    return device;
}

long CDAPAcc::DeviceCount() const {
    long count = 0;
    if (!m_syncServices || FAILED(m_syncServices->get_deviceCount(&count)) || count < 0)
        return 0;
    return count;
}

QString CDAPAcc::DeviceText(IWMPSyncDevice* device, HRESULT (IWMPSyncDevice::*getter)(BSTR*)) {
    CComBSTR text;
    if (!device || FAILED((device->*getter)(&text)))
        return QString();
    return text.ToQString();
}

QString CDAPAcc::ItemInfo(IWMPSyncDevice* device, const QString& item) {
    CComBSTR value;
    if (!device || FAILED(device->getItemInfo(CComBSTR(item), &value)))
        return QString();
    return value.ToQString();
}

qint64 CDAPAcc::ItemNumber(IWMPSyncDevice* device, const QString& item) {
    bool ok = false;
    const qint64 value = ItemInfo(device, item).trimmed().toLongLong(&ok);
    return ok && value > 0 ? value : 0;
}

bool CDAPAcc::IsConnected(IWMPSyncDevice* device) {
    VARIANT_BOOL connected = VARIANT_FALSE;
    return device && SUCCEEDED(device->get_connected(&connected)) && connected != VARIANT_FALSE;
}

long CDAPAcc::PartnershipOf(IWMPSyncDevice* device) {
    long index = -1;
    if (!device || FAILED(device->get_partnershipIndex(&index)))
        return -1;
    return index;
}
