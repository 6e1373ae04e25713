#include "scan/long_path.h"

#include "format/text.h"

void toLongPathForm(const char16_t* path, char16_t* out, size_t outUnits) {
  if (!out || outUnits == 0) return;
  if (!path) path = u"";
  if (path[0] == u'\\' && path[1] == u'\\' && path[2] == u'?' && path[3] == u'\\') {
    textCopy(out, outUnits, path);
  } else if (path[0] == u'\\' && path[1] == u'\\') {
    textCopy(out, outUnits, u"\\\\?\\UNC\\");
    textAppend(out, outUnits, path + 2);
  } else {
    textCopy(out, outUnits, u"\\\\?\\");
    textAppend(out, outUnits, path);
  }
}
