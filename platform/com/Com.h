#pragma once
// The whole COM-style runtime in one include.

#include "platform/com/Bstr.h"
#include "platform/com/ComBSTR.h"
#include "platform/com/ComObject.h"
#include "platform/com/ComPtr.h"
#include "platform/com/ComVariant.h"
#include "platform/com/ConnectionPoint.h"
#include "platform/com/ConnectionPoints.h"
#include "platform/com/Dispatch.h"
#include "platform/com/Guid.h"
#include "platform/com/InterfaceTable.h"
#include "platform/com/ObjectWithSite.h"
#include "platform/com/ServiceProvider.h"
#include "platform/com/Unknown.h"
#include "platform/com/Variant.h"
