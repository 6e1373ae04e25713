#include "plugin/folder_check.h"

#include "scan/long_path.h"

bool isShowableFolder(const char16_t* path, AttributesQuery query, void* context) {
  if (!path || !path[0] || !query) return false;
  char16_t longForm[kLongPathUnits];
  toLongPathForm(path, longForm, kLongPathUnits);
  uint32_t attributes = query(longForm, context);
  if (attributes == kInvalidAttributes) attributes = query(path, context);
  return attributes != kInvalidAttributes && (attributes & kAttributeDirectory) != 0;
}
