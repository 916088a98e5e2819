#pragma once
// The framework's base value types, delegates and skin parsing in one include.

#include "ui/core/EventSource.h"
#include "ui/core/Markup.h"
#include "ui/core/ResourceManager.h"
#include "ui/core/StdArray.h"
#include "ui/core/StdStringPtrMap.h"
#include "ui/core/StringOrId.h"
#include "ui/core/UIGeometry.h"
#include "ui/core/UIString.h"
#include "ui/core/WaitCursor.h"
