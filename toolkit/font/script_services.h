// The records and entry points of the optional text-shaping services ("usp10.dll"). The font
// finds the entry points by name at run time; nothing of the module is linked.
#pragma once

#include "platform/uniscribe/usp10.h"
