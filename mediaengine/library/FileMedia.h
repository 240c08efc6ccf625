#pragma once
// A handle on a file, made by newMedia: it reads the file's tag and writes every change of a name or
// attribute straight into the file (the library learns of it when the file is added again).

#include "mediaengine/core/ComHelpers.h"
#include "mediaengine/core/EngineItem.h"
#include "mediaengine/core/NoDispatch.h"
#include "platform/wmp/Wmp.h"

#include <QMap>
#include <memory>

class CEngineFaults;

class CFileMedia : public IWMPMedia, public IEngineItem {
public:
    CFileMedia(std::shared_ptr<CEngineFaults> faults, QString url, QString hostPath,
               QMap<QString, QString> attributes);

    HRESULT QueryInterface(const IID& riid, void** object) override;
    OLLIVANE_COUNTED
    OLLIVANE_NO_DISPATCH

    HRESULT get_isIdentical(IWMPMedia* other, VARIANT_BOOL* identical) override;
    HRESULT get_sourceURL(BSTR* url) override;
    HRESULT get_name(BSTR* name) override;
    HRESULT put_name(BSTR name) override;
    HRESULT get_duration(double* seconds) override;
    HRESULT get_durationString(BSTR* text) override;
    HRESULT getItemInfo(BSTR attribute, BSTR* value) override;
    HRESULT setItemInfo(BSTR attribute, BSTR value) override;

    QString IdentityKey() const override;
    qint64 LibraryId() const override { return 0; }

private:
    bool FailsPrecisely(const char* call) const;
    HRESULT Write(const QString& name, const QString& value);

    std::shared_ptr<CEngineFaults> m_faults;
    QString m_url;
    QString m_hostPath;
    QMap<QString, QString> m_attributes; // lower-case names
};
