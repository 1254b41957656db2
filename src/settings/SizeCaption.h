#pragma once

#include <string>

#include "settings/DocumentSize.h"
#include "settings/Units.h"

// "8.5\" x 11\"", "21.59cm x 27.94cm": width and height, each with its unit suffix.
std::string SizeCaption(const DocumentSize& size, Units units);
std::string SizeCaption(std::int32_t width, std::int32_t height, Units units);
