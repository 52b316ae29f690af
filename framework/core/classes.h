// The framework's portable classes in one include: objects, persistent objects,
// components, the pointer list, string lists, streams and the component stream.
#pragma once

#include "framework/core/component.h"
#include "framework/core/filer.h"
#include "framework/core/streams.h"
#include "framework/core/strings.h"
#include "framework/core/sysutils.h"
