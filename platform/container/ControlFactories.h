#pragma once
// Which code makes a control for a class id: the stand-in for the class registration that COM
// looks up. main.cpp registers the media engine under the player's class id; tests register fakes.
// Class ids are matched as GUIDs, so the case of the text does not matter; any other text is matched
// exactly.

#include "platform/com/Unknown.h"

#include <QString>
#include <functional>
#include <map>
#include <mutex>

// Makes a new control and hands over one reference to it.
using ControlFactory = std::function<HRESULT(IUnknown** control)>;

class CControlFactories {
public:
    static CControlFactories& Instance();

    // Replaces any factory of that class id; an empty factory removes the registration.
    // Returns the factory it replaced (empty when there was none).
    ControlFactory Register(const QString& clsidText, ControlFactory factory);
    bool IsRegistered(const QString& clsidText) const;
    // REGDB_E_CLASSNOTREG for an unknown class id, E_POINTER for a null out argument, E_FAIL when
    // the factory reports success without a control; otherwise the factory's result.
    HRESULT Create(const QString& clsidText, IUnknown** control) const;

private:
    static QString Key(const QString& clsidText);

    mutable std::mutex m_mutex;
    std::map<QString, ControlFactory> m_factories;
};

void RegisterControlFactory(const QString& clsidText, ControlFactory factory);
void UnregisterControlFactory(const QString& clsidText);
