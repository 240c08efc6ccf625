#pragma once
// The whole player contract in one include.

#include "platform/wmp/WmpCdrom.h"
#include "platform/wmp/WmpEvents.h"
#include "platform/wmp/WmpIds.h"
#include "platform/wmp/WmpLibrary.h"
#include "platform/wmp/WmpPlayer.h"
#include "platform/wmp/WmpRemote.h"
#include "platform/wmp/WmpSync.h"
