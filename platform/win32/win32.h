// Everything of the Windows-shaped base layer in one include.
#pragma once

#include "platform/win32/codepage.h"
#include "platform/win32/input.h"
#include "platform/win32/modules.h"
#include "platform/win32/registry.h"
#include "platform/win32/resources.h"
#include "platform/win32/types.h"
#include "platform/win32/version.h"
#include "platform/win32/window.h"
