// Which host paths the panel shows: existing folders only. The platform is
// asked for the attributes of the long-path form first and of the path as
// given second, so folders that only one of the two forms reaches are shown.
#pragma once
#include <cstdint>

constexpr uint32_t kInvalidAttributes = 0xFFFFFFFFu;  // INVALID_FILE_ATTRIBUTES
constexpr uint32_t kAttributeDirectory = 0x10;        // FILE_ATTRIBUTE_DIRECTORY

// Gives the attributes of a path, or kInvalidAttributes.
using AttributesQuery = uint32_t (*)(const char16_t* path, void* context);

bool isShowableFolder(const char16_t* path, AttributesQuery query, void* context);
