// Presented frames as PNG files.
#pragma once

#include <string>

#include "platform/d3d9/test_device.h"

// Writes `frame` as an 8-bit RGB PNG (alpha dropped). False with `error` when the file cannot
// be written.
bool WriteRgbPng(const std::string& path, const d3d9::PresentedFrame& frame, std::string* error);
