#pragma once
// What the engine's own media items and playlists answer besides the contract: which thing they
// stand for, so two objects for the same track, library entry or file compare as identical, and a
// playlist can tell which library entry an item handed back to it is.

#include "platform/com/Unknown.h"

#include <QString>

class IEngineItem : public IUnknown {
public:
    // "cd:<disc>:<position>", "lib:<library>:<id>", "file:<path>", "list:<object>".
    virtual QString IdentityKey() const = 0;
    // The library entry this item stands for; 0 for anything else.
    virtual qint64 LibraryId() const = 0;
};

OLLIVANE_DEFINE_IID(IEngineItem, "{4F4C4C56-0100-4000-8000-454E47000001}");
